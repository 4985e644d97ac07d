#include "host/window_manager_atoms.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <iterator>
#include <thread>

// The toolkit's X connection (its Xlib comes from a library loaded at run
// time, so the plug-in file does not link Xlib itself).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

namespace {

// A server whose last client has just left resets, and drops a connection
// that arrives meanwhile; one a moment later gets through.
constexpr int kConnectionTries = 3;
constexpr auto kBetweenTries = std::chrono::milliseconds(20);

// The atoms the toolkit asks for without creating them, and uses without checking.
const char* const kLookedUpAtoms[] = {
    "WM_PROTOCOLS",    "WM_TAKE_FOCUS",       "WM_DELETE_WINDOW", "_NET_WM_PING",         "WM_STATE",
    "WM_CHANGE_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",    "_NET_WM_STATE_HIDDEN",
};

// The Xlib calls needed before the toolkit loads its own table of them.
struct AtomCalls {
    using OpenDisplay = ::Display* (*)(const char*);
    using InternAtoms = Status (*)(::Display*, char**, int, Bool, Atom*);
    using CloseDisplay = int (*)(::Display*);
    void* library = nullptr;
    OpenDisplay openDisplay = nullptr;
    InternAtoms internAtoms = nullptr;
    CloseDisplay closeDisplay = nullptr;

    AtomCalls()
    {
        library = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (library == nullptr)
            return;
        openDisplay = reinterpret_cast<OpenDisplay>(::dlsym(library, "XOpenDisplay"));
        internAtoms = reinterpret_cast<InternAtoms>(::dlsym(library, "XInternAtoms"));
        closeDisplay = reinterpret_cast<CloseDisplay>(::dlsym(library, "XCloseDisplay"));
    }
    ~AtomCalls()
    {
        if (library != nullptr)
            ::dlclose(library);
    }
    AtomCalls(const AtomCalls&) = delete;
    AtomCalls& operator=(const AtomCalls&) = delete;

    bool loaded() const { return openDisplay != nullptr && internAtoms != nullptr && closeDisplay != nullptr; }
};

}  // namespace

void connectToolkitWithWindowManagerAtoms()
{
    if (juce::XWindowSystem::getInstanceWithoutCreating() != nullptr)
        return;
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return;
    const AtomCalls x;
    ::Display* connection = nullptr;
    for (int tries = 0; x.loaded() && connection == nullptr && tries < kConnectionTries; ++tries) {
        if (tries > 0)
            std::this_thread::sleep_for(kBetweenTries);
        connection = x.openDisplay(name);
    }
    if (connection != nullptr) {
        constexpr int count = static_cast<int>(std::size(kLookedUpAtoms));
        Atom atoms[count];
        // A round trip: the atoms exist once it returns.
        x.internAtoms(connection, const_cast<char**>(kLookedUpAtoms), count, False, atoms);
    }
    // A server whose last client leaves forgets its atoms: this connection
    // stays open until the toolkit's own is.
    juce::XWindowSystem::getInstance();
    if (connection != nullptr)
        x.closeDisplay(connection);
}
