#pragma once

#include <cstddef>

// The library's heap goes through these four slots; they hold the C runtime's
// functions for the life of the process (tests swap them to make allocation fail).
struct dspAllocHookTable {
    void* (*allocate)(std::size_t bytes);
    void* (*allocateZeroed)(std::size_t count, std::size_t size);  // never called
    void* (*reallocate)(void* block, std::size_t bytes);            // never called
    void (*release)(void* block);
};
extern dspAllocHookTable dspAllocHooks;

// A block of n bytes starting on a 32-byte boundary, or null for n < 1 or when
// the allocator fails. Not cleared. Any thread; allocates. Release with dspFree only.
void* dspAllocBytes(int n);

// As dspAllocBytes for n floats.
float* dspAllocFloats(int n);

// Releases a block from dspAllocBytes or dspAllocFloats; null is ignored. Any thread.
void dspFree(void* p);

// The one body of the three entries, which the library's own code calls directly.
namespace cls_all {
void* allocBytes(int n);
float* allocFloats(int n);
void free(void* p);
}  // namespace cls_all
