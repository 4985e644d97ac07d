#include "editor/editor.h"

#include "editor/credits_window.h"
#include "editor/fft_size_choices.h"
#include "editor/gui_constants.h"
#include "editor/pictures.h"
#include "editor/screen_availability.h"
#include "engine/home_folder.h"
#include "engine/number_text.h"

namespace {

constexpr int kTooltipDelayMilliseconds = 700;
const juce::Colour kBackground{0xffdcdcdc};      // gainsboro
const juce::Colour kPressedOverlay{0xffc0c0c0};  // silver
const juce::Colour kIrSizeHint{0xff0000ff};
constexpr int kModeRadioGroup = 1234;
constexpr int kFileListRowHeight = 14;
constexpr int kFileListMinimumWidth = 100;
constexpr int kMostIrSizeDigits = 10;
const juce::Rectangle<int> kBackgroundImageArea{347, 196, 220, 210};
constexpr int kProcessorPollMilliseconds = 100;

struct ModeToggle {
    const char* text;
    const char* tooltip;
};

// By working mode; the texts end with a blank.
const ModeToggle kModeToggles[] = {
    {"IR mono ", "open mono files with only one IR"},
    {"IR multi ", "open multichannel (outputs) files with the suitable number of IRs (inputs)."},
    {"IR 1-To-1 ", "open multichannel (outputs) files"},
};

}  // namespace

juce::String hostRateText(const BRFilter& filter) { return "Host SR: " + formatDouble(filter.getSampleRate()) + " Hz"; }

juce::AudioProcessorEditor* createEditorWindow(BRFilter& processor)
{
    return windowsCanBeShown() ? new BREditor(processor) : nullptr;
}

BREditor::BREditor(BRFilter& processor)
    : juce::AudioProcessorEditor(processor), filter(processor), tooltipWindow(nullptr, kTooltipDelayMilliseconds),
      creditsImage(juce::ImageCache::getFromMemory(creditsBannerPng, creditsBannerPngSize)),
      backgroundImage(juce::ImageCache::getFromMemory(backgroundEmblemPng, backgroundEmblemPngSize)),
      creditsButton("imagebutton"), gainLabel("pLblGain", "Out"),
      wetGainSlider("wet gain", processor.wetGain.getMinimum(), processor.wetGain.getMaximum()), packButton("PACK"),
      resetButton("RESET"),
      dirChooser("dirchooser", userDocumentsFolder(), audioFilePatterns, "(choose a path containing audio files)"),
      fileList("IrFileList"), irInfoGroup("irInfo group", "IR info"), irInfoLabel("IR properties", {}),
      modeGroup("mode group", "Mode"), setupGroup("setup group", "Setup"), inputsLabel("pInpLabel", "INs: "),
      inputsCombo("combo inputs"), outputsLabel("pOutLabel", "OUTs: "), outputsCombo("combo outputs"),
      fftLabel("pFFTLabel", "FFT: "), fftCombo("combo fft"), zeroLatencyToggle("Zero Latency"),
      hostRateLabel("Host SR", hostRateText(processor)), irSizeLabel("ir size label", "IR size:"),
      irSize(processor.irSize), scannedSampleRate(processor.getSampleRate())
{
    const juce::Colour transparent = juce::Colours::transparentBlack;
    addAndMakeVisible(creditsButton);
    creditsButton.setImages(true, true, true, creditsImage, 0.9f, transparent, creditsImage, 1.0f, transparent,
                            creditsImage, 0.7f, kPressedOverlay, 0.5f);
    creditsButton.setTopLeftPosition(0, 0);
    creditsButton.setTooltip("show credits");
    creditsButton.addListener(this);

    gainLabel.setBounds(35, 575, 48, 24);
    addAndMakeVisible(gainLabel);

    addAndMakeVisible(wetGainSlider);
    // Wider than the knob, centred under it: its box holds "-90.00 dB" while it is typed in.
    wetGainSlider.setBounds(40, 580, 84, 64);
    wetGainSlider.addListener(this);
    wetGainSlider.setSliderStyle(juce::Slider::RotaryVerticalDrag);
    wetGainSlider.setTextBoxStyle(juce::Slider::TextBoxBelow, false, 84, 20);
    wetGainSlider.setDoubleClickReturnValue(true, 0.0);
    wetGainSlider.setValueFromProportion(filter.getParameter(0), false);

    packButton.setTooltip("Save your matrix as Wav/Aiff file");
    packButton.setBounds(560, 15, 75, 24);
    addAndMakeVisible(packButton);
    packButton.addListener(this);
    resetButton.setTooltip("empty your matrix");
    resetButton.setBounds(560, 43, 75, 24);
    addAndMakeVisible(resetButton);
    resetButton.addListener(this);

    addAndMakeVisible(dirChooser);
    dirChooser.setBrowseButtonText("[...]");
    dirChooser.setBounds(10, 65, 378, 24);
    dirChooser.addListener(this);
    showRememberedDirectory();

    fileList.setBounds(10, 100, 150, 200);
    fileList.setMinimumContentWidth(kFileListMinimumWidth);
    fileList.setRowHeight(kFileListRowHeight);
    addAndMakeVisible(fileList);

    irInfoGroup.setBounds(15, 305, 140, 110);
    addAndMakeVisible(irInfoGroup);
    irInfoLabel.setBounds(20, 325, 130, 80);
    irInfoLabel.setJustificationType(juce::Justification::topLeft);
    addAndMakeVisible(irInfoLabel);
    describeSelectedFile();

    modeGroup.setBounds(450, 10, 100, 80);
    addAndMakeVisible(modeGroup);
    for (int mode = 0; mode < 3; ++mode) {
        juce::ToggleButton& toggle = modeToggles[static_cast<std::size_t>(mode)];
        toggle.setName(kModeToggles[mode].text);
        toggle.setButtonText(kModeToggles[mode].text);
        toggle.setRadioGroupId(kModeRadioGroup);
        addAndMakeVisible(toggle);
        toggle.setBounds(455, 25 + 18 * mode, 90, 18);
        toggle.setTooltip(kModeToggles[mode].tooltip);
        toggle.addListener(this);
    }
    modeToggles[2].setEnabled(filter.inputs == filter.outputs);
    modeToggles[static_cast<std::size_t>(workingModeNumber(filter.workingMode))].setToggleState(
        true, juce::dontSendNotification);

    setupGroup.setBounds(15, 420, 140, 155);
    addAndMakeVisible(setupGroup);
    addChannelCombo(inputsLabel, inputsCombo, 435, filter.inputs);
    addChannelCombo(outputsLabel, outputsCombo, 455, filter.outputs);
    fftLabel.setBounds(20, 475, 30, 18);
    addAndMakeVisible(fftLabel);
    fftCombo.setBounds(60, 475, 48, 18);
    addAndMakeVisible(fftCombo);
    fftCombo.addListener(this);
    fillFftCombo();

    addAndMakeVisible(zeroLatencyToggle);
    zeroLatencyToggle.setTooltip("enable zero latency (BEWARE: much more CPU required!)");
    zeroLatencyToggle.addListener(this);
    zeroLatencyToggle.setBounds(20, 495, 100, 24);
    zeroLatencyToggle.setToggleState(filter.settings.zeroLatency != 0, juce::dontSendNotification);

    hostRateLabel.setBounds(20, 520, 130, 24);
    addAndMakeVisible(hostRateLabel);
    irSizeLabel.setBounds(20, 540, 50, 24);
    addAndMakeVisible(irSizeLabel);

    addAndMakeVisible(irSizeEditor);
    irSizeEditor.setBounds(75, 540, 70, 24);
    irSizeEditor.setInputRestrictions(kMostIrSizeDigits, "0123456789");
    irSizeEditor.setTextToShowWhenEmpty(juce::String(irSize), kIrSizeHint);
    irSizeEditor.addListener(this);

    createCellGrid();
    zoomView.setBounds(170, 512, 575, 125);
    addAndMakeVisible(zoomView);
    selectCell(filter.selectedOutput, filter.selectedInput);
    if (matrixHoldsIrs())
        irSizeEditor.setEnabled(false);
    disableOffDiagonalCells(filter.workingMode == BRWorkingMode::irOneToOne);
    setSize(kWidth, kHeight);
    filter.addChangeListener(this);
    fileList.addChangeListener(this);
    startTimer(kProcessorPollMilliseconds);
}

BREditor::~BREditor()
{
    const juce::File directory = dirChooser.getChosenDirectory();
    if (directory != juce::File())
        filter.setLastPath(directory.getFullPathName());
    filter.settings.dropDownList = dirChooser.getRecentlyUsedFilenames();
    if (directory != juce::File())
        filter.settings.lastDir = directory;

    filter.removeChangeListener(this);
    fileList.removeChangeListener(this);
    // A box that loses the focus while it goes would call back into a half-gone editor.
    irSizeEditor.removeListener(this);
    for (juce::ComboBox* combo : {&inputsCombo, &outputsCombo, &fftCombo})
        combo->removeListener(this);
    dirChooser.removeListener(this);
    closeWindowsOpenedHere();
}

void BREditor::addChannelCombo(juce::Label& label, juce::ComboBox& combo, int y, int channels)
{
    label.setBounds(20, y, 40, 18);
    addAndMakeVisible(label);
    combo.setBounds(60, y, 48, 18);
    addAndMakeVisible(combo);
    combo.addListener(this);
    for (int count = kMinChannels; count <= kMaxChannels; ++count)
        combo.addItem(juce::String(count), count);
    // Arrives from the message loop and writes the shown count into the settings.
    combo.setSelectedId(channels, juce::sendNotificationAsync);
}

void BREditor::fillFftCombo()
{
    int id = 1;
    for (const int size : fftSizeChoices(filter.getBlockSize()))
        fftCombo.addItem(juce::String(size), id++);
    fftCombo.setText(juce::String(filter.fftSize), juce::sendNotificationAsync);
}

void BREditor::createCellGrid()
{
    gridLayout = layoutCellGrid(matrixOutputs(filter), matrixInputs(filter));
    cellGrid.resize(static_cast<std::size_t>(gridLayout.rows));
    for (int o = 0; o < gridLayout.rows; ++o)
        for (int i = 0; i < gridLayout.columns; ++i) {
            auto view = std::make_unique<BRIrCellTarget>(*this);
            addAndMakeVisible(*view);
            view->setCellIndex(o, i);
            view->setBounds(gridLayout.cellBounds(o, i));
            cellGrid[static_cast<std::size_t>(o)].push_back(std::move(view));
            refreshCell(o, i);
        }
}

void BREditor::paint(juce::Graphics& g)
{
    g.fillAll(kBackground);
    g.setColour(guiImageBlack);
    g.drawImage(backgroundImage, kBackgroundImageArea.getX(), kBackgroundImageArea.getY(),
                kBackgroundImageArea.getWidth(), kBackgroundImageArea.getHeight(), 0, 0,
                kBackgroundImageArea.getWidth(), kBackgroundImageArea.getHeight(), false);
}

void BREditor::paintOverChildren(juce::Graphics& g)
{
    g.setColour(juce::Colours::black.withAlpha(0.5f));
    g.drawRect(fileList.getBounds(), 1);
}
