// What the editor's controls do, and how it follows its processor.
#include "editor/bubble_message.h"
#include "editor/credits_window.h"
#include "editor/editor.h"
#include "editor/ir_file_check.h"
#include "engine/number_text.h"
#include "host/legacy_processor.h"
#include "pack/pack_window.h"

namespace {

constexpr int kBubbleMilliseconds = 5000;

juce::String irSizeRangeMessage(int fftSize)
{
    return "The IR size must be at least the FFT size, " + juce::String(fftSize) + ",\nand at most " +
           juce::String(kMaxCellSamples) + " samples.";
}

}  // namespace

void BREditor::sliderValueChanged(juce::Slider* slider)
{
    if (slider != &wetGainSlider)
        return;
    legacy::setParameterNotifyingHost(filter, 0, static_cast<float>(wetGainSlider.getValueAsProportion()));
    shownWetGain = filter.getParameter(0);
}

void BREditor::sliderDragStarted(juce::Slider* slider)
{
    if (slider == &wetGainSlider)
        legacy::beginParameterChangeGesture(filter, 0);
}

void BREditor::sliderDragEnded(juce::Slider* slider)
{
    if (slider == &wetGainSlider)
        legacy::endParameterChangeGesture(filter, 0);
}

void BREditor::buttonClicked(juce::Button* button)
{
    // The toolkit also reports the toggle that its radio group turns off.
    for (int mode = 0; mode < static_cast<int>(modeToggles.size()); ++mode)
        if (button == &modeToggles[static_cast<std::size_t>(mode)] && button->getToggleState())
            switchWorkingMode(*workingModeOf(mode));
    if (button == &resetButton) {
        resetMatrix();
        fileList.deselectAllRows();
    } else if (button == &creditsButton && creditsWindowInstance == nullptr) {
        openCreditsWindow(*this);
        creditsWindowOpenedHere = creditsWindowInstance;
    } else if (button == &packButton) {
        openPackWindow();
    } else if (button == &zeroLatencyToggle) {
        toggleZeroLatency();
    }
    repaint();
}

void BREditor::switchWorkingMode(BRWorkingMode mode)
{
    // Also for the mode already on: a click on it empties the matrix too.
    if (!filter.switchWorkingMode(mode)) {
        modeToggles[static_cast<std::size_t>(workingModeNumber(filter.workingMode))].setToggleState(
            true, juce::dontSendNotification);
        return;
    }
    clearMatrixViews();
    disableOffDiagonalCells(mode == BRWorkingMode::irOneToOne);
    fileList.clearPaths();
    fileList.deselectAllRows();
    scanDirectory();
}

void BREditor::toggleZeroLatency()
{
    // Neither change reaches the settings' FFT size.
    const bool on = zeroLatencyToggle.getToggleState();
    filter.settings.zeroLatency = on ? 1 : 0;
    if (on)
        fftCombo.setSelectedId(1, juce::dontSendNotification);
    else
        fftCombo.setText(juce::String(filter.fftSize), juce::dontSendNotification);
    fftCombo.setEnabled(!on);
}

void BREditor::textEditorReturnKeyPressed(juce::TextEditor& editor)
{
    if (&editor == &irSizeEditor)
        acceptIrSize();
}

void BREditor::textEditorFocusLost(juce::TextEditor& editor)
{
    if (&editor == &irSizeEditor)
        acceptIrSize();
}

void BREditor::acceptIrSize()
{
    // Cells keep the IR size they were loaded with until the matrix is reset.
    if (matrixHoldsIrs())
        return;
    const juce::String text = irSizeEditor.getText();
    // Ten digits may exceed an int: read them wide, so that no size wraps into range.
    const juce::int64 typed = text.getLargeIntValue();
    if (typed >= 0 && typed <= kMaxCellSamples && filter.setIrSize(static_cast<int>(typed))) {
        irSize = static_cast<int>(typed);
        return;
    }
    irSizeEditor.setText(juce::String(irSize), false);
    if (text.isNotEmpty() && irSizeEditor.isShowing())
        showBubbleMessage(irSizeEditor, irSizeRangeMessage(filter.fftSize), kBubbleMilliseconds);
}

void BREditor::comboBoxChanged(juce::ComboBox* combo)
{
    if (combo == &fftCombo) {
        filter.settings.fftSize = fftCombo.getText().getIntValue();
        return;
    }
    const int index = combo->getSelectedItemIndex();
    if (index < 0)
        return;
    if (combo == &inputsCombo)
        filter.settings.inputs = index + 1;
    else if (combo == &outputsCombo)
        filter.settings.outputs = index + 1;
}

void BREditor::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source == &filter) {
        processorChanged();
    } else if (source == &fileList) {
        describeSelectedFile();
        // In IR mono a selection only describes the file: files go onto cells by dragging.
        if (filter.workingMode != BRWorkingMode::irMono)
            loadSelectedMultichannelFile();
    }
}

void BREditor::describeSelectedFile()
{
    // A file that left the list is described no longer; one that no longer
    // opens says why, where its description would be blank.
    juce::File selected;
    juce::String info = "no IR selected...";
    if (fileList.getSelectedPath(selected)) {
        info = fileList.getFileDescription();
        if (info.isEmpty())
            info = whyIrFileDidNotOpen(selected.getFullPathName()) + ".";
    }
    irInfoLabel.setText(info, juce::dontSendNotification);
}

void BREditor::loadSelectedMultichannelFile()
{
    juce::File selected;
    if (!fileList.getSelectedPath(selected) || !irFileStillSuits(filter, selected.getFullPathName()))
        return;
    resetMatrix();
    if (!filter.loadMultichannelIrFile(selected.getFullPathName()))
        return;  // the processor has said why
    irSize = filter.irSize;
    irSizeEditor.setText(juce::String(irSize), false);
    irSizeEditor.setEnabled(!matrixHoldsIrs());
    refreshAllCells();
}

void BREditor::processorChanged()
{
    showWetGain();
    if (filter.editorNeedsRefresh.exchange(false))
        refreshFromProcessor();
}

void BREditor::showWetGain()
{
    shownWetGain = filter.getParameter(0);
    wetGainSlider.setValueFromProportion(shownWetGain, false);
}

void BREditor::timerCallback()
{
    takeScanResult();
    // The host may move the wet gain from a thread that posts no message.
    if (filter.getParameter(0) != shownWetGain)
        showWetGain();
    // Hosts may open the editor before they start the effect, and restart it at another rate.
    if (filter.getSampleRate() != scannedSampleRate)
        followHostRate();
}

void BREditor::followHostRate()
{
    scannedSampleRate = filter.getSampleRate();
    hostRateLabel.setText(hostRateText(filter), juce::dontSendNotification);
    // Files are listed only at the host's rate.
    if (dirChooser.getChosenDirectory().isDirectory())
        scanDirectory();
}

void BREditor::refreshFromProcessor()
{
    irSize = filter.irSize;
    irSizeEditor.setText(juce::String(irSize), false);
    irSizeEditor.setEnabled(!matrixHoldsIrs());
    hostRateLabel.setText(hostRateText(filter), juce::dontSendNotification);
    modeToggles[static_cast<std::size_t>(workingModeNumber(filter.workingMode))].setToggleState(
        true, juce::dontSendNotification);
    refreshAllCells();
    disableOffDiagonalCells(filter.workingMode == BRWorkingMode::irOneToOne);
    showRememberedDirectory();
    setSize(kWidth, kHeight);
}

void BREditor::openPackWindow()
{
    ::openPackWindow(
        filter, [this] { return irSize; }, getScreenPosition());
}

void BREditor::closeWindowsOpenedHere()
{
    // The window would outlive the toolkit when this editor's effect is the last to go.
    delete creditsWindowOpenedHere.getComponent();
    // The Pack tool reads this editor's IR size and this processor's matrix.
    closePackWindowFor(filter);
}
