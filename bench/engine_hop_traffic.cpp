// Runs a few hops of a 32 × 32 matrix of 1 s IRs at N 4096 through the engine or
// the strong peer, for a cache simulator to count what a hop fetches from
// beyond a cache level: two runs that differ only in their hop count give the
// steady hops' share. bench/hop_traffic.sh does that under cachegrind.
//   bench_engine_hop_traffic engine|peer HOPS
// Prints the bytes of the cells' spectra (N floats per partition).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/block_process.h"

namespace {

using namespace enginebench;

const Shape kShape = {"32x32_1s", 32, 1.0};
constexpr int kFftSize = 4096;

}  // namespace

int main(int argc, char** argv)
{
    const int hops = argc == 3 ? std::atoi(argv[2]) : -1;
    if (hops < 0) {
        std::fprintf(stderr, "usage: %s engine|peer HOPS\n", argv[0]);
        return 2;
    }
    const Matrix m = makeMatrix(kShape);
    const BlockProcess process = makeBlockProcess(argv[1], m, kFftSize);
    if (!process) {
        std::fprintf(stderr, "%s: no convolution named %s, or it could not be prepared\n", argv[0], argv[1]);
        return 1;
    }
    HostBlocks blocks(m.size);
    const int blocksPerHop = kFftSize / 2 / kBlock;
    for (int b = 0; b < hops * blocksPerHop; ++b)
        process(blocks.refill());
    const double partitions = static_cast<double>(ceilDiv(m.irSamples, kFftSize / 2));
    std::printf("cells' bytes: %.0f\n", static_cast<double>(m.size) * m.size * partitions * kFftSize * sizeof(float));
    return 0;
}
