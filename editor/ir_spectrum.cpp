#include "editor/ir_spectrum.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "primitives/dsp.h"

namespace {

// Largest transform order whose N floats the aligned allocator can hand out.
constexpr int kMaxSpectrumOrder = 28;

int fftOrderFor(int sampleCount) { return static_cast<int>(std::log2(static_cast<double>(sampleCount)) + 0.5) + 1; }

}  // namespace

std::shared_ptr<const BRIrSpectrum> computeIrSpectrum(const float* samples, int available, int sampleCount,
                                                      double sampleRate)
{
    if (sampleCount < 1 || available < 0 || (available > 0 && samples == nullptr))
        return nullptr;
    const int order = fftOrderFor(sampleCount);
    if (order > kMaxSpectrumOrder)
        return nullptr;
    const int n = 1 << order;
    const double rate = sampleRate > 0.0 ? sampleRate : kDefaultSpectrumRate;

    dspRealFftSpec* rawSpec = nullptr;
    if (dspRealFftCreate(&rawSpec, order, dspFftScaleNone, 1) != dspOk)
        return nullptr;
    const BRFftSpecHandle spec(rawSpec);

    BRAlignedFloats padded;
    if (!padded.allocateZeroed(n))
        return nullptr;
    const int taken = std::min(available, sampleCount);
    if (taken > 0)
        dspCopy(samples, padded.data(), taken);
    // One transform: a null work buffer lets it allocate its own only if it needs one.
    if (dspRealFftForwardNyquistLastInPlace(padded.data(), spec.get(), nullptr) != dspOk)
        return nullptr;

    std::shared_ptr<BRIrSpectrum> spectrum;
    try {
        spectrum = std::make_shared<BRIrSpectrum>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const int bins = n / 2;
    if (!spectrum->magnitudes.allocateZeroed(bins) || !spectrum->frequencies.allocateZeroed(bins))
        return nullptr;
    spectrum->binCount = bins;

    // NyquistLast: X[0] = R0, then (X[2k - 1], X[2k]) = bin k; R(N/2) in X[N - 1] is not shown.
    const float* x = padded.data();
    float* magnitudes = spectrum->magnitudes.data();
    float* frequencies = spectrum->frequencies.data();
    magnitudes[0] = static_cast<float>(std::fabs(static_cast<double>(x[0])) / n);
    for (int k = 1; k < bins; ++k) {
        const double re = x[2 * k - 1];
        const double im = x[2 * k];
        magnitudes[k] = static_cast<float>(std::sqrt(re * re + im * im) / n);
        frequencies[k] = static_cast<float>(rate * k / n);
    }
    return spectrum;
}
