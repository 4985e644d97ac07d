// Preloaded into the settings saver (LD_PRELOAD) to give it the file systems
// and holders a save meets in the field, chosen by $BRONDIL_LOCK_SHIM:
//   no-locks     every flock fails with ENOLCK, as on a network file system
//                without lock service;
//   stop-merged  the process stops (SIGSTOP) at its first fsync: the saver
//                holds its lock, with its merge made and not yet renamed.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool shimIs(const char* mode)
{
    const char* chosen = std::getenv("BRONDIL_LOCK_SHIM");
    return chosen != nullptr && std::strcmp(chosen, mode) == 0;
}

}  // namespace

extern "C" int flock(int fd, int operation)
{
    if (shimIs("no-locks")) {
        errno = ENOLCK;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

extern "C" int fsync(int fd)
{
    static bool stopped = false;
    if (shimIs("stop-merged") && !stopped) {
        stopped = true;
        std::raise(SIGSTOP);
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
