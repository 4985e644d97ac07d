#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "engine/filter.h"
#include "host/vst/aeffect.h"
#include "tools/vst_host/host_window.h"

// The parts of a host in Ardour's model that its scenarios share: the main
// thread makes each effect and closes it, a GUI thread of the host's own opens,
// idles and closes its editor in a window of its own.

using Clock = std::chrono::steady_clock;

// A host's editor idle pace.
constexpr auto kIdlePeriod = std::chrono::milliseconds(30);
// Keeps a window that never shows or goes from hanging the test.
constexpr auto kShowDeadline = std::chrono::seconds(10);

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f);

// One idle of the GUI thread: the effect's editor's, when an effect is given, then the host window's events.
void idleEditor(AEffect* effect, HostWindow& host);

// Idles until done() or the deadline; true when done.
bool idleUntil(AEffect* effect, HostWindow& host, const std::function<bool()>& done);

// One opening on the GUI thread: what the host asked and what it got, and how
// long effEditGetRect and effEditOpen took together.
struct Opening {
    bool rect = false;
    bool opened = false;
    bool shown = false;
    Clock::duration took{};
};

// Sizes and opens the editor in the host's window, then idles until the
// window shows the editor. The editor stays open.
Opening openEditor(AEffect* effect, HostWindow& host);

// The main thread's turn with a fresh effect while the GUI thread has its own:
// it returns once editorDone() answers true.
using MainThreadTurn = std::function<void(AEffect* effect, const std::function<bool()>& editorDone)>;
// The GUI thread's turn with the effect of that opening (counted from 0); true when it went as it should.
using GuiThreadTurn = std::function<bool(AEffect* effect, HostWindow& host, int opening)>;

// For each opening the main thread makes Brondil's effect (2 × 2, its settings
// beside pluginFile, its warnings to warnings), takes its turn while the GUI
// thread takes its own, and closes the effect. Answers how many GUI turns failed.
int takeTurns(const juce::File& pluginFile, int openings, const BRWarningSink& warnings, const MainThreadTurn& main,
              const GuiThreadTurn& gui);

// The scenarios; each answers how many openings failed.
int runBusyMainThread(const juce::File& pluginFile, int openings, const std::string& screenshot);
int runRestoreWarning(const juce::File& pluginFile, int openings, const std::string& screenshot);
