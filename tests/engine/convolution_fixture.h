#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/filter.h"
#include "tests/engine/scratch_folder.h"

namespace enginetest {

using Signal = std::vector<float>;
using Channels = std::vector<Signal>;

// Writes channels (all of one length) as a 32-bit float WAV file with
// libsndfile itself, independently of the engine. format may name another type.
void writeChannels(const juce::File& file, const Channels& channels, int format = 0);

// Uniform noise in [-1, 1) from a fixed seed.
Signal noise(std::size_t length, unsigned seed);

// An IR that decays like a room's, from a fixed seed.
Signal decayingIr(std::size_t length, unsigned seed);

// The settings a test processor starts from; 0 leaves an element out.
struct EngineSettings {
    int fftSize = 1024;
    int irSize = 1024;
    int zeroLatency = 0;
    int workingMode = 0;
};

// A processor of inputs × outputs whose settings file holds settings, in its
// own scratch folder; warnings are collected instead of shown.
class TestProcessor {
public:
    TestProcessor(int inputs, int outputs, const EngineSettings& settings);

    BRFilter& operator*() { return *filter; }
    BRFilter* operator->() { return filter.get(); }
    juce::File file(const juce::String& name) const { return scratch.file(name); }

    // Loads IR irs[o][i] into every cell (IR mono) or writes them as one file
    // and loads it (IR multi; IR 1-To-1 takes irs[c][0] as the IR of [c][c]).
    void loadMatrix(const std::vector<Channels>& irs);

    std::vector<std::string> warnings;  // "title|message"

private:
    ScratchFolder scratch;
    std::unique_ptr<BRFilter> filter;
};

// True when no cell holds samples or spectra.
bool matrixIsEmpty(const BRFilter& filter);

// Runs input (one signal per input channel) through processBlock in calls of
// the lengths that nextLength gives, under the callback lock as a host's adapter
// does, in a buffer of max(inputs, outputs) channels. One signal per output.
Channels process(BRFilter& filter, const Channels& input, const std::function<int()>& nextLength);

// Call lengths that are always length.
std::function<int()> fixedLength(int length);

// Direct time-domain convolution in double: output o = sum over inputs i of
// input i convolved with irs[o][i] (IR 1-To-1: input o with irs[o][0]).
std::vector<std::vector<double>> referenceConvolution(const Channels& input, const std::vector<Channels>& irs,
                                                      bool oneToOne, std::size_t length);

// The largest |output[o][t] − reference[o][t − delay]| over the largest
// |reference|: output before the delay must be 0.
double relativeError(const Channels& output, const std::vector<std::vector<double>>& reference, int delay);

}  // namespace enginetest
