#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "host/audio_effect.h"
#include "host/vst/records.h"

// The VST 2.x part of an effect: the dispatcher for opcodes 25 to 79, thin
// wrappers that each call the host with one opcode, flag setters and the
// defaults of every 2.x query. Pointers that the dispatcher passes on are
// never null (the trampoline answers 0 instead); program, pin and MIDI indexes
// are not negative.
// Host calls go through the record's address with a float argument of 0
// unless said otherwise; without a host callback they answer 0 or false.
// getTimeInfo and getCurrentProcessLevel are safe on the audio thread as far as
// the host's callback is. Under the editor-state lock, where the host is never
// called (deferred_host_calls.h), ioChanged waits for the lock's release,
// getTimeInfo answers null, and canHostDo and getHostProductString answer
// what the host said to the same question outside the lock (0 or empty when
// it was never asked); those two take a lock of their own and allocate. No
// other operation locks or allocates but the speaker-arrangement operations.
class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback hostCallback, int32_t programCount, int32_t parameterCount);

    // Opcodes 25 to 79; every other opcode goes to AudioEffect::dispatcher.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    // Asks the host for MIDI when the effect is a synth or says it takes MIDI events.
    void resume() override;

    virtual bool canParameterBeAutomated(int32_t index);
    virtual bool string2parameter(int32_t index, char* text);
    virtual bool getParameterProperties(int32_t index, VstParameterProperties* properties);
    // audioMasterBeginEdit / audioMasterEndEdit around a user's gesture.
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual int32_t beginLoadBank(VstPatchChunkInfo* info);
    virtual int32_t beginLoadProgram(VstPatchChunkInfo* info);

    // audioMasterIOChanged: the host reads the record's counts and delay again. Answers 0 under the lock.
    virtual bool ioChanged();
    // Ask the host; a positive answer replaces the stored value, which is returned.
    virtual float updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();

    virtual bool getInputProperties(int32_t index, VstPinProperties* properties);
    virtual bool getOutputProperties(int32_t index, VstPinProperties* properties);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output);
    // Sets both out-pointers to null; false.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output);
    virtual bool setBypass(bool onOff);
    virtual bool setPanLaw(int32_t type, float value);
    virtual bool setProcessPrecision(int32_t precision);
    virtual int32_t getNumMidiInputChannels();
    virtual int32_t getNumMidiOutputChannels();

    // The host's transport with at least the fields named by `filter`
    // (VstTimeInfoFlags), or null. Owned by the host; valid until the next call.
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();
    virtual int32_t processEvents(VstEvents* events);
    virtual int32_t startProcess();
    virtual int32_t stopProcess();
    virtual bool processVariableIo(VstVariableIo* io);
    virtual int32_t setTotalSampleToProcess(int32_t value);

    // Fill a host buffer of at least 64 bytes.
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual intptr_t hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptr, float value);
    // 1 when the host says it can do `text`, else 0.
    virtual int32_t canHostDo(char* text);
    virtual int32_t getHostLanguage();

    virtual void isSynth(bool state);
    virtual void noTail(bool state);
    virtual int32_t getGetTailSize();
    virtual void* getDirectory();

    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual int32_t getVendorVersion();
    virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    // 1 yes, -1 no, 0 don't know.
    virtual int32_t canDo(char* text);
    virtual int32_t getVstVersion();
    virtual int32_t getPlugCategory();

    virtual int32_t getMidiProgramName(int32_t channel, MidiProgramName* name);
    // -1: the effect has no MIDI programs.
    virtual int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* current);
    virtual int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(int32_t channel);
    virtual bool getMidiKeyName(int32_t channel, MidiKeyName* keyName);

    virtual bool updateDisplay();
    // Asks the host to resize the editor's window (audioMasterSizeWindow).
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual bool openFileSelector(VstFileSelect* selection);
    virtual bool closeFileSelector(VstFileSelect* selection);
    virtual int32_t getNextShellPlugin(char* name);

    // Replaces *arrangement (freed when set) by a zeroed arrangement of
    // `channels` speakers; false for a negative count or when memory runs out.
    // GUI thread; allocates with malloc: free it with deallocateArrangement.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels);
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    // *to becomes a copy of `from` (allocated as above).
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    virtual bool offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource);
    virtual bool offlineWrite(VstOfflineTask* offline, VstOfflineOption option);
    virtual bool offlineStart(VstAudioFile* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles);
    virtual bool offlineGetCurrentPass();
    virtual bool offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* audioFiles, int32_t numAudioFiles, bool start);
    virtual bool offlinePrepare(VstOfflineTask* offline, int32_t count);
    virtual bool offlineRun(VstOfflineTask* offline, int32_t count);

    // audioMasterWantMidi with `filter` as value.
    virtual void wantEvents(int32_t filter);

private:
    // The host's answers given outside the editor-state lock, for the same
    // questions asked under it. Any thread but the audio thread.
    std::mutex hostAnswersLock;
    std::map<std::string, int32_t> hostCanDoAnswers;
    std::string hostProduct;
};
