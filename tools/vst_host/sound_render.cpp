#include "tools/vst_host/sound_render.h"

#include <sndfile.h>

#include <algorithm>
#include <vector>

namespace {

// More channels than libsndfile writes is a record we misread or a broken effect.
constexpr int32_t maxChannels = 1024;

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Planar buffers with the pointer table the process call takes.
struct PlanarBlock {
    PlanarBlock(int32_t channels, int32_t frames)
        : samples(static_cast<std::size_t>(channels) * frames), pointers(std::max(channels, 1), nullptr)
    {
        for (int32_t c = 0; c < channels; ++c)
            pointers[c] = samples.data() + static_cast<std::size_t>(c) * frames;
    }
    std::vector<float> samples;
    std::vector<float*> pointers;
};

bool channelsFit(const HostedEffect& effect, const RenderSource& source, std::string& error)
{
    const AEffect& record = effect.record();
    if (record.numInputs < 0 || record.numInputs > maxChannels || record.numOutputs < 1 ||
        record.numOutputs > maxChannels) {
        error = "the effect reports " + std::to_string(record.numInputs) + " inputs and " +
                std::to_string(record.numOutputs) + " outputs, which this host cannot render";
        return false;
    }
    if (source.channels() > record.numInputs) {
        error = "the input file has " + std::to_string(source.channels()) + " channels but the effect takes " +
                std::to_string(record.numInputs) + " inputs";
        return false;
    }
    if (!effect.hasFlag(effFlagsCanReplacing) || record.processReplacing == nullptr) {
        error = "the effect does not process 32-bit float audio in place of its outputs (processReplacing)";
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<RenderSource> RenderSource::open(const std::string& path, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read the sound file '" + path + "': " + sf_strerror(nullptr);
        return nullptr;
    }
    return std::unique_ptr<RenderSource>(new RenderSource(file, info.channels, info.samplerate, info.frames));
}

RenderSource::RenderSource(SNDFILE* file, int channels, int sampleRate, int64_t frames)
    : file(file), channelCount(channels), rate(sampleRate), frameCount(frames)
{
}

RenderSource::~RenderSource() { sf_close(file); }

int64_t RenderSource::read(float* interleaved, int64_t frames) { return sf_readf_float(file, interleaved, frames); }

bool renderThroughEffect(HostedEffect& effect, RenderSource& source, const std::string& outputPath, int64_t tailFrames,
                         std::string& error)
{
    if (!channelsFit(effect, source, error))
        return false;
    const int32_t inputs = effect.record().numInputs;
    const int32_t outputs = effect.record().numOutputs;
    const int32_t blockFrames = effect.blockSize();
    const int sourceChannels = source.channels();

    SF_INFO outputInfo{};
    outputInfo.samplerate = static_cast<int>(effect.sampleRate());
    outputInfo.channels = outputs;
    outputInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SoundFile output(sf_open(outputPath.c_str(), SFM_WRITE, &outputInfo));
    if (!output) {
        error = "cannot write the sound file '" + outputPath + "': " + sf_strerror(nullptr);
        return false;
    }

    PlanarBlock in(inputs, blockFrames);
    PlanarBlock out(outputs, blockFrames);
    std::vector<float> sourceFrames(static_cast<std::size_t>(blockFrames) * sourceChannels);
    std::vector<float> outputFrames(static_cast<std::size_t>(blockFrames) * outputs);
    bool sourceLeft = true;
    int64_t tailLeft = tailFrames;

    while (sourceLeft || tailLeft > 0) {
        int64_t frames = 0;
        if (sourceLeft) {
            frames = source.read(sourceFrames.data(), blockFrames);
            sourceLeft = frames == blockFrames;
        }
        // The tail fills the rest of the source's last block, then blocks of its own.
        const int64_t tailHere = std::min<int64_t>(tailLeft, blockFrames - frames);
        const int64_t sourceHere = frames;
        frames += tailHere;
        tailLeft -= tailHere;
        if (frames == 0)
            break;

        // The effect may have written into its inputs: lay every input out anew.
        std::fill(in.samples.begin(), in.samples.end(), 0.0f);
        std::fill(out.samples.begin(), out.samples.end(), 0.0f);
        for (int64_t i = 0; i < sourceHere; ++i)
            for (int c = 0; c < sourceChannels; ++c)
                in.pointers[c][i] = sourceFrames[static_cast<std::size_t>(i) * sourceChannels + c];

        effect.process(in.pointers.data(), out.pointers.data(), static_cast<int32_t>(frames));

        for (int64_t i = 0; i < frames; ++i)
            for (int32_t c = 0; c < outputs; ++c)
                outputFrames[static_cast<std::size_t>(i) * outputs + c] = out.pointers[c][i];
        if (sf_writef_float(output.get(), outputFrames.data(), frames) != frames) {
            error = "cannot write the sound file '" + outputPath + "': " + sf_strerror(output.get());
            return false;
        }
    }
    return true;
}
