#pragma once

#include <functional>
#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

#include "engine/filter.h"
#include "pack/pack_options.h"
#include "pack/pack_save_dialog.h"

// The Pack tool's content: the pack kind, the file format and bit depth, and
// the save button that asks for a file and writes the processor's IR matrix
// into it, showing how that went. Message thread.
class BRPackContentComponent : public juce::Component, public juce::Button::Listener {
public:
    // irSize gives the IR size to write; it and the processor's cells and rate
    // are read when a save writes. Both must outlive the content.
    BRPackContentComponent(BRFilter& processor, std::function<int()> irSize);

    BRPackContentComponent(const BRPackContentComponent&) = delete;
    BRPackContentComponent& operator=(const BRPackContentComponent&) = delete;

    // The radio buttons choose the pack kind; the save button opens the save
    // dialog. Other buttons are ignored.
    void buttonClicked(juce::Button* button) override;

    bool savesMatrixOf(const BRFilter& other) const { return &other == &processor; }

private:
    void chooseTarget();
    void targetChosen(const juce::File& chosen);
    void askBeforeReplacing();
    void replaceAnswered(int answer);
    void writePack();

    juce::ToggleButton multiRadio;
    juce::ToggleButton oneToOneRadio;
    juce::TextButton saveButton;
    juce::ComboBox formatBox;
    juce::ComboBox bitDepthBox;
    juce::Label howToLabel;
    juce::Label resultLabel;
    BRPackKind packKind = BRPackKind::multi;
    juce::File targetFile;  // the file the last save wrote or offered to replace
    BRFilter& processor;
    std::function<int()> irSize;
    // Declared last: the dialogs go before anything their answers would reach.
    std::unique_ptr<BRPackSaveDialog> saveDialog;
    std::unique_ptr<juce::AlertWindow> replaceQuestion;
};
