#include "host/x11_window_check.h"

#include <cstdint>

// The toolkit's X display and its Xlib entry points (loaded at run time, so
// the plug-in file does not link Xlib itself).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include "host/window_manager_atoms.h"
#include "host/x11_error_trap.h"

bool x11WindowExists(void* window)
{
    connectToolkitWithWindowManagerAtoms();
    ::Display* display = juce::XWindowSystem::getInstance()->getDisplay();
    if (display == nullptr)
        return false;
    const juce::XWindowSystemUtilities::ScopedXLock lock;
    const X11ErrorTrap trap(display);
    XWindowAttributes attributes{};
    return juce::X11Symbols::getInstance()->xGetWindowAttributes(
               display, static_cast<::Window>(reinterpret_cast<uintptr_t>(window)), &attributes) != 0;
}
