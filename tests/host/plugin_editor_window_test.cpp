// Brondil.so's own editor in our host's editor window, on a private X server:
// its size, the window it makes, what it shows of a restored 2 x 2 matrix, the
// knob moved through the X server reaching the host, and memory over many
// openings. The plug-in asks for its channel counts when it is made; xdotool
// presses return in that dialog.
#include <malloc.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/plugin_fixture.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/example/ir_multi_state.h"
#include "tools/vst_host/editor_window.h"

namespace {

// Keeps a broken build from hanging; not a timing requirement.
constexpr auto kDeadline = std::chrono::seconds(10);
constexpr int kWidth = 750;
constexpr int kHeight = 650;
constexpr uint32_t kBackground = 0xdcdcdc;

uint32_t red(uint32_t rgb) { return rgb >> 16 & 0xff; }
uint32_t green(uint32_t rgb) { return rgb >> 8 & 0xff; }
uint32_t blue(uint32_t rgb) { return rgb & 0xff; }

class BrondilEditorTest : public PluginTest {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        if (!guitest::programIsInstalled("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        guitest::ChildProcess user({"xdotool", "search", "--sync", "--onlyvisible", "--name", "Input Output Channels",
                                    "windowfocus", "--sync", "key", "Return"});
        loadEffect(48000.0, 256);
        EXPECT_EQ(user.wait(), 0);
        ASSERT_TRUE(effect);
    }

    ~BrondilEditorTest() override
    {
        // The effect's windows go while the X server still runs.
        editor.reset();
        closeEffect();
    }

    bool openEditor()
    {
        std::string error;
        editor = EditorWindow::open(*effect, error);
        EXPECT_EQ(error, "");
        return editor != nullptr;
    }

    // Idles the editor as a host does until `done` holds; false at the deadline.
    bool idleUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            editor->idle();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    guitest::WindowPixels pixels() const
    {
        return guitest::capturePixels(editor->window().display(), editor->window().id());
    }

    bool showsTheEditor() const
    {
        const guitest::WindowPixels shown = pixels();
        return !shown.rgb.empty() && shown.at(700, 95) == kBackground && shown.at(5, 645) == kBackground;
    }

    // The state of a 2 x 2 matrix in IR multi from a stereo file of reverb-like IRs.
    void restoreTwoByTwoMatrix()
    {
        const PlanarSamples irs = reverbLikeStereoIrs();
        const std::string file = pathInFolder("hall.wav");
        ASSERT_TRUE(writeWav(file, irs, 48000));
        juce::MemoryBlock state;
        juce::String error;
        ASSERT_TRUE(makeIrMultiState(juce::File(file), 2, 0.0, state, error)) << error;
        effect->setChunk(std::vector<char>(static_cast<const char*>(state.getData()),
                                           static_cast<const char*>(state.getData()) + state.getSize()),
                         false);
    }

    guitest::PrivateXServer server;
    std::unique_ptr<EditorWindow> editor;
};

TEST_F(BrondilEditorTest, TheEditorFillsAHostWindowOfItsSizeAndShowsTheRestoredMatrix)
{
    ASSERT_TRUE(effect->hasFlag(effFlagsHasEditor));
    ERect* rect = nullptr;
    ASSERT_NE(effect->dispatch(effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);

    effect->resume();
    restoreTwoByTwoMatrix();
    ASSERT_TRUE(openEditor());
    std::vector<Window> children;
    ASSERT_TRUE(idleUntil([&] {
        children = guitest::childWindows(editor->window().display(), editor->window().id());
        return children.size() == 1 && guitest::windowState(editor->window().display(), children[0]).viewable;
    }));
    const guitest::WindowState child = guitest::windowState(editor->window().display(), children[0]);
    EXPECT_EQ(child.width, kWidth);
    EXPECT_EQ(child.height, kHeight);

    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    // Each cell shows its IR: the waveform's centre line runs through its left edge,
    // on the cell's translucent light blue.
    ASSERT_TRUE(idleUntil([&] { return pixels().at(175, 200) == 0; }));
    const guitest::WindowPixels shown = pixels();
    for (const auto& [x, y] : {std::pair{175, 200}, {465, 200}, {175, 405}, {465, 405}})
        EXPECT_EQ(shown.at(x, y), 0u) << x << "," << y;
    // Cell (1,2); cell (1,1), the one the processor remembers as selected, is orange.
    const uint32_t cellFill = shown.at(730, 150);
    EXPECT_NEAR(red(cellFill), (0xad + 0xdc) / 2, 2);
    EXPECT_NEAR(green(cellFill), (0xd8 + 0xdc) / 2, 2);
    EXPECT_NEAR(blue(cellFill), (0xe6 + 0xdc) / 2, 2);
    EXPECT_FALSE(writeScreenshot(shown, "brondil_editor_in_host_window").empty());
}

TEST_F(BrondilEditorTest, TheKnobDraggedThroughTheXServerAutomatesTheWetGain)
{
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    const std::string window = std::to_string(editor->window().id());
    std::vector<std::string> script{"xdotool", "mousemove", "--window", window,      "--sync", "82",
                                    "605",     "sleep",     "0.2",      "mousedown", "1"};
    for (int y = 600; y >= 560; y -= 10)
        for (const std::string& word :
             {std::string("mousemove"), std::string("--window"), window, std::string("--sync"), std::string("82"),
              std::to_string(y), std::string("sleep"), std::string("0.05")})
            script.push_back(word);
    for (const char* word : {"mouseup", "1", "sleep", "0.2", "mousemove_relative", "1", "1"})
        script.emplace_back(word);
    guitest::ChildProcess user(script);
    EXPECT_TRUE(idleUntil([&] { return effect->lastAutomatedIndex() == 0 && effect->lastAutomatedValue() > 0.5f; }));
    EXPECT_EQ(user.wait(), 0);
    EXPECT_EQ(effect->parameter(0), effect->lastAutomatedValue());
}

TEST_F(BrondilEditorTest, FiftyEditorWindowsOpenedAndClosedLeaveMemoryFlat)
{
    restoreTwoByTwoMatrix();
    const auto cycle = [this] {
        ASSERT_TRUE(openEditor());
        ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
        editor.reset();
    };
    // The toolkit's caches (fonts, images, the look) fill on the first cycles.
    for (int i = 0; i < 5; ++i)
        cycle();
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 50; ++i)
        cycle();
    const std::size_t after = mallinfo2().uordblks;
    // One editor's window image alone is 750 × 650 × 4 bytes: a cycle that kept
    // its window or its editor would grow by about 100 MB over 50 cycles.
    constexpr std::size_t kMargin = 2 * 1024 * 1024;
    EXPECT_LT(after, before + kMargin) << "grew by " << (after - before) << " bytes";
}

}  // namespace
