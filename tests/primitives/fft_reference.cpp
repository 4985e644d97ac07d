#include "tests/primitives/fft_reference.h"

#include <cmath>
#include <random>

#include <fftw3.h>

namespace ffttest {

std::vector<float> randomSignal(int n, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (float& v : x)
        v = uniform(engine);
    return x;
}

namespace {

// cos and sin of 2 pi j / n for j = 0 .. n-1, in long double.
struct UnitCircle {
    explicit UnitCircle(int n) : cosines(n), sines(n)
    {
        const long double pi = 3.141592653589793238462643383279502884L;
        for (int j = 0; j < n; ++j) {
            cosines[j] = std::cos(2 * pi * j / n);
            sines[j] = std::sin(2 * pi * j / n);
        }
    }
    std::vector<long double> cosines;
    std::vector<long double> sines;
};

std::vector<long double> pack(const std::vector<long double>& re, const std::vector<long double>& im, int n)
{
    if (n == 1)
        return {re[0]};
    std::vector<long double> packed(n);
    packed[0] = re[0];
    packed[1] = re[n / 2];
    for (int k = 1; k < n / 2; ++k) {
        packed[2 * k] = re[k];
        packed[2 * k + 1] = im[k];
    }
    return packed;
}

}  // namespace

std::vector<long double> naiveForward(const std::vector<float>& x)
{
    const int n = static_cast<int>(x.size());
    const UnitCircle circle(n);
    std::vector<long double> re(n / 2 + 1), im(n / 2 + 1);
    for (int k = 0; k <= n / 2; ++k) {
        long double sumRe = 0, sumIm = 0;
        for (int j = 0; j < n; ++j) {
            const int e = static_cast<int>((static_cast<long long>(j) * k) % n);
            sumRe += x[j] * circle.cosines[e];
            sumIm -= x[j] * circle.sines[e];
        }
        re[k] = sumRe;
        im[k] = sumIm;
    }
    return pack(re, im, n);
}

std::vector<long double> naiveInverse(const std::vector<float>& packed)
{
    const int n = static_cast<int>(packed.size());
    if (n == 1)
        return {packed[0]};
    const UnitCircle circle(n);
    std::vector<long double> x(n);
    for (int j = 0; j < n; ++j) {
        long double sum = packed[0] + (j % 2 == 0 ? 1 : -1) * static_cast<long double>(packed[1]);
        for (int k = 1; k < n / 2; ++k) {
            const int e = static_cast<int>((static_cast<long long>(j) * k) % n);
            sum += 2 * (packed[2 * k] * circle.cosines[e] - packed[2 * k + 1] * circle.sines[e]);
        }
        x[j] = sum;
    }
    return x;
}

std::vector<double> fftwForward(const std::vector<float>& x)
{
    const int n = static_cast<int>(x.size());
    std::vector<double> in(x.begin(), x.end());
    std::vector<fftw_complex> out(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), out.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    if (n == 1)
        return {out[0][0]};
    std::vector<double> packed(n);
    packed[0] = out[0][0];
    packed[1] = out[n / 2][0];
    for (int k = 1; k < n / 2; ++k) {
        packed[2 * k] = out[k][0];
        packed[2 * k + 1] = out[k][1];
    }
    return packed;
}

std::vector<double> fftwInverse(const std::vector<float>& packed)
{
    const int n = static_cast<int>(packed.size());
    std::vector<fftw_complex> in(n / 2 + 1);
    in[0][0] = packed[0];
    in[0][1] = 0;
    if (n > 1) {
        in[n / 2][0] = packed[1];
        in[n / 2][1] = 0;
    }
    for (int k = 1; k < n / 2; ++k) {
        in[k][0] = packed[2 * k];
        in[k][1] = packed[2 * k + 1];
    }
    std::vector<double> out(n);
    fftw_plan plan = fftw_plan_dft_c2r_1d(n, in.data(), out.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

std::vector<long double> naiveComplexDft(const std::vector<float>& points, int sign)
{
    const int n = static_cast<int>(points.size() / 2);
    const UnitCircle circle(n);
    std::vector<long double> out(2 * n);
    for (int k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        for (int j = 0; j < n; ++j) {
            const int e = static_cast<int>((static_cast<long long>(j) * k) % n);
            const long double c = circle.cosines[e], s = sign * circle.sines[e];
            re += points[2 * j] * c - points[2 * j + 1] * s;
            im += points[2 * j] * s + points[2 * j + 1] * c;
        }
        out[2 * k] = re;
        out[2 * k + 1] = im;
    }
    return out;
}

std::vector<double> fftwComplexDft(const std::vector<float>& points, int sign)
{
    const int n = static_cast<int>(points.size() / 2);
    auto* in = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
    auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
    const fftw_plan plan = fftw_plan_dft_1d(n, in, out, sign < 0 ? FFTW_FORWARD : FFTW_BACKWARD, FFTW_ESTIMATE);
    for (int k = 0; k < n; ++k) {
        in[k][0] = points[2 * k];
        in[k][1] = points[2 * k + 1];
    }
    fftw_execute(plan);
    std::vector<double> result(2 * n);
    for (int k = 0; k < n; ++k) {
        result[2 * k] = out[k][0];
        result[2 * k + 1] = out[k][1];
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    return result;
}

template <typename T>
double relativeError(const std::vector<float>& got, const std::vector<T>& want, long double scale)
{
    long double error = 0, norm = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        const long double w = static_cast<long double>(want[i]) * scale;
        error += (got[i] - w) * (got[i] - w);
        norm += w * w;
    }
    return norm == 0 ? std::sqrt(static_cast<double>(error)) : std::sqrt(static_cast<double>(error / norm));
}

template double relativeError<long double>(const std::vector<float>&, const std::vector<long double>&, long double);
template double relativeError<double>(const std::vector<float>&, const std::vector<double>&, long double);
template double relativeError<float>(const std::vector<float>&, const std::vector<float>&, long double);

std::uint32_t reverseBits(std::uint32_t x, int h)
{
    std::uint32_t r = 0;
    for (int b = 0; b < h; ++b)
        r |= ((x >> b) & 1u) << (h - 1 - b);
    return r;
}

}  // namespace ffttest
