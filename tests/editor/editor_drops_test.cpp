// IR files dragged from the editor's file list onto cells and from cell to
// cell: through the toolkit's event path, and once through the X server.
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"
#include "tests/support/not_utf8_names.h"
#include "tests/support/sound_files.h"

namespace {

namespace user = guitest::user;
using editortest::EditorOnScreen;

constexpr int kRowHeight = 14;

class EditorDrops : public EditorOnScreen {
protected:
    // A 2 x 2 processor in mode whose editor lists two mono files of
    // different levels from a chosen folder.
    void openWithTwoMonoFiles(BRWorkingMode mode = BRWorkingMode::irMono)
    {
        makeProcessor(2, 2, {1024, 1024, 0, workingModeNumber(mode)});
        soundFile("irs/a quiet.wav", 1, 600, 48000, 0.125f);
        soundFile("irs/b loud.wav", 1, 600, 48000, 0.5f);
        soundFile("irs/c stereo.wav", 2, 600, 48000, 0.5f);
        const juce::String irs = processor->file("irs").getFullPathName();
        filter().settings.lastPathList = {irs, irs, irs};
        openEditor();
        ASSERT_TRUE(guitest::pumpUntil([this] { return !list().getPaths().isEmpty(); }));
    }

    BRDraggableListBox& list() { return control<BRDraggableListBox>("IrFileList"); }
    static juce::Point<float> row(int index) { return {40.0f, kRowHeight * (index + 0.5f)}; }

    // Drags with the toolkit's own events from a point of one component to the centre of another.
    void dragWithTheMouse(juce::Component& from, juce::Point<float> start, juce::Component& to)
    {
        const auto end = from.getLocalPoint(&to, to.getLocalBounds().getCentre().toFloat());
        user::drag(from, start, end, 12);
        guitest::pumpMessages(50);
        // The next drag from the same source starts once this one's image has faded.
        ASSERT_TRUE(guitest::pumpUntil([this] { return !editor->isDragAndDropActive(); }));
    }

    float firstSample(int output, int input)
    {
        const BRIrCell& c = filter().cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(input)];
        return c.holdsSamples() ? c.buffer[0] : 0.0f;
    }
};

TEST_F(EditorDrops, AListRowDraggedOntoACellLoadsItsFileThere)
{
    openWithTwoMonoFiles();
    ASSERT_EQ(listedNames(), juce::StringArray({"a quiet.wav", "b loud.wav"}));
    user::click(list(), row(1));
    dragWithTheMouse(list(), row(1), cell(0, 1));
    EXPECT_EQ(firstSample(0, 1), 0.5f);
    EXPECT_EQ(cell(0, 1).getCellLabel(), "b loud.wav");
    EXPECT_FALSE(only<BRIrSizeEditor>().isEnabled());
    EXPECT_FALSE(filter().cells[0][0].holdsSamples());
}

TEST_F(EditorDrops, AFolderHoldingNamesThatAreNotUtf8ListsItsOtherFilesSaysWhatItLeftOutAndTheyDrop)
{
    makeProcessor(2, 2);
    soundFile("foreign/a quiet.wav", 1, 600, 48000, 0.125f);
    const std::string folder = processor->file("foreign").getFullPathName().toStdString();
    for (const std::string& name : dsptest::soundFileNamesNotUtf8())
        ASSERT_TRUE(dsptest::writePlanarSoundFile(folder + "/" + name, {std::vector<float>(600, 0.5f)}, 48000,
                                                  SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    openEditor();
    chooseDirectory(processor->file("foreign"));
    ASSERT_EQ(listedNames(), juce::StringArray("a quiet.wav"));
    EXPECT_EQ(bubbleCount(), 1) << "how many files were left out for their names";
    EXPECT_TRUE(guitest::saveScreenshot(*window, "editor_bubble_names_not_utf8").existsAsFile());

    user::click(list(), row(0));
    dragWithTheMouse(list(), row(0), cell(1, 0));
    EXPECT_EQ(firstSample(1, 0), 0.125f);
    EXPECT_EQ(filter().settings.lastDir, processor->file("foreign"));
}

TEST_F(EditorDrops, ACellDraggedOntoAnotherCopiesItsFileAndACellDroppedOnItselfChangesNothing)
{
    openWithTwoMonoFiles();
    user::click(list(), row(0));
    dragWithTheMouse(list(), row(0), cell(1, 0));
    ASSERT_EQ(firstSample(1, 0), 0.125f);

    dragWithTheMouse(cell(1, 0), {60, 60}, cell(0, 0));
    EXPECT_EQ(firstSample(0, 0), 0.125f);
    EXPECT_EQ(cell(0, 0).getCellLabel(), "a quiet.wav");
    EXPECT_EQ(firstSample(1, 0), 0.125f);

    const float* samples = filter().cells[1][0].buffer.get();
    dragWithTheMouse(cell(1, 0), {60, 60}, cell(1, 0));
    EXPECT_EQ(filter().cells[1][0].buffer.get(), samples);
}

// Files change on disk after the scan: a drop loads only what still suits.
TEST_F(EditorDrops, AFileThatChangedOrWentSinceTheScanIsRefusedWithTheReasonAndTheCellKeepsItsIr)
{
    openWithTwoMonoFiles();
    user::click(list(), row(0));
    dragWithTheMouse(list(), row(0), cell(0, 0));
    ASSERT_EQ(firstSample(0, 0), 0.125f);

    const juce::String widened = soundFile("irs/b loud.wav", 2);
    user::click(list(), row(1));
    dragWithTheMouse(list(), row(1), cell(0, 0));
    // The cell's file is loaded again when its IR is dragged onto another cell.
    const juce::File deleted = processor->file("irs/a quiet.wav");
    ASSERT_TRUE(deleted.deleteFile());
    dragWithTheMouse(cell(0, 0), {60, 60}, cell(1, 1));

    EXPECT_EQ(processor->warnings,
              std::vector<std::string>(
                  {"File Open Error...|This file has 2 channels, where this mode needs 1 channel:\n" +
                       widened.toStdString(),
                   "File Open Error...|This file is gone:\n" + deleted.getFullPathName().toStdString()}));
    EXPECT_EQ(firstSample(0, 0), 0.125f);
    EXPECT_EQ(cell(0, 0).getCellLabel(), "a quiet.wav");
    EXPECT_FALSE(filter().cells[1][1].holdsSamples());
}

// Files that suit by their header but whose samples the load refuses: a drop
// in IR mono and a click in IR multi say why, and the matrix stays as it was.
TEST_F(EditorDrops, ListedFilesWhoseSamplesTheLoadRefusesSayWhyWhenDroppedOrClicked)
{
    const std::string noSamples = "File Open Error...|The file holds no samples.";
    const std::string wildSample =
        "File Open Error...|The file holds a sample that is not a number, or one far "
        "beyond full scale: it would sound as noise or not at all.";
    const std::vector<std::string> refusals{noSamples, wildSample, wildSample};
    for (const BRWorkingMode mode : {BRWorkingMode::irMono, BRWorkingMode::irMulti}) {
        SCOPED_TRACE(workingModeNumber(mode));
        makeProcessor(2, 2, {1024, 1024, 0, workingModeNumber(mode)});
        const int channels = mode == BRWorkingMode::irMono ? 1 : 2;
        soundFile("refused/a empty.wav", channels, 0);
        soundFile("refused/b nan.wav", channels, 600, 48000, std::numeric_limits<float>::quiet_NaN());
        soundFile("refused/c huge.wav", channels, 600, 48000, 1e30f);
        openEditor();
        chooseDirectory(processor->file("refused"));
        ASSERT_EQ(listedNames(), juce::StringArray({"a empty.wav", "b nan.wav", "c huge.wav"}));
        for (int k = 0; k < 3; ++k) {
            user::click(list(), row(k));
            if (mode == BRWorkingMode::irMono)
                dragWithTheMouse(list(), row(k), cell(0, 0));
            ASSERT_TRUE(guitest::pumpUntil([&] {
                return processor->warnings.size() == static_cast<std::size_t>(k + 1);
            })) << listedNames()[k];
        }
        EXPECT_EQ(processor->warnings, refusals);
        EXPECT_EQ(filter().loadedCells, 0);
        closeEditor();
    }
}

TEST_F(EditorDrops, NoCellTakesDropsInTheMultichannelModes)
{
    for (const BRWorkingMode mode : {BRWorkingMode::irMulti, BRWorkingMode::irOneToOne}) {
        SCOPED_TRACE(workingModeNumber(mode));
        makeProcessor(2, 2, {1024, 1024, 0, workingModeNumber(mode)});
        soundFile("irs/stereo.wav", 2);
        openEditor();
        chooseDirectory(processor->file("irs"));
        user::click(list(), row(0));
        ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
        const float* before = filter().cells[0][0].buffer.get();
        // The list's row is dragged onto a cell: the toolkit finds no target there.
        dragWithTheMouse(list(), row(0), cell(0, 0));
        EXPECT_EQ(filter().cells[0][0].buffer.get(), before);
        for (auto* view : cells()) {
            const juce::DragAndDropTarget::SourceDetails details(juce::var("0"), &list(), {5, 5});
            EXPECT_FALSE(view->isInterestedInDragSource(details));
        }
        closeEditor();
    }
}

// The whole way through the X server: xdotool presses on a list row, moves the
// pointer onto a cell in steps and lets go.
TEST_F(EditorDrops, AUserDragsAFileOntoACellThroughTheXServer)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    openWithTwoMonoFiles();
    const juce::Point<int> from = list().localPointToGlobal(row(1)).roundToInt();
    const juce::Point<int> to = cell(1, 1).getScreenBounds().getCentre();
    std::vector<std::string> script{
        "xdotool", "mousemove", "--sync", std::to_string(from.x), std::to_string(from.y), "sleep", "0.2", "mousedown",
        "1",       "sleep",     "0.2"};
    for (int step = 1; step <= 10; ++step) {
        const juce::Point<int> at = from + (to - from) * step / 10;
        for (const std::string& word : {std::string("mousemove"), std::string("--sync"), std::to_string(at.x),
                                        std::to_string(at.y), std::string("sleep"), std::string("0.05")})
            script.push_back(word);
    }
    // The last pointer move after the release is data on JUCE's connection, so
    // that it reads the release Xlib may already have queued.
    for (const char* word : {"sleep", "0.2", "mouseup", "1", "sleep", "0.2", "mousemove_relative", "1", "1"})
        script.emplace_back(word);
    guitest::ChildProcess user(script);
    EXPECT_TRUE(guitest::pumpUntil([this] { return filter().cells[1][1].holdsSamples(); }, 15000));
    EXPECT_EQ(user.wait(), 0);
    EXPECT_EQ(firstSample(1, 1), 0.5f);
    EXPECT_EQ(cell(1, 1).getCellLabel(), "b loud.wav");
}

}  // namespace
