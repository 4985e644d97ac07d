// The adapter's state chunks, its timer and the two idle paths.
#include <cstdint>

#include <juce_gui_basics/juce_gui_basics.h>

#include "host/juce_vst_wrapper.h"

namespace {

constexpr juce::uint32 kHostIdleIntervalMs = 20;

// Shared by every effect of the plug-in: keeps the idle paths and an editor's
// deletion from running inside one another, and spaces the host idle calls.
// Message thread only.
bool idleGuard = false;
juce::uint32 lastHostIdleMs = 0;

}  // namespace

void JuceVSTWrapper::close()
{
    stopTimer();
    deleteEditorComponent();
}

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

void JuceVSTWrapper::timerCallback() { callMasterIdleIfDue(); }

void JuceVSTWrapper::callMasterIdleIfDue()
{
    if (!juce::Component::isMouseButtonDownAnywhere() || idleGuard)
        return;
    // The difference stays right when the millisecond counter wraps.
    const juce::uint32 now = juce::Time::getMillisecondCounter();
    if (now - lastHostIdleMs <= kHostIdleIntervalMs || editorHolder == nullptr)
        return;
    lastHostIdleMs = now;
    idleGuard = true;
    masterIdle();
    idleGuard = false;
}

void JuceVSTWrapper::runEditorIdle()
{
    // No host pumps the toolkit's messages on Linux: its timers, posted
    // messages and window events run here, on the message thread only.
    if (!juce::MessageManager::existsAndIsCurrentThread() || idleGuard)
        return;
    idleGuard = true;
    juce::Timer::callPendingTimersSynchronously();
    // One pass over what is queued now; it waits a millisecond at most.
    juce::MessageManager::getInstance()->runDispatchLoopUntil(0);
    idleGuard = false;
}

void JuceVSTWrapper::deleteEditorComponent()
{
    juce::PopupMenu::dismissAllActiveMenus();
    // An idle pass may be what deletes the editor: its guard stays as it was.
    const bool guardedBefore = idleGuard;
    idleGuard = true;
    if (editorHolder != nullptr) {
        // No modal loop may outlive the editor it belongs to.
        if (juce::Component* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState(0);
        processor->editorBeingDeleted(dynamic_cast<juce::AudioProcessorEditor*>(editorHolder->getChildComponent(0)));
        editorHolder.reset();
    }
    idleGuard = guardedBefore;
}
