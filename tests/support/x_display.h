#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace guitest {

// True when program is an executable file in a folder of $PATH.
bool programIsInstalled(const char* program);

// A private Xvfb for one test, with DISPLAY pointing at it; with a window
// manager, openbox manages its windows as a desktop's would. Without one the
// server is as bare as a fresh kiosk or CI display: no client has created any
// window-manager atom on it.
class PrivateXServer {
public:
    explicit PrivateXServer(bool withWindowManager = false);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // Empty when the server runs; else why it does not.
    const std::string& failure() const { return problem; }

private:
    pid_t server = -1;
    pid_t windowManager = -1;
    std::string problem;
};

// True when the X window of that id is mapped and viewable on $DISPLAY.
bool windowIsMapped(unsigned long windowId);

// The command line of a user who brings the window titled `title` to the
// keyboard and presses keys (xdotool key names, `delayMs` apart) on the real
// keyboard, through XTEST: they reach whatever holds the X focus then, as a
// hand's do. (Keys that xdotool sends to a named window are synthetic events
// to that window alone, whatever has the focus.)
std::vector<std::string> typeIntoWindow(const std::string& title, const std::vector<std::string>& keys,
                                        int delayMs = 12);

// The command line of a user who answers each new window titled `title` in
// turn: once it shows, after a person's reaction time, the keys of the next
// answer (xdotool key names) go to the real keyboard through XTEST, to whatever
// holds the X focus then. Nothing brings the window to the keyboard.
std::vector<std::string> answerEachNewWindow(const std::string& title, const std::vector<std::string>& answers);

// A program started with arguments; waited for by wait() or the destructor.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status, or -1 when it did not exit normally.
    int wait();
    // True until the program has ended; never waits.
    bool running();

private:
    pid_t child = -1;
    int status = -1;
};

}  // namespace guitest
