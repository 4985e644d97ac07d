// The bodies behind dspZero, dspCopy, dspZeroBytes and dspCopyBytes: the same
// checks in every class around that class's kernels. Included inside a class
// namespace, after fill_copy_bodies.h and status.h.

#include "primitives/vector/argument_checks.h"

namespace {
// In 64 bits: 4 * len passes 2^31 from len = 2^29 on.
inline std::size_t bytesOfFloats(int len) { return static_cast<std::size_t>(len) * sizeof(float); }
}  // namespace

int zero(float* dst, int len)
{
    const int status = argumentStatus(len, dst);
    if (status == dspOk)
        zeroKernel(dst, bytesOfFloats(len));
    return status;
}

int copy(const float* src, float* dst, int len)
{
    const int status = argumentStatus(len, src, dst);
    if (status == dspOk)
        copyKernel(src, dst, bytesOfFloats(len));
    return status;
}

int zeroBytes(void* p, int n)
{
    const int status = argumentStatus(n, p);
    if (status == dspOk)
        zeroKernel(p, static_cast<std::size_t>(n));
    return status;
}

int copyBytes(const void* src, void* dst, int n)
{
    const int status = argumentStatus(n, src, dst);
    if (status == dspOk)
        copyKernel(src, dst, static_cast<std::size_t>(n));
    return status;
}
