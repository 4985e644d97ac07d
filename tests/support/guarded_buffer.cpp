#include "tests/support/guarded_buffer.h"

#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace dsptest {

GuardedBuffer::GuardedBuffer(std::size_t size) : bytes(size)
{
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t dataPages = (size + page - 1) / page;
    mappingBytes = (dataPages + 2) * page;
    mapping = mmap(nullptr, mappingBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::runtime_error("GuardedBuffer: mmap failed");
    char* firstDataPage = static_cast<char*>(mapping) + page;
    if (dataPages > 0 && mprotect(firstDataPage, dataPages * page, PROT_READ | PROT_WRITE) != 0)
        throw std::runtime_error("GuardedBuffer: mprotect failed");
    start = firstDataPage + dataPages * page - size;
}

GuardedBuffer::~GuardedBuffer() { munmap(mapping, mappingBytes); }

}  // namespace dsptest
