// The adapter's set-up: what the host reads about the effect, and the dispatcher.
#include "host/juce_vst_wrapper.h"

#include <cstring>

#include "engine/plugin_version.h"
#include "host/deferred_host_calls.h"
#include "host/editor_comp_wrapper.h"
#include "host/editor_state_lock.h"
#include "host/host_text.h"
#include "host/legacy_processor.h"
#include "host/message_thread.h"
#include "host/toolkit_lifetime.h"
#include "host/vst/opcodes.h"

namespace {

constexpr int32_t kEffectUniqueId = fourCharCode('B', 'r', 'A', 'u');
const char* const kEffectName = "Brondil";
const char* const kVendorName = "Brondil Lab";

// Hosts size these buffers by the published limits, which count the NUL in
// some hosts and not in others: stay one byte below.
constexpr int kEffectNameBytes = kVstMaxEffectNameLen - 1;
constexpr int kVendorBytes = kVstMaxVendorStrLen - 1;
constexpr int kProductBytes = kVstMaxProductStrLen - 1;

struct CanDoAnswer {
    const char* text;
    int32_t answer;
};

// No MIDI in or out; the host's transport is wanted (the processor's play head).
constexpr CanDoAnswer kCanDoAnswers[] = {
    {"receiveVstEvents", -1}, {"receiveVstMidiEvent", -1}, {"receiveVstMidiEvents", -1}, {"sendVstEvents", -1},
    {"sendVstMidiEvent", -1}, {"sendVstMidiEvents", -1},   {"receiveVstTimeInfo", 1},    {"conformsToWindowRules", 1},
};

// Whether a call waits for the editor-state lock: the editor calls on the
// message thread, where the editors' work runs (elsewhere they do nothing), and
// the calls that change or read the processor's state. A host may send any
// other opcode from its audio thread, which must not wait.
bool needsEditorStateLock(int32_t opcode, bool onMessageThread)
{
    switch (opcode) {
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
        return onMessageThread;
    case effClose:
    case effSetSampleRate:
    case effSetBlockSize:
    case effMainsChanged:
    case effGetChunk:
    case effSetChunk:
        return true;
    default:
        return false;
    }
}

}  // namespace

JuceVSTWrapper::JuceVSTWrapper(audioMasterCallback hostCallback, std::unique_ptr<juce::AudioProcessor> ownedProcessor)
    : AudioEffectX(hostCallback, ownedProcessor->getNumPrograms(), legacy::numParameters(*ownedProcessor)),
      processor(std::move(ownedProcessor))
{
    inputCount = processor->getTotalNumInputChannels();
    outputCount = processor->getTotalNumOutputChannels();
    processor->setPlayHead(this);
    processor->addListener(this);

    // A host shown the flag offers a window for the editor: claim it only when there is one.
    setFlag(effFlagsHasEditor, processor->hasEditor());
    effectRecord.numInputs = inputCount;
    effectRecord.numOutputs = outputCount;
    effectRecord.version = kPluginVersion;
    effectRecord.uniqueID = kEffectUniqueId;
    canProcessReplacing(true);
    isSynth(false);
    noTail(false);
    setInitialDelay(processor->getLatencySamples());
    programsAreChunks(true);

    effectCreated();
}

JuceVSTWrapper::~JuceVSTWrapper()
{
    // The effect's close may come from another thread than its editor's.
    const HostCall call(true);
    std::map<int32_t, float> droppedAutomation;
    {
        const EditorStateLock lock;
        stopTimer();
        deleteEditorComponent();
        shutDown = true;
        stopProcessing();
        processor.reset();
        channels.release();
        // The host must hear nothing of an effect it has closed.
        droppedAutomation = dropDeferredHostCalls(&effectRecord);
    }
    // What the teardown left for after the lock (a warning to answer) has run;
    // a call for this effect that another thread is sending ends before the record goes.
    waitForDeferredHostCallsInFlight(&effectRecord);
    // A gesture the host saw begin ends before the close returns, with the value it reached.
    endOpenGestures(&effectRecord, hostCallback, droppedAutomation);
    const EditorStateLock lock;
    effectDestroyed();
}

intptr_t JuceVSTWrapper::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    // Only the opcodes that make an editor may bring the message thread to the calling thread.
    // Asked before the lock: the host's answer may wait for a thread that waits for the lock.
    const int32_t processLevel = opcode == effMainsChanged && value != 0 ? getCurrentProcessLevel() : 0;
    const HostCall call(opcode == effEditOpen || opcode == effEditGetRect);
    const EditorStateLock lock(needsEditorStateLock(opcode, call.onMessageThread()));
    if (shutDown)
        return 0;
    if (opcode == effMainsChanged)
        processLevelAtResume = processLevel;
    switch (opcode) {
    case effEditIdle:
        runEditorIdle();
        return 0;
    case effEditOpen:
        if (openEditor(ptr))
            return 1;
        break;
    case effEditClose:
        closeEditor();
        return 0;
    case effEditGetRect:
        return answerEditorRect(static_cast<ERect**>(ptr));
    default:
        break;
    }
    return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}

bool JuceVSTWrapper::getEffectName(char* name)
{
    copyHostText(name, kEffectName, kEffectNameBytes);
    return true;
}

bool JuceVSTWrapper::getVendorString(char* text)
{
    copyHostText(text, kVendorName, kVendorBytes);
    return true;
}

bool JuceVSTWrapper::getProductString(char* text)
{
    copyHostText(text, kEffectName, kProductBytes);
    return true;
}

int32_t JuceVSTWrapper::getVendorVersion() { return kPluginVersion; }

int32_t JuceVSTWrapper::canDo(char* text)
{
    for (const CanDoAnswer& entry : kCanDoAnswers)
        if (std::strcmp(text, entry.text) == 0)
            return entry.answer;
    return 0;
}

int32_t JuceVSTWrapper::getPlugCategory() { return kPlugCategEffect; }
