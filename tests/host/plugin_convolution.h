#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/host/plugin_fixture.h"

// Impulse responses and their direct convolution, for the tests that compare
// what Brondil.so sounds with what it should.

// Uniform noise in [-1, 1) decaying by exp(-decayPerFrame · t), a different one per seed.
std::vector<float> decayingNoise(unsigned seed, int frames, double decayPerFrame);

// cells[o][i]: the impulse response from input i to output o.
using IrMatrix = std::vector<std::vector<std::vector<float>>>;

// outputs × inputs cells of frames samples of decaying noise each.
IrMatrix makeIrMatrix(int inputs, int outputs, int frames);

// The IR multi file of the matrix: channel o holds the responses of inputs 0,
// 1, … one after the other.
PlanarSamples irMultiFile(const IrMatrix& cells);

// Output o of the matrix for the dry inputs by direct convolution in double,
// the first `frames` samples.
std::vector<double> directConvolution(const PlanarSamples& dry, const IrMatrix& cells, int output, std::size_t frames);

// The state the processor itself writes after loading irPath in IR multi mode
// with `inputs` inputs, at the given wet gain (makeIrMultiState).
std::vector<char> irMultiState(const std::string& irPath, int inputs, double wetGainDb);
