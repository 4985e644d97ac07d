#pragma once

#include <cstdint>
#include <vector>

// Independent references for the real-FFT tests: a DFT by definition in long
// double, FFTW in double, and the packed spectrum layout around them.
namespace ffttest {

// Uniform samples in [-1, 1), reproducible from the seed.
std::vector<float> randomSignal(int n, std::uint32_t seed);

// The DFT X(k) = sum x(n) e^(-2 pi i kn/N) of N real samples, packed in the
// NyquistSecond layout (real_fft.h).
std::vector<long double> naiveForward(const std::vector<float>& x);

// x(n) = sum X(k) e^(+2 pi i kn/N) from a packed spectrum, without 1/N.
std::vector<long double> naiveInverse(const std::vector<float>& packed);

// The same two transforms by FFTW in double precision, packed the same way.
std::vector<double> fftwForward(const std::vector<float>& x);
std::vector<double> fftwInverse(const std::vector<float>& packed);

// Complex DFT of n interleaved points in long double; sign -1 forward, +1 inverse.
std::vector<long double> naiveComplexDft(const std::vector<float>& points, int sign);

// The same by FFTW in double precision.
std::vector<double> fftwComplexDft(const std::vector<float>& points, int sign);

// ||got - want|| / ||want|| (0 when both are zero).
template <typename T>
double relativeError(const std::vector<float>& got, const std::vector<T>& want, long double scale = 1.0L);

// The h-bit reversal of x.
std::uint32_t reverseBits(std::uint32_t x, int h);

}  // namespace ffttest
