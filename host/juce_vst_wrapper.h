#pragma once

#include <cstdint>
#include <memory>

#include <juce_audio_processors/juce_audio_processors.h>

#include "host/audio_effect_x.h"
#include "host/block_channels.h"
#include "host/vst/records.h"

class EditorCompWrapper;

// The adapter between one VST 2.4 effect record and one processor: it fixes
// what the host reads about the effect, carries audio, parameters and state
// between host and processor, answers the processor's play-head questions
// from the host's transport, and keeps the host's idle going.
//
// Threads: the host's GUI thread builds and destroys it and makes the
// dispatcher calls; a host may make the editor calls on a GUI thread of its
// own, which then becomes the toolkit's message thread (message_thread.h). The
// host's audio thread calls processReplacing; parameters come from either.
// Only processReplacing, resume and suspend take the processor's callback lock;
// the editor calls and every call that changes or reads the processor's state
// take the editor-state lock (editor_state_lock.h), the audio path never.
// The host is never called under that lock: calls whose answer the adapter
// needs there are asked before it is taken (the process level at a resume) or
// after it is released (whether the host sizes windows).
class JuceVSTWrapper : public AudioEffectX,
                       public juce::Timer,
                       public juce::AudioProcessorListener,
                       public juce::AudioPlayHead {
public:
    // Takes ownership of processor (not null). Reports the processor's channel
    // counts, parameter and program counts for the effect's whole life.
    JuceVSTWrapper(audioMasterCallback hostCallback, std::unique_ptr<juce::AudioProcessor> processor);
    // Deletes the processor (which writes its settings), then shuts the
    // toolkit down when this was the last effect.
    ~JuceVSTWrapper() override;

    // Once destruction has begun every opcode answers 0.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    // Stops the idle timer and closes any editor.
    void close() override;

    // Prepares the processor for the current sample rate and block size and
    // makes the buffers the audio path needs. GUI thread; allocates.
    void resume() override;
    // Releases the processor's resources and the audio path's buffers. GUI thread.
    void suspend() override;
    // Audio thread; never allocates. Silence while suspended (or never
    // resumed) or while the processor is suspended; blocks longer than the
    // announced block size are processed in pieces of at most that size.
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool canParameterBeAutomated(int32_t index) override;

    int32_t getProgram() override;
    void setProgram(int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;

    // The processor's state document. The bytes stay valid until the next
    // effGetChunk or effSetChunk, or the effect's close.
    int32_t getChunk(void** data, bool isPreset) override;
    // Hands the bytes to the processor (nothing for null or empty data) and
    // gives up the chunk handed out before. Always answers 0.
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;

    bool getInputProperties(int32_t index, VstPinProperties* properties) override;
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    // Accepts only the channel counts the effect has: the processor's matrix
    // and the host's record keep the counts of construction.
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;
    // Case-sensitive: 1 for what it does, -1 for MIDI, 0 for anything else.
    int32_t canDo(char* text) override;
    int32_t getPlugCategory() override;

    // Calls the host's idle while a mouse button is down and an editor is open,
    // at most every 20 ms across all effects. GUI thread.
    void callMasterIdleIfDue();
    // effEditIdle: on the message thread only, runs the toolkit's due timers,
    // one pass of its queued messages and window events, and the pending
    // repaints of its visible windows; nothing while an idle or an editor
    // deletion is already running.
    void runEditorIdle();
    // Asks the host to give the editor's window this size (audioMasterSizeWindow,
    // when the host can; both asked once the editor-state lock is released)
    // and takes on whatever the host did. Message thread.
    void resizeHostWindow(int width, int height);

    // The host's transport as the processor asks for it (from processBlock).
    juce::Optional<PositionInfo> getPosition() const override;

    // The idle timer runs only while an editor is open, at this period: on
    // Linux nothing pumps the toolkit's messages without one, and a running
    // timer would pile its messages up in the queue for the effect's life.
    static constexpr int idleTimerIntervalMs = 250;
    void timerCallback() override;
    void audioProcessorParameterChanged(juce::AudioProcessor* source, int index, float value) override;
    void audioProcessorChanged(juce::AudioProcessor* source, const ChangeDetails& details) override;
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor* source, int index) override;
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor* source, int index) override;

private:
    // Takes the audio path down under the callback lock: a block running now
    // finishes first, later blocks write silence.
    void stopProcessing();
    void writeSilence(float** outputs, int32_t sampleFrames) const;
    // On the first block after a resume: offline when the host says so or the
    // block arrives on a thread that is not real-time.
    void updateRealtimeState();
    bool describePin(int32_t index, bool isInput, VstPinProperties* properties);

    // The editor opcodes make and take down windows of the toolkit, so they act
    // on the message thread only; elsewhere they answer 0 and change nothing.
    // effEditOpen: a fresh editor inside the host's window (an X11 window id);
    // false without an existing parent window or an editor.
    bool openEditor(void* parentWindow);
    // effEditGetRect: the editor's size, making the editor when there is none yet.
    intptr_t answerEditorRect(ERect** rect);
    // effEditClose.
    void closeEditor();
    // The processor's editor in its holder, when it gives one; not on the desktop yet.
    void createEditorComponent();
    // Any thread: the effect's close and destruction take the editor down too,
    // off the message thread only when the host closes an effect from another
    // thread than its open editor's. With endModalWindow, the toolkit's modal
    // window (a dialog, a warning) ends and leaves the screen with it.
    void deleteEditorComponent(bool endModalWindow = true);

    std::unique_ptr<juce::AudioProcessor> processor;
    juce::MemoryBlock stateChunk;
    std::unique_ptr<EditorCompWrapper> editorHolder;
    ERect editorRect{};
    juce::MidiBuffer midiBuffer;
    bool processing = false;          // resumed; guarded by the callback lock
    bool awaitingFirstBlock = false;  // guarded by the callback lock
    bool shutDown = false;
    // The host's process level, asked before the lock is taken for a resume.
    int32_t processLevelAtResume = 0;
    int32_t inputCount = 0;
    int32_t outputCount = 0;
    BlockChannels channels;
};
