#pragma once

#include "tests/support/sanitizer_build.h"

// Every heap allocation of the host test process, Brondil.so's included, goes
// through counting functions (allocation_counter.cpp). Not under
// AddressSanitizer or ThreadSanitizer, which bring their own allocators: there
// nothing is counted.
namespace hosttest {

#if defined(BRONDIL_ADDRESS_SANITIZER) || defined(BRONDIL_THREAD_SANITIZER)
constexpr bool kAllocationsAreCounted = false;
#else
constexpr bool kAllocationsAreCounted = true;
#endif

// Counts the calling thread's allocations from now on, or stops counting them.
void countAllocationsOnThisThread(bool on);

// The allocations counted on every thread since the last call.
long takeAllocationCount();

}  // namespace hosttest
