#include "tests/engine/plain_convolution.h"

#include <algorithm>

#include "primitives/dsp.h"

namespace enginetest {

PlainConvolution::PlainConvolution(int fftSize, int blockSize, const std::vector<Channels>& irs, bool oneToOneMode,
                                   int irLength)
    : n(fftSize), h(fftSize / 2), b(blockSize), partitions((irLength + fftSize / 2 - 1) / (fftSize / 2)),
      oneToOne(oneToOneMode), inputs(oneToOneMode ? static_cast<int>(irs.size()) : static_cast<int>(irs[0].size())),
      outputs(static_cast<int>(irs.size())), slot(partitions - 1)
{
    int order = 0;
    while ((1 << order) < n)
        ++order;
    dspRealFftCreate(&spec, order, dspFftScaleNone, 1);
    int workBytes = 0;
    dspRealFftBufferSize(spec, &workBytes);
    work = workBytes > 0 ? dspAllocBytes(workBytes) : nullptr;

    // Partition p: IR samples p·H … p·H + H − 1, then H zeros.
    cells.resize(static_cast<std::size_t>(outputs));
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < (oneToOne ? 1 : inputs); ++i) {
            const Signal& ir = irs[o][i];
            std::vector<Spectrum> spectra;
            for (int p = 0; p < partitions; ++p) {
                Spectrum piece(static_cast<std::size_t>(n), 0.0f);
                for (int t = 0; t < h; ++t) {
                    const std::size_t sample = static_cast<std::size_t>(p) * h + t;
                    if (sample < ir.size() && sample < static_cast<std::size_t>(irLength))
                        piece[t] = ir[sample];
                }
                dspRealFftForward(piece.data(), piece.data(), spec, work);
                spectra.push_back(piece);
            }
            cells[o].push_back(spectra);
        }

    frames.assign(static_cast<std::size_t>(inputs), Signal(static_cast<std::size_t>(n), 0.0f));
    const Spectrum silence(static_cast<std::size_t>(n), 0.0f);
    history.assign(static_cast<std::size_t>(inputs),
                   std::vector<Spectrum>(static_cast<std::size_t>(partitions), silence));
    // ring[0] = 0, ring[j] = P − j: slot k meets partition ring[P − 1 − k].
    ring.push_back(0);
    for (int j = 1; j < partitions; ++j)
        ring.push_back(partitions - j);
    sums.assign(static_cast<std::size_t>(outputs), Spectrum(static_cast<std::size_t>(n), 0.0f));
    results.assign(static_cast<std::size_t>(outputs), Signal(static_cast<std::size_t>(n), 0.0f));
}

PlainConvolution::~PlainConvolution()
{
    dspFree(work);
    dspRealFftFree(spec);
}

void PlainConvolution::hop(bool partial)
{
    for (int i = 0; i < inputs; ++i) {
        Signal& frame = frames[i];
        if (partial)
            std::fill(frame.begin() + h + fill, frame.end(), 0.0f);
        dspRealFftForward(frame.data(), history[i][slot].data(), spec, work);
        if (!partial)
            std::copy(frame.begin() + h, frame.end(), frame.begin());
    }
    for (auto& sum : sums)
        std::fill(sum.begin(), sum.end(), 0.0f);
    // Every input's partitions from the last down to 1, whose products the
    // engine sums while the hop is still being gathered; then every input's
    // partition 0.
    std::vector<int> slotOf(static_cast<std::size_t>(partitions));
    for (int k = 0; k < partitions; ++k)
        slotOf[ring[partitions - 1 - k]] = k;
    Spectrum product(static_cast<std::size_t>(n));
    auto addPartitions = [&](int from, int downTo) {
        for (int i = 0; i < inputs; ++i)
            for (int o = 0; o < outputs; ++o) {
                if (oneToOne && i != o)
                    continue;
                const std::vector<Spectrum>& cell = cells[o][oneToOne ? 0 : i];
                for (int p = from; p >= downTo; --p) {
                    dspMulSpectra(history[i][slotOf[p]].data(), cell[p].data(), product.data(), n);
                    dspAddInPlace(product.data(), sums[o].data(), n);
                }
            }
    };
    addPartitions(partitions - 1, 1);
    addPartitions(0, 0);
    for (int o = 0; o < outputs; ++o) {
        dspRealFftInverse(sums[o].data(), results[o].data(), spec, work);
        dspMulConstInPlace(static_cast<float>(1.0 / n), results[o].data(), n);
    }
    if (partial)
        return;
    slot = slot == 0 ? partitions - 1 : slot - 1;
    std::rotate(ring.begin(), ring.end() - 1, ring.end());
}

Channels PlainConvolution::process(const Channels& input, const std::function<int()>& nextLength, float gain)
{
    const int length = static_cast<int>(input[0].size());
    Channels output(static_cast<std::size_t>(outputs), Signal(static_cast<std::size_t>(length), 0.0f));
    // Output sample t is the convolution at t − (H − B): taken from the last
    // hop while the current one has not reached it, else from the current hop,
    // done in full when the call completes it and otherwise done on what has
    // been gathered, padded with zeros.
    auto emit = [&](int at, int from, int count) {
        for (int o = 0; o < outputs; ++o) {
            float* destination = output[o].data() + at;
            std::copy_n(results[o].begin() + from, count, destination);
            dspMulConstInPlace(gain, destination, count);
        }
    };
    for (int done = 0; done < length;) {
        const int call = std::min(nextLength(), length - done);
        for (int position = done; position < done + call;) {
            const int start = fill;
            const int count = std::min(done + call - position, h - start);
            for (int i = 0; i < inputs; ++i)
                std::copy_n(input[i].begin() + position, count, frames[i].begin() + h + start);
            fill += count;
            const int fromLastHop = std::clamp(h - b - start, 0, count);
            if (fromLastHop > 0)
                emit(position, h + start + b, fromLastHop);
            if (fromLastHop < count) {
                const int offset = start + fromLastHop + b - h;
                const int rest = count - fromLastHop;
                if (fill == h) {
                    hop(false);
                    fill = 0;
                    valid = 0;
                } else if (offset + rest > valid) {
                    hop(true);
                    valid = fill;
                }
                emit(position + fromLastHop, h + offset, rest);
            }
            position += count;
        }
        done += call;
    }
    return output;
}

}  // namespace enginetest
