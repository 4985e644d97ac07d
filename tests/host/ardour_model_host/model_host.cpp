#include "tests/host/ardour_model_host/model_host.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "editor/editor.h"
#include "host/vst/opcodes.h"
#include "host/vst/records.h"
#include "tests/host/brondil_in_process.h"
#include "tests/host/brondil_window_layout.h"
#include "tests/support/x_window_query.h"

namespace {

constexpr int kChannels = 2;

// True once the editor's window in the host's window shows the editor's background.
bool editorShows(HostWindow& host)
{
    for (const Window child : guitest::childWindows(host.display(), host.id())) {
        const guitest::WindowState state = guitest::windowState(host.display(), child);
        if (!state.viewable || state.width != BREditor::kWidth || state.height != BREditor::kHeight)
            continue;
        const guitest::WindowPixels shown = guitest::capturePixels(host.display(), host.id());
        return !shown.rgb.empty() && shown.at(kEditorBackgroundX, kEditorBackgroundY) == kEditorBackground;
    }
    return false;
}

}  // namespace

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void idleEditor(AEffect* effect, HostWindow& host)
{
    if (effect != nullptr)
        dispatch(effect, effEditIdle);
    host.handleEvents();
    std::this_thread::sleep_for(kIdlePeriod);
}

bool idleUntil(AEffect* effect, HostWindow& host, const std::function<bool()>& done)
{
    const auto until = Clock::now() + kShowDeadline;
    while (!done()) {
        if (Clock::now() > until)
            return false;
        idleEditor(effect, host);
    }
    return true;
}

Opening openEditor(AEffect* effect, HostWindow& host)
{
    Opening result;
    const auto start = Clock::now();
    ERect* rect = nullptr;
    result.rect = dispatch(effect, effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr;
    result.opened = dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(host.id())) != 0;
    result.took = Clock::now() - start;
    result.shown = result.opened && idleUntil(effect, host, [&] { return editorShows(host); });
    return result;
}

int takeTurns(const juce::File& pluginFile, int openings, const BRWarningSink& warnings, const MainThreadTurn& main,
              const GuiThreadTurn& gui)
{
    std::mutex turn;
    std::condition_variable changed;
    AEffect* effect = nullptr;  // under turn
    bool editorDone = false;    // under turn
    bool windowTried = false;   // under turn
    bool windowMade = false;    // under turn
    std::atomic<int> failures{0};

    std::thread guiThread([&] {
        std::string error;
        const std::unique_ptr<HostWindow> host = HostWindow::create(BREditor::kWidth, BREditor::kHeight, "host", error);
        if (host == nullptr)
            std::printf("no host window: %s\n", error.c_str());
        {
            const std::lock_guard<std::mutex> lock(turn);
            windowTried = true;
            windowMade = host != nullptr;
            changed.notify_all();
        }
        if (host == nullptr)
            return;
        for (int opening = 0; opening < openings; ++opening) {
            AEffect* current = nullptr;
            {
                std::unique_lock<std::mutex> lock(turn);
                changed.wait(lock, [&] { return effect != nullptr; });
                current = effect;
            }
            failures += gui(current, *host, opening) ? 0 : 1;
            std::fflush(stdout);
            const std::lock_guard<std::mutex> lock(turn);
            effect = nullptr;
            editorDone = true;
            changed.notify_all();
        }
    });

    // A host is on the X server before it makes an effect.
    {
        std::unique_lock<std::mutex> lock(turn);
        changed.wait(lock, [&] { return windowTried; });
        if (!windowMade) {
            lock.unlock();
            guiThread.join();
            return openings;
        }
    }
    for (int opening = 0; opening < openings; ++opening) {
        AEffect* made = makeBrondilInProcess(statelessHost, pluginFile, kChannels, warnings);
        {
            const std::lock_guard<std::mutex> lock(turn);
            effect = made;
            editorDone = false;
            changed.notify_all();
        }
        main(made, [&] {
            const std::lock_guard<std::mutex> lock(turn);
            return editorDone;
        });
        dispatch(made, effClose);
    }
    guiThread.join();
    return failures;
}
