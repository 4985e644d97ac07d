#include "tests/support/x_window_query.h"

#include <X11/Xutil.h>

namespace guitest {

namespace {

int ignoreXError(Display*, XErrorEvent*) { return 0; }

Window viewableWindowNamedBelow(Display* display, Window parent, const std::string& name, int depth)
{
    for (const Window child : childWindows(display, parent)) {
        // The toolkit writes its titles as UTF-8 text, which XFetchName does not return.
        XTextProperty title{};
        const bool named = XGetWMName(display, child, &title) != 0 && title.value != nullptr &&
                           name == std::string(reinterpret_cast<const char*>(title.value), title.nitems);
        if (title.value != nullptr)
            XFree(title.value);
        if (named && windowState(display, child).viewable)
            return child;
        if (depth > 1)
            if (const Window found = viewableWindowNamedBelow(display, child, name, depth - 1); found != 0)
                return found;
    }
    return 0;
}

}  // namespace

IgnoredXErrors::IgnoredXErrors() : previous(XSetErrorHandler(ignoreXError)) {}

IgnoredXErrors::~IgnoredXErrors() { XSetErrorHandler(previous); }

std::vector<Window> childWindows(Display* display, Window window)
{
    const IgnoredXErrors ignored;
    XSync(display, False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0) {
        found.assign(children, children + count);
        if (children != nullptr)
            XFree(children);
    }
    return found;
}

WindowState windowState(Display* display, Window window)
{
    const IgnoredXErrors ignored;
    XSync(display, False);
    XWindowAttributes attributes{};
    WindowState state;
    if (XGetWindowAttributes(display, window, &attributes) != 0) {
        state.x = attributes.x;
        state.y = attributes.y;
        state.width = attributes.width;
        state.height = attributes.height;
        state.viewable = attributes.map_state == IsViewable;
    }
    return state;
}

int stackingHeight(Display* display, Window window)
{
    const IgnoredXErrors ignored;
    const Window root = DefaultRootWindow(display);
    for (;;) {
        Window rootOfWindow = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &rootOfWindow, &parent, &children, &count) == 0)
            return -1;
        if (children != nullptr)
            XFree(children);
        if (parent == root)
            break;
        window = parent;
    }
    const std::vector<Window> stacking = childWindows(display, root);
    for (std::size_t i = 0; i < stacking.size(); ++i)
        if (stacking[i] == window)
            return static_cast<int>(i);
    return -1;
}

Window viewableWindowNamed(Display* display, const std::string& name)
{
    const IgnoredXErrors ignored;
    return viewableWindowNamedBelow(display, DefaultRootWindow(display), name, 3);
}

bool holdsKeyboardFocus(Display* display, Window window)
{
    const IgnoredXErrors ignored;
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    const Window root = DefaultRootWindow(display);
    while (focus != window && focus != root && focus != None && focus != PointerRoot) {
        Window rootOfWindow = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, focus, &rootOfWindow, &focus, &children, &count) == 0)
            return false;
        if (children != nullptr)
            XFree(children);
    }
    return focus == window;
}

WindowPixels capturePixels(Display* display, Window window)
{
    const WindowState state = windowState(display, window);
    WindowPixels pixels;
    const IgnoredXErrors ignored;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(state.width),
                              static_cast<unsigned>(state.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return pixels;
    pixels.width = state.width;
    pixels.height = state.height;
    pixels.rgb.reserve(static_cast<std::size_t>(state.width) * state.height);
    // The server's default 24-bit true-colour visual: red, green, blue from the top byte down.
    for (int y = 0; y < state.height; ++y)
        for (int x = 0; x < state.width; ++x)
            pixels.rgb.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffffu);
    XDestroyImage(image);
    return pixels;
}

}  // namespace guitest
