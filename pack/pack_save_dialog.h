#pragma once

#include <functional>

#include <juce_gui_basics/juce_gui_basics.h>

// JUCE's own save dialog, as juce::FileChooser shows it without the desktop's
// helper programs, that answers with the name as the user typed it: JUCE's
// answer reads a name starting with "~" as some user's home folder, and a
// name like "~hall" as no folder at all; Return on such a name saves instead
// of opening a folder. Message thread.
class BRPackSaveDialog {
public:
    // A dialog titled title for files that match patterns, opening in
    // dialogStartFolder(); nothing shows before launch.
    BRPackSaveDialog(const juce::String& title, const juce::String& patterns);
    // Takes the dialog off the screen; answered is not called then.
    ~BRPackSaveDialog();

    BRPackSaveDialog(const BRPackSaveDialog&) = delete;
    BRPackSaveDialog& operator=(const BRPackSaveDialog&) = delete;

    // Shows the dialog, once; answered gets the chosen file, or File() when the
    // user cancels, after the dialog has left the screen.
    void launch(std::function<void(const juce::File&)> answered);

private:
    bool typedNameStartsWithTilde() const;
    juce::File chosenFile() const;

    juce::WildcardFileFilter filter;
    juce::FileBrowserComponent browser;
    juce::FileChooserDialogBox box;
    juce::TextEditor* nameBox;  // the browser's; null in a JUCE that has none
};
