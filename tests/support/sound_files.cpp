#include "tests/support/sound_files.h"

#include <sndfile.h>

namespace dsptest {

bool writePlanarSoundFile(const std::string& path, const std::vector<std::vector<float>>& channels, int sampleRate,
                          int format)
{
    const std::size_t frames = channels.empty() ? 0 : channels[0].size();
    for (const std::vector<float>& channel : channels)
        if (channel.size() != frames)
            return false;
    std::vector<float> interleaved(frames * channels.size());
    for (std::size_t t = 0; t < frames; ++t)
        for (std::size_t c = 0; c < channels.size(); ++c)
            interleaved[t * channels.size() + c] = channels[c][t];
    return writeInterleavedSoundFile(path, interleaved, static_cast<int>(channels.size()), sampleRate, format);
}

bool writeInterleavedSoundFile(const std::string& path, const std::vector<float>& interleaved, int channels,
                               int sampleRate, int format)
{
    if (channels <= 0 || interleaved.size() % static_cast<std::size_t>(channels) != 0)
        return false;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    const auto frames = static_cast<sf_count_t>(interleaved.size() / static_cast<std::size_t>(channels));
    const bool written = frames == 0 || sf_writef_float(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

}  // namespace dsptest
