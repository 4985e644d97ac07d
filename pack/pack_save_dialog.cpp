#include "pack/pack_save_dialog.h"

#include <utility>

#include "engine/dialog_start_folder.h"

namespace {

// The browser's only text box is its file name box.
juce::TextEditor* nameBoxOf(juce::FileBrowserComponent& browser)
{
    for (juce::Component* child : browser.getChildren())
        if (auto* box = dynamic_cast<juce::TextEditor*>(child))
            return box;
    return nullptr;
}

}  // namespace

BRPackSaveDialog::BRPackSaveDialog(const juce::String& title, const juce::String& patterns)
    : filter(patterns, {}, {}),
      browser(juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles, dialogStartFolder(),
              &filter, nullptr),
      box(title, {}, browser, false, browser.findColour(juce::AlertWindow::backgroundColourId)),
      nameBox(nameBoxOf(browser))
{
    if (nameBox == nullptr)
        return;
    // Return on a name JUCE would read as a home folder would open that folder.
    nameBox->onReturnKey = [this, browse = std::move(nameBox->onReturnKey)] {
        if (typedNameStartsWithTilde())
            box.exitModalState(1);
        else if (browse)
            browse();
    };
}

BRPackSaveDialog::~BRPackSaveDialog() { box.exitModalState(0); }

void BRPackSaveDialog::launch(std::function<void(const juce::File&)> answered)
{
    box.centreWithDefaultSize(nullptr);
    // The answer may arrive after the dialog has gone: then nobody waits for it.
    const juce::Component::SafePointer<juce::Component> alive(&box);
    box.enterModalState(true,
                        juce::ModalCallbackFunction::create([this, alive, answered = std::move(answered)](int result) {
                            if (alive == nullptr)
                                return;
                            // Answered: off the desktop, as JUCE's own chooser's dialog goes.
                            box.removeFromDesktop();
                            answered(result != 0 ? chosenFile() : juce::File());
                        }),
                        false);
}

bool BRPackSaveDialog::typedNameStartsWithTilde() const
{
    // Return in the box opens the folder of a typed path, so a name without
    // a separator names a file in the folder shown.
    return nameBox != nullptr && nameBox->getText().startsWithChar('~') && !nameBox->getText().containsChar('/');
}

juce::File BRPackSaveDialog::chosenFile() const
{
    if (typedNameStartsWithTilde())
        return juce::File(browser.getRoot().getFullPathName().trimCharactersAtEnd("/") + "/" + nameBox->getText());
    return browser.getSelectedFile(0);
}
