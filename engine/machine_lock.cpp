#include "engine/machine_lock.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "engine/busy_wait.h"
#include "engine/utf8_text.h"

namespace {

// FNV-1a: the same name in every process and every build, for keys of any length.
std::uint64_t hashOf(const std::string& key)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

}  // namespace

BRMachineLock::BRMachineLock(const std::string& key, std::chrono::milliseconds longestWait)
{
    char name[40];
    const int length = std::snprintf(name, sizeof name, "brondil-lock-%016llx",
                                     static_cast<unsigned long long>(hashOf(key)));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    std::memcpy(address.sun_path + 1, name, static_cast<std::size_t>(length));
    const auto addressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = systemErrorText(errno);
        return;
    }
    const auto bind = [&] { return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), addressLength) == 0; };
    if (takeWhenFree(
            bind, [](int error) { return error == EADDRINUSE; }, longestWait,
            "another process on this machine has held it", why) == BRTakeOutcome::taken) {
        descriptor = fd;
        return;
    }
    ::close(fd);
}

BRMachineLock::~BRMachineLock()
{
    // Closing the socket frees its name.
    if (descriptor >= 0)
        ::close(descriptor);
}
