// A real host shows Brondil's editor: Debian's Ardour 7, on a private X server
// and its dummy audio backend, loads a session saved with Brondil's window open
// and a 2 x 2 matrix loaded; Ardour opens the window again on load, and the
// editor draws inside it. xdotool presses return in the plug-in's channel
// dialog. Ardour runs its Linux VST editors on a thread of its own, not the
// one that made the effect. The screen and the plug-in's window go into the
// build tree's screenshot folder. Skipped without Ardour, Xvfb or xdotool.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/host/ardour_fixture.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/example/ir_multi_state.h"

// After the tests' own headers: Xlib's macros would clash with theirs.
#include <X11/Xutil.h>

namespace {

const char* const kArdour = "/usr/bin/ardour";
constexpr int kWidth = 750;
constexpr int kHeight = 650;
constexpr uint32_t kBackground = 0xdcdcdc;
// Ardour is slow to start on a busy machine: the deadline only keeps a broken
// build from hanging, and `timeout` ends Ardour a little later whatever happens.
constexpr auto kDeadline = std::chrono::seconds(120);
const char* const kArdourSeconds = "150";
constexpr auto kQuitGrace = std::chrono::seconds(5);

// The mode toggles: their text starts at x, the first one's top, and the next one's below it.
constexpr int kToggleTextX = 500;
constexpr int kToggleTop = 25;
constexpr int kToggleStep = 18;
constexpr int kToggleTickLeft = 455;
constexpr int kToggleTickWidth = 20;
constexpr int kModeClicks = 10;
// The IR size box, and the part of the editor above it where its bubble shows.
constexpr int kIrSizeBoxX = 110;
constexpr int kIrSizeBoxY = 552;
constexpr int kBubbleAreaTop = 380;
// How long the editor may take to answer a click, as a user would wait.
constexpr auto kClickDeadline = std::chrono::seconds(5);
// Brondil's entry in the strip of its track in Ardour's mixer, on our screen
// and with Ardour's own look, and the colour Ardour gives a plug-in there.
constexpr int kMixerEntryX = 335;
constexpr int kMixerEntryY = 284;
constexpr uint32_t kMixerEntryColour = 0x663030;

// What a first run of Ardour leaves behind: the marker that skips its welcome
// wizard, and the dummy backend shown and remembered, so that the engine
// starts without the audio set-up dialog.
const char* const kArdourConfig = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device=""
               sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0"
               lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
)xml";

// The value of an attribute of the element that starts at `tag` in XML text.
std::string attributeAt(const std::string& text, std::size_t tag, const std::string& name)
{
    const std::size_t end = text.find('>', tag);
    const std::size_t at = text.find(" " + name + "=\"", tag);
    if (at == std::string::npos || at > end)
        return {};
    const std::size_t from = at + name.size() + 3;
    return text.substr(from, text.find('"', from) - from);
}

// A session saved with Brondil's own window open: Ardour names a plug-in's
// window after the ids of its track and of its processor.
bool markBrondilsWindowOpen(std::string& session)
{
    const std::size_t plugin = session.find("type=\"lxvst\"");
    if (plugin == std::string::npos)
        return false;
    const std::string processor = attributeAt(session, session.rfind("<Processor ", plugin), "id");
    const std::string route = attributeAt(session, session.rfind("<Route ", plugin), "id");
    const std::size_t end = session.rfind("</Session>");
    if (processor.empty() || route.empty() || end == std::string::npos)
        return false;
    session.insert(end, "  <Extra>\n    <UI>\n      <Window name=\"P-" + route + "-" + processor +
                            "\" visible=\"1\" x-off=\"10\" y-off=\"10\" x-size=\"-1\" y-size=\"-1\""
                            " custom-ui=\"1\"/>\n    </UI>\n  </Extra>\n");
    return true;
}

// The part of the screen that a window covers, the parts off the screen left out.
guitest::WindowPixels screenPart(Display* display, Window window)
{
    const Window root = DefaultRootWindow(display);
    const guitest::WindowPixels screen = guitest::capturePixels(display, root);
    const guitest::WindowState state = guitest::windowState(display, window);
    int x = 0, y = 0;
    Window ignored = 0;
    XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &ignored);
    guitest::WindowPixels part;
    if (screen.rgb.empty())
        return part;
    const int left = std::max(x, 0), top = std::max(y, 0);
    part.width = std::max(0, std::min(x + state.width, screen.width) - left);
    part.height = std::max(0, std::min(y + state.height, screen.height) - top);
    for (int row = 0; row < part.height; ++row)
        for (int column = 0; column < part.width; ++column)
            part.rgb.push_back(screen.at(left + column, top + row));
    return part;
}

// A window whose name holds `text`: a top-level one, or one that the window
// manager's frame holds. 0 when there is none.
Window topLevelNamed(Display* display, const std::string& text, Window below = 0, int depth = 2)
{
    for (const Window window : guitest::childWindows(display, below != 0 ? below : DefaultRootWindow(display))) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) != 0 && name != nullptr) {
            const bool found = std::string(name).find(text) != std::string::npos;
            XFree(name);
            if (found)
                return window;
        }
        if (depth > 1)
            if (const Window inFrame = topLevelNamed(display, text, window, depth - 1))
                return inFrame;
    }
    return 0;
}

// The first viewable window of the editor's size below `window`, depth first, or 0.
Window editorWindowBelow(Display* display, Window window)
{
    for (const Window child : guitest::childWindows(display, window)) {
        const guitest::WindowState state = guitest::windowState(display, child);
        if (state.viewable && state.width == kWidth && state.height == kHeight)
            return child;
        if (const Window below = editorWindowBelow(display, child))
            return below;
    }
    return 0;
}

// The working mode whose toggle shows its tick, the one black mark among the
// toggles' boxes; -1 when none or more than one does.
int tickedMode(const guitest::WindowPixels& shown)
{
    if (shown.width != kWidth || shown.height != kHeight)
        return -1;
    int ticked = -1;
    for (int mode = 0; mode < 3; ++mode) {
        int black = 0;
        // The tick reaches over the toggle's edges: its middle rows tell.
        const int top = kToggleTop + kToggleStep * mode + 4;
        for (int y = top; y < top + kToggleStep - 8; ++y)
            for (int x = kToggleTickLeft; x < kToggleTickLeft + kToggleTickWidth; ++x) {
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
    if (before.width != kWidth || before.height != kHeight || after.width != kWidth || after.height != kHeight)
        return false;
    for (int y = kBubbleAreaTop; y < kIrSizeBoxY; ++y)
        for (int x = 0; x < kWidth / 2; ++x)
            if (before.at(x, y) != after.at(x, y))
                return true;
    return false;
}

// Moves the pointer to a place on the screen and clicks there, through the X server.
bool clickScreen(int x, int y, int clicks)
{
    guitest::ChildProcess click({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click",
                                 "--repeat", std::to_string(clicks), "--delay", "80", "1"});
    return click.wait() == 0;
}

// Waits a user's patience for something to show on the screen.
template <typename Condition>
bool waitFor(Condition condition)
{
    const auto until = std::chrono::steady_clock::now() + kClickDeadline;
    while (std::chrono::steady_clock::now() < until) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Ardour's whole process group: ended when the test ends, however it ends.
class RunningProgram {
public:
    explicit RunningProgram(pid_t group) : group(group) {}
    ~RunningProgram()
    {
        if (group <= 0)
            return;
        kill(-group, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + kQuitGrace;
        while (waitpid(group, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(-group, SIGKILL);
                waitpid(group, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

private:
    pid_t group;
};

class ArdourEditorTest : public ArdourTest {
protected:
    void SetUp() override
    {
        ArdourTest::SetUp();
        if (IsSkipped())
            return;
        if (access(kArdour, X_OK) != 0)
            GTEST_SKIP() << kArdour << " is not installed";
        if (!guitest::programIsInstalled("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        if (!guitest::programIsInstalled("openbox"))
            GTEST_SKIP() << "openbox is not installed";
        server = std::make_unique<guitest::PrivateXServer>(true);
        if (!server->failure().empty())
            GTEST_SKIP() << server->failure();
        // An empty documents folder: each mode change scans it, finds nothing and says so in a bubble.
        std::filesystem::create_directories(pathInFolder("home/Documents"));
        const std::string config = pathInFolder("home/.config/ardour7");
        std::filesystem::create_directories(config);
        std::ofstream(config + "/.a7");
        std::ofstream(config + "/config") << kArdourConfig;
    }

    // The 2 x 2 matrix of IR multi from a stereo file of reverb-like IRs, as Brondil's chunk.
    juce::MemoryBlock twoByTwoState()
    {
        const PlanarSamples irs = reverbLikeStereoIrs();
        const std::string file = pathInFolder("hall.wav");
        EXPECT_TRUE(writeWav(file, irs, 48000));
        juce::MemoryBlock state;
        const juce::ScopedJuceInitialiser_GUI toolkit;
        juce::String error;
        EXPECT_TRUE(makeIrMultiState(juce::File(file), 2, 0.0, state, error)) << error;
        return state;
    }

    std::unique_ptr<guitest::PrivateXServer> server;
};

TEST_F(ArdourEditorTest, BrondilsEditorInArdourShowsTheMatrixTakesClicksKeepsItsSizeAndReopens)
{
    makeSessionWithState(twoByTwoState());
    if (HasFatalFailure())
        return;
    std::string session = sessionText();
    ASSERT_TRUE(markBrondilsWindowOpen(session));
    writeSessionText(session);

    std::vector<std::string> answer{"timeout", kArdourSeconds};
    for (const std::string& word : guitest::answerEachNewWindow("Input Output Channels", {"Return"}))
        answer.push_back(word);
    guitest::ChildProcess user(answer);
    const RunningProgram ardour(start({"timeout", kArdourSeconds, kArdour, "--no-splash", "--no-announcements",
                                       sessionFolder + "/session.ardour"},
                                      "ardour.log", true));

    // Windows of Ardour's may go while the test looks at them.
    const guitest::IgnoredXErrors ignored;
    const std::unique_ptr<Display, decltype(&XCloseDisplay)> connection(XOpenDisplay(nullptr), XCloseDisplay);
    Display* display = connection.get();
    ASSERT_NE(display, nullptr);
    // Each cell shows its IR: the waveform's centre line runs through its left
    // edge. Around the cells, the editor's background.
    const auto showsTheMatrix = [](const guitest::WindowPixels& shown) {
        if (shown.width != kWidth || shown.height != kHeight)
            return false;
        for (const auto& [x, y] : {std::pair{175, 200}, {465, 200}, {175, 405}, {465, 405}})
            if (shown.at(x, y) != 0)
                return false;
        return shown.at(700, 95) == kBackground && shown.at(5, 645) == kBackground;
    };
    Window pluginWindow = 0;
    Window editor = 0;
    bool shown = false;
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (!shown && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        pluginWindow = topLevelNamed(display, "Brondil");
        editor = pluginWindow != 0 ? editorWindowBelow(display, pluginWindow) : 0;
        shown = editor != 0 && showsTheMatrix(screenPart(display, editor));
    }
    EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_screen").empty());
    ASSERT_TRUE(shown) << "no editor with its matrix in Ardour's window for Brondil"
                       << (topLevelNamed(display, "Input Output Channels") != 0 ? ", the channel dialog is up" : "")
                       << "; Ardour's log:\n"
                       << readText(pathInFolder("ardour.log"));
    EXPECT_EQ(user.wait(), 0) << "the channel dialog was not answered";

    // The editor lies inside Ardour's window, below Ardour's own bar of controls.
    const guitest::WindowState outer = guitest::windowState(display, pluginWindow);
    int x = -1, y = -1;
    Window child = 0;
    XTranslateCoordinates(display, editor, pluginWindow, 0, 0, &x, &y, &child);
    EXPECT_GE(x, 0);
    EXPECT_GT(y, 0);
    EXPECT_LE(x + kWidth, outer.width);
    EXPECT_LE(y + kHeight, outer.height);
    EXPECT_FALSE(writeScreenshot(screenPart(display, pluginWindow), "ardour_plugin_window").empty());

    // The user clicks, through the X server, as Ardour's window lies on the screen now.
    const auto clickEditor = [&](int x, int y) {
        int rootX = 0, rootY = 0;
        Window ignoredChild = 0;
        XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, &rootX, &rootY, &ignoredChild);
        return clickScreen(rootX, rootY, 1);
    };
    const guitest::WindowState outerAtFirst = guitest::windowState(display, pluginWindow);
    const auto keepsItsSize = [&] {
        const guitest::WindowState inner = guitest::windowState(display, editor);
        const guitest::WindowState outer = guitest::windowState(display, pluginWindow);
        return inner.width == kWidth && inner.height == kHeight && outer.width == outerAtFirst.width &&
               outer.height == outerAtFirst.height;
    };

    // The IR size box refuses a click while the matrix holds IRs, in a bubble
    // over the editor. Neither the editor nor the window Ardour made for its
    // size may change: Ardour would have been asked for another size.
    const guitest::WindowPixels beforeBubble = screenPart(display, editor);
    ASSERT_TRUE(clickEditor(kIrSizeBoxX, kIrSizeBoxY));
    bool bubbleShown = false;
    bool sizeKept = true;
    const auto bubbleUntil = std::chrono::steady_clock::now() + kClickDeadline;
    while (!bubbleShown && sizeKept && std::chrono::steady_clock::now() < bubbleUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sizeKept = keepsItsSize();
        bubbleShown = differsAboveTheIrSizeBox(beforeBubble, screenPart(display, editor));
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
            ticked = tickedMode(screenPart(display, editor));
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
    guitest::ChildProcess close(
        {"xdotool", "windowactivate", "--sync", std::to_string(pluginWindow), "key", "--clearmodifiers", "alt+F4"});
    ASSERT_EQ(close.wait(), 0);
    ASSERT_TRUE(waitFor([&] { return !guitest::windowState(display, pluginWindow).viewable; }))
        << "Ardour's window for Brondil did not close";
    const Window main = topLevelNamed(display, "session - Ardour");
    ASSERT_NE(main, 0u);
    guitest::ChildProcess mixer({"xdotool", "windowactivate", "--sync", std::to_string(main), "key", "alt+m"});
    ASSERT_EQ(mixer.wait(), 0);
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
        const guitest::WindowPixels shown = screenPart(display, editor);
        return tickedMode(shown) == mode && shown.at(700, 95) == kBackground && shown.at(5, 645) == kBackground;
    };
    const bool reopened = waitFor(showsTheEditorInMode);
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_reopened").empty());
    EXPECT_TRUE(reopened) << "the editor opened again from the mixer does not show itself";
}

}  // namespace
