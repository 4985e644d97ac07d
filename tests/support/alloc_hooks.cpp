#include "tests/support/alloc_hooks.h"

#include <cstdlib>

namespace dsptest {

SubstitutedAllocHooks::SubstitutedAllocHooks(void* (*allocate)(std::size_t), void (*release)(void*))
    : saved(dspAllocHooks)
{
    dspAllocHooks.allocate = allocate;
    dspAllocHooks.release = release;
}

SubstitutedAllocHooks::~SubstitutedAllocHooks() { dspAllocHooks = saved; }

CountingAllocHooks* CountingAllocHooks::current = nullptr;

CountingAllocHooks::CountingAllocHooks() : substituted(&CountingAllocHooks::allocate, &CountingAllocHooks::release)
{
    current = this;
}

CountingAllocHooks::~CountingAllocHooks() { current = nullptr; }

void* CountingAllocHooks::allocate(std::size_t bytes)
{
    const int index = current->allocations++;
    if (current->failFrom >= 0 && index >= current->failFrom)
        return nullptr;
    return std::malloc(bytes);
}

void CountingAllocHooks::release(void* block)
{
    ++current->releases;
    std::free(block);
}

}  // namespace dsptest
