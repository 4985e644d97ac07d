// The large complex FFT of H = 2^h points (h above the plan's in-cache limit),
// written once over a plan (the class's own, or a test's with small thresholds)
// and a kit of kernels for one direction and layout. Included inside a class
// namespace after record_tables_inl.h and the declarations of the class's bit
// reversal and mulConstInPlace; the kits follow it. No include guard: each
// namespace that instantiates it includes it once.
//
// One bit reversal over all H points comes first. Then either the block path
// (1024-point blocks in cache, joined by radix-2 stages; generic and sse) or a
// four-step split: S = 2^s rows of R = 2^r points, each row transformed in
// cache, by the block path or by a split one level deeper, then the columns,
// whose step factors fold in the twist between the two. The bit reversal leaves
// row a holding the subsequence n = rev_s(a) (mod S) in bit-reversed order, so
// every row is the transform of a decimated subsequence and every column, read in
// storage order, the bit-reversed input of an S-point FFT. Point k1 + R k2 of
// the result (k1 < R, k2 < S) is X[k1 + R k2]: natural order.
//
// A kit K provides:
//   kForward, kHasBlockPath
//   bitReverse(call, src, dst, h)   all H points into dst in bit-reversed order
//   inCache(call, data, q)          the in-cache passes over 2^q bit-reversed points
//   blockPath(call, data, l, top)   (kHasBlockPath) 2^l bit-reversed points
//   columns(call, data, h, s, depth) the column phase of one split level
// Only the last writer at depth 0 leaves the points interleaved; the vector
// classes keep blocks of four real then four imaginary parts in between.

namespace large_fft {

// What every step of one transform call reads: the plan the FFT record's tables
// were laid for, the FFT record, the work area and whether the rows and blocks are
// scaled.
struct LargeCall {
    const dsp::fft::LargeFftPlan& plan;
    const dspRealFftSpec* spec;
    float* work;  // the caller's work area, 32-byte aligned, spec->workSize bytes
    bool scaled;

    const float* table(std::uint32_t offset) const { return floatTableOf(spec, offset); }

    // Each point is scaled once, in the row or block that transforms it first.
    void scale(float* data, int floats) const
    {
        if (scaled)
            mulConstInPlace(spec->scaleFactor, data, floats);
    }
};

// All 2^h points into dst in bit-reversed order by the class's own bit-reversal
// bodies and the FFT record's table: the whole reversal of the block-path kits.
inline void bitReverseByBodies(const LargeCall& call, const float* src, float* dst, int h)
{
    const std::int32_t* table = wordTableOf(call.spec, call.spec->bitReverseTable);
    if (src != dst)
        bitReverseCopy(src, dst, 1 << h, table);
    else
        bitReverseInPlace(dst, 1 << h, table);
}

template <typename K>
class LargeTransform {
public:
    // src may equal dst; the result is interleaved in dst.
    static void run(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src, float* dst,
                    int h, void* work)
    {
        const LargeCall call{plan, spec, static_cast<float*>(work),
                             (K::kForward ? spec->scaleForward : spec->scaleInverse) == 1};
        K::bitReverse(call, src, dst, h);
        if constexpr (K::kHasBlockPath) {
            if (splitAt(call, h) == 0) {
                K::blockPath(call, dst, h, true);
                return;
            }
        }
        splitStep<0>(call, dst, h);
    }

private:
    static constexpr int kDeepest = 2;  // the FFT record holds column and step tables for depths 0 to 2

    static int splitAt(const LargeCall& call, int h) { return call.plan.split[h - dsp::fft::kSplitTableFirstH]; }

    // One four-step level in place over 2^h bit-reversed points.
    template <int Depth>
    static void splitStep(const LargeCall& call, float* data, int h)
    {
        const int s = splitAt(call, h);
        const int r = h - s;
        const std::ptrdiff_t rowFloats = std::ptrdiff_t{2} << r;
        for (int a = 0; a < (1 << s); ++a) {
            float* const row = data + a * rowFloats;
            if (r <= call.plan.directLimit) {
                K::inCache(call, row, r);
                call.scale(row, static_cast<int>(rowFloats));
                continue;
            }
            if constexpr (K::kHasBlockPath) {
                if (splitAt(call, r) == 0) {
                    K::blockPath(call, row, r, false);
                    continue;
                }
            }
            if constexpr (Depth < kDeepest)
                splitStep<Depth + 1>(call, row, r);
        }
        K::columns(call, data, h, s, Depth);
    }
};

}  // namespace large_fft
