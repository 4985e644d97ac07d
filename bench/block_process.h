#pragma once

// One host block of a square matrix's convolution through the engine or through
// the strong peer, for the measuring programs that run either by name.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/engine_matrix.h"
#include "bench/strong_uniform_reference.h"
#include "primitives/dsp.h"

namespace enginebench {

// In place, kBlock samples per channel: channel c holds input c on entry and
// output c on return. Calls neither allocate nor lock.
using BlockProcess = std::function<void(float* const* channels)>;

// "engine" or "peer" prepared for m at FFT size n; empty when `which` names
// neither or the engine could not be prepared.
inline BlockProcess makeBlockProcess(const std::string& which, const Matrix& m, int n)
{
    dspInitCpuDispatch();
    if (which == "engine") {
        auto convolver = std::make_shared<BRPartitionedConvolver>();
        auto spectra = std::make_shared<std::vector<BRAlignedFloats>>();
        if (!prepareEngine(m, n, *convolver, *spectra))
            return {};
        return [convolver, spectra, size = m.size](float* const* channels) {
            convolver->process(channels, size, kBlock, 1.0f);
        };
    }
    if (which == "peer") {
        auto peer = std::make_shared<StrongUniformReference>(m, n, kBlock);
        return [peer](float* const* channels) { peer->process(channels); };
    }
    return {};
}

}  // namespace enginebench
