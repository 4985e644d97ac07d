#pragma once

// The first test of every element-wise body: dspErrNullPointer when any of its
// arrays is null, then dspErrLength for a length below 1, else dspOk. Bodies
// return an error before they write anything. Included inside a class
// namespace after status.h.
template <typename... Arrays>
inline int argumentStatus(int len, const Arrays*... arrays)
{
    if (((arrays == nullptr) || ...))
        return dspErrNullPointer;
    return len < 1 ? dspErrLength : dspOk;
}
