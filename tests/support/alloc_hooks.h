#pragma once

#include <cstddef>

#include "primitives/memory/memory.h"

namespace dsptest {

// The library allocates through the given functions while the guard lives;
// the previous hooks come back at its end.
class SubstitutedAllocHooks {
public:
    SubstitutedAllocHooks(void* (*allocate)(std::size_t bytes), void (*release)(void* block));
    ~SubstitutedAllocHooks();
    SubstitutedAllocHooks(const SubstitutedAllocHooks&) = delete;
    SubstitutedAllocHooks& operator=(const SubstitutedAllocHooks&) = delete;

private:
    dspAllocHookTable saved;
};

// While it lives, the library allocates through it: it counts the allocations
// (refused ones included) and releases, and refuses every allocation from the
// failFrom-th on, counted from 0. One at a time.
class CountingAllocHooks {
public:
    CountingAllocHooks();
    ~CountingAllocHooks();
    CountingAllocHooks(const CountingAllocHooks&) = delete;
    CountingAllocHooks& operator=(const CountingAllocHooks&) = delete;

    int allocations = 0;
    int releases = 0;
    int failFrom = -1;  // never

private:
    static void* allocate(std::size_t bytes);
    static void release(void* block);

    static CountingAllocHooks* current;
    SubstitutedAllocHooks substituted;
};

}  // namespace dsptest
