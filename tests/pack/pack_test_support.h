#pragma once

#include <string>
#include <vector>

#include <sys/resource.h>

#include <juce_core/juce_core.h>

// A pack file as libsndfile itself reads it, independently of the writer.
struct PackOnDisk {
    bool opened = false;
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    long long frames = 0;
    std::string software;
    std::string comment;
    std::vector<std::vector<float>> channelSamples;  // [channel][frame]
};

PackOnDisk readPack(const juce::File& file);

// Every file and folder in folder, hidden ones included.
juce::StringArray entriesOf(const juce::File& folder);

// Files of this process stop growing at bytes, as on a full disk: writes beyond
// fail (the signal the kernel would send is ignored). Restored when it ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool applied = false;

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};
