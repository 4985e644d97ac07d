#include "tests/support/x_display.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace guitest {

namespace {

constexpr int kServerStartMilliseconds = 10000;
constexpr int kWindowManagerPollMilliseconds = 10;
constexpr int kMapRetryMilliseconds = 200;

// Reads the display number Xvfb writes to its -displayfd, or -1.
int readDisplayNumber(int fd)
{
    std::string text;
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, kServerStartMilliseconds) <= 0)
            return -1;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            return -1;
        if (c == '\n')
            return text.empty() ? -1 : std::atoi(text.c_str());
        text += c;
    }
}

// Starts a program; a quiet one writes nothing to the test's output.
pid_t spawn(const std::vector<std::string>& arguments, bool quiet)
{
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // A test that dies leaves no server or scripted user behind to hold its output open.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        if (quiet) {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

bool isChildOfRoot(Display* connection, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count) != 0) {
        found = std::find(children, children + count, window) != children + count;
        if (children != nullptr)
            XFree(children);
    }
    return found;
}

// True once the window manager takes in the windows that are mapped: it puts
// them into frames of its own. While it starts up it drops map requests.
bool windowManagerManagesWindows(Display* connection)
{
    const Window probe = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(connection, probe, StructureNotifyMask);
    Window frame = 0;
    for (int waited = 0; frame == 0 && waited < kServerStartMilliseconds; waited += kWindowManagerPollMilliseconds) {
        if (waited % kMapRetryMilliseconds == 0)
            XMapWindow(connection, probe);
        XSync(connection, False);
        XEvent event;
        if (XCheckTypedWindowEvent(connection, probe, ReparentNotify, &event))
            frame = event.xreparent.parent;
        else
            usleep(kWindowManagerPollMilliseconds * 1000);
    }
    XDestroyWindow(connection, probe);
    // Programs that walk the window tree (xdotool) fail on a frame that goes while they look.
    for (int waited = 0; frame != 0 && isChildOfRoot(connection, frame) && waited < kServerStartMilliseconds;
         waited += kWindowManagerPollMilliseconds)
        usleep(kWindowManagerPollMilliseconds * 1000);
    return frame != 0;
}

}  // namespace

bool programIsInstalled(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

PrivateXServer::PrivateXServer(bool withWindowManager)
{
    if (!programIsInstalled("Xvfb")) {
        problem = "Xvfb is not installed";
        return;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        problem = "no pipe for Xvfb";
        return;
    }
    server = spawn(
        {
            "Xvfb",
            "-displayfd",
            std::to_string(pipeFds[1]),
            "-screen",
            "0",
            "1024x768x24",
            "-nolisten",
            "tcp",
        },
        true);
    close(pipeFds[1]);
    const int display = readDisplayNumber(pipeFds[0]);
    close(pipeFds[0]);
    if (display < 0) {
        problem = "Xvfb did not start";
        return;
    }
    const std::string name = ":" + std::to_string(display);
    setenv("DISPLAY", name.c_str(), 1);

    if (!withWindowManager)
        return;
    // Windows made before the manager runs would be placed and focused by no one.
    if (!programIsInstalled("openbox")) {
        problem = "openbox is not installed";
        return;
    }
    Display* connection = XOpenDisplay(name.c_str());
    if (connection == nullptr) {
        problem = "cannot connect to Xvfb";
        return;
    }
    windowManager = spawn({"openbox", "--sm-disable"}, true);
    if (!windowManagerManagesWindows(connection))
        problem = "openbox did not start";
    XCloseDisplay(connection);
}

PrivateXServer::~PrivateXServer()
{
    if (windowManager > 0) {
        kill(windowManager, SIGTERM);
        waitpid(windowManager, nullptr, 0);
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
}

bool windowIsMapped(unsigned long windowId)
{
    // A connection of our own: the toolkit's is private to it.
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return false;
    XWindowAttributes attributes{};
    const bool mapped = XGetWindowAttributes(connection, windowId, &attributes) != 0 &&
                        attributes.map_state == IsViewable;
    XCloseDisplay(connection);
    return mapped;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) : child(spawn(arguments, false)) {}

ChildProcess::~ChildProcess()
{
    if (child > 0) {
        kill(child, SIGTERM);
        wait();
    }
}

int ChildProcess::wait()
{
    if (child > 0) {
        int raw = 0;
        if (waitpid(child, &raw, 0) == child && WIFEXITED(raw))
            status = WEXITSTATUS(raw);
        child = -1;
    }
    return status;
}

bool ChildProcess::running()
{
    if (child <= 0)
        return false;
    int raw = 0;
    const pid_t ended = waitpid(child, &raw, WNOHANG);
    if (ended == 0)
        return true;
    if (ended == child && WIFEXITED(raw))
        status = WEXITSTATUS(raw);
    child = -1;
    return false;
}

std::vector<std::string> typeIntoWindow(const std::string& title, const std::vector<std::string>& keys, int delayMs)
{
    std::vector<std::string> command{"sh", "-c",
                                     "xdotool search --sync --onlyvisible --name \"$0\" windowfocus --sync && "
                                     "xdotool key --delay " +
                                         std::to_string(delayMs) + " \"$@\"",
                                     title};
    command.insert(command.end(), keys.begin(), keys.end());
    return command;
}

std::vector<std::string> answerEachNewWindow(const std::string& title, const std::vector<std::string>& answers)
{
    // Each window the toolkit makes has an id of its own: a later one is a new
    // question. Keys wait until it has the keyboard; a question that never
    // comes ends the script rather than leaving it to wait.
    std::vector<std::string> command{
        "sh", "-c",
        "title=$0; shown=; for keys in \"$@\"; do tries=0; "
        "until window=$(xdotool search --onlyvisible --name \"^$title\\$\" | tail -n 1) && "
        "[ -n \"$window\" ] && [ \"$window\" != \"$shown\" ] && "
        "[ \"$(xdotool getwindowfocus 2>/dev/null)\" = \"$window\" ]; do "
        "tries=$((tries + 1)); [ $tries -lt 1500 ] || exit 2; sleep 0.02; done; "
        "xdotool key --delay 20 $keys || exit 1; shown=$window; done",
        title};
    command.insert(command.end(), answers.begin(), answers.end());
    return command;
}

}  // namespace guitest
