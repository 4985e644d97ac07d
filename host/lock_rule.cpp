#include "host/lock_rule.h"

#include <cassert>
#include <cstdio>

__attribute__((weak)) void reportHostCallUnderEditorStateLock(int32_t opcode)
{
    std::fprintf(stderr, "VST effect: host opcode %d called under the editor-state lock\n", static_cast<int>(opcode));
    assert(!"no host call under the editor-state lock");
}
