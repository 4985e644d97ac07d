// The generic class's real step. Each slot k is paired with its mirror H-k;
// both are read before either is written, so one sweep works in place.
// Arithmetic on the x87 unit, rounded to float on store. Included inside the
// generic class's namespace.

namespace {
using Real = long double;
}  // namespace

void realFftForwardPost(float* data, int H, const float* twiddles)
{
    for (int k = 1; k < H / 2; ++k) {
        float* low = data + 2 * k;
        float* mirror = data + 2 * (H - k);
        const Real a = low[0], b = low[1], c = mirror[0], d = mirror[1];
        const Real tr = twiddles[2 * k], ti = twiddles[2 * k + 1];  // 0.5 cos t, 0.5 - 0.5 sin t
        const Real p = ti * (a - c) + tr * (b + d);
        const Real q = ti * (b + d) - tr * (a - c);
        low[0] = static_cast<float>(c + p);
        low[1] = static_cast<float>(q - d);
        mirror[0] = static_cast<float>(a - p);
        mirror[1] = static_cast<float>(q - b);
    }
    // X[H/2] = conj(Z[H/2]): a sign flip, so a zero becomes a negative zero.
    data[H + 1] = -data[H + 1];
}

void realFftInversePre(const float* src, float* dst, int H, const float* twiddles)
{
    for (int k = 1; k < H / 2; ++k) {
        const float* low = src + 2 * k;
        const float* mirror = src + 2 * (H - k);
        const Real a = low[0], b = low[1], c = mirror[0], d = mirror[1];
        const Real tr = twiddles[2 * k], ti = twiddles[2 * k + 1];  // cos t, -sin t
        const Real p = ti * (a - c) - tr * (b + d);
        const Real q = tr * (a - c) + ti * (b + d);
        dst[2 * k] = static_cast<float>((a + c) + p);
        dst[2 * k + 1] = static_cast<float>((b - d) + q);
        dst[2 * (H - k)] = static_cast<float>((a + c) - p);
        dst[2 * (H - k) + 1] = static_cast<float>(q - (b - d));
    }
    // The middle slot is untouched by the loop, so in place it is still the source's.
    dst[H] = static_cast<float>(2 * Real{src[H]});
    dst[H + 1] = static_cast<float>(-2 * Real{src[H + 1]});
}
