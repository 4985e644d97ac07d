// Brondil.so's own editor in our host's editor window, on a private X server
// with a window manager, idled at a host's pace and used through the X server
// with xdotool: its size, what it shows of a restored 2 x 2 matrix, the knob,
// the mode toggles, a bubble, typing around a popup menu, a warning kept above
// the editor, an editor opened before the effect starts, and memory over many
// openings. The plug-in asks for
// its channel counts when it is made; the user presses return in that dialog.
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/plugin_editor_fixture.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"

namespace {

constexpr int kWidth = 750;
constexpr int kHeight = 650;
constexpr int kBannerHeight = 47;

uint32_t red(uint32_t rgb) { return rgb >> 16 & 0xff; }
uint32_t green(uint32_t rgb) { return rgb >> 8 & 0xff; }
uint32_t blue(uint32_t rgb) { return rgb & 0xff; }

class BrondilEditorTest : public PluginEditorTest {
protected:
    BrondilEditorTest() : PluginEditorTest(true) {}

    // A value typed into the wet gain's text box under the knob, then return. The
    // box is clicked quickly: press and release reach the editor in one idle. The
    // user types once the window has the keyboard, however late the window
    // manager gives it. The value follows "--", as xdotool would take a
    // negative one for an option.
    bool typeGain(const std::string& decibels)
    {
        const Window host = editor->window().id();
        return user({"mousemove", "--window", std::to_string(host), "--sync", "82", "634", "click", "1"}) &&
               idleUntil([&] { return guitest::holdsKeyboardFocus(editor->window().display(), host); }) &&
               user({"type", "--delay", "30", "--", decibels}) && user({"key", "Return"});
    }

    // The working mode the effect's state keeps.
    int workingMode()
    {
        const std::vector<char> chunk = effect->chunk(false);
        const std::string text(chunk.begin(), chunk.end());
        const std::size_t at = text.find(" mode=\"");
        return at == std::string::npos ? -1 : text[at + 7] - '0';
    }

    bool hasGain(double decibels)
    {
        return std::abs(effect->parameter(0) - static_cast<float>((decibels + 90.0) / 180.0)) < 1e-4f;
    }
};

// Pixels of a bubble below the banner: its pale yellow over the editor's grey or the list's white.
int bubblePixels(const guitest::WindowPixels& shown)
{
    int count = 0;
    for (int y = kBannerHeight; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const uint32_t rgb = shown.at(x, y);
            count += red(rgb) > 0xd0 && red(rgb) > blue(rgb) + 0x20 && green(rgb) > blue(rgb) + 0x20;
        }
    return count;
}

// Dark pixels, such as text, within an area of the shown window.
int darkPixels(const guitest::WindowPixels& shown, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += red(shown.at(x, y)) < 0x60 && green(shown.at(x, y)) < 0x60 && blue(shown.at(x, y)) < 0x60;
    return count;
}

// Where the window's top-left corner is on the root window.
std::pair<int, int> rootPosition(Display* display, Window window)
{
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y};
}

// The tallest viewable window that the window manager leaves alone (a popup
// menu) over the host's window, in root coordinates; empty when there is none.
// The window manager keeps such a window of its own, off the screen.
guitest::WindowState tallestPopup(Display* display, Window host)
{
    const auto [hostX, hostY] = rootPosition(display, host);
    const guitest::WindowState hostArea = guitest::windowState(display, host);
    guitest::WindowState tallest;
    const guitest::IgnoredXErrors ignored;
    for (const Window window : guitest::childWindows(display, DefaultRootWindow(display))) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) != 0 && attributes.override_redirect &&
            attributes.map_state == IsViewable && attributes.height > tallest.height &&
            attributes.x < hostX + hostArea.width && attributes.x + attributes.width > hostX &&
            attributes.y < hostY + hostArea.height && attributes.y + attributes.height > hostY)
            tallest = guitest::windowState(display, window);
    }
    return tallest;
}

// The settings file's text.
std::string fileText(const std::string& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

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

TEST_F(BrondilEditorTest, TwentyAlternatingClicksOnTheModeTogglesEachTakeEffect)
{
    ASSERT_TRUE(writeWav(irFolder + "/mono.wav", PlanarSamples(1, std::vector<float>(600, 0.25f)), 48000));
    ASSERT_TRUE(writeWav(irFolder + "/stereo.wav", PlanarSamples(2, std::vector<float>(600, 0.25f)), 48000));
    effect->resume();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    int taken = 0;
    for (int click = 0; click < 20; ++click) {
        const int mode = click % 2 == 0 ? 1 : 0;
        ASSERT_TRUE(clickAt(470, mode == 1 ? 52 : 34));
        taken += idleUntil([&] { return workingMode() == mode; }, std::chrono::seconds(2));
    }
    EXPECT_EQ(taken, 20);
}

TEST_F(BrondilEditorTest, ABubbleLeavesTheEditorWholeAndTheHostsWindowItsSize)
{
    // Nothing for IR mono: the editor says so in a bubble as it opens.
    ASSERT_TRUE(writeWav(irFolder + "/stereo.wav", PlanarSamples(2, std::vector<float>(600, 0.25f)), 48000));
    effect->resume();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor() && bubblePixels(pixels()) > 1000; }));
    idleUntil([] { return false; }, std::chrono::milliseconds(300));
    const guitest::WindowPixels withBubble = pixels();
    EXPECT_FALSE(writeScreenshot(withBubble, "brondil_editor_with_bubble").empty());
    EXPECT_TRUE(showsTheEditor());
    const guitest::WindowState host = guitest::windowState(editor->window().display(), editor->window().id());
    EXPECT_EQ(host.width, kWidth);
    EXPECT_EQ(host.height, kHeight);
    const std::vector<Window> children = guitest::childWindows(editor->window().display(), editor->window().id());
    ASSERT_EQ(children.size(), 1u);
    const guitest::WindowState child = guitest::windowState(editor->window().display(), children[0]);
    EXPECT_EQ(child.width, kWidth);
    EXPECT_EQ(child.height, kHeight);
    EXPECT_EQ(effect->hostCallCount(audioMasterSizeWindow), 0);

    // IR multi lists the stereo file: no bubble follows, and the click removes this one.
    ASSERT_TRUE(clickAt(470, 52));
    EXPECT_TRUE(idleUntil([&] { return workingMode() == 1; }));
    EXPECT_TRUE(idleUntil([&] { return showsTheEditor() && bubblePixels(pixels()) == 0; }));
    EXPECT_FALSE(writeScreenshot(pixels(), "brondil_editor_after_bubble").empty());
    EXPECT_EQ(effect->hostCallCount(audioMasterSizeWindow), 0);
}

TEST_F(BrondilEditorTest, TheGainBoxTakesTypingBeforeAndAfterAnFftSizeIsChosenInItsMenu)
{
    effect->resume();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    ASSERT_TRUE(typeGain("6"));
    EXPECT_TRUE(idleUntil([&] { return hasGain(6.0); }));

    Display* display = editor->window().display();
    const Window host = editor->window().id();
    ASSERT_TRUE(clickAt(84, 484));
    guitest::WindowState menu;
    ASSERT_TRUE(idleUntil([&] { return (menu = tallestPopup(display, host)).height > 0; }));
    // Five sizes from 512 for blocks of 256: the third is 2048. The toolkit takes a
    // release within a quarter second of the menu's opening for the end of the
    // click that opened it; a hand reads the menu first.
    const auto [hostX, hostY] = rootPosition(display, host);
    ASSERT_TRUE(clickAt(menu.x - hostX + menu.width / 2, menu.y - hostY + menu.height / 2, "0.3"));
    ASSERT_TRUE(idleUntil([&] { return tallestPopup(display, host).height == 0; }));
    // Where the menu was, the editor shows again: its grey, text and frames, no black area.
    const int left = std::max(0, menu.x - hostX);
    const int top = std::max(0, menu.y - hostY);
    const int right = std::min(kWidth, menu.x - hostX + menu.width);
    const int bottom = std::min(kHeight, menu.y - hostY + menu.height);
    EXPECT_TRUE(idleUntil(
        [&] { return darkPixels(pixels(), left, top, right, bottom) < (right - left) * (bottom - top) / 5; }));

    ASSERT_TRUE(typeGain("-12"));
    EXPECT_TRUE(idleUntil([&] { return hasGain(-12.0); }));
    EXPECT_FALSE(writeScreenshot(pixels(), "brondil_editor_after_fft_choice_and_gain").empty());
    // The chosen size is for processors made later: this one writes it into the settings file as it goes.
    editor.reset();
    closeEffect();
    EXPECT_NE(fileText(pathInFolder("Brondil.xml")).find("<FFTsize size=\"2048\"/>"), std::string::npos);
}

TEST_F(BrondilEditorTest, AWarningStaysAboveTheEditorWhenTheHostsMainWindowIsActivated)
{
    ASSERT_TRUE(writeWav(irFolder + "/stereo.wav", PlanarSamples(2, std::vector<float>(600, 0.25f)), 48000));
    effect->resume();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    // The host's main window; the host keeps its editor's window above it.
    Display* display = editor->window().display();
    const Window host = editor->window().id();
    const Window mainWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1000, 740, 0, 0, 0x404040);
    XStoreName(display, mainWindow, "Host main window");
    XMapWindow(display, mainWindow);
    ASSERT_TRUE(idleUntil([&] { return guitest::windowState(display, mainWindow).viewable; }));
    ASSERT_TRUE(user({"windowactivate", "--sync", std::to_string(host)}));
    // IR multi lists the stereo file, which then goes: choosing it raises a warning.
    ASSERT_TRUE(clickAt(470, 52));
    ASSERT_TRUE(idleUntil([&] { return workingMode() == 1 && darkPixels(pixels(), 12, 101, 158, 114) > 20; }));
    std::filesystem::remove(irFolder + "/stereo.wav");

    // The user, on a connection of its own: once the warning shows, activates
    // the main window, over which the host raises its editor's window; the
    // test reads the stacking; the user answers.
    int warningHeight = -1;
    int editorHeight = -1;
    int mainHeight = -1;
    std::string screenshot;
    std::atomic<bool> answered{false};
    std::thread hand([&] {
        Display* own = XOpenDisplay(nullptr);
        Window warning = 0;
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        while ((warning = guitest::viewableWindowNamed(own, "File Open Error...")) == 0 &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (warning != 0) {
            guitest::ChildProcess({"xdotool", "windowactivate", "--sync", std::to_string(mainWindow)}).wait();
            XRaiseWindow(own, host);
            XSync(own, False);
            // The host idles its editor meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            warningHeight = guitest::stackingHeight(own, warning);
            editorHeight = guitest::stackingHeight(own, host);
            mainHeight = guitest::stackingHeight(own, mainWindow);
            screenshot = writeScreenshot(guitest::capturePixels(own, DefaultRootWindow(own)), "warning_above_editor");
            guitest::ChildProcess(guitest::typeIntoWindow("File Open Error...", {"Return"})).wait();
        }
        XCloseDisplay(own);
        answered = true;
    });
    EXPECT_TRUE(clickAt(80, 107));
    idleUntil([&] { return answered.load(); });
    hand.join();
    EXPECT_GT(editorHeight, mainHeight) << "the host keeps its editor's window above its main window";
    EXPECT_GT(warningHeight, editorHeight) << "the main window stands at " << mainHeight;
    EXPECT_FALSE(screenshot.empty());
    EXPECT_TRUE(idleUntil([&] { return guitest::viewableWindowNamed(display, "File Open Error...") == 0; }));
    XDestroyWindow(display, mainWindow);
}

TEST_F(BrondilEditorTest, AnEditorOpenedBeforeTheEffectStartsListsTheFolderOnceItStarts)
{
    ASSERT_TRUE(writeWav(irFolder + "/mono.wav", PlanarSamples(1, std::vector<float>(600, 0.25f)), 48000));
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    effect->resume();
    // The file's name in the list's first row.
    EXPECT_TRUE(idleUntil([&] { return darkPixels(pixels(), 12, 101, 158, 114) > 20; }));
}

}  // namespace
