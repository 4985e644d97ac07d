#include "primitives/fft/large_tables.h"

#include <algorithm>
#include <cstdint>

#include "primitives/fft/generic_steps.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/rounding_32.h"
#include "primitives/fft/table_builders.h"

namespace {

using dsp::fft::batchOf;
using dsp::fft::FftClass;
using dsp::fft::LargeTableLayout;
using dsp::fft::pow2;
using dsp::fft::roundUp32;
using dsp::fft::splitOf;

// Builds the tables of one record; each level returns the end of what it laid.
class LargeTableBuilder {
public:
    LargeTableBuilder(const FftClass& cls, dspRealFftSpec* spec, const float* base, int m, void* scratch)
        : cls(cls), spec(spec), base(base), m(m), scratch(static_cast<float*>(scratch))
    {
    }

    float* top(int h, float* dst)
    {
        if (cls.largeTables == LargeTableLayout::TiledSplit) {
            float* end = tiledLevel(h, 0, dst);
            if (h >= cls.large->tileReverseFrom)
                raiseWork(65536);  // two 64 x 64-point tiles
            return end;
        }
        return splitOf(cls, h) == 0 ? blockTables(h, dst) : fourStepLevel(h, 0, dst);
    }

private:
    std::uint32_t offsetOf(const void* table) const
    {
        return static_cast<std::uint32_t>(static_cast<const char*>(table) - reinterpret_cast<const char*>(spec));
    }

    void raiseWork(std::int64_t bytes)
    {
        spec->workSize = static_cast<std::int32_t>(std::max<std::int64_t>(spec->workSize, bytes));
    }

    // The class's in-cache twiddles of 2^q points, where rows or blocks read them.
    float* inCacheTwiddles(int q, float* dst)
    {
        spec->twiddles = offsetOf(dst);
        return static_cast<float*>(dspMakeComplexTwiddles(cls, q, base, m, dst));
    }

    // 1024-point blocks joined over 2^l points: the generic class joins with one
    // table of w(i, 2^l), i < 2^l / 4; the sse class halves down to 2048 points
    // and keeps a table per join level, in blocks of four.
    float* blockTables(int l, float* dst)
    {
        float* outer = inCacheTwiddles(10, dst);
        spec->outerTwiddles = offsetOf(outer);
        if (cls.largeTables == LargeTableLayout::SseBlockOrSplit) {
            for (int level = l; level >= 11; --level)
                for (std::int64_t i = 0; i < pow2(level) / 4; i += 4)
                    outer = dspWriteTwiddleQuad(outer, base, m, i, 1, level);
            raiseWork(8192);  // the in-cache passes of a block at any alignment
            return outer;
        }
        for (std::int64_t i = 0; i < pow2(l) / 4; ++i) {
            const dspTwiddlePair w = dspTwiddleOf(base, m, i, l);
            outer[2 * i] = w.cos;
            outer[2 * i + 1] = w.minusSin;
        }
        return outer + pow2(l) / 2;
    }

    // A four-step level of the generic and sse classes: the rows' tables, then the
    // column twiddles of 2^s points, then the step twiddles w(j (c + u), 2^h) of
    // row j and column c + u, columns in groups of four, rows in bit-reversed order.
    float* fourStepLevel(int h, int depth, float* dst)
    {
        const int s = splitOf(cls, h);
        const int r = h - s;
        const bool sse = cls.largeTables == LargeTableLayout::SseBlockOrSplit;
        float* end;
        if (r <= cls.directLimit) {
            end = inCacheTwiddles(r, dst);
            if (sse)
                raiseWork(roundUp32(8 * pow2(r)));  // the in-cache passes of a row at any alignment
        } else if (splitOf(cls, r) != 0) {
            end = fourStepLevel(r, depth + 1, dst);
        } else {
            end = blockTables(r, dst);
        }
        spec->columnTwiddles[depth] = offsetOf(end);
        float* const steps = static_cast<float*>(dspMakeComplexTwiddles(cls, s, base, m, end));
        spec->stepTwiddles[depth] = offsetOf(steps);

        // Each column of factors is laid out in row order in the scratch, then bit-reversed there.
        const std::int32_t rows = std::int32_t{1} << s;
        const std::int64_t rowPoints = pow2(r);
        float* const columns = scratch;
        auto* const pairTable = reinterpret_cast<std::int32_t*>(columns + 8 * rows);
        dspMakeBitReverseTable(s, pairTable);
        float* out = steps;
        for (std::int64_t c = 0; c < rowPoints; c += 4) {
            for (int u = 0; u < 4; ++u) {
                float* column = columns + 2 * rows * u;
                for (std::int32_t j = 0; j < rows; ++j) {
                    const dspTwiddlePair w = dspTwiddleOf(base, m, j * (c + u), h);
                    column[2 * j] = w.cos;
                    column[2 * j + 1] = w.minusSin;
                }
                cls_generic::bitReverseInPlace(column, rows, pairTable);
            }
            for (std::int32_t p = 0; p < rows; ++p, out += 8) {
                for (int u = 0; u < 4; ++u) {
                    const float* value = columns + 2 * (rows * u + p);
                    if (sse) {  // four real parts, then four imaginary parts
                        out[u] = value[0];
                        out[4 + u] = value[1];
                    } else {
                        out[2 * u] = value[0];
                        out[2 * u + 1] = value[1];
                    }
                }
            }
        }
        raiseWork(32 * std::int64_t{rows});  // four columns
        return steps + 2 * pow2(h);
    }

    // A split level of the tiled classes: the rows' tables, then the factors of
    // every column pass, tile after tile of 2^(b - s) columns, in the order the
    // passes read them. Radix-4 pass i combines 4^(i+1) rows into transforms of
    // L = 2^(r + 2 + 2i) points; its lane j (local row j / W, column c + j % W)
    // takes w^k, w^2k, w^3k of L, k = (j / W) R + c + j % W. An odd s ends with
    // a radix-2 pass over all 2^h points.
    float* tiledLevel(int h, int depth, float* dst)
    {
        const int s = splitOf(cls, h);
        const int r = h - s;
        const int b = batchOf(cls, h);
        const std::int64_t rowPoints = pow2(r);
        float* end;
        if (r <= cls.directLimit) {
            end = inCacheTwiddles(r, dst);
            raiseWork(roundUp32(8 * rowPoints));  // the in-cache passes of a row at any alignment
        } else {
            end = tiledLevel(r, depth + 1, dst);
        }
        spec->stepTwiddles[depth] = offsetOf(end);
        const std::int64_t tileColumns = pow2(b - s);
        float* out = end;
        for (std::int64_t c = 0; c < rowPoints; c += tileColumns) {
            std::int64_t subTransforms = 1;
            for (int p = r + 2; p <= h; p += 2, subTransforms *= 4)
                for (std::int64_t v = 0; v < subTransforms; ++v)
                    for (std::int64_t k0 = c + rowPoints * v; k0 < c + rowPoints * v + tileColumns; k0 += 4)
                        for (int factor = 1; factor <= 3; ++factor)
                            out = dspWriteTwiddleQuad(out, base, m, k0, factor, p);
            if (s % 2 == 1)
                for (std::int64_t v = 0; v < pow2(s - 1); ++v)
                    for (std::int64_t k0 = c + rowPoints * v; k0 < c + rowPoints * v + tileColumns; k0 += 4)
                        out = dspWriteTwiddleQuad(out, base, m, k0, 1, h);
        }
        raiseWork(8 * pow2(b));  // one column tile
        return end + 2 * pow2(h);
    }

    const FftClass& cls;
    dspRealFftSpec* spec;
    const float* base;
    int m;
    float* scratch;
};

}  // namespace

void* dspMakeLargeTables(const FftClass& cls, dspRealFftSpec* spec, int h, const float* base, int m, void* dst,
                         void* scratch)
{
    auto* bitReverse = reinterpret_cast<std::int32_t*>(reinterpret_cast<char*>(spec) + spec->bitReverseTable);
    if (cls.largeTables != LargeTableLayout::TiledSplit)
        dspMakeBitReverseTable(h, bitReverse);
    else if (h >= cls.large->tileReverseFrom)
        dspMakeTwoLevelBitReverseTable(h, 6, bitReverse);
    else
        dspMakeBitReversePermutation(h, bitReverse);
    return LargeTableBuilder(cls, spec, base, m, scratch).top(h, static_cast<float*>(dst));
}
