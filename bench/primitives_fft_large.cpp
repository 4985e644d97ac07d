// Real FFT of 2^18 to 2^22 samples, where class 5 leaves its in-cache path for
// the large one, against FFTW in single precision, forward and inverse, out of
// place (as the convolution engine runs it) and in place. After the runs a
// table gives class 5's time as a ratio to FFTW's; on a busy machine run with
// --benchmark_repetitions=5, and the table takes the medians.

#include <cstdio>
#include <string>

#include "bench/fftw_comparison.h"

namespace {

using namespace fftbench;

constexpr int kFirstOrder = 18;
constexpr int kLastOrder = 22;

std::string keyOf(const std::string& who, Direction d, Mode m, int order)
{
    return who + "/" + nameOf(d) + "/" + nameOf(m) + "/2^" + std::to_string(order);
}

void registerAll()
{
    for (Direction direction : kDirections)
        for (Mode mode : kModes)
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                benchmark::RegisterBenchmark(keyOf("fftw", direction, mode, order).c_str(), runFftw, direction, mode,
                                             order)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(keyOf(classLabel(dspCpuSse41), direction, mode, order).c_str(), runOurs,
                                             dspCpuSse41, direction, mode, order)
                    ->Unit(benchmark::kMillisecond);
            }
}

void printRatios(const RunTimes& times)
{
    std::printf("\nClass 5 time relative to FFTW (below 1: faster than FFTW)\n");
    std::printf("%-8s %-13s %5s %8s\n", "", "", "N", "class5");
    for (Direction direction : kDirections)
        for (Mode mode : kModes)
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                const auto fftw = times.find(keyOf("fftw", direction, mode, order));
                const auto ours = times.find(keyOf(classLabel(dspCpuSse41), direction, mode, order));
                if (fftw == times.end() || ours == times.end())
                    continue;
                std::printf("%-8s %-13s 2^%-3d %8.2f\n", nameOf(direction), nameOf(mode), order,
                            ours->second / fftw->second);
            }
}

}  // namespace

int main(int argc, char** argv) { return runAndPrintRatios(argc, argv, registerAll, printRatios); }
