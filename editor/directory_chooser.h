#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

// The toolkit's file-name box for a directory, whose browse button opens the
// toolkit's own directory dialog, so that it works alike on every desktop
// (with or without zenity or kdialog). The dialog does not block: the choice
// arrives as the box's change notification. Its recent list holds as many
// entries as the settings keep. Message thread.
class BRDirectoryChooser : public juce::FilenameComponent {
public:
    BRDirectoryChooser(const juce::String& componentName, const juce::File& initialDirectory,
                       const juce::String& browseWildcard, const juce::String& textWhenNothingChosen);

    // The directory the box names, when its text is an absolute path; else none.
    juce::File getChosenDirectory() const;

    void lookAndFeelChanged() override;

private:
    void browse();

    juce::String wildcard;
    std::unique_ptr<juce::FileChooser> dialog;
};
