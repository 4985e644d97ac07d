#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <juce_core/juce_core.h>

#include "tests/host/plugin_fixture.h"

inline constexpr const char* kArdourLua = "/usr/bin/ardour7-lua";
inline constexpr const char* kArdourExport = "/usr/bin/ardour7-export";
inline constexpr const char* kArdourScanner = "/usr/lib/ardour7/ardour-vst-scanner";

// A real host for Brondil.so: Debian's Ardour 7 on its dummy audio backend,
// with its configuration, plug-in cache and sessions in the test's folder and
// a link to the plug-in as the only Linux VST it finds. Skipped when Ardour's
// command-line tools are not installed.
class ArdourTest : public PluginTest {
protected:
    void SetUp() override;

    // Starts a program with the test's environment, the display only when
    // asked, in a process group of its own; its output goes to a log.
    pid_t start(const std::vector<std::string>& arguments, const std::string& logName, bool withDisplay);
    // Runs a program under `timeout` with the test's environment and no
    // display. True when it exits with 0; its log is in lastLog.
    bool run(const std::vector<std::string>& arguments, const std::string& logName);
    // Runs a Lua script in Ardour's headless interpreter, SESSION_FOLDER set.
    bool runLua(const char* script, const std::string& name);

    // A session with one stereo track: Ardour's sine generator into Brondil,
    // saved as if the user had left Brondil with `state` (its chunk) and the
    // first two seconds as the session's extent. Scans the plug-in first.
    void makeSessionWithState(const juce::MemoryBlock& state);

    // The session file's text, and writing it back.
    std::string sessionText() const;
    void writeSessionText(const std::string& text) const;

    std::string sessionFolder;
    std::vector<std::string> environment;
    std::string lastLog;
};

// Brondil's gain lane in a session file: its AutomationList element, where it
// lies (npos when there is none), and its points.
struct GainLane {
    std::size_t start = std::string::npos;
    std::size_t length = 0;
    std::string element;
    // The lane's points as Ardour writes them: a time with its domain's
    // letter in front ("a" samples, "b" ticks of a beat), then a value.
    struct Point {
        char domain;
        long long time;
        double value;
    };
    std::vector<Point> points() const;
};
GainLane brondilsGainLane(const std::string& session);

// The value of an attribute of the element that starts at `tag` in XML text.
std::string attributeAt(const std::string& text, std::size_t tag, const std::string& name);

// The text between <chunk ...> and </chunk> in a session file, and where it lies.
bool findChunk(const std::string& session, std::size_t& start, std::size_t& length);

std::string readText(const std::string& path);
