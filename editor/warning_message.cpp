#include "editor/warning_message.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/modal_loop_idle.h"
#include "editor/screen_availability.h"

namespace {

void showIfWindowsCanBeShown(const juce::String& title, const juce::String& message, bool modal)
{
    if (!windowsCanBeShown())
        return;  // a headless host: JUCE crashes building a window without a display
    if (modal) {
        const BRModalLoopIdle idle;
        juce::AlertWindow::showMessageBox(juce::MessageBoxIconType::WarningIcon, title, message, {});
    } else {
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title, message);
    }
}

}  // namespace

void showWarningInAlertWindow(const juce::String& title, const juce::String& message)
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    if (messageManager == nullptr)
        return;
    if (messageManager->isThisTheMessageThread()) {
        showIfWindowsCanBeShown(title, message, true);
        return;
    }
    // Never a modal loop on the audio thread or a host's worker thread.
    juce::MessageManager::callAsync([title, message] { showIfWindowsCanBeShown(title, message, false); });
}
