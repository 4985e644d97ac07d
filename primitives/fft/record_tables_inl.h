// An FFT record's tables, found by their byte offsets from its start.
// Included inside a class namespace after real_fft.h, so each class has its own copy.

inline const float* floatTableOf(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(spec) + offset);
}

inline const std::int32_t* wordTableOf(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const std::int32_t*>(reinterpret_cast<const char*>(spec) + offset);
}
