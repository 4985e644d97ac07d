#include "engine/settings_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 2;

}  // namespace

BRSettingsFileLock::BRSettingsFileLock(const juce::File& settingsFile)
{
    const std::string path = settingsFile.getFullPathName().toStdString() + ".lock";
    // Non-blocking and without following links: a FIFO or a planted link of
    // that name neither hangs the host nor has a file elsewhere created.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0)
        return;
    const std::int64_t deadline = juce::Time::currentTimeMillis() + kLongestWaitMs;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            descriptor = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || juce::Time::currentTimeMillis() >= deadline)
            break;
        ::usleep(kPollMs * 1000);
    }
    ::close(fd);
}

BRSettingsFileLock::~BRSettingsFileLock()
{
    // Closing the last descriptor releases the lock.
    if (descriptor >= 0)
        ::close(descriptor);
}
