#include "editor/warning_message.h"

#include <chrono>
#include <memory>
#include <thread>

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/modal_loop_idle.h"
#include "editor/screen_availability.h"
#include "host/deferred_host_calls.h"
#include "host/editor_state_lock.h"
#include "host/message_thread.h"
#include "host/open_editors.h"
#include "host/window_events.h"

namespace {

// As often as hosts idle their editors.
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);

// Warnings on screen that the user has not answered yet. Message thread.
int openWarnings = 0;

// Counts a warning for as long as the toolkit keeps the callback of its
// answer: until the callback has run, or until the toolkit shuts down with the
// window up (an editor's close ended it, and no message came to delete it
// before the last effect went), when it drops the callback without a call.
struct OpenWarning {
    OpenWarning() { ++openWarnings; }
    ~OpenWarning() { --openWarnings; }
    OpenWarning(const OpenWarning&) = delete;
    OpenWarning& operator=(const OpenWarning&) = delete;
};

void showModal(const juce::String& title, const juce::String& message)
{
    const BRModalLoopIdle idle;
    juce::AlertWindow::showMessageBox(juce::MessageBoxIconType::WarningIcon, title, message, {});
}

void showWithoutWaiting(const juce::String& title, const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title, message, {}, nullptr,
                                           juce::ModalCallbackFunction::create(
                                               [open = std::make_shared<OpenWarning>()](int) {}));
}

// Hands the open warnings their events at a host's idle pace until the user
// has answered them, or an editor opens whose idles take this over. The lock is
// held for each pass only: between passes a restore, save or close on another
// thread goes ahead, and another thread may take the message thread to open
// an editor there, which then serves the warnings while this thread returns.
void answerWarningsNoIdleServes()
{
    // The message thread first: on any other thread the toolkit is not ours to read.
    while (juce::MessageManager::existsAndIsCurrentThread() && openWarnings > 0 && !anEditorIsOpen()) {
        {
            const EditorStateLock lock;
            juce::Timer::callPendingTimersSynchronously();
            dispatchWaitingWindowEvents();
            dispatchReadyMessages();
            dispatchWaitingWindowEvents();
            paintPendingWindows();
        }
        if (!yieldMessageThreadFor(kIdlePeriod))
            return;
    }
}

void showOnTheMessageThread(const juce::String& title, const juce::String& message)
{
    if (!windowsCanBeShown())
        return;  // a headless host: JUCE crashes building a window without a display
    if (!editorStateLockIsHeldHere()) {
        showModal(title, message);
        return;
    }
    // Under the lock another thread may be waiting to restore, save or close:
    // the window stays up without a modal loop here. An open editor's idles
    // serve it; without one, this thread serves it once it lets the lock go,
    // until an editor opens.
    showWithoutWaiting(title, message);
    runWhenUnlocked(answerWarningsNoIdleServes);
}

}  // namespace

void showWarningInAlertWindow(const juce::String& title, const juce::String& message)
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    if (messageManager == nullptr)
        return;
    if (messageManager->isThisTheMessageThread()) {
        showOnTheMessageThread(title, message);
        return;
    }
    // Never a modal loop on the audio thread or a host's worker thread.
    juce::MessageManager::callAsync([title, message] {
        if (windowsCanBeShown())
            showWithoutWaiting(title, message);
    });
}
