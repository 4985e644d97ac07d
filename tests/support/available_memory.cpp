#include "tests/support/available_memory.h"

#include <cstdio>

namespace dsptest {

std::size_t availableMemoryBytes()
{
    std::FILE* meminfo = std::fopen("/proc/meminfo", "r");
    if (meminfo == nullptr)
        return 0;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, meminfo) != nullptr)
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1)
            break;
    std::fclose(meminfo);
    return static_cast<std::size_t>(kib) * 1024;
}

}  // namespace dsptest
