#include "tools/vst_host/hosted_effect.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/vst_host/host_window.h"

namespace {

// During the entry call the effect's record is not known yet (the version
// query even comes with a null record): calls then go to the effect being made.
thread_local HostedEffect* effectBeingCreated = nullptr;

constexpr char hostVendor[] = "Brondil Lab";
constexpr char hostProduct[] = "Brondil Host";
constexpr int32_t hostVendorVersion = 1;
constexpr int32_t englishLanguage = 1;
constexpr double transportTempo = 120.0;
constexpr std::size_t textAnswerBytes = 256;

bool hostCanDo(const char* text)
{
    return std::strcmp(text, "sendVstTimeInfo") == 0 || std::strcmp(text, "startStopProcess") == 0 ||
           std::strcmp(text, "sizeWindow") == 0;
}

}  // namespace

std::unique_ptr<HostedEffect> HostedEffect::create(const PluginModule& module, double sampleRate, int32_t blockSize,
                                                   std::string& error)
{
    std::unique_ptr<HostedEffect> hosted(new HostedEffect(module, sampleRate, blockSize));
    effectBeingCreated = hosted.get();
    AEffect* effect = module.entry()(hostCallback);
    effectBeingCreated = nullptr;
    if (effect == nullptr) {
        error = "the plug-in '" + module.path() + "' made no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        // Not a record we can talk to: not even effClose is safe to send.
        error = "the plug-in '" + module.path() + "' answered a record without the VST magic";
        return nullptr;
    }
    // resvd1 belongs to the host: it leads the callback back to this object.
    effect->resvd1 = reinterpret_cast<intptr_t>(hosted.get());
    hosted->effect = effect;
    return hosted;
}

HostedEffect::HostedEffect(const PluginModule& module, double sampleRate, int32_t blockSize)
    : module(module), rate(sampleRate), block(blockSize)
{
    moveTransportTo(0.0);
}

HostedEffect::~HostedEffect()
{
    if (running)
        suspend();
    dispatch(effClose);
}

intptr_t HostedEffect::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void HostedEffect::open()
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(effSetBlockSize, 0, block);
}

void HostedEffect::resume()
{
    moveTransportTo(0.0);
    transport.flags |= kVstTransportChanged;
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void HostedEffect::suspend()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void HostedEffect::process(float** inputs, float** outputs, int32_t frames)
{
    if (effect->processReplacing != nullptr)
        effect->processReplacing(effect, inputs, outputs, frames);
    moveTransportTo(transport.samplePos + frames);
}

void HostedEffect::moveTransportTo(double samplePosition)
{
    transport.samplePos = samplePosition;
    transport.sampleRate = rate;
    transport.tempo = transportTempo;
    transport.ppqPos = samplePosition / rate * transportTempo / 60.0;
    transport.barStartPos = std::floor(transport.ppqPos / 4.0) * 4.0;
    transport.timeSigNumerator = 4;
    transport.timeSigDenominator = 4;
    transport.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (running)
        transport.flags |= kVstTransportPlaying;
}

std::string HostedEffect::textAnswer(int32_t opcode, int32_t index)
{
    // Plug-ins are known to write past the published text limits: give them room.
    char text[textAnswerBytes] = {};
    dispatch(opcode, index, 0, text);
    text[textAnswerBytes - 1] = '\0';
    return text;
}

std::string HostedEffect::effectName() { return textAnswer(effGetEffectName, 0); }
std::string HostedEffect::vendorString() { return textAnswer(effGetVendorString, 0); }
std::string HostedEffect::productString() { return textAnswer(effGetProductString, 0); }
std::string HostedEffect::parameterName(int32_t index) { return textAnswer(effGetParamName, index); }
std::string HostedEffect::parameterDisplay(int32_t index) { return textAnswer(effGetParamDisplay, index); }
std::string HostedEffect::parameterLabel(int32_t index) { return textAnswer(effGetParamLabel, index); }
std::string HostedEffect::programName() { return textAnswer(effGetProgramName, 0); }

int32_t HostedEffect::canDo(const char* text)
{
    return static_cast<int32_t>(dispatch(effCanDo, 0, 0, const_cast<char*>(text)));
}

float HostedEffect::parameter(int32_t index) { return effect->getParameter(effect, index); }
void HostedEffect::setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }

std::vector<char> HostedEffect::chunk(bool isPreset)
{
    void* data = nullptr;
    const intptr_t size = dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (size < 1 || data == nullptr)
        return {};
    const char* bytes = static_cast<const char*>(data);
    return std::vector<char>(bytes, bytes + size);
}

void HostedEffect::setChunk(const std::vector<char>& data, bool isPreset)
{
    std::vector<char> copy = data;  // the effect may keep no pointer into the caller's bytes
    dispatch(effSetChunk, isPreset ? 1 : 0, static_cast<intptr_t>(copy.size()), copy.data());
}

int HostedEffect::hostCallCount(int32_t opcode) const
{
    return opcode >= 0 && opcode < static_cast<int32_t>(callCounts.size()) ? callCounts[opcode].load() : 0;
}

intptr_t HostedEffect::hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                    float opt)
{
    HostedEffect* host = effect != nullptr && effect->resvd1 != 0 ? reinterpret_cast<HostedEffect*>(effect->resvd1)
                                                                  : effectBeingCreated;
    if (host == nullptr)
        return opcode == audioMasterVersion ? kVstVersion : 0;
    return host->answer(effect, opcode, index, value, ptr, opt);
}

intptr_t HostedEffect::answer(AEffect* caller, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (opcode >= 0 && opcode < static_cast<int32_t>(callCounts.size()))
        ++callCounts[opcode];
    switch (opcode) {
    case audioMasterAutomate:
        automatedIndex = index;
        automatedValue = opt;
        return 0;
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterPinConnected: {
        // Inverted: 0 means connected. value 0 asks about an input, 1 an output.
        if (caller == nullptr)
            return 1;
        const int32_t pins = value == 0 ? caller->numInputs : caller->numOutputs;
        return index >= 0 && index < pins ? 0 : 1;
    }
    case audioMasterGetTime:
        return reinterpret_cast<intptr_t>(&transport);
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(std::llround(rate));
    case audioMasterGetBlockSize:
        return block;
    case audioMasterGetCurrentProcessLevel:
        return kVstProcessLevelOffline;
    case audioMasterGetAutomationState:
        return kVstAutomationOff;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr == nullptr)
            return 0;
        std::snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "%s",
                      opcode == audioMasterGetVendorString ? hostVendor : hostProduct);
        return 1;
    case audioMasterGetVendorVersion:
        return hostVendorVersion;
    case audioMasterCanDo:
        return ptr != nullptr && hostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterGetLanguage:
        return englishLanguage;
    case audioMasterGetDirectory:
        return reinterpret_cast<intptr_t>(module.directory().c_str());
    case audioMasterSizeWindow:
        if (editorWindow == nullptr || index < 1 || value < 1)
            return 0;
        editorWindow->resize(index, static_cast<int>(value));
        return 1;
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    default:
        return 0;
    }
}
