// The generic class's radix passes: decimation in time on bit-reversed input.
// Inside each group of G points the four quarters hold the transforms of the
// residues 0, 2, 1, 3 mod 4, so the second quarter takes w^2j and the third w^j.
// Sums and products run on the x87 unit; every value is rounded to float when a
// pass stores it. Included inside the generic class's namespace.

namespace {

using Real = long double;

struct Complex {
    Real re;
    Real im;
};

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }

inline Complex load(const float* p) { return {p[0], p[1]}; }
inline void store(float* p, Complex v)
{
    p[0] = static_cast<float>(v.re);
    p[1] = static_cast<float>(v.im);
}

// The forward direction multiplies by the stored factors and rotates by -i.
struct Forward {
    static Complex twiddle(Complex x, Real wr, Real wi) { return {x.re * wr - x.im * wi, x.re * wi + x.im * wr}; }
    static Complex rotate(Complex x) { return {x.im, -x.re}; }
    // x e^(-i pi/4), c = cos(pi/4).
    static Complex eighthTurn(Complex x, Real c) { return {(x.re + x.im) * c, (x.im - x.re) * c}; }
    // x e^(-3i pi/4), s = -sin(pi/4).
    static Complex threeEighthsTurn(Complex x, Real s) { return {(x.re - x.im) * s, (x.re + x.im) * s}; }
};

// The inverse direction multiplies by the conjugates and rotates by +i.
struct Inverse {
    static Complex twiddle(Complex x, Real wr, Real wi) { return {x.re * wr + x.im * wi, x.im * wr - x.re * wi}; }
    static Complex rotate(Complex x) { return {-x.im, x.re}; }
    static Complex eighthTurn(Complex x, Real c) { return {(x.re - x.im) * c, (x.re + x.im) * c}; }
    static Complex threeEighthsTurn(Complex x, Real s) { return {(x.re + x.im) * s, (x.im - x.re) * s}; }
};

// p points at point j of a group; the quarters lie `span` points apart.
// b, c, d are the already twiddled points j+L, j+2L, j+3L.
template <typename Dir>
inline void butterfly4(float* p, int span, Complex a, Complex b, Complex c, Complex d)
{
    const Complex sum = a + b, difference = a - b, upper = c + d, rotated = Dir::rotate(c - d);
    store(p, sum + upper);
    store(p + 2 * span, difference + rotated);
    store(p + 4 * span, sum - upper);
    store(p + 6 * span, difference - rotated);
}

inline void butterfly2(float* p, int span, Complex t)
{
    const Complex a = load(p);
    store(p, a + t);
    store(p + 2 * span, a - t);
}

// Span 1: four-point transforms of consecutive quartets, no factors.
template <typename Dir>
void firstPass(float* data, int n)
{
    for (float* p = data; p != data + 2 * n; p += 8)
        butterfly4<Dir>(p, 1, load(p), load(p + 2), load(p + 4), load(p + 6));
}

// Odd log2 n: radix-2, span 4, factors 1, e^(-i pi/4), -i, e^(-3i pi/4) (conjugated by the inverse),
// all formed from the first factor of entry n/8.
template <typename Dir>
void radix2Span4Pass(float* data, int n, const float* twiddles)
{
    const float* entry = twiddles + 6 * (n / 8);
    const Real c = entry[0], s = entry[1];
    for (float* p = data; p != data + 2 * n; p += 16) {
        butterfly2(p, 4, load(p + 8));
        butterfly2(p + 2, 4, Dir::eighthTurn(load(p + 10), c));
        butterfly2(p + 4, 4, Dir::rotate(load(p + 12)));
        butterfly2(p + 6, 4, Dir::threeEighthsTurn(load(p + 14), s));
    }
}

// Even log2 n: radix-4, span 4, from entry n/16 alone (w, w^2, w^3 of a
// 16-point group); the multiples of an eighth turn get their short forms.
template <typename Dir>
void radix4Span4Pass(float* data, int n, const float* twiddles)
{
    const float* entry = twiddles + 6 * (n / 16);
    const Real w1r = entry[0], w1i = entry[1], c2 = entry[2], s2 = entry[3], w3r = entry[4], w3i = entry[5];
    for (float* p = data; p != data + 2 * n; p += 32) {
        const auto at = [p](int point) { return load(p + 2 * point); };
        butterfly4<Dir>(p, 4, at(0), at(4), at(8), at(12));
        butterfly4<Dir>(p + 2, 4, at(1), Dir::eighthTurn(at(5), c2), Dir::twiddle(at(9), w1r, w1i),
                        Dir::twiddle(at(13), w3r, w3i));
        butterfly4<Dir>(p + 4, 4, at(2), Dir::rotate(at(6)), Dir::eighthTurn(at(10), c2),
                        Dir::threeEighthsTurn(at(14), s2));
        // w^9 = (w3i, w3r): an eighth turn past w^3, read from the same entry.
        butterfly4<Dir>(p + 6, 4, at(3), Dir::threeEighthsTurn(at(7), s2), Dir::twiddle(at(11), w3r, w3i),
                        Dir::twiddle(at(15), w3i, w3r));
    }
}

// Radix-4 of span 8 or more: position j of a group takes entry j * n / (4 span).
template <typename Dir>
void radix4Pass(float* data, int n, int span, const float* twiddles)
{
    const int entryStep = n / (4 * span);
    for (float* group = data; group != data + 2 * n; group += 8 * span) {
        butterfly4<Dir>(group, span, load(group), load(group + 2 * span), load(group + 4 * span),
                        load(group + 6 * span));
        for (int j = 1; j < span; ++j) {
            float* p = group + 2 * j;
            const float* w = twiddles + 6 * (j * entryStep);
            butterfly4<Dir>(p, span, load(p), Dir::twiddle(load(p + 2 * span), w[2], w[3]),
                            Dir::twiddle(load(p + 4 * span), w[0], w[1]),
                            Dir::twiddle(load(p + 6 * span), w[4], w[5]));
        }
    }
}

template <typename Dir>
void passes(float* data, int n, const float* twiddles)
{
    firstPass<Dir>(data, n);
    const bool oddLog2 = (n & 0xAAAAAAAA) != 0;
    int span;
    if (oddLog2) {
        radix2Span4Pass<Dir>(data, n, twiddles);
        span = 8;
    } else {
        radix4Span4Pass<Dir>(data, n, twiddles);
        span = 16;
    }
    for (; 4 * span <= n; span *= 4)
        radix4Pass<Dir>(data, n, span, twiddles);
}

}  // namespace

void complexFftPasses(float* data, int n, const float* twiddles) { passes<Forward>(data, n, twiddles); }

void complexIfftPasses(float* data, int n, const float* twiddles) { passes<Inverse>(data, n, twiddles); }
