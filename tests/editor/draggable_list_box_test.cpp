#include <sndfile.h>

#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/draggable_list_box.h"
#include "editor/look_and_feel.h"
#include "tests/engine/scratch_folder.h"
#include "tests/editor/editor_look_fixture.h"
#include "tests/support/gui_test_environment.h"
#include "tests/support/sound_files.h"

namespace {

using guitest::TestWindow;
namespace user = guitest::user;

constexpr int kRowHeight = 14;
const juce::Colour kSelectedRow{0xffadd8e6};

class ChangeMessages : public juce::ChangeListener {
public:
    void changeListenerCallback(juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

// Drags that start inside it are its own, as drags start inside the editor.
class DragContainer : public juce::Component, public juce::DragAndDropContainer {};

// The file list as the editor sets it up, inside a drag container.
class FileListOnScreen : public editortest::InEditorLook {
protected:
    void setUpOnScreen() override
    {
        list = std::make_unique<BRDraggableListBox>("IrFileList");
        list->setBounds(10, 10, 150, 200);
        list->setMinimumContentWidth(100);
        list->setRowHeight(kRowHeight);
        list->addChangeListener(&changes);
        container.setSize(200, 230);
        container.addAndMakeVisible(*list);
    }

    void TearDown() override
    {
        if (list != nullptr)
            list->removeChangeListener(&changes);
    }

    void fill(const juce::StringArray& paths)
    {
        list->getPaths() = paths;
        list->updateContent();
    }

    juce::Point<float> row(int index) const { return {60.0f, kRowHeight * (index + 0.5f)}; }

    juce::String soundFile(const juce::String& name, int frames, int channels, int sampleRate)
    {
        const juce::File file = scratch.file(name);
        std::vector<std::vector<float>> samples(static_cast<std::size_t>(channels),
                                                std::vector<float>(static_cast<std::size_t>(frames), 0.25f));
        EXPECT_TRUE(dsptest::writePlanarSoundFile(file.getFullPathName().toStdString(), samples, sampleRate,
                                                  SF_FORMAT_WAV | SF_FORMAT_PCM_16));
        return file.getFullPathName();
    }

    enginetest::ScratchFolder scratch;
    ChangeMessages changes;
    DragContainer container;
    std::unique_ptr<BRDraggableListBox> list;
};

TEST_F(FileListOnScreen, ClickingARowDescribesItsSoundFileAndTellsTheEditor)
{
    const juce::String stereo = soundFile("hall.wav", 48000, 2, 44100);
    fill({scratch.file("other.wav").getFullPathName(), stereo});
    TestWindow window("list", container);

    user::click(*list, row(1));
    ASSERT_TRUE(guitest::pumpUntil([this] { return changes.count == 1; }));
    const juce::StringArray lines = juce::StringArray::fromLines(list->getFileDescription());
    ASSERT_EQ(lines.size(), 6) << list->getFileDescription();  // five lines, each ended by "\n"
    EXPECT_EQ(lines[2], "samples: 48000");
    EXPECT_EQ(lines[3], "SR: 44100");
    EXPECT_EQ(lines[4], "stereo");
    EXPECT_EQ(lines[5], "");
    EXPECT_FALSE(lines[0].isEmpty());
    EXPECT_FALSE(lines[1].isEmpty());

    juce::File selected;
    EXPECT_TRUE(list->getSelectedPath(selected));
    EXPECT_EQ(selected.getFullPathName(), stereo);
}

TEST_F(FileListOnScreen, AFileThatIsNoSoundFileGivesAnEmptyDescriptionAndStillAMessage)
{
    const juce::String mono = soundFile("plate.wav", 300, 1, 48000);
    const juce::File text = scratch.file("notes.wav");
    enginetest::writeText(text, "no sound in here");
    fill({mono, text.getFullPathName()});
    TestWindow window("list", container);

    user::click(*list, row(0));
    ASSERT_TRUE(guitest::pumpUntil([this] { return changes.count == 1; }));
    EXPECT_TRUE(list->getFileDescription().endsWith("samples: 300\nSR: 48000\nmono\n"));
    user::click(*list, row(1));
    ASSERT_TRUE(guitest::pumpUntil([this] { return changes.count == 2; }));
    EXPECT_EQ(list->getFileDescription(), "");
}

TEST_F(FileListOnScreen, ClearingTheSelectionKeepsTheDescriptionAndStillTellsTheEditor)
{
    fill({soundFile("room.wav", 10, 3, 96000)});
    TestWindow window("list", container);
    user::click(*list, row(0));
    ASSERT_TRUE(guitest::pumpUntil([this] { return changes.count == 1; }));
    const juce::String description = list->getFileDescription();
    EXPECT_TRUE(description.endsWith("3 channels\n"));

    list->deselectAllRows();
    ASSERT_TRUE(guitest::pumpUntil([this] { return changes.count == 2; }));
    EXPECT_EQ(list->getFileDescription(), description);
    juce::File selected(scratch.file("room.wav"));
    EXPECT_FALSE(list->getSelectedPath(selected));
    EXPECT_EQ(selected, juce::File());
}

TEST_F(FileListOnScreen, AnEmptyListPaintsOnlyItsBackgroundAndCannotBeSelected)
{
    TestWindow window("list", container);
    user::click(*list, row(0));
    list->selectRow(0);
    guitest::pumpMessages(50);
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(list->getSelectedRow(), -1);
    EXPECT_EQ(list->getFileDescription(), "");

    const juce::Image image = list->createComponentSnapshot(list->getLocalBounds());
    const juce::Colour background = image.getPixelAt(0, 0);
    // White at 0.7, give or take the rounding of premultiplied pixels.
    EXPECT_NEAR(background.getFloatAlpha(), 0.7f, 0.01f);
    EXPECT_GE(background.withAlpha(1.0f).getBrightness(), 0.98f);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ASSERT_EQ(image.getPixelAt(x, y), background) << x << ", " << y;
}

TEST_F(FileListOnScreen, TheSelectedRowIsLightBlueBehindItsFileName)
{
    fill({"/ir/a.wav", "/ir/b.wav", "/ir/c.wav"});
    list->selectRow(1);
    TestWindow window("list", container);
    const juce::Image image = list->createComponentSnapshot(list->getLocalBounds());
    EXPECT_EQ(image.getPixelAt(140, kRowHeight + kRowHeight / 2), kSelectedRow);
    EXPECT_NE(image.getPixelAt(140, kRowHeight / 2), kSelectedRow);
    EXPECT_NE(image.getPixelAt(140, 2 * kRowHeight + kRowHeight / 2), kSelectedRow);
    // The name is drawn in black from 4 pixels in.
    bool dark = false;
    for (int x = 4; x < 30; ++x)
        for (int y = kRowHeight; y < 2 * kRowHeight; ++y)
            dark = dark || image.getPixelAt(x, y).getBrightness() < 0.3f;
    EXPECT_TRUE(dark);
    for (int y = kRowHeight; y < 2 * kRowHeight; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.getPixelAt(x, y), kSelectedRow) << x << ", " << y;
}

TEST_F(FileListOnScreen, DraggingASelectedRowStartsADragThatNamesTheRow)
{
    fill({"/ir/0.wav", "/ir/1.wav", "/ir/2.wav", "/ir/3.wav", "/ir/4.wav"});
    TestWindow window("list", container);
    user::click(*list, row(3));
    EXPECT_EQ(list->getDragSourceDescription(list->getSelectedRows()), "3");

    user::mouseDown(*list, row(3));
    for (int step = 1; step <= 6; ++step)
        user::mouseDrag(*list, row(3).translated(10.0f * step, 5.0f * step));
    EXPECT_TRUE(container.isDragAndDropActive());
    EXPECT_EQ(container.getCurrentDragDescription(), "3");
    user::mouseUp(*list, row(3).translated(60.0f, 30.0f));
    EXPECT_TRUE(guitest::pumpUntil([this] { return !container.isDragAndDropActive(); }));
    EXPECT_EQ(list->getSelectedRow(), 3);
}

TEST_F(FileListOnScreen, DragDescriptionsListTheRowsTrimmed)
{
    fill({"/ir/0.wav", "/ir/1.wav"});
    juce::SparseSet<int> rows;
    EXPECT_EQ(list->getDragSourceDescription(rows), "");
    rows.addRange({12, 14});
    rows.addRange({3, 4});
    EXPECT_EQ(list->getDragSourceDescription(rows), "3 12 13");
}

TEST_F(FileListOnScreen, PathsAreFoundByTheirFirstExactlyEqualRow)
{
    fill({"/ir/Hall.wav", "/ir/plate.wav", "/ir/Hall.wav"});
    EXPECT_EQ(list->getNumRows(), 3);
    EXPECT_EQ(list->indexOfPath("/ir/Hall.wav"), 0);
    EXPECT_EQ(list->indexOfPath("/ir/plate.wav"), 1);
    EXPECT_EQ(list->indexOfPath("/ir/hall.wav"), -1);
    EXPECT_EQ(list->indexOfPath("/ir/Hall.wa"), -1);
    list->clearPaths();
    list->updateContent();
    EXPECT_EQ(list->getNumRows(), 0);
    EXPECT_EQ(list->indexOfPath("/ir/Hall.wav"), -1);
}

TEST_F(FileListOnScreen, DescribingARowPastTheEndOrBeforeTheStart)
{
    fill({soundFile("one.wav", 5, 1, 8000)});
    list->describeRow(0);
    const juce::String description = list->getFileDescription();
    EXPECT_TRUE(description.endsWith("mono\n"));
    list->describeRow(-1);
    EXPECT_EQ(list->getFileDescription(), description);
    list->describeRow(1);
    EXPECT_EQ(list->getFileDescription(), "");
}

}  // namespace
