#include "engine/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFileForReading(const std::string& path, std::int64_t& size)
{
    size = 0;
    struct stat before {};
    // Opening some devices has effects of its own: look before opening.
    if (::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return -1;
    // Non-blocking: should a FIFO take the file's place, the open returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return -1;
    }
    size = static_cast<std::int64_t>(opened.st_size);
    return fd;
}
