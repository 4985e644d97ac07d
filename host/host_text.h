#pragma once

#include <juce_core/juce_core.h>

// Writes text into a host's buffer as UTF-8: at most maxBytes bytes, never a
// partial character, then a NUL (so the buffer needs maxBytes + 1 bytes).
// Any thread; allocates nothing.
void copyHostText(char* destination, const juce::String& text, int maxBytes);
