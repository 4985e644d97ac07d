#include "tools/vst_host/editor_window.h"

#include <chrono>
#include <thread>

namespace {

// Hosts idle their editors at about this period.
constexpr std::chrono::milliseconds kIdlePeriod(20);

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(HostedEffect& effect, std::string& error)
{
    if (!effect.hasFlag(effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return nullptr;
    }
    ERect* rect = nullptr;
    if (effect.dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr || rect->right <= rect->left ||
        rect->bottom <= rect->top) {
        error = "the plug-in gives no size for its editor";
        return nullptr;
    }
    std::unique_ptr<HostWindow> hostWindow = HostWindow::create(rect->right - rect->left, rect->bottom - rect->top,
                                                                effect.effectName(), error);
    if (!hostWindow)
        return nullptr;
    // Hosts pass their X connection along with the window; plug-ins may use it or open their own.
    const auto connection = reinterpret_cast<intptr_t>(hostWindow->display());
    if (effect.dispatch(effEditOpen, 0, connection, reinterpret_cast<void*>(hostWindow->id())) == 0) {
        error = "the plug-in's editor does not open";
        return nullptr;
    }
    std::unique_ptr<EditorWindow> opened(new EditorWindow(effect, std::move(hostWindow)));
    effect.setEditorWindow(opened->hostWindow.get());
    return opened;
}

EditorWindow::EditorWindow(HostedEffect& effect, std::unique_ptr<HostWindow> hostWindow)
    : effect(effect), hostWindow(std::move(hostWindow))
{
}

EditorWindow::~EditorWindow()
{
    effect.setEditorWindow(nullptr);
    effect.dispatch(effEditClose);
}

bool EditorWindow::idle()
{
    const bool open = hostWindow->handleEvents();
    effect.dispatch(effEditIdle);
    return open;
}

bool showEditor(HostedEffect& effect, int seconds, std::string& error)
{
    const std::unique_ptr<EditorWindow> editor = EditorWindow::open(effect, error);
    if (!editor)
        return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until && editor->idle())
        std::this_thread::sleep_for(kIdlePeriod);
    return true;
}
