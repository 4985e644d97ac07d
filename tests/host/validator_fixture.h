#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/host/plugin_convolution.h"

// The checks that plug-in validators run, ported to Brondil.so in our host:
// an effect of two inputs and two outputs whose state loads an IR multi file
// of short decaying noise, as a host restores a project.
class ValidatorTest : public PluginTest {
protected:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    static constexpr int kIrFrames = 600;

    void SetUp() override;

    // Loads the plug-in, makes the effect at this block size and restores the IR state.
    void makeLoadedEffect(int32_t blockSize, double sampleRate = kRate);

    // Runs input (one signal per input, all of one length) through the resumed
    // effect in calls of nextFrames() frames (the last call cut to what is
    // left), out of place; one signal per output.
    PlanarSamples render(const PlanarSamples& input, const std::function<int32_t()>& nextFrames);

    // An impulse, silence long enough for any FFT size the effect may choose
    // to clear its history, then noiseFrames frames of noise and as much
    // silence again: the first part tells the delay, the rest the response.
    PlanarSamples probeSignal(int noiseFrames) const;

    // Expects output to be the direct convolution of input with the matrix,
    // delayed by the delay the impulse at its start shows, within a relative
    // error of single-precision FFTs.
    void expectDirectConvolution(const PlanarSamples& input, const PlanarSamples& output) const;

    // The first sample of output 0 above the noise floor: the effect's delay
    // for an input that starts with an impulse.
    static int delayOf(const PlanarSamples& output);

    IrMatrix cells;
    std::vector<char> state;
};
