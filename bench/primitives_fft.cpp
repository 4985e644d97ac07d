// Real FFT of 64 to 65536 samples against FFTW in single precision, forward
// and inverse, in place and out of place, under class 5 and with classes 0 and
// 2 forced. After the runs a table gives each class's time as a ratio to
// FFTW's; on a busy machine run with --benchmark_repetitions=5, and the table
// takes the medians.

#include <cstdio>
#include <string>

#include "bench/fftw_comparison.h"

namespace {

using namespace fftbench;

constexpr int kFirstOrder = 6;
constexpr int kLastOrder = 16;
constexpr int kClasses[] = {dspCpuSse41, dspCpuSse2, dspCpuGeneric};

std::string keyOf(const std::string& who, Direction d, Mode m, int n)
{
    return who + "/" + nameOf(d) + "/" + nameOf(m) + "/" + std::to_string(n);
}

void registerAll()
{
    for (Direction direction : kDirections)
        for (Mode mode : kModes)
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                const int n = 1 << order;
                benchmark::RegisterBenchmark(keyOf("fftw", direction, mode, n).c_str(), runFftw, direction, mode,
                                             order);
                for (int cpuClass : kClasses)
                    benchmark::RegisterBenchmark(keyOf(classLabel(cpuClass), direction, mode, n).c_str(), runOurs,
                                                 cpuClass, direction, mode, order);
            }
}

void printRatios(const RunTimes& times)
{
    std::printf("\nTime relative to FFTW (below 1: faster than FFTW)\n");
    std::printf("%-8s %-13s %7s", "", "", "N");
    for (int cpuClass : kClasses)
        std::printf(" %8s", classLabel(cpuClass).c_str());
    std::printf("\n");
    for (Direction direction : kDirections)
        for (Mode mode : kModes)
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                const int n = 1 << order;
                const auto fftw = times.find(keyOf("fftw", direction, mode, n));
                if (fftw == times.end())
                    continue;
                std::printf("%-8s %-13s %7d", nameOf(direction), nameOf(mode), n);
                for (int cpuClass : kClasses) {
                    const auto ours = times.find(keyOf(classLabel(cpuClass), direction, mode, n));
                    if (ours == times.end())
                        std::printf(" %8s", "-");
                    else
                        std::printf(" %8.2f", ours->second / fftw->second);
                }
                std::printf("\n");
            }
}

}  // namespace

int main(int argc, char** argv) { return runAndPrintRatios(argc, argv, registerAll, printRatios); }
