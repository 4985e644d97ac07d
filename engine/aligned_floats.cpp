#include "engine/aligned_floats.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "primitives/dsp.h"

namespace {
// dspAllocFloats counts bytes in an int, with 36 bytes of its own.
constexpr std::int64_t kMaxAlignedFloats = (INT_MAX - 64) / 4;
}  // namespace

BRAlignedFloats::~BRAlignedFloats() { release(); }

BRAlignedFloats::BRAlignedFloats(BRAlignedFloats&& other) noexcept
    : floats(std::exchange(other.floats, nullptr)), count(std::exchange(other.count, 0))
{
}

BRAlignedFloats& BRAlignedFloats::operator=(BRAlignedFloats&& other) noexcept
{
    if (this != &other) {
        release();
        floats = std::exchange(other.floats, nullptr);
        count = std::exchange(other.count, 0);
    }
    return *this;
}

bool BRAlignedFloats::allocateZeroed(std::int64_t newCount)
{
    release();
    if (newCount < 1 || newCount > kMaxAlignedFloats)
        return false;
    floats = dspAllocFloats(static_cast<int>(newCount));
    if (floats == nullptr)
        return false;
    count = newCount;
    zeroFloats(floats, count);
    return true;
}

void BRAlignedFloats::release()
{
    dspFree(floats);
    floats = nullptr;
    count = 0;
}

void zeroFloats(float* p, std::int64_t count)
{
    while (count > 0) {
        const int piece = static_cast<int>(std::min<std::int64_t>(count, INT_MAX));
        dspZero(p, piece);
        p += piece;
        count -= piece;
    }
}

bool allWithin(const float* p, std::int64_t count, float limit)
{
    for (std::int64_t k = 0; k < count; ++k)
        if (!(std::fabs(p[k]) <= limit))
            return false;
    return true;
}

void BRFftSpecRelease::operator()(dspRealFftSpec* spec) const { dspRealFftFree(spec); }
