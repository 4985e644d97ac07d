#pragma once

#include <juce_core/juce_core.h>

// Shows a warning in the toolkit's alert window: modal on the message thread,
// posted to it from any other thread; nothing at all without a display or
// without a running toolkit. Fits BRWarningSink.
void showWarningInAlertWindow(const juce::String& title, const juce::String& message);
