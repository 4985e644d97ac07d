// The interleaving bodies, written once for every class. Included inside a class
// namespace after that class's interleaveKernel and deinterleaveKernel.

// Every channel pointer is checked before anything is written: a null one at any
// position leaves all buffers untouched.
template <class Channel>
int channelStatus(const Channel* channels, int channelCount, const float* interleaved)
{
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
    if (channels == nullptr || dst == nullptr)
        return dspErrNullPointer;
    if (channelCount < 1)
        return dspErrChannelCount;
    if (len < 1)
        return dspErrLength;
    const int status = channelStatus(channels, channelCount, dst);
    if (status >= 0)
        interleaveKernel(channels, channelCount, len, dst);
    return status;
}

int deinterleave(const float* src, int channelCount, int len, float* const* channels)
{
    if (channels == nullptr || src == nullptr)
        return dspErrNullPointer;
    if (channelCount < 1)
        return dspErrChannelCount;
    if (len < 1)
        return dspErrLength;
    const int status = channelStatus(channels, channelCount, src);
    if (status >= 0)
        deinterleaveKernel(src, channelCount, len, channels);
    return status;
}
