// The editor's cell views, the selection shown in the zoom view, and the reset.
#include "editor/editor.h"

juce::StringArray BREditor::getListedFiles() { return fileList.getPaths(); }

BRIrCellTarget* BREditor::cellView(int output, int input) const
{
    if (output < 0 || output >= gridLayout.rows || input < 0 || input >= gridLayout.columns)
        return nullptr;
    return cellGrid[static_cast<std::size_t>(output)][static_cast<std::size_t>(input)].get();
}

bool BREditor::matrixHoldsIrs() const
{
    for (const auto& row : filter.cells)
        for (const BRIrCell& cell : row)
            if (cell.holdsSamples())
                return true;
    return false;
}

void BREditor::refreshCell(int output, int input)
{
    BRIrCellTarget* view = cellView(output, input);
    if (view == nullptr)
        return;
    const BRIrCell& cell = filter.cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(input)];
    if (cell.holdsSamples()) {
        view->loadCellView();
        return;
    }
    // A cell the processor emptied (a restored state without its IRs) no longer shows them.
    if (view->holdsIr()) {
        if (view->isSelected())
            zoomView.clearSpectrum();
        view->clearCellView();
    }
}

void BREditor::refreshAllCells()
{
    for (int o = 0; o < gridLayout.rows; ++o)
        for (int i = 0; i < gridLayout.columns; ++i)
            refreshCell(o, i);
    repaint();
}

void BREditor::selectCell(int output, int input)
{
    BRIrCellTarget* view = cellView(output, input);
    if (view == nullptr || !view->holdsIr())
        return;
    if (output != filter.selectedOutput || input != filter.selectedInput)
        if (BRIrCellTarget* previous = cellView(filter.selectedOutput, filter.selectedInput))
            previous->setSelected(false);
    zoomView.setSpectrum(view->getSpectrum(), "IR (" + juce::String(output + 1) + "," + juce::String(input + 1) + ")");
    view->setSelected(true);
    filter.selectedOutput = output;
    filter.selectedInput = input;
    repaint();
}

void BREditor::disableOffDiagonalCells(bool disable)
{
    for (int o = 0; o < gridLayout.rows; ++o)
        for (int i = 0; i < gridLayout.columns; ++i)
            if (o != i)
                cellView(o, i)->setEnabled(!disable);
}

void BREditor::setIrSizeEditorEnabled(bool enabled) { irSizeEditor.setEnabled(enabled); }

void BREditor::setModeButtonsEnabled(bool enabled)
{
    for (juce::ToggleButton& toggle : modeToggles)
        toggle.setEnabled(enabled);
    if (filter.inputs != filter.outputs)
        modeToggles[static_cast<std::size_t>(workingModeNumber(BRWorkingMode::irOneToOne))].setEnabled(false);
}

void BREditor::resetMatrix()
{
    filter.resetMatrix();
    clearMatrixViews();
}

void BREditor::clearMatrixViews()
{
    irSizeEditor.setEnabled(true);
    setModeButtonsEnabled(true);
    for (auto& row : cellGrid)
        for (auto& view : row)
            view->clearCellView();
    zoomView.clearSpectrum();
}
