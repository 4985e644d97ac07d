#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <juce_core/juce_core.h>

#include "tests/host/ardour_fixture.h"
#include "tests/host/brondil_window_layout.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"

// After the tests' own headers: Xlib's macros would clash with theirs.
#include <X11/Xlib.h>

inline constexpr const char* kArdour = "/usr/bin/ardour";
// The editor's size.
inline constexpr int kEditorWidth = 750;
inline constexpr int kEditorHeight = 650;
// How long the editor may take to answer a click, as a user would wait.
inline constexpr auto kClickDeadline = std::chrono::seconds(5);

// Ardour's whole process group: ended when the test ends, however it ends.
class RunningProgram {
public:
    explicit RunningProgram(pid_t group) : group(group) {}
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // False once the program has ended, by itself or by a signal; never waits.
    bool running();

private:
    pid_t group;
    bool ended = false;
};

// Debian's Ardour 7 with its window on a private X server under openbox: it
// loads the session that ArdourTest made, with Brondil's window open, and
// xdotool answers the plug-in's channel dialog. Skipped without Ardour, Xvfb,
// openbox or xdotool.
class ArdourEditorTest : public ArdourTest {
protected:
    void SetUp() override;

    // The 2 x 2 matrix of IR multi from a stereo file of reverb-like IRs, as Brondil's chunk.
    juce::MemoryBlock twoByTwoState();

    // Starts Ardour on the session and waits until Brondil's editor shows the
    // matrix in Ardour's window for it (pluginWindow, editor); writes the
    // screen as `screenshotName`. Null, with a failure, when it never shows.
    std::unique_ptr<RunningProgram> openTheSessionAndWaitForTheEditor(const std::string& screenshotName);

    // The part of the screen that a window covers, the parts off the screen left out.
    guitest::WindowPixels screenPart(Window window);
    // Where a point of the editor lies on the screen now.
    std::pair<int, int> onScreen(int x, int y);

    std::unique_ptr<guitest::PrivateXServer> server;
    std::unique_ptr<guitest::ChildProcess> channelDialogAnswer;
    // Windows of Ardour's may go while the test looks at them.
    std::unique_ptr<guitest::IgnoredXErrors> ignoredXErrors;
    std::unique_ptr<Display, decltype(&XCloseDisplay)> connection{nullptr, XCloseDisplay};
    Display* display = nullptr;
    Window pluginWindow = 0;
    Window editor = 0;
};

// A session saved with Brondil's own window open: Ardour names a plug-in's
// window after the ids of its track and of its processor.
bool markBrondilsWindowOpen(std::string& session);

// A window whose name holds `text`: a top-level one, or one that the window
// manager's frame holds. 0 when there is none.
Window topLevelNamed(Display* display, const std::string& text, Window below = 0, int depth = 2);

// The first viewable window of the editor's size below `window`, depth first, or 0.
Window editorWindowBelow(Display* display, Window window);

// xdotool with these arguments, the user's hand and keyboard; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);

// Moves the pointer to a place on the screen and clicks there, through the X server.
bool clickScreen(int x, int y, int clicks);

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
