#include "editor/ir_cell_target.h"

#include <algorithm>

#include "editor/drag_description.h"
#include "editor/gui_constants.h"
#include "editor/ir_file_check.h"

namespace {

const juce::Colour kCell{0xffadd8e6};          // lightblue
const juce::Colour kDisabledCell{0xfffffaf0};  // floralwhite
const juce::Colour kHoverBorder{0xff90ee90};   // lightgreen
constexpr float kFillAlpha = 0.5f;
constexpr int kHoverBorderThickness = 3;
constexpr float kEmptyLabelHeight = 14.0f;
constexpr int kLabelInset = 10;
constexpr float kLabelSmallestScale = 0.7f;

}  // namespace

int matrixOutputs(const BRFilter& filter) { return static_cast<int>(filter.cells.size()); }

int matrixInputs(const BRFilter& filter)
{
    return filter.cells.empty() ? 0 : static_cast<int>(filter.cells.front().size());
}

BRIrCellTarget::BRIrCellTarget(BRCellGridOwner& gridOwner)
    : owner(gridOwner), waveForm([this] { return cellDragDescription(outputIndex, inputIndex); })
{
    showEmptyLabel();
    addAndMakeVisible(waveForm);
    // Presses on the waveform, which covers the cell, are the cell's presses too.
    waveForm.addMouseListener(this, false);
}

BRIrCellTarget::~BRIrCellTarget() { waveForm.removeMouseListener(this); }

void BRIrCellTarget::setCellIndex(int output, int input)
{
    outputIndex = output;
    inputIndex = input;
    if (!holdsIr())
        showEmptyLabel();
}

void BRIrCellTarget::showEmptyLabel()
{
    cellLabel = "IR cell\n(" + juce::String(outputIndex + 1) + "," + juce::String(inputIndex + 1) + ")";
}

void BRIrCellTarget::loadCellView()
{
    BRFilter& filter = owner.getProcessor();
    const BRIrCell& cell = filter.cells[static_cast<std::size_t>(outputIndex)][static_cast<std::size_t>(inputIndex)];
    const juce::String path = juce::String::fromUTF8(cell.path.c_str());
    irFile = juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File();
    cellLabel = path.fromLastOccurrenceOf("/", false, false);
    waveForm.setDisplayWidth(getWidth());
    waveForm.setSampleCount(filter.irSize);
    waveForm.setSpectrumRate(filter.getSampleRate());
    // A cell holds its IR at the IR size it was loaded with.
    waveForm.setSamples(cell.buffer.get(), cell.holdsSamples() ? std::min(cell.frameCount, filter.irSize) : 0);
    repaint();
}

void BRIrCellTarget::clearCellView()
{
    waveForm.clear();
    dropped = false;
    selected = false;
    irFile = juce::File();
    showEmptyLabel();
    repaint();
}

void BRIrCellTarget::setSelected(bool shouldBeSelected)
{
    selected = shouldBeSelected;
    repaint();
}

void BRIrCellTarget::mouseDown(const juce::MouseEvent&)
{
    if (!selected && holdsIr())
        setSelected(true);
}

void BRIrCellTarget::mouseUp(const juce::MouseEvent&)
{
    if (holdsIr())
        owner.selectCell(outputIndex, inputIndex);
}

void BRIrCellTarget::paint(juce::Graphics& g)
{
    const int width = getWidth();
    const int height = getHeight();
    g.drawRect(0, 0, width, height, 1);
    const juce::Colour fill = !isEnabled() ? kDisabledCell : selected ? guiOrange : kCell;
    g.setColour(fill.withAlpha(kFillAlpha));
    g.fillRect(0, 0, width, height);

    g.setColour(guiBlack);
    juce::Justification placement = juce::Justification::topRight;
    if (dragOver) {
        // The label takes the border's colour while a drag hovers.
        g.setColour(kHoverBorder);
        g.drawRect(0, 0, width, height, kHoverBorderThickness);
    }
    if (dragOver || (!dropped && !holdsIr())) {
        g.setFont(kEmptyLabelHeight);
        placement = juce::Justification::centred;
    }
    g.drawFittedText(cellLabel, kLabelInset, 0, width - 2 * kLabelInset, height, placement, 1, kLabelSmallestScale);
}

void BRIrCellTarget::resized() { waveForm.setBounds(getLocalBounds()); }

bool BRIrCellTarget::isInterestedInDragSource(const SourceDetails&)
{
    return owner.getProcessor().workingMode == BRWorkingMode::irMono;
}

void BRIrCellTarget::itemDragEnter(const SourceDetails&)
{
    dragOver = true;
    dropped = false;
    repaint();
}

void BRIrCellTarget::itemDragMove(const SourceDetails&) {}

void BRIrCellTarget::itemDragExit(const SourceDetails&)
{
    dragOver = false;
    repaint();
}

void BRIrCellTarget::itemDropped(const SourceDetails& details)
{
    const juce::String description = details.description.toString();
    if (isCellDragDescription(description))
        dropFromCell(description);
    else
        dropFromFileList(description);
    dragOver = false;
    dropped = true;
    repaint();
}

void BRIrCellTarget::dropFromFileList(const juce::String& description)
{
    const juce::StringArray files = owner.getListedFiles();
    if (const std::optional<int> row = listRowOfDrag(description, files.size()))
        loadIntoCell(files[*row]);
}

void BRIrCellTarget::dropFromCell(const juce::String& description)
{
    BRFilter& filter = owner.getProcessor();
    const std::optional<BRCellIndex> source = cellOfDrag(description, matrixOutputs(filter), matrixInputs(filter));
    if (!source || (source->output == outputIndex && source->input == inputIndex))
        return;
    // The source keeps its IR; its file is loaded again, as a mono file, into this cell.
    const BRIrCell& sourceCell =
        filter.cells[static_cast<std::size_t>(source->output)][static_cast<std::size_t>(source->input)];
    if (sourceCell.holdsSamples())
        loadIntoCell(juce::String::fromUTF8(sourceCell.path.c_str()));
}

void BRIrCellTarget::loadIntoCell(const juce::String& path)
{
    BRFilter& filter = owner.getProcessor();
    if (path.isEmpty() || !irFileStillSuits(filter, path) || !filter.loadMonoIrIntoCell(outputIndex, inputIndex, path))
        return;
    loadCellView();
    owner.setIrSizeEditorEnabled(false);
}
