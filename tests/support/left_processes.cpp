#include "tests/support/left_processes.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// The children of every thread of this process, ended or not.
std::vector<pid_t> children()
{
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
        std::ifstream list(task.path() / "children");
        for (pid_t child = 0; list >> child;)
            found.push_back(child);
    }
    return found;
}

}  // namespace

LeftProcesses::LeftProcesses() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

LeftProcesses::~LeftProcesses()
{
    // Each child ended may leave children of its own, which come here.
    for (std::vector<pid_t> left = children(); !left.empty(); left = children()) {
        for (const pid_t child : left)
            kill(child, SIGKILL);
        for (const pid_t child : left)
            waitpid(child, nullptr, 0);
    }
}
