#pragma once

// The in-cache complex FFT of the vector classes: first passes that read the
// interleaved input (already bit-reversed, or gathered from the bit-reversed
// positions through the index list), radix-4 passes in the split-block layout,
// and a last pass that writes the output. Included inside a class namespace
// after vector_lanes.h; every routine is a template on the class's plan and the
// direction.
//
// Working array: 2H floats, 16-byte aligned, block b (points 4b..4b+3) at
// floats 8b..8b+7 as four real parts then four imaginary parts.
//
// Twiddle sections follow one another in pass order: a radix-4 pass over
// groups of G points reads G/16 records of 24 floats (cos and -sin of w^j,
// w^2j, w^3j for four j), a radix-2 pass G/8 records of 8 floats.

namespace vector_fft {

constexpr int kRadix4RecordFloats = 24;
constexpr int kRadix2RecordFloats = 8;

// cos and -sin of 2 pi j / 8, j = 0..3: the factors of the 8-point first pass.
// sqrt(1/2) is the float one unit above the nearest, as the tables' own value.
inline __m128 eighthCos() { return _mm_set_ps(-0.70710683f, 0.0f, 0.70710683f, 1.0f); }
inline __m128 eighthMinusSin() { return _mm_set_ps(-0.70710683f, -1.0f, -0.70710683f, 0.0f); }

// Points of a stretch of the working array that stays in the first-level cache.
constexpr int kCachedPoints = 2048;

// For a power of two: is its one set bit at an odd position?
inline bool oddLog2(int H) { return (static_cast<unsigned>(H) & 0xAAAAAAAAu) != 0; }

// ---- Sources of the first pass: two quartets of the bit-reversed sequence at a time.
// Lanes 0-1 of y[e] hold member e of the first quartet, lanes 2-3 of the second.

// The data is already in bit-reversed order; quartets q and q + 1.
struct ConsecutiveQuartets {
    const float* x;
    void load(int q, Pair2 y[4]) const
    {
        const float* p = x + 8 * q;
        for (int e = 0; e < 4; ++e)
            y[e] = loadPoints(p + 2 * e, p + 8 + 2 * e);
    }
};

// Natural-order data; quartets q and q + 1, each point loaded by itself.
// Quartet q is x[r], x[r + H/2], x[r + H/4], x[r + 3H/4] with r = rev(q) = word q / 2.
struct PointGather {
    const float* x;
    const int* indexList;
    int H;
    void load(int q, Pair2 y[4]) const
    {
        const float* p = x + indexList[q];
        const float* s = x + indexList[q + 1];
        const int offsets[4] = {0, H, H / 2, 3 * H / 2};
        for (int e = 0; e < 4; ++e)
            y[e] = loadPoints(p + offsets[e], s + offsets[e]);
    }
};

// Natural-order data; quartets n and n + H/8 (n < H/8), whose points are
// neighbours: rev(n + H/8) = rev(n) + 1, and word 2n of the list is rev(n).
struct PairGather {
    const float* x;
    const int* indexList;
    int H;
    void load(int n, Pair2 y[4]) const
    {
        const float* p = x + 2 * indexList[2 * n];
        y[0] = {_mm_loadu_ps(p)};
        y[1] = {_mm_loadu_ps(p + H)};
        y[2] = {_mm_loadu_ps(p + H / 2)};
        y[3] = {_mm_loadu_ps(p + 3 * H / 2)};
    }
};

// The span-1 butterflies of two quartets, turned into two split blocks.
template <FftDirection D, typename Source>
inline void firstButterflies(const Source& source, int q, Split4& m, Split4& n)
{
    Pair2 y[4];
    source.load(q, y);
    radix4<D>(y[0], y[1], y[2], y[3]);
    quartetsToBlocks(y[0], y[1], y[2], y[3], m, n);
}

// Radix-4 butterflies of four blocks that lie `stride` floats apart, with one record.
template <FftDirection D>
inline void radix4Blocks(Split4& a, Split4& b, Split4& c, Split4& d, const float* record)
{
    b = twiddleFromTable<D>(b, record + 8);
    c = twiddleFromTable<D>(c, record);
    d = twiddleFromTable<D>(d, record + 16);
    radix4<D>(a, b, c, d);
}

// The 8-point radix-2 butterflies: (a, b) -> (a + f b, a - f b), f = e^(-+2 pi i j / 8).
template <FftDirection D>
inline void radix2Eighth(Split4& a, Split4& b)
{
    b = twiddle<D>(b, eighthCos(), eighthMinusSin());
    radix2(a, b);
}

// ---- First passes. Each writes whole groups of the working array.

// 16-point groups, blocks [firstBlock, endBlock): four quartets, then the
// radix-4 butterflies of span 4 with the first record.
template <FftDirection D, typename Source>
struct FirstPass16 {
    Source source;
    const float* record;
    static constexpr int kGroup = 16;
    static constexpr bool kByRange = true;
    void operator()(float* w, int firstBlock, int endBlock) const
    {
        for (int b = firstBlock; b < endBlock; b += 4) {
            Split4 x0, x1, x2, x3;
            firstButterflies<D>(source, b, x0, x1);
            firstButterflies<D>(source, b + 2, x2, x3);
            radix4Blocks<D>(x0, x1, x2, x3, record);
            float* p = w + 8 * b;
            storeBlock(p, x0);
            storeBlock(p + 8, x1);
            storeBlock(p + 16, x2);
            storeBlock(p + 24, x3);
        }
    }
};

// 8-point groups: two quartets, then the radix-2 butterflies of span 4.
template <FftDirection D, typename Source>
struct FirstPass8 {
    Source source;
    static constexpr int kGroup = 8;
    static constexpr bool kByRange = true;
    void operator()(float* w, int firstBlock, int endBlock) const
    {
        for (int b = firstBlock; b < endBlock; b += 2) {
            Split4 x0, x1;
            firstButterflies<D>(source, b, x0, x1);
            radix2Eighth<D>(x0, x1);
            storeBlock(w + 8 * b, x0);
            storeBlock(w + 8 * b + 8, x1);
        }
    }
};

// Calls visit(n) for every even n < H/8: a pair-gather step takes quartets n
// and n + 1 (and their partners n + H/8, n + 1 + H/8), which write whole cache
// lines of the working array. Beyond the first-level cache the order matters:
// the n that differ only in their two top bits read the same cache lines of
// src (their points lie 2, 4 and 6 apart), so they run one after the other and
// every line is used in full while it is cached.
template <typename Visit>
inline void forEachPairGatherStep(int H, const Visit& visit)
{
    const int half = H / 8;
    if (H <= kCachedPoints) {
        for (int n = 0; n < half; n += 2)
            visit(n);
        return;
    }
    const int quarter = half / 4;  // the two top bits of n count in these
    for (int middle = 0; middle < quarter; middle += 2)
        for (int top = 0; top < half; top += quarter)
            visit(top + middle);
}

// 4-point groups from the pair gather: quartets n and n + H/8 to their blocks.
template <FftDirection D>
struct PairGatherPass4 {
    PairGather source;
    static constexpr int kGroup = 4;
    static constexpr bool kByRange = false;
    void operator()(float* w, int, int) const
    {
        const int half = source.H / 8;
        forEachPairGatherStep(source.H, [&](int n) {
            for (int q = n; q < n + 2; ++q) {
                Split4 m, k;
                firstButterflies<D>(source, q, m, k);
                storeBlock(w + 8 * q, m);
                storeBlock(w + 8 * (q + half), k);
            }
        });
    }
};

// 8-point groups from the pair gather: quartets n, n + 1 and n + H/8, n + 1 + H/8
// joined by the radix-2 butterflies of span 4.
template <FftDirection D>
struct PairGatherPass8 {
    PairGather source;
    static constexpr int kGroup = 8;
    static constexpr bool kByRange = false;
    void operator()(float* w, int, int) const
    {
        const int half = source.H / 8;
        forEachPairGatherStep(source.H, [&](int n) {
            Split4 a0, b0, a1, b1;
            firstButterflies<D>(source, n, a0, b0);
            firstButterflies<D>(source, n + 1, a1, b1);
            radix2Eighth<D>(a0, a1);
            radix2Eighth<D>(b0, b1);
            storeBlock(w + 8 * n, a0);
            storeBlock(w + 8 * n + 8, a1);
            storeBlock(w + 8 * (n + half), b0);
            storeBlock(w + 8 * (n + half) + 8, b1);
        });
    }
};

// ---- Radix-4 and radix-2 passes over the working array.

// One radix-4 pass over the groups of G points in `points` points of w; returns
// the section that follows.
template <FftDirection D>
const float* radix4Pass(float* w, int points, int G, const float* section)
{
    const int span = 2 * (G / 4);  // floats between the quarters of a group
    // Within a cached stretch each record is loaded once and serves the same
    // position of every group, so the factors stay in registers.
    const int stretch = 2 * (G > kCachedPoints ? G : kCachedPoints);
    for (float* begin = w; begin < w + 2 * points; begin += stretch) {
        float* const end = begin + (stretch < 2 * points ? stretch : 2 * points);
        const float* record = section;
        for (int j = 0; j < span; j += 8, record += kRadix4RecordFloats) {
            const __m128 w1r = _mm_load_ps(record), w1i = _mm_load_ps(record + 4);
            const __m128 w2r = _mm_load_ps(record + 8), w2i = _mm_load_ps(record + 12);
            const __m128 w3r = _mm_load_ps(record + 16), w3i = _mm_load_ps(record + 20);
            for (float* p = begin + j; p < end; p += 4 * span) {
                Split4 a = loadBlock(p), b = loadBlock(p + span), c = loadBlock(p + 2 * span),
                       d = loadBlock(p + 3 * span);
                b = twiddle<D>(b, w2r, w2i);
                c = twiddle<D>(c, w1r, w1i);
                d = twiddle<D>(d, w3r, w3i);
                radix4<D>(a, b, c, d);
                storeBlock(p, a);
                storeBlock(p + span, b);
                storeBlock(p + 2 * span, c);
                storeBlock(p + 3 * span, d);
            }
        }
    }
    return section + (G / 16) * kRadix4RecordFloats;
}

// A block to the output: interleaved points, or the split layout unchanged.
inline void storeOutput(float* p, Split4 x, bool interleave)
{
    if (interleave)
        storeInterleaved(p, x);
    else
        storeSplit(p, x);
}

// The radix-4 pass whose one group is the whole array, reading w and writing dst.
template <FftDirection D>
void radix4LastPass(const float* w, float* dst, int H, const float* section, bool interleave)
{
    const int span = H / 2;
    for (int j = 0; j < span; j += 8, section += kRadix4RecordFloats) {
        Split4 a = loadBlock(w + j), b = loadBlock(w + j + span), c = loadBlock(w + j + 2 * span),
               d = loadBlock(w + j + 3 * span);
        radix4Blocks<D>(a, b, c, d, section);
        storeOutput(dst + j, a, interleave);
        storeOutput(dst + j + span, b, interleave);
        storeOutput(dst + j + 2 * span, c, interleave);
        storeOutput(dst + j + 3 * span, d, interleave);
    }
}

// The radix-2 pass over the whole array (classes with a last radix-2 pass).
template <FftDirection D>
void radix2LastPass(const float* w, float* dst, int H, const float* section, bool interleave)
{
    const int span = H;
    for (int j = 0; j < span; j += 8, section += kRadix2RecordFloats) {
        Split4 a = loadBlock(w + j), b = loadBlock(w + j + span);
        b = twiddleFromTable<D>(b, section);
        radix2(a, b);
        storeOutput(dst + j, a, interleave);
        storeOutput(dst + j + span, b, interleave);
    }
}

// The radix-4 pass over the two halves (groups of H/2 points) and the radix-2
// pass that joins them, in one sweep: each step takes the same position of
// both halves through their radix-4 butterflies, then joins the four pairs of
// outputs. `section` holds the radix-4 records, then the radix-2 records.
template <FftDirection D>
void radix4Radix2LastPass(const float* w, float* dst, int H, const float* section, bool interleave)
{
    const int span = H / 4;  // floats between the quarters of a half
    const int half = H;      // floats between the halves
    const float* joinRecords = section + (H / 32) * kRadix4RecordFloats;
    for (int j = 0; j < span; j += 8, section += kRadix4RecordFloats) {
        Split4 x[4], y[4];
        for (int k = 0; k < 4; ++k) {
            x[k] = loadBlock(w + j + k * span);
            y[k] = loadBlock(w + j + k * span + half);
        }
        radix4Blocks<D>(x[0], x[1], x[2], x[3], section);
        radix4Blocks<D>(y[0], y[1], y[2], y[3], section);
        for (int k = 0; k < 4; ++k) {
            const int p = j + k * span;
            Split4 a = x[k], b = twiddleFromTable<D>(y[k], joinRecords + p);
            radix2(a, b);
            storeOutput(dst + p, a, interleave);
            storeOutput(dst + p + half, b, interleave);
        }
    }
}

// The working array to the output in a sweep of its own.
inline void convertBlocks(const float* w, float* dst, int H, bool interleave)
{
    if (!interleave && w == dst)
        return;
    for (int j = 0; j < 2 * H; j += 8)
        storeOutput(dst + j, loadBlock(w + j), interleave);
}

// ---- The pass plan.

// Runs the first pass and the passes after it. The first pass completes groups
// of First::kGroup points; the radix-4 passes follow with groups four times
// larger each time; the last pass, a radix-4 over all H points or (at odd log2 H
// in the classes that have one) a radix-2, writes dst. Early passes run block by
// block where the class has cache blocks.
template <const VectorFftPlan& P, FftDirection D, typename First>
void runPlan(const First& first, float* w, float* dst, int H, const float* twiddles, bool interleave)
{
    // The group size of the radix-4 pass that writes the output; at odd log2 H
    // in the classes with a last radix-2 pass it runs together with that pass.
    const bool radix2Last = P.radix2LastPass && oddLog2(H);
    const int lastRadix4 = radix2Last ? H / 2 : H;
    const float* section = twiddles + (First::kGroup == 16 ? kRadix4RecordFloats : 0);
    int G = 4 * First::kGroup;
    if (P.cacheBlockPoints != 0 && H > P.cacheBlockPoints) {
        const int B = P.cacheBlockPoints;
        if (!First::kByRange)
            first(w, 0, H / 4);
        const float* next = section;
        int g = G;
        for (int begin = 0; begin < H; begin += B) {
            if (First::kByRange)
                first(w, begin / 4, (begin + B) / 4);
            next = section;
            for (g = G; g <= 1024 && g < lastRadix4; g *= 4)
                next = radix4Pass<D>(w + 2 * begin, B, g, next);
        }
        section = next;
        G = g;
    } else {
        first(w, 0, H / 4);
    }
    if (!P.fusedLastPass) {
        for (; G <= H; G *= 4)
            section = radix4Pass<D>(w, H, G, section);
        convertBlocks(w, dst, H, interleave);
        return;
    }
    for (; G < lastRadix4; G *= 4)
        section = radix4Pass<D>(w, H, G, section);
    if (!radix2Last)
        radix4LastPass<D>(w, dst, H, section, interleave);
    else if (G == lastRadix4)
        radix4Radix2LastPass<D>(w, dst, H, section, interleave);
    else
        radix2LastPass<D>(w, dst, H, section, interleave);
}

// ---- Entries.

// The passes on data already in bit-reversed order (H >= 32; class 1 from 8).
// Works in data when it is 16-byte aligned, else in work (8H bytes).
template <const VectorFftPlan& P, FftDirection D>
void complexPasses(float* data, int H, const float* twiddles, float* work, int interleaveOutput)
{
    float* w = isAligned16(data) ? data : work;
    const ConsecutiveQuartets source{data};
    const bool interleave = interleaveOutput == 1;
    if (oddLog2(H) && !P.radix2LastPass)
        runPlan<P, D>(FirstPass8<D, ConsecutiveQuartets>{source}, w, data, H, twiddles, interleave);
    else
        runPlan<P, D>(FirstPass16<D, ConsecutiveQuartets>{source, twiddles}, w, data, H, twiddles, interleave);
}

// H = 8 and 16 in registers, from the natural order: no table walk and no work.
template <FftDirection D>
void smallInRegisters(const float* src, float* dst, int H, const float* twiddles)
{
    // Words 0 and 2 of the index lists of both sizes: rev(0) = 0, and at H = 16 rev(1) = 2.
    static const int kWords[4] = {0, 0, 2, 0};
    if (H == 8) {
        const PairGather source{src, kWords, 8};
        Split4 even, odd;
        firstButterflies<D>(source, 0, even, odd);
        radix2Eighth<D>(even, odd);
        storeInterleaved(dst, even);
        storeInterleaved(dst + 8, odd);
        return;
    }
    // H = 16: the pairs at points 0 and 2 give quartets 0, 2 and 1, 3.
    const PairGather source{src, kWords, 16};
    Split4 x0, x1, x2, x3;
    firstButterflies<D>(source, 0, x0, x2);
    firstButterflies<D>(source, 1, x1, x3);
    radix4Blocks<D>(x0, x1, x2, x3, twiddles);
    storeInterleaved(dst, x0);
    storeInterleaved(dst + 8, x1);
    storeInterleaved(dst + 16, x2);
    storeInterleaved(dst + 24, x3);
}

// Bit reversal and passes in one: the first pass gathers its quartets from the
// natural-order src through the index list. dst may be src; the working array
// is dst when it is another, 16-byte-aligned array, else work.
template <const VectorFftPlan& P, FftDirection D>
void complexFused(const float* src, float* dst, int H, const float* twiddles, const int* indexList, float* work)
{
    if (H <= 16) {
        smallInRegisters<D>(src, dst, H, twiddles);
        return;
    }
    float* w = (dst != src && isAligned16(dst)) ? dst : work;
    const bool odd = oddLog2(H);
    const PairGather pairs{src, indexList, H};
    const PointGather points{src, indexList, H};
    if (odd && !P.radix2LastPass) {
        if (P.pointGatherOdd)
            runPlan<P, D>(FirstPass8<D, PointGather>{points}, w, dst, H, twiddles, true);
        else
            runPlan<P, D>(PairGatherPass8<D>{pairs}, w, dst, H, twiddles, true);
    } else if (!odd && H >= P.pointGatherEvenFrom) {
        runPlan<P, D>(FirstPass16<D, PointGather>{points, twiddles}, w, dst, H, twiddles, true);
    } else {
        runPlan<P, D>(PairGatherPass4<D>{pairs}, w, dst, H, twiddles, true);
    }
}

}  // namespace vector_fft
