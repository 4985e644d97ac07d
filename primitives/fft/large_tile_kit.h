// The kit of classes 2 to 5 for the large transform (large_driver.h): splits
// only, rows by the class's in-cache passes, columns in tiles gathered into the
// work area and transformed there by radix-4 (and a last radix-2) passes whose
// factors fold in the step twist, and, from the plan's threshold, a bit
// reversal that moves 64 x 64-point tiles. Points stay in blocks of four (four
// real parts, then four imaginary parts) between steps; a tile keeps four
// adjacent columns per block. Included inside the class namespace after
// large_driver.h, vector_lanes.h and the declarations of the class's bit
// reversal, passes and copyBytes. The kernels use SSE instructions only.

namespace large_fft {

using vector_fft::isAligned16;
using vector_fft::Split4;

// destination[r cols + c] = source[r stride + c] for r < rows, c < cols (points,
// bits unchanged). cols a multiple of 8; destination 16-byte aligned; source
// of any float alignment.
inline void gatherRows(const float* source, float* destination, int stride, int rows, int cols)
{
    for (int r = 0; r < rows; ++r) {
        const float* from = source + std::ptrdiff_t{2} * r * stride;
        float* to = destination + 2 * r * cols;
        for (int f = 0; f < 2 * cols; f += 16) {
            const __m128 a = _mm_loadu_ps(from + f), b = _mm_loadu_ps(from + f + 4);
            const __m128 c = _mm_loadu_ps(from + f + 8), d = _mm_loadu_ps(from + f + 12);
            _mm_store_ps(to + f, a);
            _mm_store_ps(to + f + 4, b);
            _mm_store_ps(to + f + 8, c);
            _mm_store_ps(to + f + 12, d);
        }
    }
}

// destination[r stride + c] = source[r cols + c]. Mode 1 turns each block of
// four points into four interleaved points on the way; any other mode copies
// bits unchanged. cols a multiple of 8; source 16-byte aligned; destination of
// any float alignment.
inline void scatterRows(float* destination, const float* source, int stride, int rows, int cols, int mode)
{
    for (int r = 0; r < rows; ++r) {
        const float* from = source + 2 * r * cols;
        float* to = destination + std::ptrdiff_t{2} * r * stride;
        for (int f = 0; f < 2 * cols; f += 8) {
            const __m128 re = _mm_load_ps(from + f), im = _mm_load_ps(from + f + 4);
            if (mode == 1) {
                _mm_storeu_ps(to + f, _mm_unpacklo_ps(re, im));
                _mm_storeu_ps(to + f + 4, _mm_unpackhi_ps(re, im));
            } else {
                _mm_storeu_ps(to + f, re);
                _mm_storeu_ps(to + f + 4, im);
            }
        }
    }
}

// Two points of a 16-byte-aligned array.
inline __m128 loadPair(const float* data, int point) { return _mm_load_ps(data + 2 * point); }
inline void storePair(float* data, int point, __m128 v) { _mm_store_ps(data + 2 * point, v); }

inline void moveValue(float* dst, const float* src) { __builtin_memcpy(dst, src, 8); }

// The n points of data in place into the order of their bit-reversed index,
// from a pair table for n (pairs (4i, 4j), a 0, the self-mapped 4i, a 0; entry e
// names the even point e/2). Point x = t n/2 + 2i + l goes to l n/2 + 2 rev(i) + t,
// so each entry moves the points p, p + 1, p + n/2, p + n/2 + 1 at once. n < 4
// does nothing. Two point pairs per 16-byte access when data is 16-byte
// aligned, single points otherwise; the result is the same.
inline void bitReverseBlock(float* data, int n, const std::int32_t* pairTable)
{
    if (n < 4)
        return;
    const int half = n / 2;
    const std::int32_t* entry = pairTable;
    if (isAligned16(data)) {
        for (; entry[0] > 0; entry += 2) {
            const int p = entry[0] / 2, q = entry[1] / 2;
            const __m128 a = loadPair(data, p), b = loadPair(data, p + half);
            const __m128 c = loadPair(data, q), d = loadPair(data, q + half);
            storePair(data, p, _mm_movelh_ps(c, d));
            storePair(data, p + half, _mm_movehl_ps(d, c));
            storePair(data, q, _mm_movelh_ps(a, b));
            storePair(data, q + half, _mm_movehl_ps(b, a));
        }
        int p = 0;  // the 0 that ends the pairs stands for point 0, then the self-mapped entries follow
        do {
            const __m128 a = loadPair(data, p), b = loadPair(data, p + half);
            storePair(data, p, _mm_movelh_ps(a, b));
            storePair(data, p + half, _mm_movehl_ps(b, a));
            p = *++entry / 2;
        } while (p > 0);
        return;
    }
    float held[8];
    const auto swapPoints = [data, &held](int x, int y) {
        moveValue(held, data + 2 * x);
        moveValue(data + 2 * x, data + 2 * y);
        moveValue(data + 2 * y, held);
    };
    for (; entry[0] > 0; entry += 2) {
        const int p = entry[0] / 2, q = entry[1] / 2;
        swapPoints(p, q);
        swapPoints(p + 1, q + half);
        swapPoints(p + half, q + 1);
        swapPoints(p + half + 1, q + half + 1);
    }
    int p = 0;
    do {
        swapPoints(p + 1, p + half);
        p = *++entry / 2;
    } while (p > 0);
}

// One radix-4 pass over `groups` groups of four quarters of m points (blocks
// of four). Lane j of a group combines the points j, j + m, j + 2m, j + 3m,
// whose quarters hold the sub-transforms of the residues 0, 2, 1, 3: the second
// takes T2, the third T1, the fourth T3 of the lane's triple. Each four lanes
// read one record of 24 floats (cos and -sin of T1, T2, T3), the same records
// for every group; the inverse conjugates them. m a multiple of 4; all arrays
// 16-byte aligned; in may be out.
template <FftDirection D>
void radix4ColumnPass(const float* in, float* out, int m, int groups, const float* twiddles)
{
    const int quarter = 2 * m;
    for (int g = 0; g < groups; ++g) {
        const float* x = in + 4 * quarter * g;
        float* y = out + 4 * quarter * g;
        const float* record = twiddles;
        for (int j = 0; j < quarter; j += 8, record += 24) {
            Split4 a = vector_fft::loadBlock(x + j);
            Split4 b = vector_fft::twiddleFromTable<D>(vector_fft::loadBlock(x + j + quarter), record + 8);
            Split4 c = vector_fft::twiddleFromTable<D>(vector_fft::loadBlock(x + j + 2 * quarter), record);
            Split4 d = vector_fft::twiddleFromTable<D>(vector_fft::loadBlock(x + j + 3 * quarter), record + 16);
            vector_fft::radix4<D>(a, b, c, d);
            vector_fft::storeBlock(y + j, a);
            vector_fft::storeBlock(y + j + quarter, b);
            vector_fft::storeBlock(y + j + 2 * quarter, c);
            vector_fft::storeBlock(y + j + 3 * quarter, d);
        }
    }
}

// One radix-2 pass over `groups` groups of two halves of m points: lane j
// takes b' = x[j + m] T[j], (x[j], x[j + m]) -> (x[j] + b', x[j] - b'); each
// four lanes read 8 floats (cos and -sin). As the radix-4 pass otherwise.
template <FftDirection D>
void radix2ColumnPass(const float* in, float* out, int m, int groups, const float* twiddles)
{
    const int halfFloats = 2 * m;
    for (int g = 0; g < groups; ++g) {
        const float* x = in + 2 * halfFloats * g;
        float* y = out + 2 * halfFloats * g;
        for (int j = 0; j < halfFloats; j += 8) {
            Split4 a = vector_fft::loadBlock(x + j);
            Split4 b = vector_fft::twiddleFromTable<D>(vector_fft::loadBlock(x + j + halfFloats), twiddles + j);
            vector_fft::radix2(a, b);
            vector_fft::storeBlock(y + j, a);
            vector_fft::storeBlock(y + j + halfFloats, b);
        }
    }
}

template <bool Forward>
struct TileKit {
    static constexpr bool kForward = Forward;
    static constexpr bool kHasBlockPath = false;
    static constexpr FftDirection D = Forward ? FftDirection::Forward : FftDirection::Inverse;
    static constexpr int kTileSide = 64;
    static constexpr int kTilePoints = kTileSide * kTileSide;

    // In place below the plan's threshold (the class's reversal by its index
    // list); from there by tiles: view the points as 64 rows of H/64, tile i the
    // 64 x 64 points from column 64 i. Point (row u, column 64 i + v) belongs at
    // (row rev6(v), column 64 rev(i) + rev6(u)), which inside a tile is the
    // 12-bit reversal of 64 u + v: each tile is reversed and goes to its
    // partner's place. Out of place the source is copied first, or, for the
    // plan's range of sizes, each tile is gathered straight from it.
    static void bitReverse(const LargeCall& call, const float* src, float* dst, int h)
    {
        const int points = 1 << h;
        const std::int32_t* table = wordTableOf(call.spec, call.spec->bitReverseTable);
        const bool gatherFromSource = src != dst && h >= call.plan.sourceGatherFrom && h <= call.plan.sourceGatherTo;
        if (src != dst && !gatherFromSource)
            copyBytes(src, dst, 8 * points);  // its status is always dspOk here
        if (h < call.plan.tileReverseFrom) {
            bitReverseInPlace(dst, points, table);
            return;
        }
        const int tiles = points / kTilePoints;
        const int stride = points / kTileSide;
        const std::int32_t* tilePairs = table + tiles;
        float* const first = call.work;
        float* const second = call.work + 2 * kTilePoints;
        for (int i = 0; i < tiles; ++i) {
            const int own = kTileSide * i, partner = table[i];
            if (gatherFromSource) {
                reversedTile(src + 2 * partner, first, stride, tilePairs);
                scatterRows(dst + 2 * own, first, stride, kTileSide, kTileSide, 0);
            } else if (own < partner) {
                reversedTile(dst + 2 * own, first, stride, tilePairs);
                reversedTile(dst + 2 * partner, second, stride, tilePairs);
                scatterRows(dst + 2 * partner, first, stride, kTileSide, kTileSide, 0);
                scatterRows(dst + 2 * own, second, stride, kTileSide, kTileSide, 0);
            } else if (own == partner) {
                reversedTile(dst + 2 * own, first, stride, tilePairs);
                scatterRows(dst + 2 * own, first, stride, kTileSide, kTileSide, 0);
            }  // own > partner: exchanged at tile partner / 64
        }
    }

    static void reversedTile(const float* from, float* tile, int stride, const std::int32_t* tilePairs)
    {
        gatherRows(from, tile, stride, kTileSide, kTileSide);
        bitReverseBlock(tile, kTilePoints, tilePairs);
    }

    // Blocks of four out; the work area serves the passes when the row is not 16-byte aligned.
    static void inCache(const LargeCall& call, float* data, int q)
    {
        const float* twiddles = call.table(call.spec->twiddles);
        if (Forward)
            complexFftPasses(data, 1 << q, twiddles, call.work, 0);
        else
            complexIfftPasses(data, 1 << q, twiddles, call.work, 0);
    }

    // Tiles of 2^(b - s) adjacent columns: gathered into the work area, the s
    // column stages (floor(s/2) radix-4 passes, a radix-2 pass when s is odd)
    // with factors read on from the level's step table, scattered back (as
    // interleaved points at depth 0).
    static void columns(const LargeCall& call, float* data, int h, int s, int depth)
    {
        const int rows = 1 << s;
        const int rowPoints = 1 << (h - s);
        const int tileColumns = 1 << (call.plan.batch[h - dsp::fft::kSplitTableFirstH] - s);
        const float* factors = call.table(call.spec->stepTwiddles[depth]);
        float* const tile = call.work;
        for (int c = 0; c < rowPoints; c += tileColumns) {
            gatherRows(data + 2 * c, tile, rowPoints, rows, tileColumns);
            int m = tileColumns;
            int groups = rows / 4;
            for (int pass = 0; pass < s / 2; ++pass, m *= 4, groups /= 4) {
                radix4ColumnPass<D>(tile, tile, m, groups, factors);
                factors += 6 * m;
            }
            if (s % 2 == 1) {
                radix2ColumnPass<D>(tile, tile, m, 1, factors);
                factors += 2 * m;
            }
            scatterRows(data + 2 * c, tile, rowPoints, rows, tileColumns, depth == 0 ? 1 : 0);
        }
    }
};

}  // namespace large_fft

// The kit that the class's large bodies (large_class_bodies.h) run.
template <bool Forward>
using LargeKit = large_fft::TileKit<Forward>;
