// A real host records the gain the user sets in Brondil's editor: Debian's
// Ardour 7, on a private X server and its dummy audio backend, loads a session
// made by Lua, where Brondil's gain lane is kept in beats. The user types
// gains in the box under the knob and drags the knob, through the X server,
// with the lane in Touch while the transport is stopped and while it rolls,
// and, in a second run of Ardour, in Write while it rolls. Ardour records each
// point on its editor thread, the one that idles the editor and sends its
// gestures. Ardour stays up, and each session it saves holds the points. The
// screens go into the build tree's screenshot folder. Skipped without Ardour,
// Xvfb, openbox or xdotool.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/ardour_editor_fixture.h"
#include "tests/host/brondil_window_layout.h"
#include "tests/host/window_screenshot.h"

namespace {

// The automation-mode button of Brondil's gain lane in Ardour's editor
// window, on our screen and with Ardour's own look: Ardour shows the lane as
// it holds points. Its menu lists Manual, Play, Write, Touch and Latch, the
// lane's mode over the button.
constexpr int kLaneModeX = 180;
constexpr int kLaneModeY = 457;
constexpr int kLaneMenuStep = 18;
// Several of the idles in which Ardour's editor thread sends the editor's gestures.
constexpr auto kGestureSent = std::chrono::milliseconds(500);
// How long Ardour may take to write its session once asked.
constexpr auto kSaveDeadline = std::chrono::seconds(20);

double proportion(double decibels) { return (decibels + 90.0) / 180.0; }

bool holdsValue(const std::vector<GainLane::Point>& points, double decibels)
{
    // Ardour keeps the value as the float the plug-in sent.
    return std::any_of(points.begin(), points.end(), [&](const GainLane::Point& point) {
        return std::abs(point.value - proportion(decibels)) < 1e-6;
    });
}

// The session with Brondil's gain lane in another automation mode.
std::string withLaneState(std::string session, const std::string& state)
{
    const GainLane lane = brondilsGainLane(session);
    std::string element = lane.element;
    const std::size_t at = element.find(" state=\"");
    if (lane.start == std::string::npos || at == std::string::npos)
        return session;
    element.replace(at, element.find('"', at + 8) + 1 - at, " state=\"" + state + "\"");
    return session.replace(lane.start, lane.length, element);
}

long long latestTime(const std::vector<GainLane::Point>& points)
{
    long long latest = -1;
    for (const GainLane::Point& point : points)
        latest = std::max(latest, point.time);
    return latest;
}

class ArdourAutomationTest : public ArdourEditorTest {
protected:
    bool keysInArdoursMainWindow(const std::string& keys)
    {
        const Window main = topLevelNamed(display, "session - Ardour");
        return main != 0 &&
               xdotool({"windowactivate", "--sync", std::to_string(main), "key", "--clearmodifiers", keys});
    }

    // The gain box as the user sees it.
    std::vector<uint32_t> gainBoxPixels()
    {
        const guitest::WindowPixels shown = screenPart(editor);
        if (shown.width != kEditorWidth || shown.height != kEditorHeight)
            return {};
        return gainBoxPixelsIn(shown);
    }

    // A gain typed into the box, then return: the user brings Ardour's window
    // for Brondil to the front, clicks the box, types once it shows it has
    // opened and waits until it shows the gain. The value follows "--", as
    // xdotool would take a negative one for an option. Empty when all went
    // so, else what did not.
    std::string typeGain(const std::string& decibels)
    {
        if (!xdotool({"windowactivate", "--sync", std::to_string(pluginWindow)}))
            return "Ardour's window for Brondil did not come to the front";
        if (!waitFor([&] { return !gainBoxPixels().empty(); }))
            return "the box is not on the screen";
        const std::vector<uint32_t> closed = gainBoxPixels();
        const auto [x, y] = onScreen(kKnobX, kGainBoxY);
        if (!xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"}))
            return "no click";
        if (!waitFor([&] { return gainBoxPixels() != closed; }))
            return "the box did not open";
        const std::vector<uint32_t> open = gainBoxPixels();
        if (!xdotool({"type", "--delay", "30", "--", decibels}) || !xdotool({"key", "Return"}))
            return "no keys";
        if (!waitFor([&] { return gainBoxPixels() != open; }))
            return "the box did not close";
        return {};
    }

    // A drag on the knob as a hand makes it: press, up, further down, release.
    bool dragTheKnob()
    {
        const auto [x, y] = onScreen(kKnobX, kKnobY);
        const std::vector<uint32_t> before = gainBoxPixels();
        std::vector<std::string> drag{"mousemove", "--sync", std::to_string(x), std::to_string(y)};
        for (const std::string& word : knobDragWords())
            drag.push_back(word);
        return xdotool(drag) && waitFor([&] { return gainBoxPixels() != before; });
    }

    // True when Ardour is still up a few of its editor idles after a
    // gesture, which go out in those idles; else says so with Ardour's log.
    ::testing::AssertionResult livesThrough(RunningProgram& ardour, const std::string& gesture)
    {
        std::this_thread::sleep_for(kGestureSent);
        if (ardour.running())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "Ardour ended as " << gesture << "\nArdour's log:\n"
                                             << readText(pathInFolder("ardour.log"));
    }

    // Two gains typed with a drag of the knob between them; Ardour must live
    // through each gesture.
    void typeDragAndType(RunningProgram& ardour, const std::string& first, const std::string& second,
                         const std::string& when)
    {
        EXPECT_EQ(typeGain(first), "") << when << ", " << first;
        ASSERT_TRUE(livesThrough(ardour, first + " was typed, " + when));
        EXPECT_TRUE(dragTheKnob()) << when << ": the knob did not follow the drag";
        ASSERT_TRUE(livesThrough(ardour, "the knob was dragged, " + when));
        EXPECT_EQ(typeGain(second), "") << when << ", " << second;
        ASSERT_TRUE(livesThrough(ardour, second + " was typed, " + when));
    }

    // Ctrl+S in Ardour's main window, then the lane Ardour wrote.
    GainLane saveAndReadTheLane(const std::string& screenshotName)
    {
        const std::string before = sessionText();
        EXPECT_TRUE(keysInArdoursMainWindow("ctrl+s"));
        const auto until = std::chrono::steady_clock::now() + kSaveDeadline;
        std::string saved = before;
        while (saved == before && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            saved = sessionText();
        }
        EXPECT_NE(saved, before) << "Ardour did not save the session";
        EXPECT_FALSE(
            writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), screenshotName).empty());
        return brondilsGainLane(saved);
    }
};

TEST_F(ArdourAutomationTest, GainsSetInTheEditorAreRecordedInALaneKeptInBeatsWhileItIsInTouchOrWrite)
{
    makeSessionWithState(twoByTwoState());
    if (HasFatalFailure())
        return;
    std::string session = sessionText();
    ASSERT_TRUE(markBrondilsWindowOpen(session));
    const GainLane made = brondilsGainLane(session);
    ASSERT_NE(made.start, std::string::npos) << "no gain lane for Brondil in the session";
    // A lane kept in beats is the one whose points need Ardour's tempo map.
    ASSERT_EQ(attributeAt(made.element, 0, "time-domain"), "BeatTime");
    ASSERT_TRUE(made.points().empty());
    writeSessionText(withLaneState(session, "Touch"));
    ASSERT_NE(brondilsGainLane(sessionText()).element.find("state=\"Touch\""), std::string::npos);

    {
        const std::unique_ptr<RunningProgram> ardour = openTheSessionAndWaitForTheEditor("ardour_touch_opened");
        ASSERT_NE(ardour, nullptr);

        typeDragAndType(*ardour, "-12", "6", "touch, stopped");
        if (HasFatalFailure())
            return;
        const GainLane stopped = saveAndReadTheLane("ardour_touch_stopped");
        // Ardour keeps one point at the playhead, of a value the editor sent.
        EXPECT_TRUE(holdsValue(stopped.points(), -12.0) || holdsValue(stopped.points(), 6.0)) << stopped.element;

        ASSERT_TRUE(keysInArdoursMainWindow("space"));
        typeDragAndType(*ardour, "-30", "3", "touch, rolling");
        if (HasFatalFailure())
            return;
        const GainLane rolling = saveAndReadTheLane("ardour_touch_rolling");
        // Touch keeps what the drag sent, at times after those recorded while stopped.
        EXPECT_GT(rolling.points().size(), stopped.points().size()) << rolling.element;
        EXPECT_GT(latestTime(rolling.points()), latestTime(stopped.points())) << rolling.element;
    }

    // Ardour opens a lane left in Write as Manual: the user opens the session
    // with the lane in Manual and picks Write in the lane's menu, with
    // Ardour's window for Brondil out of the way.
    writeSessionText(withLaneState(sessionText(), "Off"));
    const std::unique_ptr<RunningProgram> ardour = openTheSessionAndWaitForTheEditor("ardour_write_opened");
    ASSERT_NE(ardour, nullptr);
    ASSERT_TRUE(xdotool({"windowminimize", "--sync", std::to_string(pluginWindow)}));
    const int writeY = kLaneModeY + 2 * kLaneMenuStep;
    const auto writeItem = [&] {
        const guitest::WindowPixels screen = guitest::capturePixels(display, DefaultRootWindow(display));
        return screen.rgb.empty() ? 0u : screen.at(kLaneModeX, writeY);
    };
    const uint32_t beforeMenu = writeItem();
    ASSERT_TRUE(clickScreen(kLaneModeX, kLaneModeY, 1));
    const bool menuShown = waitFor([&] { return writeItem() != beforeMenu; });
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_lane_menu").empty());
    ASSERT_TRUE(menuShown) << "no menu under the lane's mode button";
    ASSERT_TRUE(clickScreen(kLaneModeX, writeY, 1));
    ASSERT_TRUE(keysInArdoursMainWindow("space"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display, DefaultRootWindow(display)), "ardour_write_started").empty());
    typeDragAndType(*ardour, "-40", "9", "write, rolling");
    if (HasFatalFailure())
        return;
    const GainLane written = saveAndReadTheLane("ardour_write_rolling");
    // Write records every value the editor sends while the transport rolls.
    // The reopened session rolls from its start, so these points can lie
    // before those of the first run: only their values tell them apart.
    EXPECT_TRUE(holdsValue(written.points(), -40.0)) << written.element;
    EXPECT_TRUE(holdsValue(written.points(), 9.0)) << written.element;
}

}  // namespace
