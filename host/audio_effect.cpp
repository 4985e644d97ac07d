#include "host/audio_effect.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/aeff_editor.h"
#include "host/deferred_host_calls.h"
#include "host/dispatcher_arguments.h"
#include "host/vst/opcodes.h"

namespace {

// A host's mistake is logged and answered with 0: aborting would take the
// host's whole process down with us.
void logRefusedCall(const char* reason, int32_t opcode, int32_t index, intptr_t value)
{
    std::fprintf(stderr, "VST effect: refused opcode %d (index %d, value %lld): %s\n", static_cast<int>(opcode),
                 static_cast<int>(index), static_cast<long long>(value), reason);
}

void clearText(char* text) { text[0] = '\0'; }

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, int32_t programCount, int32_t parameterCount)
    : hostCallback(hostCallback), programCount(programCount), parameterCount(parameterCount)
{
    std::memset(&effectRecord, 0, sizeof effectRecord);
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatchEffectClass;
    effectRecord.process = processClass;
    effectRecord.setParameter = setParameterClass;
    effectRecord.getParameter = getParameterClass;
    effectRecord.numPrograms = programCount;
    effectRecord.numParams = parameterCount;
    effectRecord.numInputs = 1;
    effectRecord.numOutputs = 2;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    effectRecord.version = 1;
    effectRecord.processReplacing = processClassReplacing;
    effectRecord.processDoubleReplacing = processClassDoubleReplacing;
    // A virtual call would not reach an override from the constructor; this
    // is the base's own setter.
    AudioEffect::canProcessReplacing(true);
}

AudioEffect::~AudioEffect() { delete editor; }

AudioEffect* AudioEffect::fromRecord(AEffect* effect)
{
    if (effect == nullptr || effect->object == nullptr)
        return nullptr;
    auto* self = static_cast<AudioEffect*>(effect->object);
    // A record copied or forged by the host would send us into foreign memory.
    return &self->effectRecord == effect ? self : nullptr;
}

intptr_t AudioEffect::dispatchEffectClass(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                          float opt)
{
    AudioEffect* self = fromRecord(effect);
    if (self == nullptr) {
        logRefusedCall("not an effect record of this plug-in", opcode, index, value);
        return 0;
    }
    if (opcode == effClose) {
        // The record dies with the object: the host must not touch it after this.
        self->dispatcher(effClose, index, value, ptr, opt);
        delete self;
        return 1;
    }
    if (const char* fault = faultInDispatcherCall(opcode, index, value, ptr, opt)) {
        logRefusedCall(fault, opcode, index, value);
        // An unusable chunk still tells the effect that the host dropped its state.
        if (opcode == effSetChunk)
            self->dispatcher(effSetChunk, index, 0, nullptr, opt);
        return 0;
    }
    return self->dispatcher(opcode, index, value, ptr, opt);
}

// The process trampolines run on the audio thread: they drop a bad call
// silently, since logging could block. Some hosts legitimately send 0 frames.
void AudioEffect::processClass(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    AudioEffect* self = fromRecord(effect);
    if (self != nullptr && inputs != nullptr && outputs != nullptr && sampleFrames > 0)
        self->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    AudioEffect* self = fromRecord(effect);
    if (self != nullptr && inputs != nullptr && outputs != nullptr && sampleFrames > 0)
        self->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t sampleFrames)
{
    AudioEffect* self = fromRecord(effect);
    if (self != nullptr && inputs != nullptr && outputs != nullptr && sampleFrames > 0)
        self->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterClass(AEffect* effect, int32_t index, float value)
{
    AudioEffect* self = fromRecord(effect);
    if (self != nullptr && std::isfinite(value))
        self->setParameter(index, value);
}

float AudioEffect::getParameterClass(AEffect* effect, int32_t index)
{
    AudioEffect* self = fromRecord(effect);
    return self != nullptr ? self->getParameter(index) : 0.0f;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < programCount)
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        return editor != nullptr && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk: {
        // The host's pointer is written only for a usable chunk.
        void* data = nullptr;
        const int32_t size = getChunk(&data, index != 0);
        if (size < 1 || data == nullptr)
            return 0;
        *static_cast<void**>(ptr) = data;
        return size;
    }
    case effSetChunk:
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::setSampleRate(float newSampleRate) { sampleRate = newSampleRate; }
void AudioEffect::setBlockSize(int32_t newBlockSize) { blockSize = newBlockSize; }
void AudioEffect::processDoubleReplacing(double**, double**, int32_t) {}
void AudioEffect::setParameter(int32_t, float) {}
float AudioEffect::getParameter(int32_t) { return 0.0f; }

void AudioEffect::setParameterAutomated(int32_t index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getProgram() { return currentProgram; }
void AudioEffect::setProgram(int32_t program) { currentProgram = program; }
void AudioEffect::setProgramName(char*) {}
void AudioEffect::getProgramName(char* name) { clearText(name); }
void AudioEffect::getParameterLabel(int32_t, char* label) { clearText(label); }
void AudioEffect::getParameterDisplay(int32_t, char* text) { clearText(text); }
void AudioEffect::getParameterName(int32_t, char* text) { clearText(text); }
int32_t AudioEffect::getChunk(void**, bool) { return 0; }
int32_t AudioEffect::setChunk(void*, int32_t, bool) { return 0; }

void AudioEffect::setUniqueID(int32_t id) { effectRecord.uniqueID = id; }
void AudioEffect::setNumInputs(int32_t inputs) { effectRecord.numInputs = inputs; }
void AudioEffect::setNumOutputs(int32_t outputs) { effectRecord.numOutputs = outputs; }
void AudioEffect::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void AudioEffect::canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void AudioEffect::setInitialDelay(int32_t delay) { effectRecord.initialDelay = delay; }

AEffEditor* AudioEffect::getEditor() { return editor; }
AEffect* AudioEffect::getAeffect() { return &effectRecord; }
float AudioEffect::getSampleRate() { return sampleRate; }
int32_t AudioEffect::getBlockSize() { return blockSize; }

int32_t AudioEffect::getMasterVersion()
{
    const intptr_t version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<int32_t>(version);
}

int32_t AudioEffect::getCurrentUniqueId() { return static_cast<int32_t>(callHost(audioMasterCurrentId)); }
void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

// audioMasterPinConnected answers 0 for "connected": the meaning is inverted.
bool AudioEffect::isInputConnected(int32_t input) { return callHost(audioMasterPinConnected, input, 0) == 0; }
bool AudioEffect::isOutputConnected(int32_t output) { return callHost(audioMasterPinConnected, output, 1) == 0; }

void AudioEffect::process(float**, float**, int32_t) {}
float AudioEffect::getVu() { return 0.0f; }
void AudioEffect::hasVu(bool state) { setFlag(effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setFlag(effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setFlag(effFlagsCanMono, state); }
void AudioEffect::setRealtimeQualities(int32_t qualities) { effectRecord.realQualities = qualities; }
void AudioEffect::setOfflineQualities(int32_t qualities) { effectRecord.offQualities = qualities; }

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (hostCallback == nullptr)
        return 0;
    // The opcode is looked at first: the audio thread's calls (the transport,
    // the process level) never reach the queue's lock.
    if (hostCallMayBeDeferred(opcode) &&
        deferHostCallWhileLocked(&effectRecord, hostCallback, opcode, index, value, opt))
        return 0;
    return callHostNow(&effectRecord, hostCallback, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(int32_t flag, bool state)
{
    if (state)
        effectRecord.flags |= flag;
    else
        effectRecord.flags &= ~flag;
}

bool AudioEffect::hasFlag(int32_t flag) const { return (effectRecord.flags & flag) != 0; }
