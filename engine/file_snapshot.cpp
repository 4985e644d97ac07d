#include "engine/file_snapshot.h"

#include <cerrno>
#include <cstdint>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/regular_file.h"

namespace {

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Up to limit bytes from offset 0 of fd.
std::string readFrom(int fd, std::size_t limit)
{
    std::string text(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::pread(fd, text.data() + got, limit - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return text;
}

}  // namespace

BRFileSnapshot::BRFileSnapshot(const juce::File& file, std::size_t largestBytes)
    : path(file.getFullPathName().toStdString())
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        readState = errno == ENOENT ? State::missing : State::refused;
        return;
    }
    std::int64_t size = 0;
    descriptor = openRegularFileForReading(path, size);
    if (descriptor < 0 || size > static_cast<std::int64_t>(largestBytes))
        return;
    if (::fstat(descriptor, &status) != 0)
        return;
    device = status.st_dev;
    inode = status.st_ino;
    modified = status.st_mtim;
    // One byte past the size: a file that grew since is read cut, and its
    // reader refuses it.
    text = readFrom(descriptor, static_cast<std::size_t>(size) + 1);
    readState = State::read;
}

BRFileSnapshot::~BRFileSnapshot()
{
    if (descriptor >= 0)
        ::close(descriptor);
}

bool BRFileSnapshot::isCurrent() const
{
    struct stat status {};
    if (readState == State::missing)
        return ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
    return readState == State::read && namesFileRead(path, true);
}

bool BRFileSnapshot::isUnchangedAt(const std::string& otherPath) const
{
    return readState == State::read && namesFileRead(otherPath, false);
}

bool BRFileSnapshot::namesFileRead(const std::string& at, bool followingLinks) const
{
    // The content first, the name last: the caller renames right after.
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !sameTime(status.st_mtim, modified) ||
        static_cast<std::size_t>(status.st_size) != text.size() || readFrom(descriptor, text.size() + 1) != text)
        return false;
    const int statted = followingLinks ? ::stat(at.c_str(), &status) : ::lstat(at.c_str(), &status);
    return statted == 0 && status.st_dev == device && status.st_ino == inode;
}
