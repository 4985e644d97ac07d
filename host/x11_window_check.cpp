#include "host/x11_window_check.h"

#include <cstdint>

// The toolkit's X display and its Xlib entry points (loaded at run time, so
// the plug-in file does not link Xlib itself).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include "host/window_manager_atoms.h"

namespace {

int ignoreError(::Display*, XErrorEvent*) { return 0; }

}  // namespace

bool x11WindowExists(void* window)
{
    connectToolkitWithWindowManagerAtoms();
    ::Display* display = juce::XWindowSystem::getInstance()->getDisplay();
    if (display == nullptr)
        return false;
    juce::X11Symbols* x = juce::X11Symbols::getInstance();
    const juce::XWindowSystemUtilities::ScopedXLock lock;
    // Errors of requests sent before are not this question's to swallow.
    x->xSync(display, False);
    const XErrorHandler previous = x->xSetErrorHandler(ignoreError);
    XWindowAttributes attributes{};
    const Status found = x->xGetWindowAttributes(display, static_cast<::Window>(reinterpret_cast<uintptr_t>(window)),
                                                 &attributes);
    x->xSetErrorHandler(previous);
    return found != 0;
}
