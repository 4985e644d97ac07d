// The bodies behind dspZero, dspCopy, dspZeroBytes and dspCopyBytes: the same
// checks in every class around that class's kernels. Included inside a class
// namespace, after fill_copy_bodies.h and status.h.

namespace {
// In 64 bits: 4 * len passes 2^31 from len = 2^29 on.
inline std::size_t bytesOfFloats(int len) { return static_cast<std::size_t>(len) * sizeof(float); }
}  // namespace

int zero(float* dst, int len)
{
    if (dst == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    zeroKernel(dst, bytesOfFloats(len));
    return dspOk;
}

int copy(const float* src, float* dst, int len)
{
    if (src == nullptr || dst == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    copyKernel(src, dst, bytesOfFloats(len));
    return dspOk;
}

int zeroBytes(void* p, int n)
{
    if (p == nullptr)
        return dspErrNullPointer;
    if (n < 1)
        return dspErrLength;
    zeroKernel(p, static_cast<std::size_t>(n));
    return dspOk;
}

int copyBytes(const void* src, void* dst, int n)
{
    if (src == nullptr || dst == nullptr)
        return dspErrNullPointer;
    if (n < 1)
        return dspErrLength;
    copyKernel(src, dst, static_cast<std::size_t>(n));
    return dspOk;
}
