// The adapter's state chunks, its timer and the two idle paths.
#include <cstdint>

#include <juce_gui_basics/juce_gui_basics.h>

#include "host/idle_guard.h"
#include "host/juce_vst_wrapper.h"
#include "host/window_events.h"

namespace {

constexpr juce::uint32 kHostIdleIntervalMs = 20;

// Shared by every effect of the plug-in: spaces the host idle calls. Message thread only.
juce::uint32 lastHostIdleMs = 0;

}  // namespace

void JuceVSTWrapper::close() { deleteEditorComponent(); }

int32_t JuceVSTWrapper::getChunk(void** data, bool isPreset)
{
    if (!processor)
        return 0;
    stateChunk.reset();
    if (isPreset)
        processor->getCurrentProgramStateInformation(stateChunk);
    else
        processor->getStateInformation(stateChunk);
    if (stateChunk.getSize() > static_cast<std::size_t>(INT32_MAX))
        stateChunk.reset();
    *data = stateChunk.getData();
    return static_cast<int32_t>(stateChunk.getSize());
}

int32_t JuceVSTWrapper::setChunk(void* data, int32_t byteSize, bool isPreset)
{
    if (!processor)
        return 0;
    if (byteSize > 0 && data != nullptr) {
        if (isPreset)
            processor->setCurrentProgramStateInformation(data, byteSize);
        else
            processor->setStateInformation(data, byteSize);
    }
    // Given up only now: a host may hand back the very bytes it was given.
    stateChunk.reset();
    return 0;
}

void JuceVSTWrapper::timerCallback()
{
    // A modal loop of the editor's runs this timer from its own message loop,
    // which, like the host's idle, would leave queued input behind.
    if (editorHolder != nullptr)
        dispatchWaitingWindowEvents();
    callMasterIdleIfDue();
}

void JuceVSTWrapper::callMasterIdleIfDue()
{
    if (!juce::Component::isMouseButtonDownAnywhere() || idleGuardIsSet())
        return;
    // The difference stays right when the millisecond counter wraps.
    const juce::uint32 now = juce::Time::getMillisecondCounter();
    if (now - lastHostIdleMs <= kHostIdleIntervalMs || editorHolder == nullptr)
        return;
    lastHostIdleMs = now;
    const ScopedIdleGuard guard;
    masterIdle();
}

void JuceVSTWrapper::runEditorIdle()
{
    // No host pumps the toolkit's messages on Linux: its timers, posted
    // messages, window events and repaints run here, on the message thread only.
    if (!juce::MessageManager::existsAndIsCurrentThread() || idleGuardIsSet())
        return;
    const ScopedIdleGuard guard;
    juce::Timer::callPendingTimersSynchronously();
    dispatchWaitingWindowEvents();
    dispatchReadyMessages();
    // Without an editor there are no windows to paint, and asking for them would
    // connect the toolkit to a display.
    if (editorHolder == nullptr)
        return;
    // The input that the messages' questions to the server queued.
    dispatchWaitingWindowEvents();
    paintPendingWindows();
}
