// Seconds to list a folder of 40,000 files that do not suit (20,000 texts
// named as WAV files and 20,000 mono WAV files at another rate) plus three
// that do, as the editor's file list reads it on its worker thread: from a
// fresh editor (every header read), and again for another working mode
// (headers kept from the first scan, each file checked only for change).
// The editor's own calls stay short whatever these take: the host test
// AdapterBigFolderTest prints the longest of them.
//   build/release/bench/bench_editor_folder_scan
#include <unistd.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include "editor/ir_folder_scan.h"

namespace {

constexpr int kTextFiles = 20000;
constexpr int kWrongRateFiles = 20000;
constexpr int kRate = 48000;

bool writeSilence(const std::string& path, int channels, int rate)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    const std::vector<float> frames(static_cast<std::size_t>(64 * channels), 0.0f);
    const bool written = sf_writef_float(file, frames.data(), 64) == 64;
    return sf_close(file) == 0 && written;
}

// The folder, made once for the program and removed at its end.
class BigFolder {
public:
    BigFolder()
    {
        folder.createDirectory();
        for (int k = 0; k < kTextFiles; ++k)
            folder.getChildFile("notes " + juce::String(k) + ".wav").replaceWithText("text");
        const std::string wrongRate = path("44k 0.wav");
        made = writeSilence(wrongRate, 1, 44100);
        for (int k = 1; made && k < kWrongRateFiles; ++k)
            made = link(wrongRate.c_str(), path("44k " + juce::String(k) + ".wav").c_str()) == 0;
        made = made && writeSilence(path("mono a.wav"), 1, kRate) && writeSilence(path("mono b.wav"), 1, kRate) &&
               writeSilence(path("stereo.wav"), 2, kRate);
    }
    ~BigFolder() { folder.deleteRecursively(); }

    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("brondil-bench-folder", "");
    bool made = false;

private:
    std::string path(const juce::String& name) const
    {
        return folder.getChildFile(name).getFullPathName().toStdString();
    }
};

BigFolder& bigFolder()
{
    static BigFolder instance;
    return instance;
}

BRIrScanResult scanToTheEnd(BRIrFolderScan& scan, int channels)
{
    scan.start({bigFolder().folder, {}, {channels, kRate}});
    for (;;) {
        if (std::optional<BRIrScanResult> result = scan.takeResult())
            return *result;
        usleep(100);
    }
}

void FreshEditorReadsEveryHeader(benchmark::State& state)
{
    if (!bigFolder().made)
        state.SkipWithError("the folder could not be made");
    for (auto _ : state) {
        BRIrFolderScan scan;
        benchmark::DoNotOptimize(scanToTheEnd(scan, 1));
    }
}
BENCHMARK(FreshEditorReadsEveryHeader)->Unit(benchmark::kMillisecond)->UseRealTime();

void ModeChangeReadsNoHeaderAgain(benchmark::State& state)
{
    if (!bigFolder().made)
        state.SkipWithError("the folder could not be made");
    BRIrFolderScan scan;
    scanToTheEnd(scan, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(scanToTheEnd(scan, 2));
}
BENCHMARK(ModeChangeReadsNoHeaderAgain)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
