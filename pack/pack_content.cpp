#include "pack/pack_content.h"

#include <utility>

#include "pack/ir_pack_writer.h"
#include "pack/pack_file_name.h"
#include "pack/pack_save_dialog.h"

namespace {

constexpr int kRadioGroup = 1979;

// A combo box entry and the choice it stands for; entry k has the id k + 1.
template <typename Choice>
struct BoxEntry {
    const char* text;
    Choice choice;
};

constexpr BoxEntry<BRPackFormat> kFormats[] = {{"WAV", BRPackFormat::wav}, {"AIFF", BRPackFormat::aiff}};
constexpr BoxEntry<BRPackDepth> kDepths[] = {{"16 bit", BRPackDepth::pcm16},
                                             {"24 bit", BRPackDepth::pcm24},
                                             {"32 bit float", BRPackDepth::float32}};

template <typename Choice, std::size_t count>
void fill(juce::ComboBox& box, const BoxEntry<Choice> (&entries)[count])
{
    for (std::size_t k = 0; k < count; ++k)
        box.addItem(entries[k].text, static_cast<int>(k) + 1);
    box.setJustificationType(juce::Justification::centred);
    box.setSelectedId(1, juce::dontSendNotification);
}

template <typename Choice, std::size_t count>
Choice chosenIn(const juce::ComboBox& box, const BoxEntry<Choice> (&entries)[count])
{
    return entries[static_cast<std::size_t>(box.getSelectedId() - 1)].choice;
}

}  // namespace

BRPackContentComponent::BRPackContentComponent(BRFilter& processor, std::function<int()> irSize)
    : multiRadio("IR multi "), oneToOneRadio("IR 1-To-1 "), saveButton("save as", "Save As..."), formatBox("Format"),
      bitDepthBox("Bit depth"), howToLabel("How To", "Save your IR matrix configuration as sound file."),
      resultLabel("rslmsg", {}), processor(processor), irSize(std::move(irSize))
{
    howToLabel.setBounds(10, 35, 250, 24);
    addAndMakeVisible(howToLabel);
    // Two lines: a failure's reason follows "Not saved: ".
    resultLabel.setBounds(10, 220, 250, 48);
    resultLabel.setJustificationType(juce::Justification::topLeft);
    addAndMakeVisible(resultLabel);

    for (juce::ToggleButton* radio : {&multiRadio, &oneToOneRadio}) {
        radio->setRadioGroupId(kRadioGroup);
        radio->addListener(this);
        addAndMakeVisible(radio);
    }
    multiRadio.setBounds(70, 80, 80, 24);
    multiRadio.setToggleState(true, juce::dontSendNotification);
    oneToOneRadio.setBounds(160, 80, 80, 24);

    fill(formatBox, kFormats);
    // Wide enough for "WAV" beside the arrow, left-aligned with "IR multi ".
    formatBox.setBounds(70, 120, 65, 24);
    addAndMakeVisible(formatBox);
    fill(bitDepthBox, kDepths);
    bitDepthBox.setBounds(150, 120, 80, 24);
    addAndMakeVisible(bitDepthBox);

    saveButton.setBounds(125, 160, 50, 24);
    saveButton.addListener(this);
    addAndMakeVisible(saveButton);

    oneToOneRadio.setEnabled(processor.inputs == processor.outputs);
}

void BRPackContentComponent::buttonClicked(juce::Button* button)
{
    if (button == &multiRadio)
        packKind = BRPackKind::multi;
    else if (button == &oneToOneRadio)
        packKind = BRPackKind::oneToOne;
    else if (button == &saveButton)
        chooseTarget();
}

void BRPackContentComponent::chooseTarget()
{
    // JUCE's own dialog: the desktop's helper programs may be missing. It does
    // not ask about replacing: the name it returns may still change its extension.
    // It belongs to the content, so its answer never arrives after the content.
    saveDialog = std::make_unique<BRPackSaveDialog>("Save IR pack as...", "*.wav;*.aiff;*.aif");
    saveDialog->launch([this](const juce::File& chosen) { targetChosen(chosen); });
}

void BRPackContentComponent::targetChosen(const juce::File& chosen)
{
    if (chosen == juce::File())
        return;
    // Later saves from this window keep the format and depth of the first.
    formatBox.setEnabled(false);
    bitDepthBox.setEnabled(false);
    targetFile = packFileWithExtension(chosen, chosenIn(formatBox, kFormats));
    resultLabel.setText({}, juce::dontSendNotification);
    if (targetFile.existsAsFile())
        askBeforeReplacing();
    else
        writePack();
}

void BRPackContentComponent::askBeforeReplacing()
{
    replaceQuestion.reset(
        getLookAndFeel().createAlertWindow("File already exists",
                                           "There is already a file called " + targetFile.getFileName() + " in " +
                                               targetFile.getParentDirectory().getFullPathName() +
                                               ".\n\nDo you want to replace it?",
                                           "Yes", "No", {}, juce::MessageBoxIconType::WarningIcon, 2, this));
    // The tool window stays on top: the question must show above it.
    replaceQuestion->setAlwaysOnTop(true);
    const juce::Component::SafePointer<BRPackContentComponent> self(this);
    replaceQuestion->enterModalState(true, juce::ModalCallbackFunction::create([self](int answer) {
                                         if (self != nullptr)
                                             self->replaceAnswered(answer);
                                     }));
}

void BRPackContentComponent::replaceAnswered(int answer)
{
    replaceQuestion.reset();
    if (answer != 0)
        writePack();
}

void BRPackContentComponent::writePack()
{
    const BRPackSpec spec{packKind, chosenIn(formatBox, kFormats), chosenIn(bitDepthBox, kDepths), irSize(),
                          static_cast<int>(processor.getSampleRate())};
    const BRPackResult result = writeIrPack(processor.cells, spec, targetFile);
    resultLabel.setText(result.saved ? juce::String("Sound file saved correctly!") : "Not saved: " + result.error,
                        juce::dontSendNotification);
}
