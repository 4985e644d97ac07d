#include "pack/ir_pack_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sndfile.h>

#include "primitives/dsp.h"

namespace {

// Frames interleaved and written at a time: the file never needs to fit in memory.
constexpr int kWriteChunkFrames = 4096;

// Random names tried for the temporary file before the folder counts as full of them.
constexpr int kTemporaryNameAttempts = 100;

int formatWord(const BRPackSpec& spec)
{
    const int container = spec.format == BRPackFormat::wav ? SF_FORMAT_WAVEX : SF_FORMAT_AIFF;
    switch (spec.depth) {
    case BRPackDepth::pcm16:
        return container | SF_FORMAT_PCM_16;
    case BRPackDepth::pcm24:
        return container | SF_FORMAT_PCM_24;
    case BRPackDepth::float32:
        break;
    }
    return container | SF_FORMAT_FLOAT;
}

BRPackResult failure(const juce::String& why) { return {false, why}; }

// Bits per sample of an integer encoding; 0 for float.
int integerBits(BRPackDepth depth)
{
    switch (depth) {
    case BRPackDepth::pcm16:
        return 16;
    case BRPackDepth::pcm24:
        return 24;
    case BRPackDepth::float32:
        break;
    }
    return 0;
}

// A new empty file beside target under a short hidden name, created only where
// no file of that name exists: it fits wherever target's name fits. Its
// descriptor, or -1 with errno telling why.
int createTemporaryBeside(const juce::File& target, juce::File& temporary)
{
    juce::Random random;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = target.getSiblingFile(".brondil-" + juce::String::toHexString(random.nextInt()).paddedLeft('0', 8));
        const int descriptor = ::open(temporary.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                      0666);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

// Samples as the file's integer steps, left-aligned in 32 bits as sf_writef_int
// takes them: full scale 1.0 is 2^(bits − 1) steps, as libsndfile reads them
// back, each sample goes to its nearest step (libsndfile's own conversion
// rounds down when it clips) and beyond the steps the file holds to the last.
void toIntegerSteps(const float* samples, int* steps, std::size_t count, int bits)
{
    const double fullScale = std::ldexp(1.0, bits - 1);
    const int alignment = 1 << (32 - bits);
    for (std::size_t k = 0; k < count; ++k) {
        const double nearest = std::round(samples[k] * fullScale);
        steps[k] = static_cast<int>(std::fmin(fullScale - 1.0, std::fmax(-fullScale, nearest))) * alignment;
    }
}

// Why a write of wanted frames moved only written.
juce::String writeFailure(SNDFILE* handle, sf_count_t written, sf_count_t wanted)
{
    if (sf_error(handle) != SF_ERR_NO_ERROR)
        return sf_strerror(handle);
    return "Only " + juce::String(written) + " of " + juce::String(wanted) + " frames went into the file.";
}

// Why the matrix and the requested pack format cannot make a pack; empty when they can.
juce::String refusal(const std::vector<std::vector<BRIrCell>>& cells, const BRPackSpec& spec)
{
    const std::size_t inputs = cells.empty() ? 0 : cells[0].size();
    const auto ragged = [inputs](const std::vector<BRIrCell>& row) { return row.size() != inputs; };
    if (inputs == 0 || std::any_of(cells.begin(), cells.end(), ragged))
        return "The IR matrix has no cells, or rows of different lengths.";
    if (spec.kind == BRPackKind::oneToOne && inputs != cells.size())
        return "An IR 1-To-1 pack needs as many inputs as outputs.";
    if (spec.irSize < 1)
        return "The IR size must be at least one sample.";
    if (spec.sampleRate < 1)
        return "There is no sample rate yet: the host has not started the plug-in.";
    return {};
}

// Frames [first, first + count) of output o's channel into channel: the parts
// of the cells they cover, zeros where a cell has no samples left.
void fillChannelChunk(const std::vector<std::vector<BRIrCell>>& cells, const BRPackSpec& spec, int o,
                      std::int64_t first, int count, float* channel)
{
    dspZero(channel, count);
    for (std::int64_t f = first; f < first + count;) {
        const std::int64_t k = f / spec.irSize;
        const std::int64_t offset = f - k * spec.irSize;
        const std::int64_t run = std::min<std::int64_t>(spec.irSize - offset, first + count - f);
        const BRIrCell& cell = spec.kind == BRPackKind::multi ? cells[o][static_cast<std::size_t>(k)] : cells[o][o];
        const std::int64_t available = cell.holdsSamples() ? cell.frameCount : 0;
        if (offset < available)
            dspCopy(cell.buffer.get() + offset, channel + (f - first),
                    static_cast<int>(std::min(run, available - offset)));
        f += run;
    }
}

// The whole pack into descriptor, the new empty file at path, which this takes over.
BRPackResult writeFile(const std::vector<std::vector<BRIrCell>>& cells, const BRPackSpec& spec, int descriptor,
                       const std::string& path)
{
    const int outputs = static_cast<int>(cells.size());
    const std::int64_t irsPerChannel = spec.kind == BRPackKind::multi ? static_cast<std::int64_t>(cells[0].size()) : 1;
    const std::int64_t frames = irsPerChannel * spec.irSize;

    BRSoundFile file;
    file.info.samplerate = spec.sampleRate;
    file.info.channels = outputs;
    file.info.format = formatWord(spec);
    if (file.openForWriting(descriptor, path) == nullptr)
        return failure(sf_strerror(nullptr));
    for (const auto& [type, text] :
         {std::pair{SF_STR_SOFTWARE, "Brondil"},
          std::pair{SF_STR_COMMENT, spec.kind == BRPackKind::multi ? "BrMulti" : "Br1To1"}}) {
        const int refused = file.setString(type, text);
        if (refused != SF_ERR_NO_ERROR)
            return failure(sf_error_number(refused));
    }

    const int chunk = static_cast<int>(std::min<std::int64_t>(kWriteChunkFrames, frames));
    file.frameCount = chunk;
    file.allocateBuffer();
    if (file.buffer == nullptr)
        return failure("Not enough memory to write the pack.");
    std::vector<float> planar(static_cast<std::size_t>(chunk) * outputs);
    std::vector<const float*> channels(static_cast<std::size_t>(outputs));
    for (int o = 0; o < outputs; ++o)
        channels[o] = planar.data() + static_cast<std::size_t>(o) * chunk;
    const int bits = integerBits(spec.depth);
    std::vector<int> steps(bits > 0 ? planar.size() : 0);

    for (std::int64_t first = 0; first < frames;) {
        const int count = static_cast<int>(std::min<std::int64_t>(chunk, frames - first));
        for (int o = 0; o < outputs; ++o)
            fillChannelChunk(cells, spec, o, first, count, planar.data() + static_cast<std::size_t>(o) * chunk);
        dspInterleave(channels.data(), outputs, count, file.buffer.get());
        file.frameCount = count;
        sf_count_t written = 0;
        if (bits > 0) {
            toIntegerSteps(file.buffer.get(), steps.data(), static_cast<std::size_t>(count) * outputs, bits);
            written = sf_writef_int(file.handle, steps.data(), count);
        } else {
            written = file.writeAll();
        }
        if (written != count)
            return failure(writeFailure(file.handle, written, count));
        first += count;
    }
    const int closed = file.close();
    if (closed != SF_ERR_NO_ERROR)
        return failure(sf_error_number(closed));
    return {true, {}};
}

}  // namespace

BRPackResult writeIrPack(const std::vector<std::vector<BRIrCell>>& cells, const BRPackSpec& spec,
                         const juce::File& target)
{
    const juce::String refused = refusal(cells, spec);
    if (refused.isNotEmpty())
        return failure(refused);
    juce::File temporaryFile;
    const int descriptor = createTemporaryBeside(target, temporaryFile);
    if (descriptor < 0)
        return failure(std::strerror(errno));
    // Deletes the temporary file on every way out that has not renamed it.
    const juce::TemporaryFile temporary(target, temporaryFile);
    BRPackResult result;
    try {
        result = writeFile(cells, spec, descriptor, temporaryFile.getFullPathName().toStdString());
    } catch (const std::bad_alloc&) {
        result = failure("Not enough memory to write the pack.");
    }
    // rename, unlike a copy, replaces the target whole or not at all, and never
    // replaces a folder.
    if (result.saved &&
        std::rename(temporary.getFile().getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0) {
        const juce::String why = std::strerror(errno);
        result = failure("The pack cannot take the name " + target.getFileName() + ": " + why);
    }
    return result;
}
