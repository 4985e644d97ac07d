#include "host/window_events.h"

#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>
// The event loop's own entry for a descriptor's callback, as plug-in formats
// whose hosts watch descriptors use it.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

void dispatchWaitingWindowEvents()
{
    const juce::XWindowSystem* system = juce::XWindowSystem::getInstanceWithoutCreating();
    ::Display* display = system != nullptr ? system->getDisplay() : nullptr;
    if (display == nullptr)
        return;
    // The callback reads while XPending finds events, queued or on the socket, and never blocks.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(
        juce::X11Symbols::getInstance()->xConnectionNumber(display));
}
