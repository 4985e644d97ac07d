// The generic class's kit for the large transform (large_driver.h): interleaved
// points throughout, the class's pair-list bit reversal and in-cache passes,
// 1024-point blocks joined by chunked radix-2 stages, and columns four at a time
// through the work area. Sums and products run on the x87 unit; every value is
// rounded to float when it is stored. Included inside the class namespace after
// large_driver.h and the declarations of the class's bit reversal and passes.

namespace large_fft {

struct WideComplex {
    long double re;
    long double im;
};

inline WideComplex loadWide(const float* p) { return {p[0], p[1]}; }

// b w (forward) or b conj(w) (inverse), w = (cos, -sin) as the tables store it.
template <bool Forward>
inline WideComplex twiddled(WideComplex b, const float* w)
{
    const long double wr = w[0], wi = w[1];
    if (Forward)
        return {b.re * wr - b.im * wi, b.re * wi + b.im * wr};
    return {b.re * wr + b.im * wi, b.im * wr - b.re * wi};
}

// The radix-2 butterfly (a, b) -> (a + t, a - t), t = b w, or t = -i b w for
// the second half of a join (+i b conj(w) inverse), so a table of n/4 factors
// serves all n/2 positions.
template <bool Forward>
inline void joinPoints(float* a, float* b, const float* w, bool secondHalf)
{
    WideComplex t = twiddled<Forward>(loadWide(b), w);
    if (secondHalf)
        t = Forward ? WideComplex{t.im, -t.re} : WideComplex{-t.im, t.re};
    const WideComplex x = loadWide(a);
    a[0] = static_cast<float>(x.re + t.re);
    a[1] = static_cast<float>(x.im + t.im);
    b[0] = static_cast<float>(x.re - t.re);
    b[1] = static_cast<float>(x.im - t.im);
}

// Joins the n/m transformed blocks of m points (each in natural order, the
// blocks in bit-reversed order) into one n-point transform, one radix-2 stage
// per doubling of m. twiddles holds n/4 factors e^(-2 pi i k/n). The positions
// go chunk by chunk (chunkFloats / 2 points, m at least twice that) across all
// block pairs, so each chunk of factors is read once per stage.
template <bool Forward>
void outerPass(float* data, int n, int m, const float* twiddles, int chunkFloats)
{
    const int chunk = chunkFloats / 2;
    for (; n / m >= 2; m *= 2) {
        const int pairs = n / m / 2;  // position k of this stage takes factor k * pairs
        for (int k0 = 0; k0 < m / 2; k0 += chunk) {
            for (int p = 0; p < pairs; ++p) {
                float* const a = data + std::ptrdiff_t{4} * p * m;
                float* const b = a + 2 * m;
                for (int k = k0; k < k0 + chunk; ++k)
                    joinPoints<Forward>(a + 2 * k, b + 2 * k, twiddles + 2 * (k * pairs), false);
                for (int k = k0; k < k0 + chunk; ++k)
                    joinPoints<Forward>(a + m + 2 * k, b + m + 2 * k, twiddles + 2 * (k * pairs), true);
            }
        }
    }
}

template <bool Forward>
struct GenericKit {
    static constexpr bool kForward = Forward;
    static constexpr bool kHasBlockPath = true;
    static constexpr int kBlockLog = 10;
    static constexpr int kOuterChunkFloats = 256;

    static void bitReverse(const LargeCall& call, const float* src, float* dst, int h)
    {
        bitReverseByBodies(call, src, dst, h);
    }

    static void passes(float* data, int points, const float* twiddles)
    {
        if (Forward)
            complexFftPasses(data, points, twiddles);
        else
            complexIfftPasses(data, points, twiddles);
    }

    static void inCache(const LargeCall& call, float* data, int q)
    {
        passes(data, 1 << q, call.table(call.spec->twiddles));
    }

    // Blocks from the last to the first, then the stages that join them.
    static void blockPath(const LargeCall& call, float* data, int l, bool /*top: always interleaved*/)
    {
        constexpr int kBlockFloats = 2 << kBlockLog;
        for (std::ptrdiff_t offset = (std::ptrdiff_t{2} << l) - kBlockFloats; offset >= 0; offset -= kBlockFloats) {
            inCache(call, data + offset, kBlockLog);
            call.scale(data + offset, kBlockFloats);
        }
        outerPass<Forward>(data, 1 << l, 1 << kBlockLog, call.table(call.spec->outerTwiddles), kOuterChunkFloats);
    }

    // Groups of four columns: each point times its step factor into one of four
    // column buffers, an S-point FFT on each, and back.
    static void columns(const LargeCall& call, float* data, int h, int s, int depth)
    {
        const int rows = 1 << s;
        const std::ptrdiff_t rowFloats = std::ptrdiff_t{2} << (h - s);
        const float* step = call.table(call.spec->stepTwiddles[depth]);
        const float* columnTwiddles = call.table(call.spec->columnTwiddles[depth]);
        float* const columns = call.work;
        for (std::ptrdiff_t c = 0; c < rowFloats; c += 8) {
            for (int a = 0; a < rows; ++a, step += 8) {
                const float* x = data + a * rowFloats + c;
                for (int j = 0; j < 4; ++j) {
                    const WideComplex y = twiddled<Forward>(loadWide(x + 2 * j), step + 2 * j);
                    float* column = columns + 2 * (j * rows + a);
                    column[0] = static_cast<float>(y.re);
                    column[1] = static_cast<float>(y.im);
                }
            }
            for (int j = 0; j < 4; ++j)
                passes(columns + 2 * j * rows, rows, columnTwiddles);
            for (int a = 0; a < rows; ++a)
                for (int j = 0; j < 4; ++j)
                    __builtin_memcpy(data + a * rowFloats + c + 2 * j, columns + 2 * (j * rows + a), 8);
        }
    }
};

}  // namespace large_fft

// The kit that the class's large bodies (large_class_bodies.h) run.
template <bool Forward>
using LargeKit = large_fft::GenericKit<Forward>;
