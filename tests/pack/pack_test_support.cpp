#include "tests/pack/pack_test_support.h"

#include <csignal>

#include <sndfile.h>

PackOnDisk readPack(const juce::File& file)
{
    PackOnDisk pack;
    SF_INFO info{};
    SNDFILE* handle = sf_open(file.getFullPathName().toRawUTF8(), SFM_READ, &info);
    if (handle == nullptr)
        return pack;
    pack.opened = true;
    pack.format = info.format;
    pack.channels = info.channels;
    pack.sampleRate = info.samplerate;
    pack.frames = info.frames;
    const char* software = sf_get_string(handle, SF_STR_SOFTWARE);
    const char* comment = sf_get_string(handle, SF_STR_COMMENT);
    pack.software = software != nullptr ? software : "";
    pack.comment = comment != nullptr ? comment : "";
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_float(handle, frames.data(), info.frames);
    pack.channelSamples.assign(static_cast<std::size_t>(info.channels),
                               std::vector<float>(static_cast<std::size_t>(got)));
    for (sf_count_t f = 0; f < got; ++f)
        for (int c = 0; c < info.channels; ++c)
            pack.channelSamples[c][f] = frames[static_cast<std::size_t>(f * info.channels + c)];
    sf_close(handle);
    return pack;
}

juce::StringArray entriesOf(const juce::File& folder)
{
    juce::StringArray names;
    for (const auto& entry : folder.findChildFiles(juce::File::findFilesAndDirectories, false, "*"))
        names.add(entry.getFileName());
    names.sort(false);
    return names;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    applied = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}
