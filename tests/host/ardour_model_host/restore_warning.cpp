// The main thread restores, into each effect it makes, a state saved by an
// effect of one input and one output. Its warning waits for the user on the
// main thread, inside effSetChunk, with no editor open, as when a host opens
// a project; meanwhile the GUI thread opens the editor. Each opening has to
// succeed within kLongestOpening, the warning to stay up above the editor,
// served by its idles, and the restore to return to the host while the editor
// is open. Closing the editor ends the warning, but at the last opening the
// user answers it with the keyboard first. At the end the main thread restores
// once more and no editor opens: the user answers, and only then does the
// restore return.
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "editor/warning_message.h"
#include "host/vst/opcodes.h"
#include "tests/host/ardour_model_host/model_host.h"
#include "tests/host/brondil_in_process.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"

namespace {

using namespace std::chrono_literals;

// An opening that waits for the call the warning holds takes a second and
// fails; one that does not takes a few milliseconds, a hundred under
// ThreadSanitizer.
constexpr auto kLongestOpening = 500ms;
// The user reads the warning this long before answering.
constexpr auto kUserLooks = 300ms;
const char* const kWarningTitle = "Brondil";

double milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

// The state an effect of one input and one output saves.
std::vector<char> stateOfOneChannel(const juce::File& pluginFile)
{
    AEffect* other = makeBrondilInProcess(statelessHost, pluginFile, 1,
                                          [](const juce::String&, const juce::String&) {});
    void* chunk = nullptr;
    const intptr_t size = dispatch(other, effGetChunk, 0, 0, &chunk);
    std::vector<char> state(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
    dispatch(other, effClose);
    return state;
}

Window shownWarning(HostWindow& host) { return guitest::viewableWindowNamed(host.display(), kWarningTitle); }

// Waits, idling nothing, until a warning shows; false when none does.
bool warningShows(HostWindow& host)
{
    const auto until = Clock::now() + kShowDeadline;
    while (shownWarning(host) == 0) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(kIdlePeriod);
    }
    return true;
}

// The user presses Return on the warning; true once it has gone while the GUI thread idled the effect, if any.
bool userAnswers(HostWindow& host, AEffect* idled)
{
    guitest::ChildProcess user(guitest::typeIntoWindow(kWarningTitle, {"Return"}));
    const bool answered = idleUntil(idled, host, [&] { return !user.running() && shownWarning(host) == 0; });
    return answered && user.wait() == 0;
}

}  // namespace

int runRestoreWarning(const juce::File& pluginFile, int openings, const std::string& screenshot)
{
    std::vector<char> state = stateOfOneChannel(pluginFile);
    std::atomic<bool> restoreReturned{false};

    const auto restore = [&](AEffect* effect, const std::function<bool()>& editorDone) {
        restoreReturned = false;
        dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data());
        restoreReturned = true;
        while (!editorDone())
            std::this_thread::sleep_for(kIdlePeriod);
    };

    const auto openWhileTheWarningWaits = [&](AEffect* effect, HostWindow& host, int opening) {
        const bool warned = warningShows(host);
        const Opening result = openEditor(effect, host);
        const bool warningAbove = result.shown && shownWarning(host) != 0;
        const bool returned = idleUntil(effect, host, [&] { return restoreReturned.load(); });
        bool answered = true;
        if (opening == openings - 1) {
            if (!screenshot.empty())
                writeScreenshot(guitest::capturePixels(host.display(), DefaultRootWindow(host.display())), screenshot);
            answered = userAnswers(host, effect);
        } else if (!returned) {
            userAnswers(host, effect);  // so that the main thread goes on to the next opening
        }
        dispatch(effect, effEditClose);
        const bool endedWithTheEditor = shownWarning(host) == 0;
        std::printf(
            "opening %d: warning %d, rect %d, opened %d, shown %d in %.0f ms, warning above it %d, "
            "restore returned %d, answered %d, warning ended with the editor %d\n",
            opening + 1, warned, result.rect, result.opened, result.shown, milliseconds(result.took), warningAbove,
            returned, answered, endedWithTheEditor);
        return warned && result.rect && result.opened && result.shown && result.took < kLongestOpening &&
               warningAbove && returned && answered && endedWithTheEditor;
    };
    int failed = takeTurns(pluginFile, openings, showWarningInAlertWindow, restore, openWhileTheWarningWaits);

    const auto answerWithoutEditor = [&](AEffect*, HostWindow& host, int) {
        const bool warned = warningShows(host);
        std::this_thread::sleep_for(kUserLooks);
        const bool waited = warned && !restoreReturned;
        const bool answered = waited && userAnswers(host, nullptr);
        const bool returned = answered && idleUntil(nullptr, host, [&] { return restoreReturned.load(); });
        std::printf("no editor: warning %d, restore waited for the user %d, answered %d, restore returned %d\n", warned,
                    waited, answered, returned);
        return returned;
    };
    failed += takeTurns(pluginFile, 1, showWarningInAlertWindow, restore, answerWithoutEditor);
    return failed;
}
