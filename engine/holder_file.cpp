#include "engine/holder_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/host_name.h"
#include "engine/number_text.h"
#include "engine/utf8_text.h"

namespace {

constexpr std::chrono::milliseconds kPoll{2};
// A holder whose process cannot be asked (another host's, or one that died
// before it wrote its name) is taken over once it is this old: a save takes
// milliseconds.
constexpr std::int64_t kAbandonedSeconds = 60;

using Clock = std::chrono::steady_clock;

juce::String nameOf(const std::string& path) { return juce::File(juce::String::fromUTF8(path.c_str())).getFileName(); }

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool sameHolder(const struct stat& a, const struct stat& b)
{
    return sameFile(a, b) && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Makes path exclusively, naming this process ("<host> <pid>"); -1 with errno
// set when it cannot.
int createNamed(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return -1;
    // Readable by every user whatever the umask: other users' saves judge it by its name.
    ::fchmod(fd, 0644);
    const std::string name = thisHostName() + " " + std::to_string(::getpid()) + "\n";
    const ssize_t written = ::write(fd, name.data(), name.size());
    if (written == static_cast<ssize_t>(name.size()))
        return fd;
    const int error = written < 0 ? errno : ENOSPC;
    ::unlink(path.c_str());
    ::close(fd);
    errno = error;
    return -1;
}

// What stands at a holder's name, held open so that its inode is not reused
// while it is judged; one this user may not read is judged by its age alone.
// error: errno of the failed open or stat, 0 when there is something.
struct Occupant {
    explicit Occupant(const std::string& path)
        : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK))
    {
        const bool found = fd >= 0 ? ::fstat(fd, &status) == 0 : errno == EACCES && ::lstat(path.c_str(), &status) == 0;
        error = found ? 0 : errno;
    }
    ~Occupant()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Occupant(const Occupant&) = delete;
    Occupant& operator=(const Occupant&) = delete;

    bool isHolder() const { return error == 0 && S_ISREG(status.st_mode); }

    // True when it belongs to no running process: its process, on this host,
    // is gone, or it has been there too long to be one's.
    bool isAbandoned() const
    {
        char text[320] = {};
        const ssize_t got = fd >= 0 ? ::pread(fd, text, sizeof text - 1, 0) : 0;
        const std::string name(text, got > 0 ? static_cast<std::size_t>(got) : 0);
        const std::string host = thisHostName() + " ";
        if (!name.empty() && name.compare(0, host.size(), host) == 0 && name.back() == '\n') {
            const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + host.size()));
            if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
                return true;
        }
        return static_cast<std::int64_t>(std::time(nullptr)) - status.st_mtim.tv_sec > kAbandonedSeconds;
    }

    int fd;
    int error = 0;
    struct stat status {};
};

// Why something of the holder's name can never be taken.
juce::String whyNoHolder(const std::string& path, const Occupant& occupant)
{
    if (occupant.error != 0 && occupant.error != ELOOP)
        return nameOf(path) + ": " + systemErrorText(occupant.error);
    return nameOf(path) + " is not a regular file";
}

// Removes the holder judged abandoned from path, unless another has taken its
// place since. Takeovers wait for each other under "<path>.takeover", whose
// own abandoned holder goes the same way; the second of two finds a living
// holder where the dead one was. Why the holder cannot be taken over; empty
// when the caller may look again.
juce::String takeOver(const std::string& path, const struct stat& judged)
{
    const std::string guardPath = path + ".takeover";
    const int guard = createNamed(guardPath);
    if (guard < 0) {
        if (errno != EEXIST)
            return nameOf(guardPath) + ": " + systemErrorText(errno);
        const Occupant other(guardPath);
        if (other.error == ENOENT)
            return {};
        if (!other.isHolder())
            return whyNoHolder(guardPath, other);
        if (!other.isAbandoned()) {
            std::this_thread::sleep_for(kPoll);
            return {};
        }
        if (::unlink(guardPath.c_str()) == 0 || errno == ENOENT)
            return {};
        return nameOf(guardPath) + ": " + systemErrorText(errno);
    }
    struct stat current {};
    juce::String why;
    if (::lstat(path.c_str(), &current) == 0 && sameFile(current, judged) && ::unlink(path.c_str()) != 0 &&
        errno != ENOENT)
        why = nameOf(path) + ": " + systemErrorText(errno);
    ::unlink(guardPath.c_str());
    ::close(guard);
    return why;
}

}  // namespace

BRHolderFile::BRHolderFile(const std::string& holderPath, std::chrono::milliseconds longestWait) : path(holderPath)
{
    Clock::time_point deadline = Clock::now() + longestWait;
    struct stat lastHolder {};
    for (;;) {
        descriptor = createNamed(path);
        if (descriptor >= 0)
            return;
        if (errno != EEXIST) {
            why = nameOf(path) + ": " + systemErrorText(errno);
            return;
        }
        const Occupant holder(path);
        if (holder.error == ENOENT)
            continue;  // let go meanwhile
        if (!holder.isHolder()) {
            why = whyNoHolder(path, holder);
            return;
        }
        // The wait is for one holder: processes queued behind quick ones go on waiting.
        if (!sameHolder(holder.status, lastHolder)) {
            lastHolder = holder.status;
            deadline = Clock::now() + longestWait;
        }
        const bool abandoned = holder.isAbandoned();
        if (Clock::now() >= deadline) {
            why = (abandoned ? "another process has been taking over " : "another process has held ") + nameOf(path) +
                  " for more than " + formatFixed(std::chrono::duration<double>(longestWait).count(), 1) + " s";
            return;
        }
        if (abandoned) {
            why = takeOver(path, holder.status);
            if (why.isNotEmpty())
                return;
            continue;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

BRHolderFile::~BRHolderFile()
{
    if (descriptor < 0)
        return;
    // Only while it is still this process's own: one taken over stays its taker's.
    struct stat own {};
    struct stat named {};
    if (::fstat(descriptor, &own) == 0 && ::lstat(path.c_str(), &named) == 0 && sameFile(own, named))
        ::unlink(path.c_str());
    ::close(descriptor);
}
