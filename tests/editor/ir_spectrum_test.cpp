#include <algorithm>
#include <cmath>
#include <vector>

#include <fftw3.h>
#include <gtest/gtest.h>

#include "editor/ir_spectrum.h"
#include "tests/editor/decaying_noise.h"
#include "tests/support/cpu_class.h"
#include "tests/support/guarded_buffer.h"

namespace {

// |X(k)| / N for k = 0 .. N/2 - 1 of samples zero-padded to n points, by FFTW in double precision.
std::vector<double> referenceMagnitudes(const std::vector<float>& samples, int n)
{
    std::vector<double> in(static_cast<std::size_t>(n), 0.0);
    std::copy(samples.begin(), samples.end(), in.begin());
    auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (n / 2 + 1)));
    const fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), out, FFTW_ESTIMATE);
    fftw_execute(plan);
    std::vector<double> magnitudes(static_cast<std::size_t>(n / 2));
    for (int k = 0; k < n / 2; ++k)
        magnitudes[static_cast<std::size_t>(k)] = std::hypot(out[k][0], out[k][1]) / n;
    fftw_destroy_plan(plan);
    fftw_free(out);
    return magnitudes;
}

struct BinError {
    double worst = 0.0;
    int bin = -1;
};

// Float rounding in an FFT is absolute: about 2^-24 × log2 N times the spectrum's
// RMS level in every bin, so bins far below that level are judged against it.
BinError worstMagnitudeError(const BRIrSpectrum& spectrum, const std::vector<double>& reference)
{
    double sumOfSquares = 0.0;
    for (double m : reference)
        sumOfSquares += m * m;
    const double rms = std::sqrt(sumOfSquares / static_cast<double>(reference.size()));
    BinError error;
    for (int k = 0; k < spectrum.binCount; ++k) {
        const double expected = reference[static_cast<std::size_t>(k)];
        const double scale = std::max(expected, rms);
        const double relative = std::fabs(spectrum.magnitudes.data()[k] - expected) / scale;
        if (relative > error.worst)
            error = {relative, k};
    }
    return error;
}

// Bin frequencies are single floats: their rounding is 2^-24 relative.
BinError worstFrequencyError(const BRIrSpectrum& spectrum, double rate, int n)
{
    BinError error;
    if (spectrum.frequencies.data()[0] != 0.0f)
        return {1.0, 0};
    for (int k = 1; k < spectrum.binCount; ++k) {
        const double expected = rate * k / n;
        const double relative = std::fabs(spectrum.frequencies.data()[k] - expected) / expected;
        if (relative > error.worst)
            error = {relative, k};
    }
    return error;
}

struct SpectrumCase {
    int samples;
    int fftSize;  // the next power of two past the rounded log2, so always above samples
};

class IrSpectrumAgainstDft : public testing::TestWithParam<SpectrumCase> {
protected:
    // The editor runs after a processor has chosen the best class.
    dsptest::ForcedCpuClass bestClass{dsptest::supportedClasses().back()};
};

TEST_P(IrSpectrumAgainstDft, MagnitudesAndFrequenciesMatchADoublePrecisionDft)
{
    const auto [length, n] = GetParam();
    const std::vector<float> ir = editortest::decayingNoise(length);
    const double rate = 48000.0;
    const auto spectrum = computeIrSpectrum(ir.data(), length, length, rate);
    ASSERT_NE(spectrum, nullptr);
    ASSERT_EQ(spectrum->binCount, n / 2);

    const BinError magnitude = worstMagnitudeError(*spectrum, referenceMagnitudes(ir, n));
    EXPECT_LE(magnitude.worst, 1e-5) << "bin " << magnitude.bin;
    const BinError frequency = worstFrequencyError(*spectrum, rate, n);
    EXPECT_LE(frequency.worst, 1e-5) << "bin " << frequency.bin;
}

INSTANTIATE_TEST_SUITE_P(, IrSpectrumAgainstDft,
                         testing::Values(SpectrumCase{1, 2}, SpectrumCase{2, 4}, SpectrumCase{300, 512},
                                         SpectrumCase{1024, 2048}, SpectrumCase{3000, 8192}, SpectrumCase{4096, 8192},
                                         SpectrumCase{1 << 21, 1 << 22}),
                         [](const testing::TestParamInfo<SpectrumCase>& info) {
                             return "Samples" + std::to_string(info.param.samples);
                         });

TEST(IrSpectrum, BinsAreSpacedFor44100HzUntilTheHostGivesARate)
{
    const std::vector<float> ir = editortest::decayingNoise(4096);
    for (double missing : {0.0, -1.0}) {
        const auto spectrum = computeIrSpectrum(ir.data(), 4096, 4096, missing);
        ASSERT_NE(spectrum, nullptr);
        EXPECT_NEAR(spectrum->frequencies.data()[1], 5.383, 0.001);
        EXPECT_NEAR(spectrum->frequencies.data()[2], 10.767, 0.001);
        EXPECT_NEAR(spectrum->frequencies.data()[spectrum->binCount - 1], 22050.0 - 44100.0 / 8192, 0.01);
    }
    const auto at96k = computeIrSpectrum(ir.data(), 1024, 1024, 96000.0);
    ASSERT_NE(at96k, nullptr);
    EXPECT_NEAR(at96k->frequencies.data()[1], 96000.0 / 2048, 1e-3);
}

TEST(IrSpectrum, SamplesBeyondThoseGivenCountAsSilenceAndAreNeverRead)
{
    // A cell that holds 300 samples of a 1024-sample IR: the guard page right after
    // the 300th sample faults on any read past it.
    const std::vector<float> ir = editortest::decayingNoise(300);
    dsptest::GuardedBuffer cell(ir.size() * sizeof(float));
    std::copy(ir.begin(), ir.end(), cell.floats());

    const auto spectrum = computeIrSpectrum(cell.floats(), 300, 1024, 44100.0);
    ASSERT_NE(spectrum, nullptr);
    ASSERT_EQ(spectrum->binCount, 1024);
    const BinError error = worstMagnitudeError(*spectrum, referenceMagnitudes(ir, 2048));
    EXPECT_LE(error.worst, 1e-5) << "bin " << error.bin;
}

}  // namespace
