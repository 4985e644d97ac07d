#include "host/lock_rule.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

__attribute__((weak)) void reportHostCallUnderEditorStateLock(int32_t opcode)
{
    std::fprintf(stderr, "VST effect: host opcode %d called under the editor-state lock\n", static_cast<int>(opcode));
    const char* abortSwitch = std::getenv(kAbortOnLockRuleVariable);
    if (abortSwitch != nullptr && std::strcmp(abortSwitch, "1") == 0)
        std::abort();
    assert(!"no host call under the editor-state lock");
}
