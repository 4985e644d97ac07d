#include "tests/support/save_dialog.h"

#include "tests/support/gui_test_environment.h"

namespace guitest {

juce::FileChooserDialogBox* shownFileDialog()
{
    const auto shown = [] {
        const auto dialogs = windowsOfType<juce::FileChooserDialogBox>();
        return dialogs.size() == 1 && dialogs[0]->isShowing() && dialogs[0]->getPeer() != nullptr;
    };
    return pumpUntil(shown) ? windowsOfType<juce::FileChooserDialogBox>()[0] : nullptr;
}

bool answerSaveDialog(const juce::File& chosen)
{
    juce::FileChooserDialogBox* dialog = shownFileDialog();
    auto* browser = dialog != nullptr ? descendantOfType<juce::FileBrowserComponent>(*dialog) : nullptr;
    if (browser == nullptr)
        return false;
    const auto boxes = childrenOfType<juce::TextEditor>(*browser);
    if (boxes.size() != 1)
        return false;
    juce::TextEditor& nameBox = *boxes[0];
    user::click(nameBox, nameBox.getLocalBounds().getCentre().toFloat());
    user::type(nameBox, chosen.getFullPathName());
    user::pressKey(nameBox, juce::KeyPress(juce::KeyPress::returnKey));
    user::pressKey(nameBox, juce::KeyPress(juce::KeyPress::returnKey));
    return pumpUntil([] { return windowsOfType<juce::FileChooserDialogBox>().empty(); });
}

}  // namespace guitest
