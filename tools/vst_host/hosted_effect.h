#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/vst/aeffect.h"
#include "host/vst/opcodes.h"
#include "host/vst/records.h"
#include "tools/vst_host/plugin_module.h"

class HostWindow;

// One effect made by a plug-in module, and the host side of its callback.
// The host answers as an offline renderer: VST 2400, the sample rate and block
// size it was given, a playing 120 bpm 4/4 transport that advances with every
// processed block, process level offline; it sizes the editor's window when
// the effect asks. The effect's processing runs on the thread that calls
// process(), which may be another than the one that dispatches, as in a host
// with an audio thread.
class HostedEffect {
public:
    // Null, with a message in `error`, when the entry answers null or the
    // record lacks the VST magic. `module` must outlive the effect.
    static std::unique_ptr<HostedEffect> create(const PluginModule& module, double sampleRate, int32_t blockSize,
                                                std::string& error);
    // Suspends the effect when it is running, then closes it (effClose).
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    const AEffect& record() const { return *effect; }
    bool hasFlag(int32_t flag) const { return (effect->flags & flag) != 0; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

    // effOpen, then the sample rate and block size.
    void open();
    // effMainsChanged on and effStartProcess; the transport starts at sample 0.
    void resume();
    // effStopProcess and effMainsChanged off.
    void suspend();
    // processReplacing with frames ≤ the block size, then the transport moves on.
    void process(float** inputs, float** outputs, int32_t frames);

    // Text answers; the effect may write up to 255 bytes without harm.
    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string parameterName(int32_t index);
    std::string parameterDisplay(int32_t index);
    std::string parameterLabel(int32_t index);
    std::string programName();
    int32_t canDo(const char* text);

    float parameter(int32_t index);
    void setParameter(int32_t index, float value);

    // A copy of the effect's state chunk (bank, or program when isPreset); empty when it gives none.
    std::vector<char> chunk(bool isPreset);
    void setChunk(const std::vector<char>& data, bool isPreset);

    int32_t blockSize() const { return block; }
    double sampleRate() const { return rate; }
    // The window audioMasterSizeWindow resizes; null while no editor is open.
    void setEditorWindow(HostWindow* window) { editorWindow = window; }

    // What the effect told the host: calls per host opcode, the last automated parameter.
    int hostCallCount(int32_t opcode) const;
    int32_t lastAutomatedIndex() const { return automatedIndex; }
    float lastAutomatedValue() const { return automatedValue; }

private:
    // The callback every hosted effect gets.
    static intptr_t hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    HostedEffect(const PluginModule& module, double sampleRate, int32_t blockSize);
    intptr_t answer(AEffect* caller, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    std::string textAnswer(int32_t opcode, int32_t index);
    void moveTransportTo(double samplePosition);

    const PluginModule& module;
    AEffect* effect = nullptr;
    double rate;
    int32_t block;
    bool running = false;
    VstTimeInfo transport{};
    // Atomic: an effect may call the host from its audio thread and its GUI thread at once.
    std::array<std::atomic<int>, 64> callCounts{};
    int32_t automatedIndex = -1;
    float automatedValue = 0.0f;
    HostWindow* editorWindow = nullptr;
};
