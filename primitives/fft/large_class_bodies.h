// The two large-transform bodies of one class from its LargeTransformOf<Forward>,
// the driver on the class's plan and kit. Included last inside the class namespace.

void complexFftLarge(const dspRealFftSpec* spec, const float* src, float* dst, int h, void* work)
{
    LargeTransformOf<true>::run(spec, src, dst, h, work);
}

void complexIfftLarge(const dspRealFftSpec* spec, const float* src, float* dst, int h, void* work)
{
    LargeTransformOf<false>::run(spec, src, dst, h, work);
}
