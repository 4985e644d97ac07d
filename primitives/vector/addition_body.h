// The addition body, written once. Included after checked_bodies.h inside the
// namespace of each class that owns an addition body (0, 1, 2 and 4; class 3
// runs the body of class 2, class 5 that of class 4).

int addInPlace(const float* src, float* srcDst, int len)
{
    const int status = argumentStatus(len, src, srcDst);
    if (status == dspOk)
        addKernel(src, srcDst, len);
    return status;
}
