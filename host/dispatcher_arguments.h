#pragma once

#include <cstdint>

// Why a host's dispatcher call cannot reach the effect as it stands, or null
// when it can: a null pointer where the opcode passes a buffer or a record, a
// negative program, pin or MIDI index, a block size below 1 or beyond 32 bits,
// a sample rate that is not finite, a chunk that is null, empty or beyond
// 2 GiB. Parameter indexes pass as they are: the effect answers for those it
// does not have. Any thread; no allocation.
const char* faultInDispatcherCall(int32_t opcode, int32_t index, intptr_t value, const void* ptr, float opt);
