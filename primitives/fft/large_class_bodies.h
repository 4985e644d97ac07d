// The two large-transform bodies of one class: the driver on the class's
// LargeKit<Forward>. Included last inside the class namespace.

void complexFftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src, float* dst,
                     int h, void* work)
{
    large_fft::LargeTransform<LargeKit<true>>::run(plan, spec, src, dst, h, work);
}

void complexIfftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src, float* dst,
                      int h, void* work)
{
    large_fft::LargeTransform<LargeKit<false>>::run(plan, spec, src, dst, h, work);
}
