#pragma once

#include <cstddef>

namespace dsptest {

// Bytes of memory the system can still hand out (MemAvailable of /proc/meminfo),
// 0 when unknown: tests of huge arrays skip below what they need.
std::size_t availableMemoryBytes();

}  // namespace dsptest
