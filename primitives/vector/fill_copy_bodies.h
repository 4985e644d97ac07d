#pragma once

#include <cstddef>

#include "primitives/dispatch/cpu_classes.h"

// Fill and copy bodies of every class; other bodies of the same class call them
// directly. Contracts as for the entries in fill_copy.h.
DSP_DECLARE_IN_EVERY_CLASS(
    int zero(float* dst, int len);
    int copy(const float* src, float* dst, int len);
    int zeroBytes(void* p, int n);
    int copyBytes(const void* src, void* dst, int n);

    // The class's byte-clearing and byte-copying kernels: no checks, any
    // alignment, any count (0 does nothing); src and dst must not overlap unless
    // they are equal. Wait-free, no allocation.
    void zeroKernel(void* dst, std::size_t bytes);
    void copyKernel(const void* src, void* dst, std::size_t bytes);
)

namespace cls_sse {
// dspPrefetchBlock's work, which the class's copy of long vectors runs on every page.
void prefetchBlock(const void* p, std::size_t bytes);
}  // namespace cls_sse
