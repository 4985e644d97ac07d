#pragma once

#include <juce_core/juce_core.h>

// Shows a warning in the toolkit's alert window; nothing at all without a
// display or without a running toolkit. Fits BRWarningSink. On the message
// thread outside the editor-state lock the window is modal and the call
// returns once the user answers. Under the lock it never waits there: the
// window shows at once, an open editor's idles serve it, and without an
// editor the calling thread serves it after its hold of the lock ends,
// taking the lock only for moments. From any other thread it is posted to
// the message thread.
void showWarningInAlertWindow(const juce::String& title, const juce::String& message);
