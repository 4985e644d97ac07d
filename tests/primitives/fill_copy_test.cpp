#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/largest_cache.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy.h"
#include "tests/primitives/fill_copy_test_support.h"
#include "tests/support/cpu_class.h"

namespace {

using namespace fillcopytest;

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

class FillCopy : public dsptest::EveryCpuClass {
protected:
    void TearDown() override
    {
        dspSetLargestCacheSize(kCacheSizeUnread);
        EveryCpuClass::TearDown();
    }
};

TEST_P(FillCopy, NullPointersAreReportedBeforeLengthsAndErrorsWriteNothing)
{
    float data[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    const float before[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    float source[4] = {5.0f, 6.0f, 7.0f, 8.0f};
    for (int len : {INT_MIN, -1, 0, 1, 4}) {
        EXPECT_EQ(dspZero(nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspCopy(nullptr, data, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspCopy(source, nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspCopy(nullptr, nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspZeroBytes(nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspCopyBytes(nullptr, data, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspCopyBytes(source, nullptr, len), dspErrNullPointer) << len;
    }
    for (int len : {INT_MIN, -1, 0}) {
        EXPECT_EQ(dspZero(data, len), dspErrLength) << len;
        EXPECT_EQ(dspCopy(source, data, len), dspErrLength) << len;
        EXPECT_EQ(dspZeroBytes(data, len), dspErrLength) << len;
        EXPECT_EQ(dspCopyBytes(source, data, len), dspErrLength) << len;
    }
    EXPECT_EQ(std::memcmp(data, before, sizeof data), 0);

    EXPECT_EQ(dspCopy(source, data, 1), dspOk);
    EXPECT_EQ(dspZero(data + 1, 1), dspOk);
    EXPECT_EQ(dspCopyBytes(source + 2, data + 2, 1), dspOk);
    EXPECT_EQ(dspZeroBytes(data + 3, 1), dspOk);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    EXPECT_EQ(data[0], 5.0f);
    EXPECT_EQ(data[1], 0.0f);
    EXPECT_EQ(std::memcmp(bytes + 8, reinterpret_cast<const unsigned char*>(source) + 8, 1), 0);
    EXPECT_EQ(std::memcmp(bytes + 9, reinterpret_cast<const unsigned char*>(before) + 9, 3), 0);
    EXPECT_EQ(bytes[12], 0);
    EXPECT_EQ(std::memcmp(bytes + 13, reinterpret_cast<const unsigned char*>(before) + 13, 3), 0);
}

TEST_P(FillCopy, SignedZerosInfinitiesAndNanPayloadsAreCopiedBitForBit)
{
    const std::uint32_t patterns[] = {0x80000000u, 0x7F800000u, 0xFF800000u, 0x7F800001u, 0x7FBFFFFFu,
                                      0xFFC12345u, 0x7FC00000u, 0x00000001u, 0x807FFFFFu, 0xFFFFFFFFu};
    constexpr int kCount = sizeof patterns / sizeof patterns[0];
    alignas(16) float source[kCount + 1];
    alignas(16) float target[kCount + 1];
    for (int shift : {0, 1}) {
        std::memcpy(source + shift, patterns, sizeof patterns);
        std::memset(target, 0x55, sizeof target);
        ASSERT_EQ(dspCopy(source + shift, target + 1 - shift, kCount), dspOk);
        EXPECT_EQ(std::memcmp(target + 1 - shift, patterns, sizeof patterns), 0);
        ASSERT_EQ(dspZero(target + 1 - shift, kCount), dspOk);
        const std::uint32_t positiveZeros[kCount] = {};
        EXPECT_EQ(std::memcmp(target + 1 - shift, positiveZeros, sizeof positiveZeros), 0);
    }
}

// Every float length to 200 at every 4-byte offset of source and destination in a
// 64-byte line: the short copies, the heads and the tails of every kernel.
TEST_P(FillCopy, ShortFloatVectorsAreExactAtEveryOffsetAndTouchNothingAround)
{
    Arena source(1024, 1);
    Arena target(1024, 2);
    for (std::size_t srcOffset = 0; srcOffset < 64; srcOffset += 4)
        for (std::size_t dstOffset = 0; dstOffset < 64; dstOffset += 4)
            for (std::size_t len = 1; len <= 200; ++len)
                ASSERT_TRUE(copiesExactly(Entry::Floats, source, srcOffset, target, dstOffset, 4 * len));
    for (std::size_t dstOffset = 0; dstOffset < 64; dstOffset += 4)
        for (std::size_t len = 1; len <= 200; ++len)
            ASSERT_TRUE(zerosExactly(Entry::Floats, target, dstOffset, 4 * len));
}

TEST_P(FillCopy, ShortByteRangesAreExactAtEveryOffsetAndTouchNothingAround)
{
    Arena source(1024, 3);
    Arena target(1024, 4);
    for (std::size_t srcOffset = 0; srcOffset < 16; ++srcOffset)
        for (std::size_t dstOffset = 0; dstOffset < 16; ++dstOffset)
            for (std::size_t bytes = 1; bytes <= 300; ++bytes)
                ASSERT_TRUE(copiesExactly(Entry::Bytes, source, srcOffset, target, dstOffset, bytes));
    for (std::size_t dstOffset = 0; dstOffset < 64; ++dstOffset)
        for (std::size_t bytes = 1; bytes <= 300; ++bytes)
            ASSERT_TRUE(zerosExactly(Entry::Bytes, target, dstOffset, bytes));
}

// Byte counts around a threshold, as seen at entry and after the 16-byte head
// (the wide kernels compare the count that is left) or the 8-byte head (class 1's paged copy).
std::set<std::size_t> countsAround(std::size_t threshold, std::size_t dstOffset)
{
    std::set<std::size_t> counts;
    const std::size_t heads[] = {0, (16 - dstOffset % 16) % 16, (8 - dstOffset % 8) % 8};
    for (std::size_t head : heads)
        for (std::size_t count : {threshold + head - 1, threshold + head, threshold + head + 1})
            counts.insert(count);
    return counts;
}

struct Thresholds {
    std::int64_t cacheSize;
    std::vector<std::size_t> bytes;
};

// The class 1 switches (8 KiB, 16 KiB, 20 KiB), the wide kernels' short copy,
// class 3's downward copies, the non-temporal minimums (128 KiB, 512 KiB,
// 1 MiB), the 256 KiB read-ahead chunk, and half and all of a 3 MiB cache.
const Thresholds kThresholds[] = {
    {256 * KiB, {64, 512, 8 * KiB, 16 * KiB, 20 * KiB, 128 * KiB, 256 * KiB, 512 * KiB, 1 * MiB}},
    {3 * MiB, {1536 * KiB, 3 * MiB}},
};

TEST_P(FillCopy, CountsAcrossEveryThresholdMatchTheReference)
{
    const std::pair<std::size_t, std::size_t> offsetPairs[] = {{0, 0}, {4, 0}, {8, 0}, {12, 0}, {3, 0},
                                                               {0, 4}, {0, 9}, {5, 9}, {12, 12}, {1, 15}};
    Arena source(3 * MiB + 64, 5);
    Arena target(3 * MiB + 64, 6);
    for (const Thresholds& set : kThresholds) {
        dspSetLargestCacheSize(set.cacheSize);
        for (std::size_t threshold : set.bytes) {
            for (auto [srcOffset, dstOffset] : offsetPairs) {
                for (std::size_t count : countsAround(threshold, dstOffset)) {
                    const Entry entry = srcOffset % 4 == 0 && dstOffset % 4 == 0 && count % 4 == 0
                                            ? Entry::Floats
                                            : Entry::Bytes;
                    ASSERT_TRUE(copiesExactly(entry, source, srcOffset, target, dstOffset, count))
                        << "cache " << set.cacheSize;
                    ASSERT_TRUE(zerosExactly(entry, target, dstOffset, count)) << "cache " << set.cacheSize;
                }
            }
        }
    }
}

TEST_P(FillCopy, CopyingARangeOntoItselfLeavesItAsItWas)
{
    dspSetLargestCacheSize(256 * KiB);
    std::vector<Byte> data(2 * MiB + 64);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = patternByte(i, 7);
    const std::vector<Byte> before = data;
    for (std::size_t offset : {0, 4, 5, 8}) {
        for (std::size_t count : {1, 3, 63, 64, 65, 511, 513, 4099, 8193, 20483, 262147, 1048579, 2097152}) {
            Byte* p = data.data() + offset;
            ASSERT_EQ(dspCopyBytes(p, p, static_cast<int>(count)), dspOk);
            ASSERT_EQ(data, before) << count << " bytes at offset " << offset;
        }
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(FillCopy);

}  // namespace
