#pragma once

#include <memory>
#include <string>

#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/host_window.h"

// An effect's editor inside a window of the host's: the window takes the size
// the effect asks for with effEditGetRect, the editor opens in it with
// effEditOpen, and the host idles it. Closed (effEditClose) before the window goes.
class EditorWindow {
public:
    // Null, with a message in `error`, when the effect has no editor, gives no
    // size, there is no X display, or the editor does not open.
    static std::unique_ptr<EditorWindow> open(HostedEffect& effect, std::string& error);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // The window's events, then one effEditIdle; false once the user closed the window.
    bool idle();
    const HostWindow& window() const { return *hostWindow; }

private:
    EditorWindow(HostedEffect& effect, std::unique_ptr<HostWindow> hostWindow);

    HostedEffect& effect;
    std::unique_ptr<HostWindow> hostWindow;
};

// Shows the editor until `seconds` have passed or the user closes its window,
// idling it at the rate hosts do. False, with a message in `error`, when it does not open.
bool showEditor(HostedEffect& effect, int seconds, std::string& error);
