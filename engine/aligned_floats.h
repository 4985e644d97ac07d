#pragma once

#include <cstdint>
#include <memory>

#include "primitives/fft/real_fft.h"

// A float array from the primitives' aligned allocator (32-byte boundary),
// released through it. Allocating, moving and releasing belong to the message
// thread or to prepareToPlay; reading and writing the floats to any thread.
class BRAlignedFloats {
public:
    BRAlignedFloats() = default;
    ~BRAlignedFloats();
    BRAlignedFloats(BRAlignedFloats&& other) noexcept;
    BRAlignedFloats& operator=(BRAlignedFloats&& other) noexcept;
    BRAlignedFloats(const BRAlignedFloats&) = delete;
    BRAlignedFloats& operator=(const BRAlignedFloats&) = delete;

    // Replaces the array by count floats of +0.0. False, and empty, when count is
    // below 1, beyond what the allocator takes, or memory runs out. Allocates.
    bool allocateZeroed(std::int64_t count);
    void release();

    float* data() const { return floats; }
    std::int64_t size() const { return count; }

private:
    float* floats = nullptr;
    std::int64_t count = 0;
};

// Sets count floats at p to +0.0; counts past the primitives' int length go in pieces.
// Any thread; wait-free.
void zeroFloats(float* p, std::int64_t count);

// True when every one of the count floats at p lies within ±limit (NaN never
// does). Any thread.
bool allWithin(const float* p, std::int64_t count, float limit);

// A real FFT spec owned by its creator; dspRealFftFree releases it.
struct BRFftSpecRelease {
    void operator()(dspRealFftSpec* spec) const;
};
using BRFftSpecHandle = std::unique_ptr<dspRealFftSpec, BRFftSpecRelease>;
