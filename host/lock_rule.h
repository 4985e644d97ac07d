#pragma once

#include <cstdint>

// The plug-in never calls its host while it holds the editor-state lock
// (deferred_host_calls.h). A call about to break that rule is reported here
// with its opcode. The plug-in logs it and carries on, as a host's process is
// not ours to end; a debug build stops there, and the test programs link a
// definition of their own that fails the test (a weak symbol yields to it).
void reportHostCallUnderEditorStateLock(int32_t opcode);
