#pragma once

#include <cstddef>

namespace dsptest {

// Bytes placed so that `offset` bytes into a page-aligned mapping they start,
// and the first byte after them is an inaccessible page: any overrun faults.
// Also the page before the mapping is inaccessible, so underruns fault too.
class GuardedBuffer {
public:
    // size bytes ending exactly at the guard page; the start lies `size` below it.
    explicit GuardedBuffer(std::size_t size);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    void* data() const { return start; }
    float* floats() const { return static_cast<float*>(start); }
    std::size_t size() const { return bytes; }

private:
    void* mapping = nullptr;
    std::size_t mappingBytes = 0;
    void* start = nullptr;
    std::size_t bytes = 0;
};

}  // namespace dsptest
