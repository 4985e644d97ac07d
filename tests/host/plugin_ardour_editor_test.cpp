// A real host shows Brondil's editor: Debian's Ardour 7, on a private X server
// and its dummy audio backend, loads a session saved with Brondil's window open
// and a 2 x 2 matrix loaded; Ardour opens the window again on load, and the
// editor draws inside it. xdotool presses return in the plug-in's channel
// dialog. Ardour runs its Linux VST editors on a thread of its own, not the
// one that made the effect. The screen and the plug-in's window go into the
// build tree's screenshot folder. Skipped without Ardour, Xvfb or xdotool.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "tests/host/ardour_editor_fixture.h"
#include "tests/host/window_screenshot.h"

namespace {

// The mode toggles: their text starts at x, the first one's top, and the next one's below it.
constexpr int kToggleTextX = 500;
constexpr int kToggleTop = 25;
constexpr int kToggleStep = 18;
constexpr int kToggleTickLeft = 455;
constexpr int kToggleTickEditorWidth = 20;
constexpr int kModeClicks = 10;
// The IR size box, and the part of the editor above it where its bubble shows.
constexpr int kIrSizeBoxX = 110;
constexpr int kIrSizeBoxY = 552;
constexpr int kBubbleAreaTop = 380;
// Brondil's entry in the strip of its track in Ardour's mixer, on our screen
// and with Ardour's own look, and the colour Ardour gives a plug-in there.
constexpr int kMixerEntryX = 335;
constexpr int kMixerEntryY = 284;
constexpr uint32_t kMixerEntryColour = 0x663030;

// The working mode whose toggle shows its tick, the one black mark among the
// toggles' boxes; -1 when none or more than one does.
int tickedMode(const guitest::WindowPixels& shown)
{
    if (shown.width != kEditorWidth || shown.height != kEditorHeight)
        return -1;
    int ticked = -1;
    for (int mode = 0; mode < 3; ++mode) {
        int black = 0;
        // The tick reaches over the toggle's edges: its middle rows tell.
        const int top = kToggleTop + kToggleStep * mode + 4;
        for (int y = top; y < top + kToggleStep - 8; ++y)
            for (int x = kToggleTickLeft; x < kToggleTickLeft + kToggleTickEditorWidth; ++x) {
                const uint32_t rgb = shown.at(x, y);
                black += ((rgb >> 16) & 0xff) + ((rgb >> 8) & 0xff) + (rgb & 0xff) < 240 ? 1 : 0;
            }
        if (black >= 8) {
            if (ticked >= 0)
                return -1;
            ticked = mode;
        }
    }
    return ticked;
}

// True when the pixels above the IR size box changed.
bool differsAboveTheIrSizeBox(const guitest::WindowPixels& before, const guitest::WindowPixels& after)
{
    if (before.width != kEditorWidth || before.height != kEditorHeight || after.width != kEditorWidth ||
        after.height != kEditorHeight)
        return false;
    for (int y = kBubbleAreaTop; y < kIrSizeBoxY; ++y)
        for (int x = 0; x < kEditorWidth / 2; ++x)
            if (before.at(x, y) != after.at(x, y))
                return true;
    return false;
}

TEST_F(ArdourEditorTest, BrondilsEditorInArdourShowsTheMatrixTakesClicksKeepsItsSizeAndReopens)
{
    makeSessionWithState(twoByTwoState());
    if (HasFatalFailure())
        return;
    std::string session = sessionText();
    ASSERT_TRUE(markBrondilsWindowOpen(session));
    writeSessionText(session);

    const std::unique_ptr<RunningProgram> ardour = openTheSessionAndWaitForTheEditor("ardour_screen");
    ASSERT_NE(ardour, nullptr);

    // The editor lies inside Ardour's window, below Ardour's own bar of controls.
    const guitest::WindowState outer = guitest::windowState(display, pluginWindow);
    int x = -1, y = -1;
    Window child = 0;
    XTranslateCoordinates(display, editor, pluginWindow, 0, 0, &x, &y, &child);
    EXPECT_GE(x, 0);
    EXPECT_GT(y, 0);
    EXPECT_LE(x + kEditorWidth, outer.width);
    EXPECT_LE(y + kEditorHeight, outer.height);
    EXPECT_FALSE(writeScreenshot(screenPart(pluginWindow), "ardour_plugin_window").empty());

    // The user clicks, through the X server, as Ardour's window lies on the screen now.
    const auto clickEditor = [&](int x, int y) {
        const auto [rootX, rootY] = onScreen(x, y);
        return clickScreen(rootX, rootY, 1);
    };
    const guitest::WindowState outerAtFirst = guitest::windowState(display, pluginWindow);
    const auto keepsItsSize = [&] {
        const guitest::WindowState inner = guitest::windowState(display, editor);
        const guitest::WindowState outer = guitest::windowState(display, pluginWindow);
        return inner.width == kEditorWidth && inner.height == kEditorHeight && outer.width == outerAtFirst.width &&
               outer.height == outerAtFirst.height;
    };

    // The IR size box refuses a click while the matrix holds IRs, in a bubble
    // over the editor. Neither the editor nor the window Ardour made for its
    // size may change: Ardour would have been asked for another size.
    const guitest::WindowPixels beforeBubble = screenPart(editor);
    ASSERT_TRUE(clickEditor(kIrSizeBoxX, kIrSizeBoxY));
    bool bubbleShown = false;
    bool sizeKept = true;
    const auto bubbleUntil = std::chrono::steady_clock::now() + kClickDeadline;
    while (!bubbleShown && sizeKept && std::chrono::steady_clock::now() < bubbleUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sizeKept = keepsItsSize();
        bubbleShown = differsAboveTheIrSizeBox(beforeBubble, screenPart(editor));
    }
    EXPECT_TRUE(bubbleShown) << "no bubble over the editor after a click on the IR size box";
    EXPECT_TRUE(sizeKept) << "the bubble changed the size of the editor or of Ardour's window for it";

    // Alternating clicks on the mode toggles; each switches its mode on, and
    // the directory scan that follows shows its own bubble.
    int taken = 0;
    int mode = 1;
    for (int click = 0; click < kModeClicks; ++click) {
        mode = (mode + 1) % 3;
        ASSERT_TRUE(clickEditor(kToggleTextX, kToggleTop + kToggleStep * mode + kToggleStep / 2));
        int ticked = -1;
        const auto clickUntil = std::chrono::steady_clock::now() + kClickDeadline;
        while (ticked != mode && std::chrono::steady_clock::now() < clickUntil) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ticked = tickedMode(screenPart(editor));
        }
        taken += ticked == mode ? 1 : 0;
        sizeKept = sizeKept && keepsItsSize();
    }
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_mode_clicks").empty());
    EXPECT_EQ(taken, kModeClicks) << "clicks on the mode toggles that switched the mode";
    EXPECT_TRUE(sizeKept) << "a bubble changed the size of the editor or of Ardour's window for it";

    // Closed by the window manager, and opened again from Ardour's mixer: the
    // editor shows itself in the mode it was left in.
    ASSERT_TRUE(
        xdotool({"windowactivate", "--sync", std::to_string(pluginWindow), "key", "--clearmodifiers", "alt+F4"}));
    ASSERT_TRUE(waitFor([&] { return !guitest::windowState(display, pluginWindow).viewable; }))
        << "Ardour's window for Brondil did not close";
    const Window main = topLevelNamed(display, "session - Ardour");
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(main), "key", "alt+m"}));
    const auto showsBrondilInTheMixer = [&] {
        const guitest::WindowPixels screen = guitest::capturePixels(display, DefaultRootWindow(display));
        return !screen.rgb.empty() && screen.at(kMixerEntryX, kMixerEntryY) == kMixerEntryColour;
    };
    const bool mixerShown = waitFor(showsBrondilInTheMixer);
    EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_mixer").empty());
    ASSERT_TRUE(mixerShown) << "Ardour shows no mixer strip with Brondil";
    ASSERT_TRUE(clickScreen(kMixerEntryX, kMixerEntryY, 2));
    const auto showsTheEditorInMode = [&] {
        pluginWindow = topLevelNamed(display, "Brondil");
        editor = pluginWindow != 0 ? editorWindowBelow(display, pluginWindow) : 0;
        if (editor == 0)
            return false;
        const guitest::WindowPixels shown = screenPart(editor);
        return tickedMode(shown) == mode && shown.at(700, 95) == kEditorBackground &&
               shown.at(5, 645) == kEditorBackground;
    };
    const bool reopened = waitFor(showsTheEditorInMode);
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_reopened").empty());
    EXPECT_TRUE(reopened) << "the editor opened again from the mixer does not show itself";
}

}  // namespace
