#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/vector/fill_copy.h"

// Shared by the fill and copy tests: buffers with room around a window at any
// offset, a byte pattern, and checks against a byte-by-byte reference.
namespace fillcopytest {

using Byte = unsigned char;

// Which entry a check goes through: the float entries take bytes / 4 floats.
enum class Entry { Floats, Bytes };

inline const char* entryName(Entry entry) { return entry == Entry::Floats ? "dspCopy/dspZero" : "bytes"; }

// Bytes that change from one position to the next, differently for each seed.
inline Byte patternByte(std::size_t i, std::uint32_t seed)
{
    std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u + seed * 40503u + 1u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return static_cast<Byte>(x >> 24);
}

constexpr std::size_t kMargin = 64;  // canary bytes checked on either side of a window

// A block in which windows of up to `capacity` bytes start at any offset below
// 64 from a 64-byte boundary, with kMargin bytes of the block on either side.
class Arena {
public:
    Arena(std::size_t capacity, std::uint32_t seed) : storage(capacity + 4 * kMargin), seed(seed)
    {
        for (std::size_t i = 0; i < storage.size(); ++i)
            storage[i] = patternByte(i, seed);
        const auto raw = reinterpret_cast<std::uintptr_t>(storage.data());
        base = storage.data() + ((64 - raw % 64) % 64) + kMargin;
    }

    Byte* at(std::size_t offset) { return base + offset; }

    // Puts the block's own pattern back in the margins around [p, p + bytes).
    void restoreMargins(Byte* p, std::size_t bytes)
    {
        for (Byte* m : {p - kMargin, p + bytes})
            for (std::size_t i = 0; i < kMargin; ++i)
                m[i] = patternByte(static_cast<std::size_t>(m + i - storage.data()), seed);
    }

    bool marginsIntact(const Byte* p, std::size_t bytes) const
    {
        for (const Byte* m : {p - kMargin, p + bytes})
            for (std::size_t i = 0; i < kMargin; ++i)
                if (m[i] != patternByte(static_cast<std::size_t>(m + i - storage.data()), seed))
                    return false;
        return true;
    }

private:
    std::vector<Byte> storage;
    std::uint32_t seed;
    Byte* base = nullptr;
};

inline int copyThrough(Entry entry, const Byte* src, Byte* dst, std::size_t bytes)
{
    if (entry == Entry::Floats)
        return dspCopy(reinterpret_cast<const float*>(src), reinterpret_cast<float*>(dst),
                       static_cast<int>(bytes / 4));
    return dspCopyBytes(src, dst, static_cast<int>(bytes));
}

inline int zeroThrough(Entry entry, Byte* dst, std::size_t bytes)
{
    if (entry == Entry::Floats)
        return dspZero(reinterpret_cast<float*>(dst), static_cast<int>(bytes / 4));
    return dspZeroBytes(dst, static_cast<int>(bytes));
}

// Copies `bytes` from src at srcOffset into dst at dstOffset, whose window first
// holds the complement of the source (every byte must change), and checks the
// window against the source and the margins around it.
inline testing::AssertionResult copiesExactly(Entry entry, Arena& src, std::size_t srcOffset, Arena& dst,
                                              std::size_t dstOffset, std::size_t bytes)
{
    const Byte* from = src.at(srcOffset);
    Byte* to = dst.at(dstOffset);
    dst.restoreMargins(to, bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        to[i] = static_cast<Byte>(~from[i]);
    const int status = copyThrough(entry, from, to, bytes);
    const auto failure = [&](const char* what) {
        return testing::AssertionFailure() << what << " copying " << bytes << " bytes through " << entryName(entry)
                                           << " from offset " << srcOffset << " to offset " << dstOffset;
    };
    if (status != dspOk)
        return failure("status ") << status;
    if (std::memcmp(from, to, bytes) != 0)
        return failure("wrong bytes");
    if (!dst.marginsIntact(to, bytes))
        return failure("bytes outside the destination changed");
    return testing::AssertionSuccess();
}

// Zeros `bytes` at dstOffset of a window that first holds all ones, and checks it and its margins.
inline testing::AssertionResult zerosExactly(Entry entry, Arena& dst, std::size_t dstOffset, std::size_t bytes)
{
    Byte* to = dst.at(dstOffset);
    dst.restoreMargins(to, bytes);
    std::memset(to, 0xFF, bytes);
    const int status = zeroThrough(entry, to, bytes);
    const auto failure = [&](const char* what) {
        return testing::AssertionFailure() << what << " zeroing " << bytes << " bytes through " << entryName(entry)
                                           << " at offset " << dstOffset;
    };
    if (status != dspOk)
        return failure("status ") << status;
    for (std::size_t i = 0; i < bytes; ++i)
        if (to[i] != 0)
            return failure("byte left non-zero") << " (byte " << i << ")";
    if (!dst.marginsIntact(to, bytes))
        return failure("bytes outside the destination changed");
    return testing::AssertionSuccess();
}

}  // namespace fillcopytest
