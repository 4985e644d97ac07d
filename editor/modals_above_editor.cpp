#include "editor/modals_above_editor.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The toolkit's X display and its Xlib entry points (loaded at run time, so
// the plug-in file does not link Xlib itself).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include "host/x11_error_trap.h"

namespace {

// Soon enough after a click in the host that the user never misses the window.
constexpr int kCheckPeriodMs = 50;

::Window windowOf(const juce::ComponentPeer& peer)
{
    return static_cast<::Window>(reinterpret_cast<uintptr_t>(peer.getNativeHandle()));
}

// The server's window tree, read through the toolkit's connection.
class WindowTree {
public:
    explicit WindowTree(::Display* connection) : display(connection), x(*juce::X11Symbols::getInstance()) {}

    // window, then each of its ancestors up to the root's child; empty when the window is gone.
    std::vector<::Window> ancestry(::Window window) const
    {
        std::vector<::Window> chain{window};
        for (;;) {
            ::Window parent = 0;
            if (!query(chain.back(), parent, nullptr))
                return {};
            if (parent == root)
                return chain;
            chain.push_back(parent);
        }
    }

    // The root's children, bottom to top.
    std::vector<::Window> stacking() const
    {
        std::vector<::Window> children;
        ::Window parent = 0;
        query(root, parent, &children);
        return children;
    }

    // The host's own top-level window in an ancestry: the outermost one a
    // window manager manages, else the root's child.
    ::Window clientTopLevel(const std::vector<::Window>& chain) const
    {
        const Atom wmState = x.xInternAtom(display, "WM_STATE", False);
        for (auto window = chain.rbegin(); window != chain.rend(); ++window)
            if (hasProperty(*window, wmState))
                return *window;
        return chain.back();
    }

    bool isTransientForSomeWindow(::Window window) const { return hasProperty(window, XA_WM_TRANSIENT_FOR); }

    void makeTransientFor(::Window window, ::Window owner) const
    {
        x.xChangeProperty(display, window, XA_WM_TRANSIENT_FOR, XA_WINDOW, 32, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(&owner), 1);
    }

    // On top of the root's children; a window manager is asked to do it.
    void raise(::Window window) const { x.xMapRaised(display, window); }

private:
    bool query(::Window window, ::Window& parent, std::vector<::Window>* children) const
    {
        ::Window rootOfWindow = 0;
        ::Window* list = nullptr;
        unsigned int count = 0;
        if (x.xQueryTree(display, window, &rootOfWindow, &parent, &list, &count) == 0)
            return false;
        if (children != nullptr)
            children->assign(list, list + count);
        if (list != nullptr)
            x.xFree(list);
        return true;
    }

    bool hasProperty(::Window window, Atom property) const
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        x.xGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count,
                             &remaining, &data);
        if (data != nullptr)
            x.xFree(data);
        return type != None;
    }

    ::Display* display;
    juce::X11Symbols& x;
    ::Window root = x.xDefaultRootWindow(display);
};

// The modal windows of the toolkit's own on the desktop, popups (which any
// click closes) left out.
std::vector<juce::ComponentPeer*> modalWindows(const juce::ComponentPeer& besides)
{
    std::vector<juce::ComponentPeer*> windows;
    for (int i = juce::Component::getNumCurrentlyModalComponents(); --i >= 0;) {
        juce::Component* modal = juce::Component::getCurrentlyModalComponent(i);
        juce::ComponentPeer* peer = modal->isOnDesktop() ? modal->getPeer() : nullptr;
        if (peer != nullptr && peer != &besides && modal->isShowing() &&
            (peer->getStyleFlags() & juce::ComponentPeer::windowIsTemporary) == 0)
            windows.push_back(peer);
    }
    return windows;
}

}  // namespace

BRModalsAboveEditor::BRModalsAboveEditor(juce::Component& editorToKeep) : editor(editorToKeep)
{
    startTimer(kCheckPeriodMs);
}

BRModalsAboveEditor::~BRModalsAboveEditor() { stopTimer(); }

void BRModalsAboveEditor::timerCallback()
{
    juce::ComponentPeer* editorPeer = editor.getPeer();
    if (editorPeer == nullptr || !editor.isShowing())
        return;
    const std::vector<juce::ComponentPeer*> windows = modalWindows(*editorPeer);
    ::Display* display = juce::XWindowSystem::getInstance()->getDisplay();
    if (windows.empty() || display == nullptr)
        return;
    const juce::XWindowSystemUtilities::ScopedXLock lock;
    // The host's windows, and ours, may go between two of these requests.
    const X11ErrorTrap trap(display);
    const WindowTree tree(display);
    const std::vector<::Window> editorChain = tree.ancestry(windowOf(*editorPeer));
    if (editorChain.empty())
        return;
    const ::Window owner = tree.clientTopLevel(editorChain);
    const std::vector<::Window> stacking = tree.stacking();
    const auto height = [&stacking](::Window rootChild) {
        return std::find(stacking.begin(), stacking.end(), rootChild) - stacking.begin();
    };
    for (juce::ComponentPeer* peer : windows) {
        const ::Window window = windowOf(*peer);
        // The first editor to see a window keeps it: every editor raises it,
        // and one owner spares the window manager a restack per editor.
        if (!tree.isTransientForSomeWindow(window))
            tree.makeTransientFor(window, owner);
        const std::vector<::Window> chain = tree.ancestry(window);
        if (!chain.empty() && height(chain.back()) < height(editorChain.back()))
            tree.raise(window);
    }
}
