// The editor's PACK button and the Pack tool window it opens.
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "pack/pack_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/save_dialog.h"

namespace {

using editortest::EditorOnScreen;
using guitest::windowsOfType;
namespace user = guitest::user;

constexpr int kCellSamples = 1500;

juce::Point<float> centreOf(const juce::Component& component)
{
    return component.getLocalBounds().getCentre().toFloat();
}

bool packWindowOnScreen()
{
    return packWindowInstance != nullptr && packWindowInstance->isShowing() && packWindowInstance->getPeer() != nullptr;
}

class EditorPackButton : public EditorOnScreen {
protected:
    void TearDown() override
    {
        if (IsSkipped())
            return;
        EditorOnScreen::TearDown();
        delete packWindowInstance;
    }
};

TEST_F(EditorPackButton, OpensOneToolWindowThatEscapeClosesThatSavesTheMatrixAndGoesWithTheEditor)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    makeProcessor(2, 2, {1024, kCellSamples, 0, 0});
    for (int o = 0; o < 2; ++o)
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(
                filter().loadMonoIrIntoCell(o, i,
                                            soundFile("cell" + juce::String(o) + juce::String(i) + ".wav", 1,
                                                      kCellSamples, 48000, 0.1f * static_cast<float>(1 + o * 2 + i))));
    openEditor();
    auto& pack = control<juce::TextButton>("PACK");

    user::click(pack, centreOf(pack));
    BRPackWindow* window = packWindowInstance;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(guitest::pumpUntil(packWindowOnScreen));
    EXPECT_EQ(window->getScreenPosition(), editor->getScreenPosition() + juce::Point<int>(100, 100));
    user::click(pack, centreOf(pack));
    EXPECT_EQ(packWindowInstance, window) << "a second press opens nothing";
    EXPECT_EQ(windowsOfType<BRPackWindow>().size(), 1u);

    guitest::ChildProcess escape(guitest::typeIntoWindow("Pack tool", {"Escape"}));
    EXPECT_TRUE(guitest::pumpUntil([] { return packWindowInstance == nullptr; }));
    EXPECT_EQ(escape.wait(), 0);

    user::click(pack, centreOf(pack));
    ASSERT_NE(packWindowInstance, nullptr);
    ASSERT_TRUE(guitest::pumpUntil(packWindowOnScreen));
    juce::Component& content = *packWindowInstance->getContentComponent();
    auto* save = guitest::buttonWithText(content, "save as");
    ASSERT_NE(save, nullptr);
    user::click(*save, centreOf(*save));
    ASSERT_TRUE(guitest::answerSaveDialog(processor->file("matrix")));

    const juce::File written = processor->file("matrix.WAV");
    SF_INFO info{};
    SNDFILE* file = sf_open(written.getFullPathName().toRawUTF8(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    EXPECT_EQ(info.samplerate, 48000);
    ASSERT_EQ(info.channels, 2);
    ASSERT_EQ(editor->getAcceptedIrSize(), kCellSamples);
    ASSERT_EQ(info.frames, 2 * kCellSamples);
    ASSERT_EQ(read, info.frames);
    // 16-bit samples: a step and the rounding.
    for (int o = 0; o < 2; ++o)
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(frames[static_cast<std::size_t>((i * kCellSamples + kCellSamples / 2) * 2 + o)],
                        filter().cells[o][i].buffer[kCellSamples / 2], 2.0f / 32768.0f)
                << "cell " << o << "," << i;

    closeEditor();
    EXPECT_EQ(packWindowInstance, nullptr) << "the window goes with the editor whose IR size it reads";
}

}  // namespace
