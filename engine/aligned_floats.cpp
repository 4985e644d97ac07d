#include "engine/aligned_floats.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

#include <sys/mman.h>

#include "primitives/dsp.h"

namespace {
// dspAllocFloats counts bytes in an int, with 36 bytes of its own.
constexpr std::int64_t kMaxAlignedFloats = (INT_MAX - 64) / 4;

// The whole huge pages of a large array take huge pages where the system
// grants them: the convolution streams its cells through such arrays, and
// pages of 4 KB would cost a page walk every 64 lines.
void adviseHugePages(float* p, std::int64_t count)
{
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(p) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(p + count) & ~(kHugePage - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}
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
    adviseHugePages(floats, count);  // before the zeros touch the pages
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
