#include "tests/host/ardour_editor_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/host/window_screenshot.h"
#include "tools/example/ir_multi_state.h"

namespace {

// Ardour is slow to start on a busy machine: the deadline only keeps a broken
// build from hanging, and `timeout` ends Ardour a little later whatever happens.
constexpr auto kDeadline = std::chrono::seconds(120);
const char* const kArdourSeconds = "150";
constexpr auto kQuitGrace = std::chrono::seconds(5);

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

// Each cell shows its IR: the waveform's centre line runs through its left
// edge. Around the cells, the editor's background.
bool showsTheMatrix(const guitest::WindowPixels& shown)
{
    if (shown.width != kEditorWidth || shown.height != kEditorHeight)
        return false;
    for (const auto& [x, y] : {std::pair{175, 200}, {465, 200}, {175, 405}, {465, 405}})
        if (shown.at(x, y) != 0)
            return false;
    return shown.at(700, 95) == kEditorBackground && shown.at(5, 645) == kEditorBackground;
}

}  // namespace

RunningProgram::~RunningProgram()
{
    if (group <= 0 || ended)
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

bool RunningProgram::running()
{
    ended = ended || group <= 0 || waitpid(group, nullptr, WNOHANG) == group;
    return !ended;
}

void ArdourEditorTest::SetUp()
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
    ignoredXErrors = std::make_unique<guitest::IgnoredXErrors>();
    connection.reset(XOpenDisplay(nullptr));
    display = connection.get();
    ASSERT_NE(display, nullptr);
}

juce::MemoryBlock ArdourEditorTest::twoByTwoState()
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

std::unique_ptr<RunningProgram> ArdourEditorTest::openTheSessionAndWaitForTheEditor(const std::string& screenshotName)
{
    std::vector<std::string> answer{"timeout", kArdourSeconds};
    for (const std::string& word : guitest::answerEachNewWindow("Input Output Channels", {"Return"}))
        answer.push_back(word);
    channelDialogAnswer = std::make_unique<guitest::ChildProcess>(answer);
    auto ardour = std::make_unique<RunningProgram>(start({"timeout", kArdourSeconds, kArdour, "--no-splash",
                                                          "--no-announcements", sessionFolder + "/session.ardour"},
                                                         "ardour.log", true));

    bool shown = false;
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (!shown && ardour->running() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        pluginWindow = topLevelNamed(display, "Brondil");
        editor = pluginWindow != 0 ? editorWindowBelow(display, pluginWindow) : 0;
        shown = editor != 0 && showsTheMatrix(screenPart(editor));
    }
    EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), screenshotName).empty());
    if (!shown) {
        ADD_FAILURE() << "no editor with its matrix in Ardour's window for Brondil"
                      << (topLevelNamed(display, "Input Output Channels") != 0 ? ", the channel dialog is up" : "")
                      << "; Ardour's log:\n"
                      << readText(pathInFolder("ardour.log"));
        return nullptr;
    }
    EXPECT_EQ(channelDialogAnswer->wait(), 0) << "the channel dialog was not answered";
    return ardour;
}

guitest::WindowPixels ArdourEditorTest::screenPart(Window window)
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

std::pair<int, int> ArdourEditorTest::onScreen(int x, int y)
{
    int rootX = 0, rootY = 0;
    Window ignoredChild = 0;
    XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, &rootX, &rootY, &ignoredChild);
    return {rootX, rootY};
}

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

Window topLevelNamed(Display* display, const std::string& text, Window below, int depth)
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

Window editorWindowBelow(Display* display, Window window)
{
    for (const Window child : guitest::childWindows(display, window)) {
        const guitest::WindowState state = guitest::windowState(display, child);
        if (state.viewable && state.width == kEditorWidth && state.height == kEditorHeight)
            return child;
        if (const Window below = editorWindowBelow(display, child))
            return below;
    }
    return 0;
}

bool xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    guitest::ChildProcess program(command);
    return program.wait() == 0;
}

bool clickScreen(int x, int y, int clicks)
{
    return xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "--repeat",
                    std::to_string(clicks), "--delay", "80", "1"});
}
