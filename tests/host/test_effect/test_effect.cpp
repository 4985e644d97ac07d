// A small effect on the effect base classes, built as a plug-in file so that
// tests reach it the way a host does. Two inputs, two outputs; parameter 0
// "Gain" (0..1 maps to gain 0..2), parameter 1 "Invert" (>= 0.5 negates);
// three programs; its state chunk is the tag 'BrTe' followed by both values.
// Tests read what it saw through effVendorSpecific with the probe codes below.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/audio_effect_x.h"
#include "host/vst/opcodes.h"
#include "host/vst/plugin_entry.h"
#include "tests/host/test_effect/test_effect_probes.h"

namespace {

constexpr int32_t programs = 3;
constexpr int32_t parameters = 2;

struct State {
    int32_t tag;
    float values[parameters];
};

class TestEffect : public AudioEffectX {
public:
    explicit TestEffect(audioMasterCallback hostCallback) : AudioEffectX(hostCallback, programs, parameters)
    {
        setUniqueID(testEffectUniqueId);
        setNumInputs(2);
        setNumOutputs(2);
        programsAreChunks(true);
        for (int32_t i = 0; i < programs; ++i)
            std::snprintf(programNames[i], sizeof programNames[i], "Program %d", static_cast<int>(i + 1));
    }

    void open() override { ++opens; }
    void suspend() override { ++suspends; }
    void resume() override
    {
        ++resumes;
        AudioEffectX::resume();
    }

    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override
    {
        ++blocks;
        minFrames = std::min(minFrames, sampleFrames);
        maxFrames = std::max(maxFrames, sampleFrames);
        if (const VstTimeInfo* time = getTimeInfo(kVstTempoValid))
            lastSamplePosition = static_cast<intptr_t>(time->samplePos);
        const float gain = 2.0f * values[0] * (values[1] >= 0.5f ? -1.0f : 1.0f);
        for (int c = 0; c < 2; ++c)
            for (int32_t i = 0; i < sampleFrames; ++i)
                outputs[c][i] = inputs[c][i] * gain;
    }

    // Hosts may send any parameter index: those it lacks are ignored, named "None".
    void setParameter(int32_t index, float value) override
    {
        if (isParameter(index))
            values[index] = value;
    }
    float getParameter(int32_t index) override { return isParameter(index) ? values[index] : 0.0f; }
    void getParameterName(int32_t index, char* text) override
    {
        std::strcpy(text, index == 0 ? "Gain" : index == 1 ? "Invert" : "None");
    }
    void getParameterLabel(int32_t index, char* label) override { std::strcpy(label, index == 0 ? "x" : ""); }
    void getParameterDisplay(int32_t index, char* text) override
    {
        if (index == 0)
            float2string(2.0f * values[0], text, kVstMaxParamStrLen);
        else if (index == 1)
            std::strcpy(text, values[1] >= 0.5f ? "on" : "off");
        else
            std::strcpy(text, "");
    }

    void setProgramName(char* name) override
    {
        std::snprintf(programNames[currentProgram], sizeof programNames[currentProgram], "%s", name);
    }
    void getProgramName(char* name) override { std::strcpy(name, programNames[currentProgram]); }
    bool getProgramNameIndexed(int32_t, int32_t index, char* text) override
    {
        if (index >= programs)
            return false;
        std::strcpy(text, programNames[index]);
        return true;
    }

    int32_t getChunk(void** data, bool) override
    {
        chunk = State{testEffectUniqueId, {values[0], values[1]}};
        *data = &chunk;
        return sizeof chunk;
    }
    int32_t setChunk(void* data, int32_t byteSize, bool) override
    {
        ++chunksOffered;
        State state{};
        if (data == nullptr || byteSize != static_cast<int32_t>(sizeof state))
            return 0;
        std::memcpy(&state, data, sizeof state);
        if (state.tag != testEffectUniqueId)
            return 0;
        values[0] = state.values[0];
        values[1] = state.values[1];
        return 1;
    }

    bool getInputProperties(int32_t index, VstPinProperties* properties) override
    {
        return pin(index, "Test In ", properties);
    }
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override
    {
        return pin(index, "Test Out ", properties);
    }

    bool getEffectName(char* name) override { return copy(name, "Test Effect"); }
    bool getVendorString(char* text) override { return copy(text, "Brondil Lab"); }
    bool getProductString(char* text) override { return copy(text, "Brondil Test Effect"); }
    int32_t getVendorVersion() override { return 0x10003; }
    int32_t canDo(char* text) override { return std::strcmp(text, "receiveVstTimeInfo") == 0 ? 1 : 0; }

    intptr_t vendorSpecific(int32_t index, intptr_t, void* ptr, float) override
    {
        switch (index) {
        case probeBlocks:
            return blocks;
        case probeMinFrames:
            return blocks > 0 ? minFrames : 0;
        case probeMaxFrames:
            return maxFrames;
        case probeSamplePosition:
            return lastSamplePosition;
        case probeOpens:
            return opens;
        case probeResumes:
            return resumes;
        case probeSuspends:
            return suspends;
        case probeChunksOffered:
            return chunksOffered;
        case probeAutomate:
            setParameterAutomated(0, 0.25f);
            return 1;
        case probeHostProduct:
            return getHostProductString(static_cast<char*>(ptr)) ? 1 : 0;
        case probeHostCanDoTimeInfo: {
            char text[] = "sendVstTimeInfo";
            return canHostDo(text);
        }
        case probeHostSampleRate:
            return static_cast<intptr_t>(updateSampleRate());
        case probeHostBlockSize:
            return updateBlockSize();
        case probeMasterVersion:
            return getMasterVersion();
        case probeProcessLevel:
            return getCurrentProcessLevel();
        case probeInputConnected:
            return isInputConnected(static_cast<int32_t>(reinterpret_cast<intptr_t>(ptr))) ? 1 : 0;
        default:
            return 0;
        }
    }

private:
    static bool isParameter(int32_t index) { return index >= 0 && index < parameters; }

    static bool copy(char* text, const char* source)
    {
        std::strcpy(text, source);
        return true;
    }

    static bool pin(int32_t index, const char* prefix, VstPinProperties* properties)
    {
        if (index >= 2)
            return false;
        std::snprintf(properties->label, sizeof properties->label, "%s%d", prefix, static_cast<int>(index + 1));
        const char shortLabel[] = {'T', static_cast<char>('1' + index), '\0'};
        std::memcpy(properties->shortLabel, shortLabel, sizeof shortLabel);
        properties->flags = kVstPinIsActive | kVstPinIsStereo;
        properties->arrangementType = 0;
        return true;
    }

    float values[parameters] = {0.5f, 0.0f};
    char programNames[programs][kVstMaxProgNameLen + 1] = {};
    State chunk{};
    intptr_t blocks = 0;
    int32_t minFrames = std::numeric_limits<int32_t>::max();
    int32_t maxFrames = 0;
    intptr_t lastSamplePosition = -1;
    intptr_t opens = 0;
    intptr_t resumes = 0;
    intptr_t suspends = 0;
    intptr_t chunksOffered = 0;
};

}  // namespace

AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
    if (hostCallback == nullptr || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    return (new TestEffect(hostCallback))->getAeffect();
}

AEffect* vstPluginMainForOldHosts(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
