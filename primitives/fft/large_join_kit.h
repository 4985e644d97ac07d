// The sse class's kit for the large transform (large_driver.h): the generic
// strategy on 4-lane vectors. Between steps the points stay in blocks of four
// (four real parts, then four imaginary parts), as the class's in-cache passes
// leave them with interleaveOutput 0; the block path halves down to 1024-point
// blocks and joins each level with a radix-2 stage, and columns go four at a
// time through the work area. Included inside the class namespace after
// large_driver.h, vector_lanes.h and the declarations of the class's bit
// reversal and passes. SSE instructions only.

namespace large_fft {

using vector_fft::Split4;

// A block of four points at any float alignment.
inline Split4 loadBlockAnywhere(const float* p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }

// A block to a caller's array of any float alignment: four interleaved points, or unchanged.
inline void storeBlockAnywhere(float* p, Split4 x, bool interleave)
{
    if (interleave)
        vector_fft::storeInterleaved(p, x);
    else
        vector_fft::storeSplit(p, x);
}

// Four rows of four lanes to four columns: lane q of row i becomes lane i of row q.
inline void transpose4(__m128& r0, __m128& r1, __m128& r2, __m128& r3) { _MM_TRANSPOSE4_PS(r0, r1, r2, r3); }

// Joins the transforms of the two halves of n points in place (n a multiple of
// 16, points in blocks of four): for j < n/2, b' = b T, (a, b) -> (a + b', a - b')
// with a = point j, b = point n/2 + j, T = tw[j] below n/4 and -i tw[j - n/4]
// above (+i conj(tw) inverse), so the n/4 factors in blocks of four serve both
// quarters. lastPass 1 writes interleaved points, else blocks of four.
template <FftDirection D>
void radix2CombinePass(float* data, int n, const float* twiddles, int lastPass)
{
    const bool interleave = lastPass == 1;
    float* const low = data;
    float* const high = data + n;  // point n/2
    const int quarterFloats = n / 2;
    for (int half = 0; half < 2; ++half) {
        const bool quarterTurn = half == 1;
        for (int j = 0; j < quarterFloats; j += 8) {
            float* const a = low + half * quarterFloats + j;
            float* const b = high + half * quarterFloats + j;
            Split4 t = vector_fft::twiddleFromTable<D>(loadBlockAnywhere(b), twiddles + j);
            if (quarterTurn)
                t = D == FftDirection::Forward ? Split4{t.im, _mm_sub_ps(_mm_setzero_ps(), t.re)}
                                               : Split4{_mm_sub_ps(_mm_setzero_ps(), t.im), t.re};
            const Split4 x = loadBlockAnywhere(a);
            storeBlockAnywhere(a, x + t, interleave);
            storeBlockAnywhere(b, x - t, interleave);
        }
    }
}

// Four adjacent columns of a row-major matrix of blocks (rows `stride` points
// apart, each row's four points one block) into four interleaved column vectors
// of `count` points at work (column q at point q * count), each point times its
// step factor (its conjugate inverse). The factors are one block per row.
// count a multiple of 4; work 16-byte aligned.
template <FftDirection D>
void gatherColumnsTwiddled(const float* source, float* work, const float* twiddles, int stride, int count)
{
    for (int r = 0; r < count; r += 4, twiddles += 32) {
        Split4 x[4];
        for (int i = 0; i < 4; ++i)
            x[i] = vector_fft::twiddleFromTable<D>(loadBlockAnywhere(source + std::ptrdiff_t{2} * (r + i) * stride),
                                                   twiddles + 8 * i);
        transpose4(x[0].re, x[1].re, x[2].re, x[3].re);
        transpose4(x[0].im, x[1].im, x[2].im, x[3].im);
        for (int q = 0; q < 4; ++q) {
            float* column = work + 2 * (q * count + r);
            _mm_store_ps(column, _mm_unpacklo_ps(x[q].re, x[q].im));
            _mm_store_ps(column + 4, _mm_unpackhi_ps(x[q].re, x[q].im));
        }
    }
}

// The inverse move: four column vectors of `count` points in blocks of four
// back into the four adjacent columns at destination; mode 1 writes each row's
// four points interleaved, any other mode as one block.
inline void scatterColumns(float* destination, const float* work, int stride, int count, int mode)
{
    for (int r = 0; r < count; r += 4) {
        Split4 x[4];
        for (int q = 0; q < 4; ++q)
            x[q] = {_mm_load_ps(work + 2 * (q * count + r)), _mm_load_ps(work + 2 * (q * count + r) + 4)};
        transpose4(x[0].re, x[1].re, x[2].re, x[3].re);
        transpose4(x[0].im, x[1].im, x[2].im, x[3].im);
        for (int i = 0; i < 4; ++i)
            storeBlockAnywhere(destination + std::ptrdiff_t{2} * (r + i) * stride, x[i], mode == 1);
    }
}

template <bool Forward>
struct JoinKit {
    static constexpr bool kForward = Forward;
    static constexpr bool kHasBlockPath = true;
    static constexpr FftDirection D = Forward ? FftDirection::Forward : FftDirection::Inverse;
    static constexpr int kBlockPoints = 1024;

    static void bitReverse(const LargeCall& call, const float* src, float* dst, int h)
    {
        bitReverseByBodies(call, src, dst, h);
    }

    // Blocks of four out; the work area serves the passes when data is not 16-byte aligned.
    static void passes(float* data, int points, const float* twiddles, float* work)
    {
        if (Forward)
            complexFftPasses(data, points, twiddles, work, 0);
        else
            complexIfftPasses(data, points, twiddles, work, 0);
    }

    static void inCache(const LargeCall& call, float* data, int q)
    {
        passes(data, 1 << q, call.table(call.spec->twiddles), call.work);
    }

    static void blockPath(const LargeCall& call, float* data, int l, bool top)
    {
        halves(call, data, 1 << l, call.table(call.spec->outerTwiddles), top);
    }

    // n points as two transformed halves and one join; the halves' join tables
    // follow this level's n/4 factors.
    static void halves(const LargeCall& call, float* data, int n, const float* joinTwiddles, bool top)
    {
        const int half = n / 2;
        for (float* part = data; part != data + 2 * n; part += n) {
            if (half == kBlockPoints) {
                inCache(call, part, 10);
                call.scale(part, 2 * kBlockPoints);
            } else {
                halves(call, part, half, joinTwiddles + n / 2, false);
            }
        }
        radix2CombinePass<D>(data, n, joinTwiddles, top ? 1 : 0);
    }

    static void columns(const LargeCall& call, float* data, int h, int s, int depth)
    {
        const int rows = 1 << s;
        const int rowPoints = 1 << (h - s);
        const float* step = call.table(call.spec->stepTwiddles[depth]);
        const float* columnTwiddles = call.table(call.spec->columnTwiddles[depth]);
        float* const columns = call.work;
        for (int c = 0; c < rowPoints; c += 4, step += 8 * rows) {
            gatherColumnsTwiddled<D>(data + 2 * c, columns, step, rowPoints, rows);
            // The column vectors are 16-byte aligned, so the passes work in place without work memory.
            for (int q = 0; q < 4; ++q)
                passes(columns + 2 * q * rows, rows, columnTwiddles, nullptr);
            scatterColumns(data + 2 * c, columns, rowPoints, rows, depth == 0 ? 1 : 0);
        }
    }
};

}  // namespace large_fft

// The kit that the class's large bodies (large_class_bodies.h) run.
template <bool Forward>
using LargeKit = large_fft::JoinKit<Forward>;
