#pragma once

#include <cstdint>

// Flush-to-zero and denormals-are-zero on the calling thread's SSE unit for the
// guard's lifetime; the caller's MXCSR, flags included, comes back whole at its
// end. Subnormal operands cost the unit a slow assist per operation: an IR that
// fades through the subnormal range, or subnormal input, would slow every block
// many times over. Results of normal numbers stay the same to the bit. The x87
// unit, which the generic processor class computes in, is not affected.
// Wait-free; no system call.
class BRDenormalGuard {
public:
    BRDenormalGuard();
    ~BRDenormalGuard();
    BRDenormalGuard(const BRDenormalGuard&) = delete;
    BRDenormalGuard& operator=(const BRDenormalGuard&) = delete;

private:
    std::uint32_t saved;
};
