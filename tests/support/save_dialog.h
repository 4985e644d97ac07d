#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace guitest {

// JUCE's own file dialog, as the plug-in shows it without the desktop's helper
// programs.

// The one file dialog on the desktop once it is on screen; null when none is
// within a few seconds.
juce::FileChooserDialogBox* shownFileDialog();

// Answers the save dialog on screen as a user does: the path typed into its
// file name box and Return, which moves the dialog to the path's folder, then
// Return again. True once the dialog has gone.
bool answerSaveDialog(const juce::File& chosen);

}  // namespace guitest
