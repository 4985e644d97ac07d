// The IR cells: the texts drags carry, where the editor places the cells, and
// one row of cells on screen taking drops from a list and from each other.
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/cell_grid_layout.h"
#include "editor/drag_description.h"
#include "editor/gui_constants.h"
#include "editor/ir_cell_target.h"
#include "editor/look_and_feel.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/editor/editor_look_fixture.h"
#include "tests/support/gui_test_environment.h"

namespace {

using enginetest::TestProcessor;
using guitest::TestWindow;
namespace user = guitest::user;

TEST(DragDescriptions, AListDragNamesOneRowOfTheList)
{
    EXPECT_EQ(listRowOfDrag("3", 5), 3);
    EXPECT_EQ(listRowOfDrag(" 0 ", 1), 0);
    for (const char* text : {"", " ", "5", "-1", "+2", "3 4", "3a", "0x1", "1.0", "999999999999", "waveform 1,0"})
        EXPECT_EQ(listRowOfDrag(text, 5), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(listRowOfDrag("0", 0), std::nullopt) << "an empty list has no row";
}

TEST(DragDescriptions, ACellDragNamesOneCellOfTheMatrix)
{
    EXPECT_EQ(cellDragDescription(1, 0), "waveform 1,0");
    const auto cell = cellOfDrag(cellDragDescription(1, 0), 2, 2);
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(cell->output, 1);
    EXPECT_EQ(cell->input, 0);
    EXPECT_TRUE(cellOfDrag("waveform 31,30", 32, 31).has_value());
    for (const char* text :
         {"waveform 2,0", "waveform 0,2", "waveform 1,", "waveform ,1", "waveform 1,0,1", "waveform  1,0",
          "Waveform 1,0", "waveform 1;0", "waveform -1,0", "waveform 1,0 ", "waveform", "3"})
        EXPECT_EQ(cellOfDrag(text, 2, 2), std::nullopt) << '"' << text << '"';
    EXPECT_TRUE(isCellDragDescription("waveform 1,0"));
    EXPECT_FALSE(isCellDragDescription("3"));
}

struct GridCase {
    int outputs;
    int inputs;
    int rows;
    int columns;
    int cellWidth;
    int cellHeight;
};

TEST(CellGridLayout, CellsShareTheAreaRightOfTheListFiveApart)
{
    const GridCase cases[] = {
        {1, 1, 1, 1, 575, 405},
        {2, 2, 2, 2, 285, 200},
        {4, 2, 4, 2, 285, 97},
        {1, 32, 1, 32, 13, 405},
        {32, 32, 32, 32, 13, 7},
        {3, 7, 3, 7, 77, 131},
        // Beyond 32, the first 32 rows and columns; without rows or columns, nothing.
        {40, 40, 32, 32, 13, 7},
        {0, 2, 0, 0, 0, 0},
        {2, 0, 0, 0, 0, 0},
        {-1, 2, 0, 0, 0, 0},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.outputs << " x " << c.inputs);
        const BRCellGridLayout layout = layoutCellGrid(c.outputs, c.inputs);
        EXPECT_EQ(layout.rows, c.rows);
        EXPECT_EQ(layout.columns, c.columns);
        EXPECT_EQ(layout.cellWidth, c.cellWidth);
        EXPECT_EQ(layout.cellHeight, c.cellHeight);
        if (layout.rows == 0)
            continue;
        const juce::Rectangle<int> area(170, 100, 580, 410);
        const auto last = layout.cellBounds(layout.rows - 1, layout.columns - 1);
        EXPECT_TRUE(area.contains(last)) << last.toString();
        EXPECT_GE(last.getWidth(), 1);
        EXPECT_GE(last.getHeight(), 1);
    }
    const BRCellGridLayout twoByTwo = layoutCellGrid(2, 2);
    EXPECT_EQ(twoByTwo.cellBounds(0, 0), juce::Rectangle<int>(170, 100, 285, 200));
    EXPECT_EQ(twoByTwo.cellBounds(0, 1), juce::Rectangle<int>(460, 100, 285, 200));
    EXPECT_EQ(twoByTwo.cellBounds(1, 0), juce::Rectangle<int>(170, 305, 285, 200));
    EXPECT_EQ(layoutCellGrid(1, 32).cellBounds(0, 1).getX() - layoutCellGrid(1, 32).cellBounds(0, 0).getX(), 18);
}

// A 2 x 2 processor's cells side by side in a drag container that stands in
// for the editor, with a file list of its own.
class CellGridOnScreen : public editortest::InEditorLook, public BRCellGridOwner {
protected:
    class Container : public juce::Component, public juce::DragAndDropContainer {};

    void setUpOnScreen() override
    {
        processor = std::make_unique<TestProcessor>(2, 2, enginetest::EngineSettings{});
        (*processor)->prepareToPlay(48000.0, 256);
        container.setSize(420, 220);
        for (int o = 0; o < 2; ++o)
            for (int i = 0; i < 2; ++i) {
                auto cell = std::make_unique<BRIrCellTarget>(*this);
                cell->setCellIndex(o, i);
                cell->setBounds(10 + i * 205, 10 + o * 105, 200, 100);
                container.addAndMakeVisible(*cell);
                cells.push_back(std::move(cell));
            }
    }

    BRIrCellTarget& cell(int output, int input) { return *cells[static_cast<std::size_t>(output * 2 + input)]; }

    juce::String monoFile(const juce::String& name, float level)
    {
        const juce::File file = processor->file(name);
        enginetest::writeChannels(file, {enginetest::Signal(600, level)});
        return file.getFullPathName();
    }

    // A drop as the toolkit makes it when a drag is released over the cell.
    static void drop(BRIrCellTarget& target, const juce::String& description)
    {
        const juce::DragAndDropTarget::SourceDetails details(description, nullptr, {5, 5});
        ASSERT_TRUE(target.isInterestedInDragSource(details));
        target.itemDragEnter(details);
        target.itemDropped(details);
    }

    BRFilter& getProcessor() override { return **processor; }
    juce::StringArray getListedFiles() override { return listed; }
    void selectCell(int output, int input) override { selections.push_back({output, input}); }
    void setIrSizeEditorEnabled(bool enabled) override { irSizeBoxStates.push_back(enabled); }

    std::unique_ptr<TestProcessor> processor;
    Container container;
    std::vector<std::unique_ptr<BRIrCellTarget>> cells;
    juce::StringArray listed;
    std::vector<BRCellIndex> selections;
    std::vector<bool> irSizeBoxStates;
};

TEST_F(CellGridOnScreen, EmptyCellsNameTheirPlaceRowByOutput)
{
    EXPECT_EQ(cell(0, 0).getCellLabel(), "IR cell\n(1,1)");
    EXPECT_EQ(cell(0, 1).getCellLabel(), "IR cell\n(1,2)");
    EXPECT_EQ(cell(1, 0).getCellLabel(), "IR cell\n(2,1)");
    EXPECT_EQ(cell(1, 1).getCellLabel(), "IR cell\n(2,2)");
    EXPECT_FALSE(cell(0, 0).holdsIr());
}

TEST_F(CellGridOnScreen, AListDropLoadsTheRowsFileIntoThatCellOnly)
{
    listed = {monoFile("a.wav", 0.1f), monoFile("b.wav", 0.2f), monoFile("c.wav", 0.3f), monoFile("hall.wav", 0.4f)};
    drop(cell(0, 1), "3");

    const BRIrCell& loaded = getProcessor().cells[0][1];
    ASSERT_TRUE(loaded.holdsSamples());
    EXPECT_EQ(loaded.buffer[0], 0.4f);
    EXPECT_FALSE(getProcessor().cells[0][0].holdsSamples());
    EXPECT_EQ(getProcessor().loadedCells, 1);
    EXPECT_EQ(cell(0, 1).getCellLabel(), "hall.wav");
    EXPECT_EQ(cell(0, 1).getIrFile(), juce::File(listed[3]));
    EXPECT_TRUE(cell(0, 1).holdsIr());
    EXPECT_NE(cell(0, 1).getSpectrum(), nullptr);
    EXPECT_EQ(irSizeBoxStates, std::vector<bool>{false});
}

TEST_F(CellGridOnScreen, DropsThatNameNoRowOrNoCellChangeNothing)
{
    listed = {monoFile("a.wav", 0.1f)};
    for (const char* description : {"1", "-1", "", "0 1", "waveform 2,0", "waveform 0,0,", "waveform 0,0 "})
        drop(cell(1, 1), description);
    drop(cell(1, 1), "waveform 0,0") /* the source cell is empty */;
    for (const auto& row : getProcessor().cells)
        for (const BRIrCell& c : row)
            EXPECT_FALSE(c.holdsSamples());
    EXPECT_TRUE(irSizeBoxStates.empty());
    EXPECT_EQ(cell(1, 1).getCellLabel(), "IR cell\n(2,2)");
}

TEST_F(CellGridOnScreen, ACellDropLoadsTheSourcesFileAgainAndTheSourceKeepsItsIr)
{
    listed = {monoFile("plate.wav", 0.5f)};
    drop(cell(1, 0), "0");
    drop(cell(0, 0), "waveform 1,0");
    EXPECT_EQ(getProcessor().cells[0][0].path, listed[0].toStdString());
    EXPECT_EQ(getProcessor().cells[0][0].buffer[10], 0.5f);
    EXPECT_TRUE(getProcessor().cells[1][0].holdsSamples());
    EXPECT_EQ(cell(0, 0).getCellLabel(), "plate.wav");
    EXPECT_EQ(getProcessor().loadedCells, 2);

    // Onto itself: nothing is loaded again.
    const float* before = getProcessor().cells[1][0].buffer.get();
    drop(cell(1, 0), "waveform 1,0");
    EXPECT_EQ(getProcessor().cells[1][0].buffer.get(), before);
}

TEST_F(CellGridOnScreen, OnlyIrMonoTakesDrops)
{
    for (const BRWorkingMode mode : {BRWorkingMode::irMulti, BRWorkingMode::irOneToOne}) {
        ASSERT_TRUE(getProcessor().setWorkingMode(mode));
        const juce::DragAndDropTarget::SourceDetails details(juce::var("0"), nullptr, {5, 5});
        for (auto& target : cells)
            EXPECT_FALSE(target->isInterestedInDragSource(details));
    }
}

TEST_F(CellGridOnScreen, PressingAnEmptyCellSelectsNothingAndStartsNoDrag)
{
    TestWindow window("cells", container);
    user::drag(cell(0, 0), {100, 50}, {300, 150});
    guitest::pumpMessages(50);
    EXPECT_FALSE(container.isDragAndDropActive());
    EXPECT_FALSE(cell(0, 0).isSelected());
    EXPECT_TRUE(selections.empty());
}

TEST_F(CellGridOnScreen, ClickingALoadedCellSelectsIt)
{
    listed = {monoFile("room.wav", 0.25f)};
    drop(cell(1, 1), "0");
    TestWindow window("cells", container);
    user::mouseDown(cell(1, 1), {100, 50});
    EXPECT_TRUE(cell(1, 1).isSelected());
    user::mouseUp(cell(1, 1), {100, 50});
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0].output, 1);
    EXPECT_EQ(selections[0].input, 1);
}

TEST_F(CellGridOnScreen, DraggingACellOntoAnotherWithTheMouseCopiesItsIr)
{
    listed = {monoFile("spring.wav", 0.75f)};
    drop(cell(1, 0), "0");
    TestWindow window("cells", container);
    const auto target = cell(0, 1).getBounds().getCentre().toFloat() - cell(1, 0).getPosition().toFloat();
    user::drag(cell(1, 0), {100, 50}, target, 12);
    ASSERT_TRUE(guitest::pumpUntil([this] { return getProcessor().cells[0][1].holdsSamples(); }));
    EXPECT_EQ(getProcessor().cells[0][1].buffer[0], 0.75f);
    EXPECT_EQ(cell(0, 1).getCellLabel(), "spring.wav");
    EXPECT_FALSE(getProcessor().cells[0][0].holdsSamples());
}

TEST_F(CellGridOnScreen, AHoveringDragDrawsAGreenBorderUntilItLeaves)
{
    TestWindow window("cells", container);
    const juce::DragAndDropTarget::SourceDetails details(juce::var("0"), nullptr, {5, 5});
    const juce::Colour green{0xff90ee90};
    auto borderPixel = [this] {
        return cell(0, 0).createComponentSnapshot(cell(0, 0).getLocalBounds()).getPixelAt(1, 50);
    };
    cell(0, 0).itemDragEnter(details);
    EXPECT_TRUE(cell(0, 0).isDragOver());
    EXPECT_EQ(borderPixel(), green);
    cell(0, 0).itemDragExit(details);
    EXPECT_FALSE(cell(0, 0).isDragOver());
    EXPECT_NE(borderPixel(), green);
}

}  // namespace
