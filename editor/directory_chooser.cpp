#include "editor/directory_chooser.h"

#include "engine/dialog_start_folder.h"
#include "engine/settings.h"

BRDirectoryChooser::BRDirectoryChooser(const juce::String& componentName, const juce::File& initialDirectory,
                                       const juce::String& browseWildcard, const juce::String& textWhenNothingChosen)
    : juce::FilenameComponent(componentName, initialDirectory, true, true, false, browseWildcard, {},
                              textWhenNothingChosen),
      wildcard(browseWildcard)
{
    // As long as the settings keep it: a shorter list would drop the settings' last entries.
    setMaxNumberOfRecentFiles(kMaxPathListEntries);
    lookAndFeelChanged();
}

juce::File BRDirectoryChooser::getChosenDirectory() const
{
    const juce::String text = getCurrentFileText();
    return juce::File::isAbsolutePath(text) ? juce::File(text) : juce::File();
}

void BRDirectoryChooser::lookAndFeelChanged()
{
    // The base makes its browse button afresh here, wired to the native dialog.
    juce::FilenameComponent::lookAndFeelChanged();
    for (auto* child : getChildren())
        if (auto* button = dynamic_cast<juce::Button*>(child))
            button->onClick = [this] { browse(); };
}

void BRDirectoryChooser::browse()
{
    // The toolkit's own choice reads an empty box against the working folder,
    // which is the root where that folder has no name.
    const juce::File named = getChosenDirectory();
    dialog = std::make_unique<juce::FileChooser>("Choose a new directory",
                                                 named != juce::File() ? named : dialogStartFolder(), wildcard, false);
    dialog->launchAsync(juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
                        [this](const juce::FileChooser& chooser) {
                            if (chooser.getResult() != juce::File())
                                setCurrentFile(chooser.getResult(), true);
                        });
}
