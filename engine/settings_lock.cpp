#include "engine/settings_lock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_replacement.h"
#include "engine/busy_wait.h"
#include "engine/utf8_text.h"

namespace {

// The lock file open for flock: for writing where it may be made, else for
// reading (another user's file, a folder of that name); -1 with errno set for
// anything else.
int openLockFile(const std::string& path)
{
    // Non-blocking and without following links: a FIFO or a planted link of
    // that name neither hangs the host nor has a file elsewhere created.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS && errno != EISDIR))
        return fd;
    const int error = errno;
    const int readOnly = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat status {};
    if (readOnly >= 0 && ::fstat(readOnly, &status) == 0 && (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)))
        return readOnly;
    if (readOnly >= 0)
        ::close(readOnly);
    errno = error;
    return -1;
}

}  // namespace

BRSettingsFileLock::BRSettingsFileLock(const juce::File& settingsFile, std::chrono::milliseconds longestWait)
{
    const juce::File target = finalTarget(settingsFile).value_or(settingsFile);
    const std::string path = target.getFullPathName().toStdString();
    lock(path + ".lock", longestWait);
    if (descriptor >= 0)
        return;
    holder.emplace(path + ".saving", longestWait);
    // Taken by holders too: saves that gave up on the holder file wait for them.
    machine.emplace(path, kLongestWait);
    if (!holder->held())
        why += "; " + holder->whyNotHeld();
    if (!machine->held())
        why += "; this machine's lock: " + machine->whyNotHeld();
}

BRSettingsFileLock::Reach BRSettingsFileLock::reach() const
{
    if (descriptor >= 0 || (holder->held() && machine->held()))
        return Reach::everyProcess;
    return machine->held() ? Reach::thisMachine : Reach::none;
}

void BRSettingsFileLock::lock(const std::string& path, std::chrono::milliseconds longestWait)
{
    const int fd = openLockFile(path);
    if (fd < 0) {
        why = systemErrorText(errno);
        return;
    }
    // EINTR: a signal came while the lock was tried; try again.
    const BRTakeOutcome outcome = takeWhenFree([fd] { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; },
                                               [](int error) { return error == EWOULDBLOCK || error == EINTR; },
                                               longestWait, "another process has held its lock", why);
    if (outcome == BRTakeOutcome::taken) {
        descriptor = fd;
        return;
    }
    flockHolderOutwaited = outcome == BRTakeOutcome::heldTooLong;
    ::close(fd);
}

BRSettingsFileLock::~BRSettingsFileLock()
{
    // Closing the last descriptor releases the flock.
    if (descriptor >= 0)
        ::close(descriptor);
}
