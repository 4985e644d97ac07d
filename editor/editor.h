#pragma once

#include <array>
#include <memory>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

#include "editor/cell_grid_layout.h"
#include "editor/decibel_slider.h"
#include "editor/directory_chooser.h"
#include "editor/draggable_list_box.h"
#include "editor/ir_cell_target.h"
#include "editor/ir_folder_scan.h"
#include "editor/ir_size_editor.h"
#include "editor/ir_zoom_view.h"
#include "editor/look_and_feel.h"
#include "editor/modals_above_editor.h"
#include "engine/filter.h"

class BRCreditsWindow;

// "Host SR: " and the processor's sample rate in Hz.
juce::String hostRateText(const BRFilter& filter);

// A new BREditor for the processor where windows can be shown; null without a
// display, where building one would crash. Fits BREditorFactory. Message thread.
juce::AudioProcessorEditor* createEditorWindow(BRFilter& processor);

// The plug-in's editor window, 750 x 650 pixels: the IR matrix as a grid of
// cells, the list of IR files of a chosen directory, the selected cell's
// spectrum, the working modes, the set-up (channel counts kept in the
// settings, FFT size, zero latency, IR size) and the wet-gain knob. It commands
// its processor through the processor's operations and settings, and follows
// the processor's change messages; a wet gain the host moves from another
// thread, and the rate the host starts the effect at, reach it through a
// timer. Every position is fixed. Message thread.
class BREditor : private BRSharedLookInstaller,
                 public juce::AudioProcessorEditor,
                 public juce::DragAndDropContainer,
                 public BRCellGridOwner,
                 private juce::Slider::Listener,
                 private juce::Button::Listener,
                 private juce::TextEditor::Listener,
                 private juce::ChangeListener,
                 private juce::ComboBox::Listener,
                 private juce::FilenameComponentListener,
                 private juce::Timer {
public:
    static constexpr int kWidth = 750;
    static constexpr int kHeight = 650;

    explicit BREditor(BRFilter& processor);
    // Writes the chosen directory and the chooser's recent entries back into
    // the processor's settings.
    ~BREditor() override;

    BREditor(const BREditor&) = delete;
    BREditor& operator=(const BREditor&) = delete;

    // The IR size last accepted in the IR size box (or taken from the processor).
    int getAcceptedIrSize() const { return irSize; }

    void paint(juce::Graphics& g) override;
    void paintOverChildren(juce::Graphics& g) override;

    // The cells: the processor's cell [output][input] in its view; every cell.
    void refreshCell(int output, int input);
    void refreshAllCells();
    // Disables (true) or enables (false) every cell off the diagonal.
    void disableOffDiagonalCells(bool disable);
    // RESET and every mode change: the processor's matrix and every cell view
    // emptied, the IR size box and the mode toggles enabled ("IR 1-To-1 " only
    // for equal channel counts), the zoom view cleared.
    void resetMatrix();
    void setModeButtonsEnabled(bool enabled);
    // Brings the window up to date with the processor: IR size, rate, mode,
    // cells, remembered directory.
    void refreshFromProcessor();

    // BRCellGridOwner
    BRFilter& getProcessor() override { return filter; }
    juce::StringArray getListedFiles() override;
    // Only for a cell that holds an IR: its spectrum in the zoom view, titled
    // "IR (o,i)" from 1, and the processor remembers it as selected.
    void selectCell(int output, int input) override;
    void setIrSizeEditorEnabled(bool enabled) override;

private:
    void sliderValueChanged(juce::Slider* slider) override;
    // A drag, a typed value or a double-click on the knob is one gesture for
    // the host, which its Touch and Latch automation modes follow.
    void sliderDragStarted(juce::Slider* slider) override;
    void sliderDragEnded(juce::Slider* slider) override;
    void buttonClicked(juce::Button* button) override;
    void textEditorReturnKeyPressed(juce::TextEditor& editor) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void comboBoxChanged(juce::ComboBox* combo) override;
    void filenameComponentChanged(juce::FilenameComponent* chooser) override;
    void timerCallback() override;

    void clearMatrixViews();
    void switchWorkingMode(BRWorkingMode mode);
    void toggleZeroLatency();
    void acceptIrSize();
    void processorChanged();
    void showWetGain();
    // "Host SR" and the file list at the processor's present rate.
    void followHostRate();
    void loadSelectedMultichannelFile();
    // "IR info" describes the selected file, or says that none is.
    void describeSelectedFile();
    bool matrixHoldsIrs() const;

    // The directory scan: the chooser's directory into the file list, kept to
    // the files the mode can load. Headers are read on the scan's worker; the
    // list is busy until the timer takes the result.
    void scanDirectory();
    void takeScanResult();
    void showScanResult(const BRIrScanResult& result);
    void refreshFileList();
    // The recent list from the settings, and the mode's remembered directory,
    // scanned from the message loop when it differs from the one shown.
    void showRememberedDirectory();

    void openPackWindow();
    void closeWindowsOpenedHere();

    void createCellGrid();
    BRIrCellTarget* cellView(int output, int input) const;
    void addChannelCombo(juce::Label& label, juce::ComboBox& combo, int y, int channels);
    void fillFftCombo();

    BRFilter& filter;
    juce::TooltipWindow tooltipWindow;
    juce::Image creditsImage;
    juce::Image backgroundImage;
    juce::ImageButton creditsButton;
    juce::Label gainLabel;
    BRDecibelSlider wetGainSlider;
    juce::TextButton packButton;
    juce::TextButton resetButton;
    BRDirectoryChooser dirChooser;
    BRDraggableListBox fileList;
    juce::GroupComponent irInfoGroup;
    juce::Label irInfoLabel;
    juce::GroupComponent modeGroup;
    std::array<juce::ToggleButton, 3> modeToggles;  // by working mode
    juce::GroupComponent setupGroup;
    juce::Label inputsLabel;
    juce::ComboBox inputsCombo;
    juce::Label outputsLabel;
    juce::ComboBox outputsCombo;
    juce::Label fftLabel;
    juce::ComboBox fftCombo;
    juce::ToggleButton zeroLatencyToggle;
    juce::Label hostRateLabel;
    juce::Label irSizeLabel;
    BRIrSizeEditor irSizeEditor;
    BRCellGridLayout gridLayout;
    std::vector<std::vector<std::unique_ptr<BRIrCellTarget>>> cellGrid;  // [output][input], as shown
    BRIrZoomView zoomView;
    int irSize = 0;
    float shownWetGain = -1.0f;  // the proportion the knob shows
    double scannedSampleRate;    // the rate the file list and "Host SR" follow
    juce::Component::SafePointer<BRCreditsWindow> creditsWindowOpenedHere;
    juce::File listedDirectory;  // the directory whose files the list holds
    BRIrFolderScan folderScan;
    BRModalsAboveEditor modalsAbove{*this};
};
