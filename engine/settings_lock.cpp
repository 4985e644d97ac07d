#include "engine/settings_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_replacement.h"

namespace {

constexpr std::chrono::milliseconds kPoll{2};
// A holder file whose process cannot be asked (another host's, or one that
// died before it wrote its name) is taken over once it is this old: a save
// takes milliseconds.
constexpr std::int64_t kAbandonedHolderSeconds = 60;

using Clock = std::chrono::steady_clock;

juce::String systemReason(int error) { return juce::String::fromUTF8(std::strerror(error)); }

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

std::string hostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

// "<host> <pid>" of this process, as a holder file names it.
std::string holderName() { return hostName() + " " + std::to_string(::getpid()) + "\n"; }

// True when the holder file at path belongs to no running save: its process,
// on this host, is gone, or it has been there too long to be one.
bool isAbandoned(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    char text[320] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    ::close(fd);
    const std::string name(text, got > 0 ? static_cast<std::size_t>(got) : 0);
    const std::string host = hostName() + " ";
    if (!name.empty() && name.compare(0, host.size(), host) == 0 && name.back() == '\n') {
        const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + host.size()));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            return true;
    }
    return statted && static_cast<std::int64_t>(std::time(nullptr)) - status.st_mtim.tv_sec > kAbandonedHolderSeconds;
}

}  // namespace

BRSettingsFileLock::BRSettingsFileLock(const juce::File& settingsFile, std::chrono::milliseconds longestFlockWait)
{
    const juce::File target = finalTarget(settingsFile).value_or(settingsFile);
    const std::string path = target.getFullPathName().toStdString();
    lock(path + ".lock", longestFlockWait);
    if (descriptor < 0)
        takeHolderFile(path + ".saving");
}

void BRSettingsFileLock::lock(const std::string& path, std::chrono::milliseconds longestWait)
{
    const int fd = openLockFile(path);
    if (fd < 0) {
        why = systemReason(errno);
        return;
    }
    const Clock::time_point deadline = Clock::now() + longestWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            descriptor = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            why = systemReason(errno);
            break;
        }
        if (Clock::now() >= deadline) {
            why = "another process has held its lock for more than " +
                  juce::String(std::chrono::duration<double>(longestWait).count(), 1) + " s";
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    ::close(fd);
}

void BRSettingsFileLock::takeHolderFile(const std::string& path)
{
    const std::string name = holderName();
    Clock::time_point deadline = Clock::now() + kLongestWait;
    struct stat lastHolder {};
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            if (::write(fd, name.data(), name.size()) == static_cast<ssize_t>(name.size())) {
                holderDescriptor = fd;
                holderPath = path;
                return;
            }
            ::close(fd);
            ::unlink(path.c_str());
            return;
        }
        if (errno != EEXIST)
            return;
        // The wait is for one holder: saves queued behind quick ones go on waiting.
        struct stat holder {};
        if (::stat(path.c_str(), &holder) == 0 &&
            (holder.st_dev != lastHolder.st_dev || holder.st_ino != lastHolder.st_ino ||
             holder.st_mtim.tv_sec != lastHolder.st_mtim.tv_sec ||
             holder.st_mtim.tv_nsec != lastHolder.st_mtim.tv_nsec)) {
            lastHolder = holder;
            deadline = Clock::now() + kLongestWait;
        }
        if (Clock::now() >= deadline)
            return;
        if (isAbandoned(path))
            ::unlink(path.c_str());
        else
            std::this_thread::sleep_for(kPoll);
    }
}

BRSettingsFileLock::~BRSettingsFileLock()
{
    // Closing the last descriptor releases the flock.
    if (descriptor >= 0)
        ::close(descriptor);
    if (holderDescriptor < 0)
        return;
    // Only while it is still this process's own: one taken over stays its taker's.
    struct stat own {};
    struct stat named {};
    if (::fstat(holderDescriptor, &own) == 0 && ::stat(holderPath.c_str(), &named) == 0 && own.st_dev == named.st_dev &&
        own.st_ino == named.st_ino)
        ::unlink(holderPath.c_str());
    ::close(holderDescriptor);
}
