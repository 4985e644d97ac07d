#pragma once

#include <string>
#include <vector>

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
