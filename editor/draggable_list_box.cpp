#include "editor/draggable_list_box.h"

#include "engine/sound_file.h"

namespace {

constexpr float kTextHeightPerRowHeight = 0.7f;
constexpr int kTextIndent = 4;
const juce::Colour kListBackground = juce::Colours::white.withAlpha(0.7f);
const juce::Colour kSelectedRow{0xffadd8e6};
const juce::Colour kBusyGround = juce::Colours::white.withAlpha(0.85f);
const juce::Colour kBusyText = juce::Colours::black.withAlpha(0.6f);
const char* const kBusyMessage = "Reading the folder...";
constexpr float kBusyFontHeight = 13.0f;

}  // namespace

BRDraggableListBox::BRDraggableListBox(const juce::String& componentName) : juce::ListBox(componentName, nullptr)
{
    // Set as a colour, not painted over it: the list box marks itself opaque
    // when its colour is, and the editor behind would then not be drawn.
    setColour(juce::ListBox::backgroundColourId, kListBackground);
    setModel(this);
    setMultipleSelectionEnabled(false);
}

BRDraggableListBox::~BRDraggableListBox()
{
    // The list box may still ask its model while it is taken apart.
    setModel(nullptr);
}

juce::StringArray& BRDraggableListBox::getPaths() { return filePaths; }

void BRDraggableListBox::clearPaths() { filePaths.clear(); }

int BRDraggableListBox::indexOfPath(const juce::String& path) const { return filePaths.indexOf(path, false); }

bool BRDraggableListBox::getSelectedPath(juce::File& file) const
{
    file = juce::File();
    const int row = getSelectedRow();
    if (row < 0)
        return false;
    file = juce::File(filePaths[row]);
    return true;
}

void BRDraggableListBox::describeRow(int row)
{
    if (row < 0)
        return;
    fileDescription.clear();
    BRSoundFile soundFile;
    if (soundFile.open(filePaths[row].toStdString(), SFM_READ) == nullptr)
        return;
    for (const juce::String& line : soundFile.describe())
        fileDescription << line << "\n";
    soundFile.release();
}

const juce::String& BRDraggableListBox::getFileDescription() const { return fileDescription; }

void BRDraggableListBox::setBusy(bool isBusyNow)
{
    if (busy == isBusyNow)
        return;
    busy = isBusyNow;
    setEnabled(!busy);
    setMouseCursor(busy ? juce::MouseCursor::WaitCursor : juce::MouseCursor::NormalCursor);
    repaint();
}

void BRDraggableListBox::paintOverChildren(juce::Graphics& g)
{
    juce::ListBox::paintOverChildren(g);
    if (!busy)
        return;
    g.fillAll(kBusyGround);
    g.setColour(kBusyText);
    g.setFont(juce::Font(kBusyFontHeight, juce::Font::italic));
    g.drawText(kBusyMessage, getLocalBounds().reduced(kTextIndent), juce::Justification::centred, true);
}

int BRDraggableListBox::getNumRows() { return filePaths.size(); }

void BRDraggableListBox::paintListBoxItem(int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected)
{
    if (filePaths.isEmpty())
        return;
    if (rowIsSelected)
        g.fillAll(kSelectedRow);
    g.setColour(juce::Colours::black);
    g.setFont(juce::Font(static_cast<float>(height) * kTextHeightPerRowHeight));
    const juce::String fileName = filePaths[rowNumber].fromLastOccurrenceOf("/", false, false);
    g.drawText(fileName, kTextIndent, 0, width - kTextIndent, height, juce::Justification::centredLeft, true);
}

void BRDraggableListBox::selectedRowsChanged(int lastRowSelected)
{
    if (filePaths.isEmpty())
        return;
    describeRow(lastRowSelected);
    sendChangeMessage();
}

juce::var BRDraggableListBox::getDragSourceDescription(const juce::SparseSet<int>& rowsToDescribe)
{
    juce::String description;
    for (int i = 0; i < rowsToDescribe.size(); ++i)
        description << rowsToDescribe[i] << " ";
    return description.trim();
}
