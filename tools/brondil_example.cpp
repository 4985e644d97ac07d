// brondil-example: makes an example multichannel impulse response for IR multi
// mode and a dry signal to render through it, both as 32-bit float WAV files.
// Everything is computed here, the same on every run.
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kInputs = 2;
constexpr int kOutputs = 2;
constexpr double kIrSeconds = 1.5;
constexpr double kDrySeconds = 6.0;
constexpr double kPi = 3.14159265358979323846;

const char* const kUsage =
    "usage: brondil-example --ir IR.wav --dry DRY.wav\n"
    "Writes an example impulse response for 2 inputs and 2 outputs in IR multi\n"
    "mode (2 channels; channel o holds the responses of input 0, then input 1,\n"
    "into output o, 1.5 s each: decaying noise) and a 6 s stereo dry signal\n"
    "(plucked tones on the left, clicks on the right), at 48 kHz.\n";

// Frames as channels × frames, planar.
using Planar = std::vector<std::vector<float>>;

// Noise under an exponential decay that falls by 60 dB in rt60 seconds, after
// a pre-delay; a different noise for every cell.
std::vector<float> decayingNoise(unsigned seed, double level, double preDelaySeconds, double rt60, int frames)
{
    std::mt19937 generator(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<float> response(static_cast<std::size_t>(frames), 0.0f);
    const int start = static_cast<int>(preDelaySeconds * kRate);
    const double decayPerSecond = std::log(1000.0) / rt60;
    for (int t = start; t < frames; ++t) {
        const double seconds = static_cast<double>(t - start) / kRate;
        response[static_cast<std::size_t>(t)] =
            static_cast<float>(level * std::exp(-decayPerSecond * seconds) * noise(generator));
    }
    return response;
}

Planar exampleIr()
{
    const int cellFrames = static_cast<int>(kIrSeconds * kRate);
    Planar channels(kOutputs, std::vector<float>(static_cast<std::size_t>(cellFrames) * kInputs, 0.0f));
    for (int o = 0; o < kOutputs; ++o)
        for (int i = 0; i < kInputs; ++i) {
            // The input on the same side sounds earlier and louder than the other one.
            const bool sameSide = o == i;
            const std::vector<float> cell = decayingNoise(static_cast<unsigned>(1 + o * kInputs + i),
                                                          sameSide ? 0.02 : 0.012, sameSide ? 0.004 : 0.011,
                                                          sameSide ? 1.1 : 1.3, cellFrames);
            std::copy(cell.begin(), cell.end(),
                      channels[static_cast<std::size_t>(o)].begin() + static_cast<std::ptrdiff_t>(i) * cellFrames);
        }
    return channels;
}

Planar exampleDry()
{
    const int frames = static_cast<int>(kDrySeconds * kRate);
    Planar channels(kInputs, std::vector<float>(static_cast<std::size_t>(frames), 0.0f));
    // Left: a plucked tone every 0.75 s for 4.5 s, climbing a fifth at a time.
    for (int note = 0; note < 6; ++note) {
        const int start = note * kRate * 3 / 4;
        const double frequency = 220.0 * std::pow(1.5, note % 3);
        for (int t = 0; t < kRate / 2 && start + t < frames; ++t) {
            const double seconds = static_cast<double>(t) / kRate;
            channels[0][static_cast<std::size_t>(start + t)] =
                static_cast<float>(0.5 * std::exp(-6.0 * seconds) * std::sin(2.0 * kPi * frequency * seconds));
        }
    }
    // Right: a click every 0.5 s for 4.5 s.
    for (int click = 0; click < 9; ++click)
        channels[1][static_cast<std::size_t>(click * kRate / 2 + kRate / 4)] = 0.8f;
    return channels;
}

bool writeWav(const std::string& path, const Planar& channels)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = static_cast<int>(channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::cerr << "brondil-example: cannot write '" << path << "': " << sf_strerror(nullptr) << '\n';
        return false;
    }
    const std::size_t frames = channels[0].size();
    std::vector<float> interleaved(frames * channels.size());
    for (std::size_t t = 0; t < frames; ++t)
        for (std::size_t c = 0; c < channels.size(); ++c)
            interleaved[t * channels.size() + c] = channels[c][t];
    const bool written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames)) ==
                         static_cast<sf_count_t>(frames);
    sf_close(file);
    if (!written)
        std::cerr << "brondil-example: cannot write '" << path << "'\n";
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string irPath, dryPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 < argc && std::strcmp(argv[i], "--ir") == 0)
            irPath = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--dry") == 0)
            dryPath = argv[++i];
        else {
            std::cerr << "brondil-example: unknown option or missing value: " << argv[i] << " (see --help)\n";
            return 2;
        }
    }
    if (irPath.empty() || dryPath.empty()) {
        std::cerr << "brondil-example: --ir and --dry are needed (see --help)\n";
        return 2;
    }
    if (!writeWav(irPath, exampleIr()) || !writeWav(dryPath, exampleDry()))
        return 1;
    std::cout << "wrote the impulse response '" << irPath << "' and the dry signal '" << dryPath << "'\n";
    return 0;
}
