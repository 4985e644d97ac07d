#pragma once

// Closed-form real FFTs of 1, 2, 4 and 8 points: the transforms of orders 0 to
// 3 need no tables and no work buffer. Forward routines write the spectrum in
// the NyquistSecond layout (real_fft.h); inverse routines read it and return N times the
// signal when unscaled. Each reads every input before it writes that index,
// so dst may equal src. Pure functions; any thread.

using dspSmallFftRoutine = void (*)(const float* src, float* dst);
using dspSmallFftScaledRoutine = void (*)(const float* src, float* dst, float factor);

// The routines of one transform, by order 0 to 3.
struct dspSmallFftTable {
    dspSmallFftRoutine unscaled[4];
    dspSmallFftScaledRoutine scaled[4];
};

// A class's routines for its forward, inverse and NyquistLast transforms.
struct dspSmallFftTables {
    dspSmallFftTable forward;
    dspSmallFftTable inverse;
    dspSmallFftTable nyquistLast;
};

namespace cls_generic {

void smallFft1(const float* src, float* dst);
void smallFft2(const float* src, float* dst);
void smallFft4Forward(const float* src, float* dst);
void smallFft8Forward(const float* src, float* dst);
void smallFft4Inverse(const float* src, float* dst);
void smallFft8Inverse(const float* src, float* dst);
void smallFft1Scaled(const float* src, float* dst, float factor);
void smallFft2Scaled(const float* src, float* dst, float factor);
void smallFft4ForwardScaled(const float* src, float* dst, float factor);
void smallFft8ForwardScaled(const float* src, float* dst, float factor);
void smallFft4InverseScaled(const float* src, float* dst, float factor);
void smallFft8InverseScaled(const float* src, float* dst, float factor);

extern const dspSmallFftTables smallFftTables;

}  // namespace cls_generic
