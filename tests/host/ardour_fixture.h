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

// The text between <chunk ...> and </chunk> in a session file, and where it lies.
bool findChunk(const std::string& session, std::size_t& start, std::size_t& length);

std::string readText(const std::string& path);
