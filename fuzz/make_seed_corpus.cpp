// brondil-fuzz-seeds <corpus folder>: writes the seed corpus of every fuzz
// target from documents, sound files and host sessions of our own making:
// what the plug-in writes itself, what libsndfile writes, and a few hostile
// cases the fuzzer would take long to find.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include <sndfile.h>

#include "engine/settings.h"
#include "fuzz/fuzz_scratch.h"
#include "host/vst/opcodes.h"

namespace {

juce::File corpusFolder;

void writeSeed(const char* target, const juce::String& name, const std::string& bytes)
{
    const juce::File folder = corpusFolder.getChildFile(target);
    folder.createDirectory();
    if (!folder.getChildFile(name).replaceWithData(bytes.data(), bytes.size()))
        brokenPromise("the corpus folder takes the seed");
}

std::string bytesOf(const juce::MemoryBlock& block)
{
    return std::string(static_cast<const char*>(block.getData()), block.getSize());
}

std::string wrappedDocument(const std::string& text)
{
    juce::MemoryOutputStream out;
    out.write("VC2!", 4);
    out.writeInt(static_cast<int>(text.size()));
    out.write(text.data(), text.size());
    out.writeByte(0);
    return bytesOf(out.getMemoryBlock());
}

const char* const kHostileDocuments[] = {
    "<!DOCTYPE x [<!ENTITY a \"&xa;\">]><BRONDILSETTINGS wetgain=\"&a;\"/>",
    "<!DOCTYPE x SYSTEM \"/dev/zero\"><BRONDILSETTINGS/>",
    "<BRONDILSETTINGS wetgain=\"0.5\" inputs=\"2\" outputs=\"2\"",
    "<BRONDILSETTINGS wetgain=\"0.5\" inputs=\"2\" outputs=\"2\" mode=\"1\"><DropDownList></LastPathList>",
    "<BRONDILSETTINGS lastSelMulti=\"\xC3",
};

std::string stateOf(BRWorkingMode mode, const juce::String& lastSelMulti)
{
    const auto filter = makeFuzzProcessor(2, 2);
    filter->setWorkingMode(mode);
    filter->setParameter(0, 0.3f);
    filter->settings.lastSelMulti = lastSelMulti;
    filter->settings.dropDownList = {"/", "/tmp", "/"};
    filter->settings.lastPathList = {"/usr", "/nowhere"};
    juce::MemoryBlock chunk;
    filter->getStateInformation(chunk);
    return bytesOf(chunk);
}

void writeStateSeeds()
{
    writeSeed("state_chunk", "mono.chunk", stateOf(BRWorkingMode::irMono, {}));
    // An existing file that is no sound file: the restore goes as far as the load.
    writeSeed("state_chunk", "multi.chunk", stateOf(BRWorkingMode::irMulti, "/etc/hostname"));
    writeSeed("state_chunk", "one_to_one.chunk", stateOf(BRWorkingMode::irOneToOne, "/nowhere/ir.wav"));
    int n = 0;
    for (const char* text : kHostileDocuments)
        writeSeed("state_chunk", "hostile" + juce::String(n++) + ".chunk", wrappedDocument(text));
}

void writeSettingsSeeds()
{
    BRSettings settings;
    const juce::File file = fuzzScratchFolder().getChildFile("seed.xml");
    saveSettings(settings, file);
    writeSeed("settings_file", "defaults.xml", file.loadFileAsString().toStdString());
    settings.lastDir = juce::File("/tmp");
    settings.dropDownList = {"/", "/tmp"};
    settings.lastPathList = {"/usr"};
    settings.fftSize = 4096;
    settings.irSize = 8192;
    settings.zeroLatency = 1;
    settings.workingMode = 2;
    saveSettings(settings, file);
    writeSeed("settings_file", "filled.xml", file.loadFileAsString().toStdString());
    writeSeed("settings_file", "hostile.xml",
              "<!DOCTYPE x [<!ENTITY a \"&xa;\">]><Brondil><IRsize size=\"&a;\"/></Brondil>");
}

// A sound file written by libsndfile, its bytes after the working-mode byte.
std::string soundFileSeed(BRWorkingMode mode, int format, int channels, int frames, bool withNan)
{
    const juce::File file = fuzzScratchFolder().getChildFile("seed.snd");
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    SNDFILE* handle = sf_open(file.getFullPathName().toRawUTF8(), SFM_WRITE, &info);
    if (handle == nullptr)
        brokenPromise("libsndfile writes the seed's format");
    std::vector<float> samples(static_cast<std::size_t>(channels * frames));
    for (std::size_t k = 0; k < samples.size(); ++k)
        samples[k] =
            static_cast<float>(std::sin(0.05 * static_cast<double>(k)) * std::exp(-0.004 * static_cast<double>(k)));
    if (withNan)
        samples[samples.size() / 2] = std::nanf("");
    sf_writef_float(handle, samples.data(), frames);
    sf_close(handle);
    juce::MemoryBlock bytes;
    file.loadFileAsData(bytes);
    return std::string(1, static_cast<char>(workingModeNumber(mode))) + bytesOf(bytes);
}

void writeIrSeeds()
{
    writeSeed("ir_file", "mono_float.wav",
              soundFileSeed(BRWorkingMode::irMono, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 300, false));
    writeSeed("ir_file", "multi_pcm16.wav",
              soundFileSeed(BRWorkingMode::irMulti, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 1100, false));
    writeSeed("ir_file", "one_to_one_pcm24.aiff",
              soundFileSeed(BRWorkingMode::irOneToOne, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 700, false));
    writeSeed("ir_file", "multi_extensible.wav",
              soundFileSeed(BRWorkingMode::irMulti, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 3, 400, false));
    writeSeed("ir_file", "mono.flac",
              soundFileSeed(BRWorkingMode::irMono, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 500, false));
    writeSeed("ir_file", "multi_nan.wav",
              soundFileSeed(BRWorkingMode::irMulti, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 600, true));
}

// A host session in the byte language of fuzzDispatcher (dispatcher_target.cpp).
class HostSession {
public:
    HostSession(int inputs, int outputs)
    {
        put(inputs - 1);
        put(outputs - 1);
    }

    // A dispatcher call whose pointer is none, a zeroed record, or a text.
    enum class Pointer {
        none,
        record
    };
    void call(int32_t opcode, int32_t index, intptr_t value, float opt, Pointer pointer)
    {
        opening(opcode, index, opt);
        put(pointer == Pointer::none ? 0 : 1);
        integer(value);
    }
    void callWithText(int32_t opcode, int32_t index, const std::string& text)
    {
        opening(opcode, index, 0.0f);
        put(2);
        put(static_cast<int>(text.size()));
        bytes += text;
        integer(0);
    }
    void setChunk(const std::string& chunk)
    {
        opening(effSetChunk, 0, 0.0f);
        putValue(static_cast<uint16_t>(chunk.size()));
        bytes += chunk;
        integer(static_cast<intptr_t>(chunk.size()));
    }
    void speakers(int32_t channels)
    {
        opening(effSetSpeakerArrangement, 0, 0.0f);
        for (int side = 0; side < 2; ++side) {
            put(2);
            put(8);
            bytes += std::string(4, '\0') + std::string(reinterpret_cast<const char*>(&channels), 4);
        }
    }
    void process(uint16_t frames, float poison, bool inPlace)
    {
        put(0);
        putValue(frames);
        putValue(poison);
        put(inPlace ? 0 : 1);
    }
    void parameter(int32_t index, float value)
    {
        put(1);
        put(2);
        putValue(index);
        putValue(value);
    }

    std::string bytes;

private:
    void put(int value) { bytes += static_cast<char>(value); }
    template <typename Value>
    void putValue(Value value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof(Value));
    }
    void opening(int32_t opcode, int32_t index, float opt)
    {
        put(3);
        put(opcode);
        put(2);
        putValue(index);
        putValue(opt);
    }
    void integer(intptr_t value)
    {
        put(2);
        putValue(value);
    }
};

void writeDispatcherSeeds()
{
    HostSession lifecycle(2, 2);
    lifecycle.call(effOpen, 0, 0, 0.0f, HostSession::Pointer::none);
    lifecycle.call(effSetSampleRate, 0, 0, 48000.0f, HostSession::Pointer::none);
    lifecycle.call(effSetBlockSize, 0, 256, 0.0f, HostSession::Pointer::none);
    lifecycle.call(effMainsChanged, 0, 1, 0.0f, HostSession::Pointer::none);
    lifecycle.call(effStartProcess, 0, 0, 0.0f, HostSession::Pointer::none);
    for (int k = 0; k < 4; ++k)
        lifecycle.process(256, 0.5f, k % 2 == 0);
    lifecycle.call(effStopProcess, 0, 0, 0.0f, HostSession::Pointer::none);
    lifecycle.call(effMainsChanged, 0, 0, 0.0f, HostSession::Pointer::none);
    writeSeed("dispatcher", "lifecycle.session", lifecycle.bytes);

    HostSession state(2, 2);
    state.setChunk(stateOf(BRWorkingMode::irMulti, "/etc/hostname"));
    state.call(effGetChunk, 0, 0, 0.0f, HostSession::Pointer::record);
    state.call(effGetChunk, 1, 0, 0.0f, HostSession::Pointer::record);
    state.parameter(0, 0.75f);
    state.setChunk(wrappedDocument(kHostileDocuments[0]));
    writeSeed("dispatcher", "state.session", state.bytes);

    HostSession questions(1, 3);
    for (int32_t opcode :
         {effGetEffectName, effGetVendorString, effGetProductString, effGetParamName, effGetParamDisplay,
          effGetParamLabel, effGetProgramName, effEditGetRect, effGetInputProperties, effGetOutputProperties,
          effGetParameterProperties, effGetPlugCategory, effGetVstVersion, effGetTailSize})
        questions.call(opcode, 0, 0, 0.0f, HostSession::Pointer::record);
    questions.callWithText(effCanDo, 0, "receiveVstTimeInfo");
    questions.callWithText(effString2Parameter, 0, "-6.0");
    questions.speakers(1);
    questions.speakers(3);
    writeSeed("dispatcher", "questions.session", questions.bytes);

    HostSession hostile(3, 1);
    hostile.process(512, std::nanf(""), false);
    hostile.call(effSetSampleRate, 0, 0, std::nanf(""), HostSession::Pointer::none);
    hostile.call(effSetBlockSize, 0, 0, 0.0f, HostSession::Pointer::none);
    hostile.call(effGetParamName, INT32_MAX, 0, 0.0f, HostSession::Pointer::record);
    hostile.call(effGetEffectName, 0, 0, 0.0f, HostSession::Pointer::none);
    hostile.call(effMainsChanged, 0, 1, 0.0f, HostSession::Pointer::none);
    hostile.process(4096, std::numeric_limits<float>::infinity(), true);
    hostile.parameter(-1, 2.0f);
    writeSeed("dispatcher", "hostile.session", hostile.bytes);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brondil-fuzz-seeds <corpus folder>\n");
        return 2;
    }
    corpusFolder = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    writeStateSeeds();
    writeSettingsSeeds();
    writeIrSeeds();
    writeDispatcherSeeds();
    return 0;
}
