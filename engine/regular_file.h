#pragma once

#include <cstdint>
#include <string>

// Opens path (UTF-8) for reading when it names a regular file, following
// symbolic links: a FIFO, a device, a directory or a socket is refused before
// it is opened, and again after (it may have been swapped in between). The
// open never blocks. The descriptor (close-on-exec) belongs to the caller; -1
// when refused. size receives the file's size in bytes. Any thread but the
// audio thread.
int openRegularFileForReading(const std::string& path, std::int64_t& size);
