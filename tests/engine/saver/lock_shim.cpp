// Preloaded into the settings saver (LD_PRELOAD) to give it the file systems
// and holders a save meets in the field, chosen by $BRONDIL_LOCK_SHIM, a list
// of these separated by commas:
//   no-locks     every flock fails with ENOLCK, as on a network file system
//                without lock service;
//   stop-merged  the process stops (SIGSTOP) at its first fsync: the saver
//                holds its lock, with its merge made and not yet renamed;
//   stop-checked the process stops at its first renameat2: the saver holds
//                its lock and has found the file still the one it merged
//                from, just before it renames its merge over it;
//   no-exchange  renameat2 with flags fails with EINVAL, as on a file system
//                that cannot exchange or keep names (NFS).
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool shimIs(const char* mode)
{
    const std::size_t length = std::strlen(mode);
    for (const char* at = std::getenv("BRONDIL_LOCK_SHIM"); at != nullptr; at = std::strchr(at, ',')) {
        at += *at == ',' ? 1 : 0;
        if (std::strncmp(at, mode, length) == 0 && (at[length] == ',' || at[length] == '\0'))
            return true;
    }
    return false;
}

// Stops the process the first time it passes here in mode.
void stopOnceIn(const char* mode)
{
    static bool stopped = false;
    if (shimIs(mode) && !stopped) {
        stopped = true;
        std::raise(SIGSTOP);
    }
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
    stopOnceIn("stop-merged");
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags)
{
    stopOnceIn("stop-checked");
    if (flags != 0 && shimIs("no-exchange")) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
}
