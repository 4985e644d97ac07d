#include "engine/file_replacement.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_snapshot.h"
#include "engine/utf8_text.h"

namespace {

// Longer chains are loops, as the kernel counts them.
constexpr int kMostLinksFollowed = 40;
// Earlier versions saved through "<stem>_temp<hex><ext>" beside the target;
// one this old is no save in progress but a leftover of a killed one.
constexpr std::int64_t kEarlierLeftoverAgeMs = 60 * 60 * 1000;
// Names held by leftovers of earlier processes with this pid that are skipped
// before giving up.
constexpr int kMostTemporaryNamesTried = 100;

// The file the symbolic link at link names; none, with error saying why, when
// it cannot be read or its name is not UTF-8 (the toolkit would take such a
// name for another).
std::optional<juce::File> linkedFile(const juce::File& link, int& error)
{
    std::string name(PATH_MAX, '\0');
    const ssize_t size = ::readlink(link.getFullPathName().toRawUTF8(), name.data(), name.size());
    if (size < 0 || static_cast<std::size_t>(size) == name.size()) {
        error = size < 0 ? errno : ENAMETOOLONG;
        return std::nullopt;
    }
    name.resize(static_cast<std::size_t>(size));
    const std::optional<juce::String> text = utf8Text(name);
    if (!text) {
        error = EILSEQ;
        return std::nullopt;
    }
    return link.getParentDirectory().getChildFile(*text);
}

// The file a chain of symbolic links ends in; none, with error saying why, for
// a loop or a link that names no file the toolkit can hold.
std::optional<juce::File> linkTarget(const juce::File& file, int& error)
{
    juce::File target = file;
    for (int hops = 0; hops < kMostLinksFollowed; ++hops) {
        if (!target.isSymbolicLink())
            return target;
        const std::optional<juce::File> next = linkedFile(target, error);
        if (!next)
            return std::nullopt;
        target = *next;
    }
    error = ELOOP;
    return std::nullopt;
}

// Temporaries are named ".<target name>-<pid>-<count>": hidden, found by their
// target's name, and telling which process writes them.
std::string temporaryPrefix(const std::string& targetName) { return "." + targetName + "-"; }

// The process that wrote a temporary of that prefix, from its name; none for other names.
std::optional<pid_t> writerOf(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const char* first = name.c_str() + prefix.size();
    const char* last = name.c_str() + name.size();
    pid_t pid = 0;
    const auto parsed = std::from_chars(first, last, pid);
    if (parsed.ec != std::errc() || parsed.ptr == last || *parsed.ptr != '-' || pid <= 0)
        return std::nullopt;
    return pid;
}

// A temporary of the earlier way of saving, named after the target's stem and extension.
bool isEarlierVersionsTemporary(const juce::String& name, const juce::File& target)
{
    const juce::String prefix = target.getFileNameWithoutExtension() + "_temp";
    const juce::String extension = target.getFileExtension();
    return name.startsWith(prefix) && name.endsWith(extension) &&
           name.length() > prefix.length() + extension.length() &&
           name.substring(prefix.length(), name.length() - extension.length()).containsOnly("0123456789abcdef");
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the temporaries of processes that ended before they renamed them.
void removeStaleTemporaries(const juce::File& target)
{
    const std::string folder = target.getParentDirectory().getFullPathName().toStdString();
    const std::string targetName = target.getFileName().toStdString();
    const std::int64_t earlierLeftoverTime = juce::Time::currentTimeMillis() - kEarlierLeftoverAgeMs;
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return;
    const std::string prefix = temporaryPrefix(targetName);
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        const std::optional<pid_t> writer = writerOf(name, prefix);
        const bool earlier = isEarlierVersionsTemporary(juce::String::fromUTF8(name.c_str()), target);
        struct stat status {};
        if ((writer || earlier) && ::fstatat(::dirfd(directory), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) &&
            (writer ? processIsGone(*writer) : static_cast<std::int64_t>(status.st_mtime) * 1000 < earlierLeftoverTime))
            ::unlinkat(::dirfd(directory), name.c_str(), 0);
    }
    ::closedir(directory);
}

// A new temporary beside the target, open for writing; -1 when none can be made.
int createTemporary(const std::string& folder, const std::string& targetName, std::string& path)
{
    static std::atomic<unsigned> count{0};
    const std::string stem = folder + "/" + temporaryPrefix(targetName) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kMostTemporaryNamesTried; ++attempt) {
        path = stem + std::to_string(count++);
        // A leftover of an earlier process with this pid may hold the name.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Writes the temporary through and gives it the target's permissions.
bool fillTemporary(int fd, const char* data, std::size_t size, const struct stat* target)
{
    if (target != nullptr && ::fchmod(fd, target->st_mode & 07777) != 0)
        return false;
    return writeAll(fd, data, size) && ::fsync(fd) == 0;
}

bool mayBeWritten(const std::string& path, const struct stat& status)
{
    // access() lets root write anything; a file nobody may write is meant to stay.
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

BRFileReplacement failure(juce::String* why, int error)
{
    if (why != nullptr)
        *why = juce::String::fromUTF8(std::strerror(error));
    return BRFileReplacement::failed;
}

}  // namespace

std::optional<juce::File> finalTarget(const juce::File& file)
{
    int error = 0;
    const std::optional<juce::File> target = linkTarget(file, error);
    if (!target)
        return std::nullopt;
    char* folder = ::realpath(target->getParentDirectory().getFullPathName().toRawUTF8(), nullptr);
    if (folder == nullptr)
        return target;
    const std::optional<juce::String> resolved = utf8Text(folder, std::strlen(folder));
    std::free(folder);
    if (!resolved)
        return std::nullopt;
    return juce::File(*resolved).getChildFile(target->getFileName());
}

BRFileReplacement replaceFileContent(const juce::File& file, const char* data, std::size_t size, juce::String* why,
                                     const BRFileSnapshot* madeFrom)
{
    int linkError = 0;
    const std::optional<juce::File> target = linkTarget(file, linkError);
    if (!target)
        return failure(why, linkError);
    const std::string targetPath = target->getFullPathName().toStdString();
    const std::string folder = target->getParentDirectory().getFullPathName().toStdString();
    const std::string targetName = target->getFileName().toStdString();

    struct stat existing {};
    const bool exists = ::stat(targetPath.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return failure(why, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) {
        if (why != nullptr)
            *why = "It is not a regular file.";
        return BRFileReplacement::failed;
    }
    if (exists && !mayBeWritten(targetPath, existing)) {
        if (why != nullptr)
            *why = juce::String::fromUTF8(std::strerror(EACCES));
        return BRFileReplacement::readOnly;
    }

    removeStaleTemporaries(*target);
    std::string temporary;
    const int fd = createTemporary(folder, targetName, temporary);
    if (fd < 0)
        return failure(why, errno);
    const bool filled = fillTemporary(fd, data, size, exists ? &existing : nullptr);
    int error = errno;
    const bool closed = ::close(fd) == 0;
    if (filled && !closed)
        error = errno;
    // Nothing but the check stands between it and the rename: a save that
    // waited (stopped, or slowed down) never renames a stale merge.
    if (filled && closed && madeFrom != nullptr && !madeFrom->isCurrent()) {
        ::unlink(temporary.c_str());
        return BRFileReplacement::changedMeanwhile;
    }
    if (filled && closed && ::rename(temporary.c_str(), targetPath.c_str()) == 0)
        return BRFileReplacement::replaced;
    if (filled && closed)
        error = errno;
    ::unlink(temporary.c_str());
    return failure(why, error);
}
