#pragma once

// True on the message thread when $DISPLAY names an X display that JUCE
// reaches: building a JUCE window without one crashes. There, JUCE connects to
// it as its windows need (connectToolkitWithWindowManagerAtoms). Any thread.
bool windowsCanBeShown();
