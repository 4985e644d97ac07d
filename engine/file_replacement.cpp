#include "engine/file_replacement.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <charconv>
#include <cstdio>
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
#include "engine/host_name.h"
#include "engine/utf8_text.h"

namespace {

// Longer chains are loops, as the kernel counts them.
constexpr int kMostLinksFollowed = 40;
// Earlier versions saved through "<stem>_temp<hex><ext>", then through
// temporaries that named no host, beside the target; one this old is no save
// in progress but a leftover of a killed one, whichever host wrote it.
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

// Temporaries are named ".<target name>-<host>-<pid>-<count>": hidden, found
// by their target's name, and telling which process of which host writes
// them, so that a folder shared between hosts keeps each host's own.
std::string temporaryPrefix(const std::string& targetName) { return "." + targetName + "-"; }

// This host's name as temporaries carry it: a file name's characters only.
std::string hostInNames()
{
    std::string host = thisHostName();
    for (char& c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    return host;
}

// Who wrote a temporary: the host is empty in the earlier names, which had none.
struct TemporaryWriter {
    std::string host;
    pid_t pid;
};

// The writer of a temporary of that prefix, from its name; none for other names.
std::optional<TemporaryWriter> writerOf(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string rest = name.substr(prefix.size());
    const std::size_t countAt = rest.rfind('-');
    if (countAt == std::string::npos || countAt == 0 || countAt + 1 == rest.size() ||
        rest.find_first_not_of("0123456789", countAt + 1) != std::string::npos)
        return std::nullopt;
    const std::size_t hostEnd = rest.rfind('-', countAt - 1);
    const std::size_t pidAt = hostEnd == std::string::npos ? 0 : hostEnd + 1;
    pid_t pid = 0;
    const auto parsed = std::from_chars(rest.data() + pidAt, rest.data() + countAt, pid);
    if (parsed.ec != std::errc() || parsed.ptr != rest.data() + countAt || pid <= 0)
        return std::nullopt;
    return TemporaryWriter{hostEnd == std::string::npos ? std::string() : rest.substr(0, hostEnd), pid};
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

// Removes the temporaries of this host's processes that ended before they
// renamed them, and the earlier versions' leftovers.
void removeStaleTemporaries(const juce::File& target)
{
    const std::string folder = target.getParentDirectory().getFullPathName().toStdString();
    const std::string targetName = target.getFileName().toStdString();
    const std::int64_t earlierLeftoverTime = juce::Time::currentTimeMillis() - kEarlierLeftoverAgeMs;
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return;
    const std::string prefix = temporaryPrefix(targetName);
    const std::string host = hostInNames();
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        const std::optional<TemporaryWriter> writer = writerOf(name, prefix);
        const bool ours = writer && writer->host == host;
        const std::optional<juce::String> text = utf8Text(name);
        const bool earlier = (writer && writer->host.empty()) || (text && isEarlierVersionsTemporary(*text, target));
        struct stat status {};
        if ((ours || earlier) && ::fstatat(::dirfd(directory), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) &&
            (ours ? processIsGone(writer->pid)
                  : static_cast<std::int64_t>(status.st_mtime) * 1000 < earlierLeftoverTime))
            ::unlinkat(::dirfd(directory), name.c_str(), 0);
    }
    ::closedir(directory);
}

// A new temporary beside the target, open for writing; -1 when none can be made.
int createTemporary(const std::string& folder, const std::string& targetName, std::string& path)
{
    static std::atomic<unsigned> count{0};
    const std::string stem = folder + "/" + temporaryPrefix(targetName) + hostInNames() + "-" +
                             std::to_string(::getpid()) + "-";
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
        *why = systemErrorText(error);
    return BRFileReplacement::failed;
}

// The file systems that cannot exchange or keep a name in a rename (NFS) say so thus.
bool renameFlagsUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

// Renames the written temporary over target while target is still the file
// madeFrom read. Where the file system can, the rename itself tells: a new
// file is put in place only where none is, and an existing one is exchanged
// with the temporary, which then holds what it replaced; when that is not the
// file read (a save came in after the check: this process stopped between
// the two, say), the two are exchanged back and the caller merges again.
// Elsewhere only the check guards the rename.
BRFileReplacement replaceIfStill(const std::string& temporary, const std::string& target,
                                 const BRFileSnapshot& madeFrom, juce::String* why)
{
    const auto changedMeanwhile = [&temporary] {
        ::unlink(temporary.c_str());
        return BRFileReplacement::changedMeanwhile;
    };
    if (!madeFrom.isCurrent())
        return changedMeanwhile();
    const bool wasMissing = madeFrom.state() == BRFileSnapshot::State::missing;
    const unsigned flags = wasMissing ? RENAME_NOREPLACE : RENAME_EXCHANGE;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), flags) == 0) {
        if (wasMissing)
            return BRFileReplacement::replaced;
        if (madeFrom.isUnchangedAt(temporary)) {
            ::unlink(temporary.c_str());
            return BRFileReplacement::replaced;
        }
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0)
            ::rename(temporary.c_str(), target.c_str());
        return changedMeanwhile();
    }
    if (errno == EEXIST || errno == ENOENT)
        return changedMeanwhile();
    if (renameFlagsUnsupported(errno) && ::rename(temporary.c_str(), target.c_str()) == 0)
        return BRFileReplacement::replacedByPlainRename;
    const int error = errno;
    ::unlink(temporary.c_str());
    return failure(why, error);
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
            *why = systemErrorText(EACCES);
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
    if (filled && closed && madeFrom != nullptr)
        return replaceIfStill(temporary, targetPath, *madeFrom, why);
    if (filled && closed && ::rename(temporary.c_str(), targetPath.c_str()) == 0)
        return BRFileReplacement::replaced;
    if (filled && closed)
        error = errno;
    ::unlink(temporary.c_str());
    return failure(why, error);
}
