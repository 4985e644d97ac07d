#include "tests/support/x_display.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace guitest {

namespace {

constexpr int kServerStartMilliseconds = 10000;

const char* const kWindowManagerAtoms[] = {
    "WM_PROTOCOLS",    "WM_DELETE_WINDOW",    "WM_TAKE_FOCUS", "_NET_WM_PING",         "WM_STATE",
    "WM_CHANGE_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN",
};

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

PrivateXServer::PrivateXServer()
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
    server = spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                    "-noreset"},
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

    // -noreset keeps the atoms after this connection closes.
    Display* connection = XOpenDisplay(name.c_str());
    if (connection == nullptr) {
        problem = "cannot connect to Xvfb";
        return;
    }
    for (const char* atom : kWindowManagerAtoms)
        XInternAtom(connection, atom, False);
    XSync(connection, False);
    XCloseDisplay(connection);
}

PrivateXServer::~PrivateXServer()
{
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

void wakeWindowOwner(unsigned long windowId)
{
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = windowId;
    event.xclient.message_type = XInternAtom(connection, "BRONDIL_TEST_WAKE", False);
    event.xclient.format = 32;
    XSendEvent(connection, windowId, False, NoEventMask, &event);
    XCloseDisplay(connection);
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

}  // namespace guitest
