// A host in Ardour's model for one test process: Brondil made on the main
// thread, its editor sized, opened, idled and closed on a GUI thread of the
// host's own, while the main thread is in parameter-text and chunk calls half
// the time. Before each opening the main thread makes the effect anew, which
// takes the toolkit back to it, so each opening has to bring the toolkit over.
// Exits with 0 when every opening showed the editor in the host's window.
//
//   brondil-ardour-model-host FOLDER OPENINGS [SCREENSHOT_NAME]
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor.h"
#include "host/vst/opcodes.h"
#include "host/vst/records.h"
#include "tests/host/brondil_in_process.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_window_query.h"
#include "tools/vst_host/host_window.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kChannels = 2;
constexpr uint32_t kEditorBackground = 0xdcdcdc;
// A host's editor idle pace.
constexpr auto kIdlePeriod = 30ms;
// The main thread's calls come in bursts this long, with as long a pause between them.
constexpr auto kBurst = 5ms;
// Keeps an editor that never shows from hanging the test.
constexpr auto kShowDeadline = 10s;

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// The calls a host's main thread makes while a session is open: the
// parameter's texts for its controls, and saving and restoring the state.
void busyBurst(AEffect* effect)
{
    const auto until = Clock::now() + kBurst;
    while (Clock::now() < until) {
        char text[kVstMaxParamStrLen + 1] = "";
        dispatch(effect, effGetParamDisplay, 0, 0, text);
        dispatch(effect, effGetParamName, 0, 0, text);
        void* chunk = nullptr;
        const intptr_t size = dispatch(effect, effGetChunk, 0, 0, &chunk);
        if (size > 0) {
            const std::vector<char> copy(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
            dispatch(effect, effSetChunk, 0, size, const_cast<char*>(copy.data()));
        }
    }
}

// True once the editor's window in the host's window shows the editor's background.
bool editorShows(HostWindow& host)
{
    for (const Window child : guitest::childWindows(host.display(), host.id())) {
        const guitest::WindowState state = guitest::windowState(host.display(), child);
        if (!state.viewable || state.width != BREditor::kWidth || state.height != BREditor::kHeight)
            continue;
        const guitest::WindowPixels shown = guitest::capturePixels(host.display(), host.id());
        return !shown.rgb.empty() && shown.at(shown.width - 50, 95) == kEditorBackground;
    }
    return false;
}

// One opening on the GUI thread: what the host asked and what it got.
struct Opening {
    bool rect = false;
    bool opened = false;
    bool shown = false;
};

Opening openAndShow(AEffect* effect, HostWindow& host, const std::string& screenshot)
{
    Opening result;
    ERect* rect = nullptr;
    result.rect = dispatch(effect, effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr;
    result.opened = dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(host.id())) != 0;
    const auto until = Clock::now() + kShowDeadline;
    while (result.opened && !result.shown && Clock::now() < until) {
        dispatch(effect, effEditIdle);
        host.handleEvents();
        std::this_thread::sleep_for(kIdlePeriod);
        result.shown = editorShows(host);
    }
    if (result.shown && !screenshot.empty())
        writeScreenshot(guitest::capturePixels(host.display(), host.id()), screenshot);
    dispatch(effect, effEditClose);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER OPENINGS [SCREENSHOT_NAME]\n", argv[0]);
        return 2;
    }
    const juce::File folder(juce::String::fromUTF8(argv[1]));
    const int openings = std::atoi(argv[2]);
    const std::string screenshot = argc > 3 ? argv[3] : "";

    std::mutex turn;
    std::condition_variable changed;
    AEffect* effect = nullptr;  // under turn
    bool editorDone = false;    // under turn
    std::atomic<int> failures{0};

    std::thread gui([&] {
        std::string error;
        const std::unique_ptr<HostWindow> host = HostWindow::create(BREditor::kWidth, BREditor::kHeight, "host", error);
        for (int opening = 0; opening < openings; ++opening) {
            AEffect* current = nullptr;
            {
                std::unique_lock<std::mutex> lock(turn);
                changed.wait(lock, [&] { return effect != nullptr; });
                current = effect;
            }
            const Opening result =
                host != nullptr ? openAndShow(current, *host, opening == openings - 1 ? screenshot : "") : Opening{};
            std::printf("opening %d: rect %d, opened %d, shown %d%s\n", opening + 1, result.rect, result.opened,
                        result.shown, host == nullptr ? (", " + error).c_str() : "");
            std::fflush(stdout);
            failures += result.rect && result.opened && result.shown ? 0 : 1;
            const std::lock_guard<std::mutex> lock(turn);
            effect = nullptr;
            editorDone = true;
            changed.notify_all();
        }
    });

    for (int opening = 0; opening < openings; ++opening) {
        AEffect* made = makeBrondilInProcess(statelessHost, folder.getChildFile("Brondil.so"), kChannels,
                                             [](const juce::String&, const juce::String&) {});
        {
            const std::lock_guard<std::mutex> lock(turn);
            effect = made;
            editorDone = false;
            changed.notify_all();
        }
        for (;;) {
            {
                const std::lock_guard<std::mutex> lock(turn);
                if (editorDone)
                    break;
            }
            busyBurst(made);
            std::this_thread::sleep_for(kBurst);
        }
        dispatch(made, effClose);
    }
    gui.join();
    return failures == 0 ? 0 : 1;
}
