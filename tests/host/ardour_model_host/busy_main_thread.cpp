// The main thread is in parameter-text and chunk calls half the time while
// the GUI thread opens the editor: each opening waits for such a short call.
#include <cstdio>
#include <thread>
#include <vector>

#include "host/vst/opcodes.h"
#include "host/vst/records.h"
#include "tests/host/ardour_model_host/model_host.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_window_query.h"

namespace {

using namespace std::chrono_literals;

// The main thread's calls come in bursts this long, with as long a pause between them.
constexpr auto kBurst = 5ms;

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

}  // namespace

int runBusyMainThread(const juce::File& pluginFile, int openings, const std::string& screenshot)
{
    const auto busy = [](AEffect* effect, const std::function<bool()>& editorDone) {
        while (!editorDone()) {
            busyBurst(effect);
            std::this_thread::sleep_for(kBurst);
        }
    };
    const auto open = [&](AEffect* effect, HostWindow& host, int opening) {
        const Opening result = openEditor(effect, host);
        if (result.shown && opening == openings - 1 && !screenshot.empty())
            writeScreenshot(guitest::capturePixels(host.display(), host.id()), screenshot);
        dispatch(effect, effEditClose);
        std::printf("opening %d: rect %d, opened %d, shown %d\n", opening + 1, result.rect, result.opened,
                    result.shown);
        return result.rect && result.opened && result.shown;
    };
    return takeTurns(
        pluginFile, openings, [](const juce::String&, const juce::String&) {}, busy, open);
}
