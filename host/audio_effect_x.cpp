#include "host/audio_effect_x.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/aeff_editor.h"
#include "host/editor_state_lock.h"
#include "host/vst/opcodes.h"

namespace {

intptr_t answer(bool value) { return value ? 1 : 0; }

// The low byte of a float argument taken as an integer; 0 for a value that
// has no integer (a cast would be undefined there).
unsigned char lowByteOf(float value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 2147483648.0f)
        return 0;
    return static_cast<unsigned char>(static_cast<int32_t>(value) & 0xFF);
}

VstKeyCode keyCodeOf(int32_t index, intptr_t value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = lowByteOf(opt);
    return key;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, int32_t programCount, int32_t parameterCount)
    : AudioEffect(hostCallback, programCount, parameterCount)
{
}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return answer(canParameterBeAutomated(index));
    case effString2Parameter:
        return answer(string2parameter(index, static_cast<char*>(ptr)));
    case effGetProgramNameIndexed:
        return answer(getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)));
    case effGetInputProperties:
        return answer(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetOutputProperties:
        return answer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return answer(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<int32_t>(value), index != 0));
    case effOfflinePrepare:
        return answer(offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
    case effOfflineRun:
        return answer(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
    case effProcessVarIo:
        return answer(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
        // The input arrangement travels in the pointer-sized value.
        return answer(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return answer(setBypass(value != 0));
    case effGetEffectName:
        return answer(getEffectName(static_cast<char*>(ptr)));
    case effGetVendorString:
        return answer(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
        return answer(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return answer(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr)
            return 0;
        VstKeyCode key = keyCodeOf(index, value, opt);
        return answer(opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key));
    }
    case effSetEditKnobMode:
        return editor != nullptr ? answer(editor->setKnobMode(static_cast<int32_t>(value))) : 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return answer(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return answer(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram:
        return answer(beginSetProgram());
    case effEndSetProgram:
        return answer(endSetProgram());
    case effGetSpeakerArrangement:
        // Both sides are out-pointers; the input side travels in the value.
        return answer(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<int32_t>(value));
    case effSetPanLaw:
        return answer(setPanLaw(static_cast<int32_t>(value), opt));
    case effBeginLoadBank:
        return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
        return answer(setProcessPrecision(static_cast<int32_t>(value)));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    case effGetNumProgramCategories:
    case effCopyProgram:
    case effConnectInput:
    case effConnectOutput:
    case effGetCurrentPosition:
    case effGetDestinationBuffer:
    case effSetBlockSizeAndSampleRate:
    case effGetErrorText:
    case effIdle:
    case effGetIcon:
    case effSetViewPosition:
    case effKeysRequired:
        return 0;  // deprecated opcodes of the 2.x range
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    char receivesMidi[] = "receiveVstMidiEvent";
    if (hasFlag(effFlagsIsSynth) || canDo(receivesMidi) == 1)
        wantEvents(1);
}

bool AudioEffectX::canParameterBeAutomated(int32_t) { return true; }
bool AudioEffectX::string2parameter(int32_t, char*) { return false; }
bool AudioEffectX::getParameterProperties(int32_t, VstParameterProperties*) { return false; }
bool AudioEffectX::beginEdit(int32_t index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::getProgramNameIndexed(int32_t, int32_t, char*) { return false; }
bool AudioEffectX::beginSetProgram() { return false; }
bool AudioEffectX::endSetProgram() { return false; }
int32_t AudioEffectX::beginLoadBank(VstPatchChunkInfo*) { return 0; }
int32_t AudioEffectX::beginLoadProgram(VstPatchChunkInfo*) { return 0; }

bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

float AudioEffectX::updateSampleRate()
{
    const intptr_t rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

int32_t AudioEffectX::updateBlockSize()
{
    const intptr_t size = callHost(audioMasterGetBlockSize);
    if (size > 0 && size <= INT32_MAX)
        blockSize = static_cast<int32_t>(size);
    return blockSize;
}

int32_t AudioEffectX::getInputLatency() { return static_cast<int32_t>(callHost(audioMasterGetInputLatency)); }
int32_t AudioEffectX::getOutputLatency() { return static_cast<int32_t>(callHost(audioMasterGetOutputLatency)); }

bool AudioEffectX::getInputProperties(int32_t, VstPinProperties*) { return false; }
bool AudioEffectX::getOutputProperties(int32_t, VstPinProperties*) { return false; }
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) { return false; }

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output)
{
    *input = nullptr;
    *output = nullptr;
    return false;
}

bool AudioEffectX::setBypass(bool) { return false; }
bool AudioEffectX::setPanLaw(int32_t, float) { return false; }
bool AudioEffectX::setProcessPrecision(int32_t) { return false; }
int32_t AudioEffectX::getNumMidiInputChannels() { return 0; }
int32_t AudioEffectX::getNumMidiOutputChannels() { return 0; }

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter)
{
    // A transport kept from before would be stale: the host's answer holds for the block it is asked in.
    if (editorStateLockIsHeldHere())
        return nullptr;
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

int32_t AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

int32_t AudioEffectX::getAutomationState() { return static_cast<int32_t>(callHost(audioMasterGetAutomationState)); }
int32_t AudioEffectX::processEvents(VstEvents*) { return 0; }
int32_t AudioEffectX::startProcess() { return 0; }
int32_t AudioEffectX::stopProcess() { return 0; }
bool AudioEffectX::processVariableIo(VstVariableIo*) { return false; }
int32_t AudioEffectX::setTotalSampleToProcess(int32_t value) { return value; }

bool AudioEffectX::getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }
bool AudioEffectX::getHostProductString(char* text)
{
    if (editorStateLockIsHeldHere()) {
        const std::lock_guard<std::mutex> lock(hostAnswersLock);
        std::memcpy(text, hostProduct.c_str(), hostProduct.size() + 1);
        return !hostProduct.empty();
    }
    if (callHost(audioMasterGetProductString, 0, 0, text) == 0)
        return false;
    const std::lock_guard<std::mutex> lock(hostAnswersLock);
    hostProduct.assign(text, strnlen(text, kVstMaxProductStrLen - 1));
    return true;
}
int32_t AudioEffectX::getHostVendorVersion() { return static_cast<int32_t>(callHost(audioMasterGetVendorVersion)); }

intptr_t AudioEffectX::hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptr, float value)
{
    return callHost(audioMasterVendorSpecific, arg1, arg2, ptr, value);
}

int32_t AudioEffectX::canHostDo(char* text)
{
    if (editorStateLockIsHeldHere()) {
        const std::lock_guard<std::mutex> lock(hostAnswersLock);
        const auto known = hostCanDoAnswers.find(text);
        return known != hostCanDoAnswers.end() ? known->second : 0;
    }
    const int32_t answer = callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
    const std::lock_guard<std::mutex> lock(hostAnswersLock);
    hostCanDoAnswers[text] = answer;
    return answer;
}
int32_t AudioEffectX::getHostLanguage() { return static_cast<int32_t>(callHost(audioMasterGetLanguage)); }

void AudioEffectX::isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void AudioEffectX::noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
int32_t AudioEffectX::getGetTailSize() { return 0; }
void* AudioEffectX::getDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }

bool AudioEffectX::getEffectName(char*) { return false; }
bool AudioEffectX::getVendorString(char*) { return false; }
bool AudioEffectX::getProductString(char*) { return false; }
int32_t AudioEffectX::getVendorVersion() { return 0; }
intptr_t AudioEffectX::vendorSpecific(int32_t, intptr_t, void*, float) { return 0; }
int32_t AudioEffectX::canDo(char*) { return 0; }
int32_t AudioEffectX::getVstVersion() { return kVstVersion; }
int32_t AudioEffectX::getPlugCategory() { return hasFlag(effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown; }

int32_t AudioEffectX::getMidiProgramName(int32_t, MidiProgramName*) { return 0; }
int32_t AudioEffectX::getCurrentMidiProgram(int32_t, MidiProgramName*) { return -1; }
int32_t AudioEffectX::getMidiProgramCategory(int32_t, MidiProgramCategory*) { return 0; }
bool AudioEffectX::hasMidiProgramsChanged(int32_t) { return false; }
bool AudioEffectX::getMidiKeyName(int32_t, MidiKeyName*) { return false; }

bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::sizeWindow(int32_t width, int32_t height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* selection)
{
    return selection != nullptr && callHost(audioMasterOpenFileSelector, 0, 0, selection) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* selection)
{
    return selection != nullptr && callHost(audioMasterCloseFileSelector, 0, 0, selection) != 0;
}

int32_t AudioEffectX::getNextShellPlugin(char*) { return 0; }

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels)
{
    if (arrangement == nullptr || channels < 0)
        return false;
    deallocateArrangement(arrangement);
    auto* made = static_cast<VstSpeakerArrangement*>(std::calloc(1, vstSpeakerArrangementBytes(channels)));
    if (made == nullptr)
        return false;
    made->numChannels = channels;
    *arrangement = made;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement == nullptr)
        return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (to == nullptr || from == nullptr)
        return false;
    // The host's name may lack its NUL: copy at most 63 characters.
    std::memset(to->name, 0, sizeof to->name);
    std::memcpy(to->name, from->name, strnlen(from->name, sizeof from->name - 1));
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (from == nullptr || !allocateArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    for (int32_t i = 0; i < from->numChannels; ++i)
        copySpeaker(vstSpeakerAt(*to, i), vstSpeakerAt(from, i));
    return true;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource)
{
    return callHost(audioMasterOfflineRead, option, readSource ? 1 : 0, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option)
{
    return callHost(audioMasterOfflineWrite, option, 0, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles)
{
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}

bool AudioEffectX::offlineGetCurrentPass() { return callHost(audioMasterOfflineGetCurrentPass) != 0; }
bool AudioEffectX::offlineGetCurrentMetaPass() { return callHost(audioMasterOfflineGetCurrentMetaPass) != 0; }
bool AudioEffectX::offlineNotify(VstAudioFile*, int32_t, bool) { return false; }
bool AudioEffectX::offlinePrepare(VstOfflineTask*, int32_t) { return false; }
bool AudioEffectX::offlineRun(VstOfflineTask*, int32_t) { return false; }

void AudioEffectX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }
