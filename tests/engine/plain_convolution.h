#pragma once

#include <functional>
#include <vector>

#include "primitives/fft/real_fft.h"
#include "tests/engine/convolution_fixture.h"

namespace enginetest {

// The engine's partitioned convolution written plainly, from the primitives
// the engine uses, in the processor class in force: interleaved spectra, one
// product then one sum per partition, a history of slots with a rotating ring
// of partition numbers, and the engine's handling of calls that end inside a
// hop. Its output is the engine's to the bit.
class PlainConvolution {
public:
    // irs[o][i] is the IR of cell [o][i] (IR 1-To-1: irs[c][0] is cell [c][c]),
    // zero-padded or cut to irLength samples.
    PlainConvolution(int fftSize, int blockSize, const std::vector<Channels>& irs, bool oneToOne, int irLength);
    ~PlainConvolution();
    PlainConvolution(const PlainConvolution&) = delete;
    PlainConvolution& operator=(const PlainConvolution&) = delete;

    // Runs input (one signal per input) in calls of the lengths nextLength
    // gives, scaling the output by gain. One signal per output.
    Channels process(const Channels& input, const std::function<int()>& nextLength, float gain);

private:
    using Spectrum = std::vector<float>;

    void hop(bool partial);

    int n;
    int h;
    int b;
    int partitions;
    bool oneToOne;
    int inputs;
    int outputs;
    dspRealFftSpec* spec = nullptr;
    void* work = nullptr;
    std::vector<std::vector<std::vector<Spectrum>>> cells;  // [o][i][partition]
    std::vector<Signal> frames;                             // [i]: previous hop, current hop
    std::vector<std::vector<Spectrum>> history;             // [i][slot]
    std::vector<int> ring;
    int slot;
    std::vector<Spectrum> sums;   // [o]
    std::vector<Signal> results;  // [o]
    int fill = 0;                 // samples of the current hop gathered
    int valid = 0;                // samples of the current hop a partial hop gave
};

}  // namespace enginetest
