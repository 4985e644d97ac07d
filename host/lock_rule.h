#pragma once

#include <cstdint>

// The plug-in never calls its host while it holds the editor-state lock
// (deferred_host_calls.h). A call about to break that rule is reported here
// with its opcode. The plug-in logs it and carries on, as a host's process is
// not ours to end; a debug build stops there, and so does any build when
// BRONDIL_ABORT_ON_LOCK_RULE is set to 1 in the environment: the tests set it,
// so that a host that loads the plug-in file fails them too. The test programs
// that link the code in-process link a definition of their own that fails the
// test (a weak symbol yields to it).
void reportHostCallUnderEditorStateLock(int32_t opcode);

// The environment variable that makes a broken rule end the process.
inline constexpr const char* kAbortOnLockRuleVariable = "BRONDIL_ABORT_ON_LOCK_RULE";
