// The interleaving bodies, written once for every class. Included inside a class
// namespace after that class's interleaveKernel and deinterleaveKernel.

// The arguments in the order both bodies test them: null pointers, the channel
// count, the length, then every channel pointer before anything is written, so
// a null one at any position leaves all buffers untouched. dspWarnUnaligned
// when any buffer is not 16-byte aligned.
template <class Channel>
int interleavingStatus(const Channel* channels, int channelCount, int len, const float* interleaved)
{
    if (channels == nullptr || interleaved == nullptr)
        return dspErrNullPointer;
    if (channelCount < 1)
        return dspErrChannelCount;
    if (len < 1)
        return dspErrLength;
    int status = isAlignedTo(interleaved, 16) ? dspOk : dspWarnUnaligned;
    for (int c = 0; c < channelCount; ++c) {
        if (channels[c] == nullptr)
            return dspErrNullPointer;
        if (!isAlignedTo(channels[c], 16))
            status = dspWarnUnaligned;
    }
    return status;
}

int interleave(const float* const* channels, int channelCount, int len, float* dst)
{
    const int status = interleavingStatus(channels, channelCount, len, dst);
    if (status >= 0)
        interleaveKernel(channels, channelCount, len, dst);
    return status;
}

int deinterleave(const float* src, int channelCount, int len, float* const* channels)
{
    const int status = interleavingStatus(channels, channelCount, len, src);
    if (status >= 0)
        deinterleaveKernel(src, channelCount, len, channels);
    return status;
}
