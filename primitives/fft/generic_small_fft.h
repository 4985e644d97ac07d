// The closed forms of orders 0 to 3 on the x87 unit: every sum and product
// stays in extended precision and is rounded to float only when stored.
// Included inside the generic class's namespace.

namespace {

using Real = long double;

constexpr Real kSqrtHalf = 0.70710677f;  // the float nearest to 1/sqrt(2)
constexpr Real kSqrtTwo = 1.4142135f;    // the float nearest to sqrt(2)

struct Unscaled {
    Real operator()(Real v) const { return v; }
};
struct Scaled {
    Real factor;
    Real operator()(Real v) const { return v * factor; }
};

template <typename Scale>
void fft2(const float* src, float* dst, Scale scale)
{
    const Real s0 = src[0], s1 = src[1];
    dst[0] = static_cast<float>(scale(s0 + s1));
    dst[1] = static_cast<float>(scale(s0 - s1));
}

template <typename Scale>
void fft4Forward(const float* src, float* dst, Scale scale)
{
    const Real x0 = src[0], x1 = src[1], x2 = src[2], x3 = src[3];
    const Real a = scale(x0 + x2), b = scale(x0 - x2), p = scale(x3 + x1), q = scale(x3 - x1);
    dst[0] = static_cast<float>(a + p);
    dst[1] = static_cast<float>(a - p);
    dst[2] = static_cast<float>(b);
    dst[3] = static_cast<float>(q);
}

template <typename Scale>
void fft4Inverse(const float* src, float* dst, Scale scale)
{
    const Real s0 = src[0], s1 = src[1], s2 = src[2], s3 = src[3];
    const Real u = scale(s0 + s1), v = scale(s0 - s1), t = scale(2 * s2), w = scale(2 * s3);
    dst[0] = static_cast<float>(u + t);
    dst[1] = static_cast<float>(v - w);
    dst[2] = static_cast<float>(u - t);
    dst[3] = static_cast<float>(v + w);
}

template <typename Scale>
void fft8Forward(const float* src, float* dst, Scale scale)
{
    const Real x0 = src[0], x1 = src[1], x2 = src[2], x3 = src[3];
    const Real x4 = src[4], x5 = src[5], x6 = src[6], x7 = src[7];
    const Real a0 = scale(x0 + x4), b0 = scale(x0 - x4), a2 = scale(x2 + x6), b2 = scale(x2 - x6);
    const Real a1 = scale(x1 + x5), b1 = scale(x1 - x5), a3 = scale(x3 + x7), b3 = scale(x3 - x7);
    const Real p = (b1 - b3) * kSqrtHalf;
    const Real q = (b1 + b3) * -kSqrtHalf;
    dst[0] = static_cast<float>((a0 + a2) + (a1 + a3));
    dst[1] = static_cast<float>((a0 + a2) - (a1 + a3));
    dst[4] = static_cast<float>(a0 - a2);
    dst[5] = static_cast<float>(a3 - a1);
    dst[2] = static_cast<float>(b0 + p);
    dst[6] = static_cast<float>(b0 - p);
    dst[3] = static_cast<float>(q - b2);
    dst[7] = static_cast<float>(b2 + q);
}

template <typename Scale>
void fft8Inverse(const float* src, float* dst, Scale scale)
{
    const Real s0 = src[0], s1 = src[1], s2 = src[2], s3 = src[3];
    const Real s4 = src[4], s5 = src[5], s6 = src[6], s7 = src[7];
    const Real u0 = scale(s0 + s1), u1 = scale(s0 - s1), u2 = scale(2 * s4), u3 = scale(2 * s5);
    const Real u4 = scale(s2 + s6), u5 = scale(s2 - s6), u6 = scale(s3 + s7), u7 = scale(s3 - s7);
    const Real e0 = u0 + u2, e1 = u0 - u2, e2 = u1 - u3, e3 = u1 + u3;
    const Real m = (u5 - u6) * kSqrtTwo;
    const Real n = (u5 + u6) * -kSqrtTwo;
    const Real g0 = 2 * u4, g1 = 2 * u7;
    dst[0] = static_cast<float>(e0 + g0);
    dst[4] = static_cast<float>(e0 - g0);
    dst[2] = static_cast<float>(e1 - g1);
    dst[6] = static_cast<float>(e1 + g1);
    dst[1] = static_cast<float>(e2 + m);
    dst[5] = static_cast<float>(e2 - m);
    dst[3] = static_cast<float>(e3 + n);
    dst[7] = static_cast<float>(e3 - n);
}

}  // namespace

// A float move, not an x87 load: the bit pattern (a signalling NaN included) passes unchanged.
void smallFft1(const float* src, float* dst) { dst[0] = src[0]; }
void smallFft2(const float* src, float* dst) { fft2(src, dst, Unscaled{}); }
void smallFft4Forward(const float* src, float* dst) { fft4Forward(src, dst, Unscaled{}); }
void smallFft8Forward(const float* src, float* dst) { fft8Forward(src, dst, Unscaled{}); }
void smallFft4Inverse(const float* src, float* dst) { fft4Inverse(src, dst, Unscaled{}); }
void smallFft8Inverse(const float* src, float* dst) { fft8Inverse(src, dst, Unscaled{}); }

void smallFft1Scaled(const float* src, float* dst, float factor)
{
    dst[0] = static_cast<float>(Real{src[0]} * factor);
}
void smallFft2Scaled(const float* src, float* dst, float factor) { fft2(src, dst, Scaled{factor}); }
void smallFft4ForwardScaled(const float* src, float* dst, float factor) { fft4Forward(src, dst, Scaled{factor}); }
void smallFft8ForwardScaled(const float* src, float* dst, float factor) { fft8Forward(src, dst, Scaled{factor}); }
void smallFft4InverseScaled(const float* src, float* dst, float factor) { fft4Inverse(src, dst, Scaled{factor}); }
void smallFft8InverseScaled(const float* src, float* dst, float factor) { fft8Inverse(src, dst, Scaled{factor}); }

namespace {
constexpr dspSmallFftTable kForward = {
    {&smallFft1, &smallFft2, &smallFft4Forward, &smallFft8Forward},
    {&smallFft1Scaled, &smallFft2Scaled, &smallFft4ForwardScaled, &smallFft8ForwardScaled}};
}  // namespace

const dspSmallFftTables smallFftTables = {
    kForward,
    {{&smallFft1, &smallFft2, &smallFft4Inverse, &smallFft8Inverse},
     {&smallFft1Scaled, &smallFft2Scaled, &smallFft4InverseScaled, &smallFft8InverseScaled}},
    kForward,  // the NyquistLast transform moves R(N/2) itself afterwards
};
