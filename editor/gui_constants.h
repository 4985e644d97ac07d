#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's shared colours and file filter. Read-only, any thread.
extern const juce::Colour guiCream;       // fill under the spectrum curve
extern const juce::Colour guiOrange;      // the selected IR cell
extern const juce::Colour guiBlack;       // cell labels, zoom-view outline, frame and grid
extern const juce::Colour guiImageBlack;  // the editor's colour before its background image

// The sound files the editor lists: "*.wav;*.aiff;*.aif", described as "audio files".
extern const char* const audioFilePatterns;
const juce::WildcardFileFilter& audioFileFilter();
