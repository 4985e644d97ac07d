#pragma once

// True when $DISPLAY names an X display that JUCE reaches: building a JUCE
// window without one crashes. Message thread.
bool windowsCanBeShown();
