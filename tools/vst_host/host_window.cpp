#include "tools/vst_host/host_window.h"

#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr unsigned long kBackgroundGrey = 0x404040;
// A server whose last client has just left resets, and drops the connections
// that arrive meanwhile; a loaded machine can keep it at that for a while.
constexpr auto kServerResetsWithin = std::chrono::seconds(2);
constexpr auto kBetweenTries = std::chrono::milliseconds(20);

Display* connectToServer()
{
    const char* name = std::getenv("DISPLAY");
    const bool serverNamed = name != nullptr && name[0] != '\0';
    const auto giveUp = std::chrono::steady_clock::now() + kServerResetsWithin;
    Display* connection = XOpenDisplay(nullptr);
    while (connection == nullptr && serverNamed && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(kBetweenTries);
        connection = XOpenDisplay(nullptr);
    }
    return connection;
}

}  // namespace

std::unique_ptr<HostWindow> HostWindow::create(int width, int height, const std::string& title, std::string& error)
{
    Display* connection = connectToServer();
    if (connection == nullptr) {
        error = "no X display to show the editor on (is DISPLAY set?)";
        return nullptr;
    }
    const int screen = DefaultScreen(connection);
    const Window window = XCreateSimpleWindow(connection, RootWindow(connection, screen), 0, 0,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                              BlackPixel(connection, screen), kBackgroundGrey);
    XStoreName(connection, window, title.c_str());
    Atom deleteWindow = XInternAtom(connection, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(connection, window, &deleteWindow, 1);
    XSelectInput(connection, window, StructureNotifyMask);
    XMapWindow(connection, window);
    // The editor is put into a window that is on the screen already, as hosts do.
    XEvent event;
    do
        XWindowEvent(connection, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    return std::unique_ptr<HostWindow>(new HostWindow(connection, window, deleteWindow));
}

HostWindow::HostWindow(Display* connection, Window window, Atom deleteWindow)
    : connection(connection), window(window), deleteWindow(deleteWindow)
{
}

HostWindow::~HostWindow()
{
    XDestroyWindow(connection, window);
    XCloseDisplay(connection);
}

void HostWindow::resize(int width, int height)
{
    XResizeWindow(connection, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(connection);
}

bool HostWindow::handleEvents()
{
    while (XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
            closeAsked = true;
    }
    return !closeAsked;
}
