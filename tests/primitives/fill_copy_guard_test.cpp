#include <cstddef>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "primitives/dispatch/largest_cache.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy.h"
#include "tests/primitives/fill_copy_test_support.h"
#include "tests/support/cpu_class.h"
#include "tests/support/guarded_buffer.h"

// Ranges laid against inaccessible pages: any read or write outside them faults.
namespace {

using fillcopytest::Byte;
using fillcopytest::Entry;
using fillcopytest::patternByte;

std::size_t pageSize() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

// A range of `bytes` either ending at the guard page above it or starting right
// after the guard page below it.
struct GuardedRange {
    GuardedRange(std::size_t bytes, bool againstEnd)
        : buffer(againstEnd ? bytes : (bytes + pageSize() - 1) / pageSize() * pageSize()),
          begin(static_cast<Byte*>(buffer.data())),
          bytes(bytes)
    {
    }
    dsptest::GuardedBuffer buffer;
    Byte* begin;
    std::size_t bytes;
};

class FillCopyAtGuardPages : public dsptest::EveryCpuClass {
protected:
    void SetUp() override
    {
        EveryCpuClass::SetUp();
        // Small enough that the non-temporal paths run from their least counts on.
        dspSetLargestCacheSize(256 * 1024);
    }
    void TearDown() override
    {
        dspSetLargestCacheSize(kCacheSizeUnread);
        EveryCpuClass::TearDown();
    }
};

std::vector<std::size_t> countsToTry()
{
    std::vector<std::size_t> counts;
    for (std::size_t n = 1; n <= 160; ++n)
        counts.push_back(n);
    for (std::size_t n : {255, 256, 511, 512, 513, 4095, 8191, 8192, 8193, 16383, 16385, 20479, 20481, 24577,
                          131073, 262145, 524289, 1048577})
        counts.push_back(n);
    return counts;
}

TEST_P(FillCopyAtGuardPages, CopiesReadAndWriteOnlyTheirRanges)
{
    for (std::size_t count : countsToTry()) {
        for (bool srcAgainstEnd : {true, false}) {
            for (bool dstAgainstEnd : {true, false}) {
                GuardedRange src(count, srcAgainstEnd);
                GuardedRange dst(count, dstAgainstEnd);
                for (std::size_t i = 0; i < count; ++i)
                    src.begin[i] = patternByte(i, 11);
                for (Entry entry : {Entry::Bytes, Entry::Floats}) {
                    if (entry == Entry::Floats && count % 4 != 0)
                        continue;
                    std::memset(dst.begin, 0, count);
                    ASSERT_EQ(fillcopytest::copyThrough(entry, src.begin, dst.begin, count), dspOk);
                    ASSERT_EQ(std::memcmp(src.begin, dst.begin, count), 0)
                        << count << " bytes, source " << (srcAgainstEnd ? "ending" : "starting")
                        << " at a guard page, destination " << (dstAgainstEnd ? "ending" : "starting");
                }
            }
        }
    }
}

TEST_P(FillCopyAtGuardPages, ZerosWriteOnlyTheirRanges)
{
    for (std::size_t count : countsToTry()) {
        for (bool againstEnd : {true, false}) {
            GuardedRange dst(count, againstEnd);
            for (Entry entry : {Entry::Bytes, Entry::Floats}) {
                if (entry == Entry::Floats && count % 4 != 0)
                    continue;
                std::memset(dst.begin, 0xFF, count);
                ASSERT_EQ(fillcopytest::zeroThrough(entry, dst.begin, count), dspOk);
                const std::vector<Byte> zeros(count, 0);
                ASSERT_EQ(std::memcmp(dst.begin, zeros.data(), count), 0) << count;
            }
        }
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(FillCopyAtGuardPages);

TEST(PrefetchBlock, ReadsOnlyItsRangeAndChangesNothing)
{
    dspPrefetchBlock(nullptr, 0);
    dspPrefetchBlock(nullptr, -4096);
    for (std::size_t count : {1, 31, 32, 33, 4095, 4096, 4097, 8192, 12289}) {
        for (bool againstEnd : {true, false}) {
            GuardedRange range(count, againstEnd);
            for (std::size_t i = 0; i < count; ++i)
                range.begin[i] = patternByte(i, 12);
            dspPrefetchBlock(range.begin, static_cast<int>(count));
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(range.begin[i], patternByte(i, 12)) << count;
        }
    }
}

}  // namespace
