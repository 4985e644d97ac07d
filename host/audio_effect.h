#pragma once

#include <cstdint>

#include "host/vst/aeffect.h"
#include "host/vst/records.h"

class AEffEditor;

// The object behind one VST 2.4 effect record. It owns the record, fills it
// with defaults, and points the record's functions at static trampolines that
// check the host's arguments, recover this object and make the virtual call.
// It answers the dispatcher's opcodes 0 to 24; AudioEffectX the rest.
//
// The host may call the dispatcher from its GUI thread and the process entries
// from its audio thread; this class takes no lock, but for a moment when a
// host call is deferred (callHost). Nothing here allocates on the audio thread
// or throws.
class AudioEffect {
public:
    // Fills the record: magic, trampolines, the counts given, 1 input and
    // 2 outputs, replacing processing, unique id 'NoEf', version 1. A null
    // hostCallback makes every host call a no-op with its default answer.
    AudioEffect(audioMasterCallback hostCallback, int32_t programCount, int32_t parameterCount);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;
    // Deletes the editor when one is set.
    virtual ~AudioEffect();

    // Opcodes 0 to 24; every other opcode answers 0. Booleans answer 1 or 0.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float newSampleRate);
    // Only ever called with a positive size: the trampoline drops any other.
    virtual void setBlockSize(int32_t newBlockSize);

    // Audio thread. sampleFrames is at least 1 and the channel arrays are not
    // null: the trampolines drop any other call.
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames);

    // Any index the host sends, with a finite value: the trampoline drops any
    // other value. The effect answers for indexes it does not have (nothing,
    // 0.0, empty text). Either thread, as the host chooses.
    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    // setParameter, then tells the host (audioMasterAutomate) about the change.
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram();
    virtual void setProgram(int32_t program);
    // The text pointers below are never null when the host's call reaches them.
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);

    // Stores the start of the state in *data and answers its size in bytes;
    // the bytes must stay valid until the host has copied them.
    virtual int32_t getChunk(void** data, bool isPreset);
    // Called with data null and byteSize 0 when the host's chunk is unusable
    // (null, empty or larger than 2 GiB); the host is answered 0 then.
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);

    virtual void setUniqueID(int32_t id);
    virtual void setNumInputs(int32_t inputs);
    virtual void setNumOutputs(int32_t outputs);
    virtual void canProcessReplacing(bool state);
    virtual void canDoubleReplacing(bool state);
    virtual void programsAreChunks(bool state);
    virtual void setInitialDelay(int32_t delay);

    virtual AEffEditor* getEditor();
    virtual AEffect* getAeffect();
    virtual float getSampleRate();
    virtual int32_t getBlockSize();

    // The host's VST version; 1 when it gives none.
    virtual int32_t getMasterVersion();
    // The id of the shell sub-plug-in the host is loading; 0 when none.
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    // True when the host answers 0 (the host's "connected"), also without a host.
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

    // Value text for displays. Each writes at most maxLen bytes into text,
    // the terminating NUL included (nothing when maxLen < 1), and never reads
    // the host: dB of a linear gain ("-oo" at or below 0), the frequency of a
    // period of `samples` samples, the duration of `samples` samples in ms,
    // a decimal with a fraction, a decimal integer. A number too large for
    // maxLen (or 100000000 and beyond for integers, or not finite) shows "Huge!".
    virtual void dB2string(float value, char* text, int32_t maxLen);
    virtual void Hz2string(float samples, char* text, int32_t maxLen);
    virtual void ms2string(float samples, char* text, int32_t maxLen);
    virtual void float2string(float value, char* text, int32_t maxLen);
    virtual void int2string(int32_t value, char* text, int32_t maxLen);

    // The accumulating process entry of old hosts: does nothing.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames);
    virtual float getVu();
    virtual void hasVu(bool state);
    virtual void hasClip(bool state);
    virtual void canMono(bool state);
    virtual void setRealtimeQualities(int32_t qualities);
    virtual void setOfflineQualities(int32_t qualities);

protected:
    // Calls the host with this effect's record; 0 without a host callback.
    // Automation, edit gestures, window size, host idle, display updates and
    // audioMasterIOChanged raised while this thread holds the editor-state
    // lock go out once it lets go (deferred_host_calls.h) and answer 0 here;
    // any other call under the lock is reported (lock_rule.h) and then made.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setFlag(int32_t flag, bool state);
    bool hasFlag(int32_t flag) const;

    audioMasterCallback hostCallback;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    int32_t blockSize = 1024;
    int32_t programCount;
    int32_t parameterCount;
    int32_t currentProgram = 0;
    AEffect effectRecord;

private:
    // The object behind a record, or null when the record is not one of ours.
    static AudioEffect* fromRecord(AEffect* effect);

    static intptr_t dispatchEffectClass(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                        float opt);
    static void processClass(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
    static void processClassReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
    static void processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t sampleFrames);
    static void setParameterClass(AEffect* effect, int32_t index, float value);
    static float getParameterClass(AEffect* effect, int32_t index);
};
