#include "tests/host/lock_wait_probe.h"

#include <atomic>
#include <chrono>

#include <dlfcn.h>
#include <pthread.h>
#include <time.h>

#include "tests/support/sanitizer_build.h"

#if !defined(BRONDIL_ADDRESS_SANITIZER) && !defined(BRONDIL_THREAD_SANITIZER)

namespace {

using LockFunction = int (*)(pthread_mutex_t*);
LockFunction realLock = nullptr;
LockFunction realUnlock = nullptr;

// Found before main: a lookup from inside the first lock could itself lock.
__attribute__((constructor)) void findRealFunctions()
{
    realLock = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    realUnlock = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_unlock"));
}

__thread bool timingLockWaits __attribute__((tls_model("initial-exec"))) = false;
std::atomic<long> waitCount{0};
std::atomic<long long> longestWaitNs{0};
std::atomic<long long> longestHoldNs{0};
std::atomic<long> holdsOverTenthMs{0};

// The mutexes the timed threads lock (a callback lock or two).
constexpr int kWatchedSlots = 8;
std::atomic<pthread_mutex_t*> watched[kWatchedSlots];

void watch(pthread_mutex_t* mutex)
{
    for (auto& slot : watched) {
        pthread_mutex_t* seen = slot.load(std::memory_order_relaxed);
        if (seen == mutex)
            return;
        if (seen == nullptr && slot.compare_exchange_strong(seen, mutex))
            return;
        if (seen == mutex)
            return;
    }
}

bool isWatched(pthread_mutex_t* mutex)
{
    for (auto& slot : watched)
        if (slot.load(std::memory_order_relaxed) == mutex)
            return true;
    return false;
}

void keepLongest(std::atomic<long long>& longest, long long ns)
{
    long long seen = longest.load(std::memory_order_relaxed);
    while (ns > seen && !longest.compare_exchange_weak(seen, ns, std::memory_order_relaxed)) {
    }
}

long long threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The watched mutexes this thread holds: recursion depth and processor time
// at the outermost lock.
struct Hold {
    pthread_mutex_t* mutex;
    int depth;
    long long startNs;
};
constexpr int kHoldSlots = 8;
__thread Hold holds[kHoldSlots] __attribute__((tls_model("initial-exec")));

void noteLocked(pthread_mutex_t* mutex)
{
    if (!isWatched(mutex))
        return;
    Hold* free = nullptr;
    for (Hold& hold : holds) {
        if (hold.mutex == mutex) {
            ++hold.depth;
            return;
        }
        if (hold.mutex == nullptr && free == nullptr)
            free = &hold;
    }
    if (free != nullptr)
        *free = Hold{mutex, 1, threadCpuNs()};
}

void noteUnlocking(pthread_mutex_t* mutex)
{
    for (Hold& hold : holds)
        if (hold.mutex == mutex) {
            if (--hold.depth == 0) {
                const long long heldNs = threadCpuNs() - hold.startNs;
                keepLongest(longestHoldNs, heldNs);
                if (heldNs > 100000)
                    holdsOverTenthMs.fetch_add(1, std::memory_order_relaxed);
                hold.mutex = nullptr;
            }
            return;
        }
}

}  // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    if (!timingLockWaits) {
        const int result = realLock(mutex);
        noteLocked(mutex);
        return result;
    }
    watch(mutex);
    if (pthread_mutex_trylock(mutex) == 0)
        return 0;
    const auto start = std::chrono::steady_clock::now();
    const int result = realLock(mutex);
    waitCount.fetch_add(1, std::memory_order_relaxed);
    keepLongest(longestWaitNs,
                std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
    return result;
}

extern "C" int pthread_mutex_unlock(pthread_mutex_t* mutex)
{
    if (!timingLockWaits)
        noteUnlocking(mutex);
    return realUnlock(mutex);
}

namespace hosttest {

void timeLockWaitsOnThisThread(bool on) { timingLockWaits = on; }

LockWaits takeLockWaits()
{
    LockWaits waits;
    waits.count = waitCount.exchange(0);
    waits.longestMs = static_cast<double>(longestWaitNs.exchange(0)) / 1e6;
    waits.longestHoldMs = static_cast<double>(longestHoldNs.exchange(0)) / 1e6;
    waits.holdsOverTenthMs = holdsOverTenthMs.exchange(0);
    return waits;
}

}  // namespace hosttest

#else

namespace hosttest {

void timeLockWaitsOnThisThread(bool) {}

LockWaits takeLockWaits() { return {}; }

}  // namespace hosttest

#endif
