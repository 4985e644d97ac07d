#include "tests/host/allocation_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

#include "tests/support/sanitizer_build.h"

#if !defined(BRONDIL_ADDRESS_SANITIZER) && !defined(BRONDIL_THREAD_SANITIZER)

namespace {
__thread bool countingAllocations __attribute__((tls_model("initial-exec"))) = false;
std::atomic<long> allocationsCounted{0};

void countAllocation()
{
    if (countingAllocations)
        allocationsCounted.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size)
{
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size)
{
    countAllocation();
    return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size)
{
    countAllocation();
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : ENOMEM;
}
void free(void* block) { __libc_free(block); }
}

namespace hosttest {

void countAllocationsOnThisThread(bool on) { countingAllocations = on; }

long takeAllocationCount() { return allocationsCounted.exchange(0); }

}  // namespace hosttest

#else

namespace hosttest {

void countAllocationsOnThisThread(bool) {}

long takeAllocationCount() { return 0; }

}  // namespace hosttest

#endif
