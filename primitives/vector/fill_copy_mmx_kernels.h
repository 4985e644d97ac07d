// The fill and copy kernels of class 1: 8-byte MMX moves, 16-byte SSE moves of
// whole registers (bit patterns pass unchanged), non-temporal 8-byte stores for
// long vectors, and the page-wise prefetch behind dspPrefetchBlock. Included
// inside the class-1 namespace.

namespace {

#include "primitives/vector/byte_moves.h"

constexpr std::size_t kPage = 4096;
constexpr std::size_t kLine = 32;

// Touching the first and last byte brings the page's translation in; the hints
// then fetch its lines without displacing the cached working set.
void prefetchPage(const Byte* p, std::size_t bytes)
{
    touch(p);
    touch(p + bytes - 1);
    for (std::size_t at = 0; at < bytes; at += kLine)
        _mm_prefetch(reinterpret_cast<const char*>(p + at), _MM_HINT_NTA);
}

// Below these byte counts the cached kernels serve; from there on the streaming ones.
constexpr std::size_t kZeroStreamFrom = 5120 * sizeof(float);
constexpr std::size_t kCopyStreamFrom = 2048 * sizeof(float);
constexpr std::size_t kCopyPagedFrom = 4096 * sizeof(float);
// The paged copy prefetches page by page only from this many bytes on.
constexpr std::size_t kPagedFrom = 20480;

// An MMX value at any address (GCC's __m64_u; clang 14 has no such name).
typedef __m64 UnalignedM64 __attribute__((__aligned__(1), __may_alias__));

inline __m64 load8(const Byte* p) { return *reinterpret_cast<const UnalignedM64*>(p); }
inline void store8(Byte* p, __m64 v) { *reinterpret_cast<UnalignedM64*>(p) = v; }
// The compiler would take _mm_stream_pi from a general register (movnti, an SSE2
// instruction); the constraint keeps the store on an MMX register.
inline void stream8(Byte* p, __m64 v)
{
    asm volatile("movntq %1, %0" : "=m"(*reinterpret_cast<UnalignedM64*>(p)) : "y"(v));
}
inline void move8(const Byte* s, Byte* d) { store8(d, load8(s)); }

inline void move16Unaligned(const Byte* s, Byte* d)
{
    _mm_storeu_ps(reinterpret_cast<float*>(d), _mm_loadu_ps(reinterpret_cast<const float*>(s)));
}

inline void move16Aligned(const Byte* s, Byte* d)
{
    _mm_store_ps(reinterpret_cast<float*>(d), _mm_load_ps(reinterpret_cast<const float*>(s)));
}

struct CachedStores {
    static constexpr std::size_t kShortBelow = 64;
    static constexpr bool kShortInSingleBytes = false;  // the tail's pieces instead
    static void store(Byte* p, __m64 v) { store8(p, v); }
    static void finish() {}
};

struct StreamingStores {
    static constexpr std::size_t kShortBelow = 8;
    static constexpr bool kShortInSingleBytes = true;
    static void store(Byte* p, __m64 v) { stream8(p, v); }
    static void finish() { _mm_sfence(); }
};

// Below 64 bytes: 32, 16 and 8-byte pieces of the store kind, then 4 and 1.
template <class Stores>
void zeroTail(Byte* d, std::size_t count, __m64 zero)
{
    for (std::size_t piece = 32; piece >= 8; piece /= 2) {
        if (count & piece) {
            for (std::size_t at = 0; at < piece; at += 8)
                Stores::store(d + at, zero);
            d += piece;
        }
    }
    zeroPiece<std::uint32_t>(d, count);
    for (std::size_t i = 0; i < (count & 3); ++i)
        d[i] = 0;
}

// dspZeroKernelMmx with cached stores, dspZeroKernelStream with streaming ones.
template <class Stores>
void zeroInEightByteUnits(Byte* d, std::size_t count)
{
    const __m64 zero = _mm_setzero_si64();
    if (count < Stores::kShortBelow) {
        if constexpr (Stores::kShortInSingleBytes) {
            for (std::size_t i = 0; i < count; ++i)
                d[i] = 0;
        } else {
            zeroTail<Stores>(d, count, zero);
        }
    } else {
        if (const std::size_t head = bytesToBoundary(d, 8)) {
            store8(d, zero);
            d += head;
            count -= head;
        }
        for (; count >= 64; count -= 64, d += 64)
            for (std::size_t at = 0; at < 64; at += 8)
                Stores::store(d + at, zero);
        zeroTail<Stores>(d, count, zero);
    }
    Stores::finish();
    _mm_empty();
}

// Below 64 bytes, ordinary moves: 16-byte steps of two 8-byte moves, then 8, 4, 2, 1.
void copyTail(const Byte* s, Byte* d, std::size_t count)
{
    for (; count >= 16; advance(s, d, count, 16)) {
        move8(s, d);
        move8(s + 8, d + 8);
    }
    if (count & 8) {
        move8(s, d);
        s += 8;
        d += 8;
    }
    movePiece<std::uint32_t>(s, d, count);
    movePiece<std::uint16_t>(s, d, count);
    movePiece<Byte>(s, d, count);
}

// The destination goes to 16 bytes, then the source to the widest boundary its
// offset allows, so that the bulk loads never split a quadword.
void dspCopyKernelSmall(const Byte* s, Byte* d, std::size_t count)
{
    if (count >= 64 && misalignment(d, 16) != 0) {
        move16Unaligned(s, d);
        advance(s, d, count, bytesToBoundary(d, 16));
    }
    if (count >= 64) {
        const std::size_t sourceOffset = misalignment(s, 16);
        if (sourceOffset % 4 != 0) {
            move8(s, d);
            advance(s, d, count, 8 - misalignment(s, 8));
            for (; count >= 64; advance(s, d, count, 64))
                for (std::size_t at = 0; at < 64; at += 8)
                    move8(s + at, d + at);
        } else if (sourceOffset % 8 == 4) {
            for (; count >= 64; advance(s, d, count, 64)) {
                for (std::size_t at = 0; at < 64; at += 16) {
                    moveWord<std::uint32_t>(s + at, d + at);
                    move8(s + at + 4, d + at + 4);
                    moveWord<std::uint32_t>(s + at + 12, d + at + 12);
                }
            }
        } else if (sourceOffset == 8) {
            for (; count >= 64; advance(s, d, count, 64))
                for (std::size_t at = 0; at < 64; at += 8)
                    move8(s + at, d + at);
        } else {
            for (; count >= 64; advance(s, d, count, 64))
                for (std::size_t at = 0; at < 64; at += 16)
                    move16Aligned(s + at, d + at);
        }
    }
    copyTail(s, d, count);
    _mm_empty();
}

void dspCopyKernelStream(const Byte* s, Byte* d, std::size_t count)
{
    if (count >= 64 && misalignment(d, 16) != 0) {
        move16Unaligned(s, d);
        advance(s, d, count, bytesToBoundary(d, 16));
    }
    if (count >= 64 && misalignment(s, 8) != 0) {
        move16Unaligned(s, d);
        advance(s, d, count, bytesToBoundary(s, 16));
    }
    for (; count >= 64; advance(s, d, count, 64))
        for (std::size_t at = 0; at < 64; at += 8)
            stream8(d + at, load8(s + at));
    copyTail(s, d, count);
    _mm_sfence();
    _mm_empty();
}

// Streams the source page by page, each page prefetched before it is copied.
void dspCopyKernelPaged(const Byte* s, Byte* d, std::size_t count)
{
    for (; count > 0 && misalignment(d, 8) != 0; --count)
        *d++ = *s++;
    if (count >= kPagedFrom) {
        // To the next page of the source, give or take its offset within 8 bytes.
        const std::size_t head = (kPage - (misalignment(s, kPage) & ~std::size_t{7})) % kPage;
        if (head > 0) {
            dspCopyKernelStream(s, d, head);
            advance(s, d, count, head);
        }
        for (; count >= kPage; advance(s, d, count, kPage)) {
            prefetchBlock(s, kPage);
            dspCopyKernelStream(s, d, kPage);
        }
    }
    if (count > 0)
        dspCopyKernelStream(s, d, count);
}

void zeroKernel(void* dst, std::size_t bytes)
{
    if (bytes < kZeroStreamFrom)
        zeroInEightByteUnits<CachedStores>(static_cast<Byte*>(dst), bytes);
    else
        zeroInEightByteUnits<StreamingStores>(static_cast<Byte*>(dst), bytes);
}

void copyKernel(const void* src, void* dst, std::size_t bytes)
{
    const Byte* s = static_cast<const Byte*>(src);
    Byte* d = static_cast<Byte*>(dst);
    if (bytes < kCopyStreamFrom)
        dspCopyKernelSmall(s, d, bytes);
    else if (bytes < kCopyPagedFrom)
        dspCopyKernelStream(s, d, bytes);
    else
        dspCopyKernelPaged(s, d, bytes);
}

}  // namespace

void prefetchBlock(const void* p, std::size_t bytes)
{
    const Byte* b = static_cast<const Byte*>(p);
    for (; bytes > kPage; bytes -= kPage, b += kPage)
        prefetchPage(b, kPage);
    if (bytes > 0)
        prefetchPage(b, bytes);
}
