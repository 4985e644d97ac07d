#pragma once

#include <cstdint>

// Bit-reversal permutation of n complex values (interleaved float pairs):
// the value at index x moves to the index with x's log2(n) bits reversed.
// table is the FFT record's bit-reversal table, in the format the class's builder
// lays for n. Values are moved, never computed. Wait-free, no allocation.
namespace cls_generic {

// src and dst must not overlap. Any n >= 1 (n below 8 needs no table).
void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairTable);

// n >= 1 (n below 4 leaves the data as it is).
void bitReverseInPlace(float* data, int n, const std::int32_t* pairTable);

}  // namespace cls_generic
