// What an editor session leaves in the settings file.
#include <memory>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "engine/settings.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/gui_test_environment.h"

namespace {

class EditorSettingsSession : public guitest::OnScreenTest {};

// A user who opens the editor and closes it again, touching nothing, with as
// many recent folders as the settings keep.
TEST_F(EditorSettingsSession, AnUntouchedSessionLeavesTheSettingsFileAsItWas)
{
    enginetest::ScratchFolder scratch;
    BRSettings settings;
    for (int k = 0; k < kMaxPathListEntries; ++k) {
        const juce::File folder = scratch.file("irs " + juce::String(k));
        ASSERT_TRUE(folder.createDirectory().wasOk());
        settings.dropDownList.add(folder.getFullPathName());
    }
    settings.lastDir = scratch.file("irs 0");
    settings.lastPathList = {settings.lastDir.getFullPathName()};
    const juce::File file = scratch.file("Brondil.xml");
    ASSERT_EQ(saveSettings(settings, file), BRFileReplacement::replaced);
    juce::MemoryBlock before;
    ASSERT_TRUE(file.loadFileAsData(before));

    auto filter = std::make_unique<BRFilter>(scratch.file("Brondil.so"), [](const BRSettings&) {
        return BRChannelCounts{2, 2};
    });
    filter->setRateAndBufferSizeDetails(48000.0, 256);
    filter->prepareToPlay(48000.0, 256);
    auto editor = std::make_unique<BREditor>(*filter);
    auto window = std::make_unique<guitest::TestWindow>("Brondil", *editor);
    const auto* list = guitest::descendantOfType<BRDraggableListBox>(*editor);
    ASSERT_NE(list, nullptr);
    guitest::pumpMessages(100);
    EXPECT_TRUE(guitest::pumpUntil([list] { return !list->isBusy(); }, 60000)) << "the folder is still read";
    // As a host's holder does: the editor goes while it is still in its window.
    editor.reset();
    window.reset();
    filter.reset();

    juce::MemoryBlock after;
    ASSERT_TRUE(file.loadFileAsData(after));
    EXPECT_TRUE(after == before) << "the file now:\n" << file.loadFileAsString();
}

}  // namespace
