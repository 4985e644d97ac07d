#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/wave_form.h"
#include "engine/filter.h"

// What an IR cell view needs of the editor that holds it. Message thread.
class BRCellGridOwner {
public:
    virtual ~BRCellGridOwner() = default;

    virtual BRFilter& getProcessor() = 0;
    // The files of the IR file list, one per row.
    virtual juce::StringArray getListedFiles() = 0;
    // Shows the cell's spectrum and marks it as the selected one.
    virtual void selectCell(int output, int input) = 0;
    virtual void setIrSizeEditorEnabled(bool enabled) = 0;
};

// The matrix's own dimensions: its rows (outputs) and the length of its rows (inputs).
int matrixOutputs(const BRFilter& filter);
int matrixInputs(const BRFilter& filter);

// One cell of the editor's IR matrix view, for the processor's cell
// [output][input]: it draws its state and the IR's waveform, takes IR files
// dragged from the file list or from another cell (in IR mono only), is the
// source of drags of its own IR, and a click selects it when it holds an IR.
// Message thread.
class BRIrCellTarget : public juce::Component, public juce::DragAndDropTarget {
public:
    explicit BRIrCellTarget(BRCellGridOwner& owner);
    ~BRIrCellTarget() override;

    BRIrCellTarget(const BRIrCellTarget&) = delete;
    BRIrCellTarget& operator=(const BRIrCellTarget&) = delete;

    // The processor's cell this view shows; the label gets its place, from 1.
    void setCellIndex(int output, int input);
    int getOutputIndex() const { return outputIndex; }
    int getInputIndex() const { return inputIndex; }

    // Shows the processor's cell: its file's name and its IR at the
    // processor's IR size. Reads the cell's samples only here.
    void loadCellView();
    // Back to the empty cell's label, unselected.
    void clearCellView();

    bool holdsIr() const { return waveForm.hasSamples(); }
    bool isSelected() const { return selected; }
    void setSelected(bool shouldBeSelected);
    // The label as drawn, and the file whose IR is shown.
    const juce::String& getCellLabel() const { return cellLabel; }
    const juce::File& getIrFile() const { return irFile; }
    bool isDragOver() const { return dragOver; }
    const BRWaveForm& getWaveForm() const { return waveForm; }
    std::shared_ptr<const BRIrSpectrum> getSpectrum() const { return waveForm.getSpectrum(); }

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

    // Drops are taken in IR mono only, whatever they carry.
    bool isInterestedInDragSource(const SourceDetails& details) override;
    void itemDragEnter(const SourceDetails& details) override;
    void itemDragMove(const SourceDetails& details) override;
    void itemDragExit(const SourceDetails& details) override;
    void itemDropped(const SourceDetails& details) override;

private:
    void dropFromFileList(const juce::String& description);
    void dropFromCell(const juce::String& description);
    void loadIntoCell(const juce::String& path);
    void showEmptyLabel();

    BRCellGridOwner& owner;
    bool dragOver = false;
    bool dropped = false;
    bool selected = false;
    juce::String cellLabel;
    juce::File irFile;
    int cellIrSize = 0;
    int outputIndex = 0;
    int inputIndex = 0;
    BRWaveForm waveForm;
};
