#include "host/x11_error_trap.h"

// The toolkit's Xlib entry points (loaded at run time, so the plug-in file
// does not link Xlib itself).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

namespace {

int ignoreError(::Display*, XErrorEvent*) { return 0; }

}  // namespace

X11ErrorTrap::X11ErrorTrap(::Display* connection) : display(connection)
{
    juce::X11Symbols& x = *juce::X11Symbols::getInstance();
    x.xSync(display, False);
    previous = x.xSetErrorHandler(ignoreError);
}

X11ErrorTrap::~X11ErrorTrap()
{
    juce::X11Symbols& x = *juce::X11Symbols::getInstance();
    x.xSync(display, False);
    x.xSetErrorHandler(previous);
}
