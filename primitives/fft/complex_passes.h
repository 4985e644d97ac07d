#pragma once

// Radix passes of an n-point complex FFT (interleaved float pairs) whose input
// is already in bit-reversed order; afterwards data holds the unscaled
// transform in natural order. Forward: X[k] = sum x[j] e^(-2 pi i jk/n);
// inverse: the same with e^(+2 pi i jk/n). twiddles is the generic table of
// entries (w^m, w^2m, w^3m), w = e^(-2 pi i/n), m = 0 .. n/4, built for n; the
// inverse uses its conjugates. n from 8 to 1024. In place; wait-free.
namespace cls_generic {

void complexFftPasses(float* data, int n, const float* twiddles);
void complexIfftPasses(float* data, int n, const float* twiddles);

}  // namespace cls_generic
