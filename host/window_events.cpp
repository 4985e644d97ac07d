#include "host/window_events.h"

#include <dlfcn.h>
#include <poll.h>

#include <vector>

#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>
// The event loop's own entry for a descriptor's callback, as plug-in formats
// whose hosts watch descriptors use it.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace {

// Two Xlib calls the toolkit's table of entry points lacks, from the Xlib it loaded.
struct QueueCalls {
    using CheckIf = Bool (*)(::Display*, XEvent*, Bool (*)(::Display*, XEvent*, XPointer), XPointer);
    using PutBack = int (*)(::Display*, XEvent*);
    CheckIf checkIfEvent = nullptr;
    PutBack putBackEvent = nullptr;

    static const QueueCalls& get()
    {
        static const QueueCalls calls = [] {
            QueueCalls found;
            if (void* xlib = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD)) {
                found.checkIfEvent = reinterpret_cast<CheckIf>(::dlsym(xlib, "XCheckIfEvent"));
                found.putBackEvent = reinterpret_cast<PutBack>(::dlsym(xlib, "XPutBackEvent"));
            }
            return found;
        }();
        return calls;
    }
};

// The first button press waiting in Xlib's queue, found without taking any event out.
Bool notePress(::Display*, XEvent* event, XPointer found)
{
    auto* press = reinterpret_cast<XEvent*>(found);
    if (event->type == ButtonPress && press->type != ButtonPress)
        *press = *event;
    return False;
}

// The toolkit's window that takes the keyboard on a click, if window is one.
juce::ComponentPeer* keyboardPeerOf(::Window window)
{
    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i) {
        juce::ComponentPeer* peer = juce::ComponentPeer::getPeer(i);
        const int flags = peer->getStyleFlags();
        if (reinterpret_cast<::Window>(peer->getNativeHandle()) == window &&
            (flags & (juce::ComponentPeer::windowIsTemporary | juce::ComponentPeer::windowIgnoresKeyPresses)) == 0)
            return peer;
    }
    return nullptr;
}

// A window embedded in the host's takes the X focus itself while the toolkit
// handles a press in it, so its focus event comes after the click; the toolkit
// then gives the keyboard back to whatever had it when the window last lost
// focus (a combo whose popup took the focus away), and a text box the click
// just opened closes. As a window manager focuses a window before the click
// that brings it forward, the window gets the focus, and its focus event is
// handled, before the press.
void focusBeforeWaitingPress(::Display* display)
{
    const QueueCalls& queue = QueueCalls::get();
    if (queue.checkIfEvent == nullptr || queue.putBackEvent == nullptr)
        return;
    juce::X11Symbols* x = juce::X11Symbols::getInstance();
    XEvent press{};
    XEvent unused;
    queue.checkIfEvent(display, &unused, notePress, reinterpret_cast<XPointer>(&press));
    if (press.type != ButtonPress || keyboardPeerOf(press.xbutton.window) == nullptr)
        return;
    ::Window focused = 0;
    int revert = 0;
    x->xGetInputFocus(display, &focused, &revert);
    if (focused == press.xbutton.window)
        return;
    x->xSetInputFocus(display, press.xbutton.window, RevertToParent, CurrentTime);
    x->xSync(display, False);
    XEvent focusIn;
    if (x->xCheckTypedWindowEvent(display, press.xbutton.window, FocusIn, &focusIn))
        queue.putBackEvent(display, &focusIn);
}

// The toolkit's X connection; null before it has one.
::Display* toolkitDisplay()
{
    const juce::XWindowSystem* system = juce::XWindowSystem::getInstanceWithoutCreating();
    return system != nullptr ? system->getDisplay() : nullptr;
}

}  // namespace

void dispatchWaitingWindowEvents()
{
    ::Display* display = toolkitDisplay();
    if (display == nullptr)
        return;
    {
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        focusBeforeWaitingPress(display);
    }
    // The callback reads while XPending finds events, queued or on the socket, and never blocks.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(
        juce::X11Symbols::getInstance()->xConnectionNumber(display));
}

void dispatchReadyMessages()
{
    ::Display* display = toolkitDisplay();
    const int windowEvents = display != nullptr ? juce::X11Symbols::getInstance()->xConnectionNumber(display) : -1;
    std::vector<pollfd> sources;
    for (const int fd : juce::LinuxEventLoopInternal::getRegisteredFds())
        if (fd != windowEvents)
            sources.push_back({fd, POLLIN, 0});
    if (sources.empty() || ::poll(sources.data(), sources.size(), 0) <= 0)
        return;
    for (const pollfd& source : sources)
        if ((source.revents & POLLIN) != 0)
            juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(source.fd);
}

void paintPendingWindows()
{
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;) {
        juce::ComponentPeer* peer = juce::ComponentPeer::getPeer(i);
        if (peer != nullptr && peer->getComponent().isVisible())
            peer->performAnyPendingRepaintsNow();
    }
}
