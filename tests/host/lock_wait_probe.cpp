#include "tests/host/lock_wait_probe.h"

#include <atomic>
#include <chrono>

#include <dlfcn.h>
#include <pthread.h>

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

namespace {

using LockFunction = int (*)(pthread_mutex_t*);
LockFunction realLock = nullptr;

__thread bool timingLockWaits __attribute__((tls_model("initial-exec"))) = false;
std::atomic<long> waitCount{0};
std::atomic<long long> longestWaitNs{0};

// Found before main: a lookup from inside the first lock could itself lock.
__attribute__((constructor)) void findRealLock()
{
    realLock = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
}

void recordWait(long long ns)
{
    waitCount.fetch_add(1, std::memory_order_relaxed);
    long long longest = longestWaitNs.load(std::memory_order_relaxed);
    while (ns > longest && !longestWaitNs.compare_exchange_weak(longest, ns, std::memory_order_relaxed)) {
    }
}

}  // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    if (!timingLockWaits)
        return realLock(mutex);
    if (pthread_mutex_trylock(mutex) == 0)
        return 0;
    const auto start = std::chrono::steady_clock::now();
    const int result = realLock(mutex);
    recordWait(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
    return result;
}

namespace hosttest {

void timeLockWaitsOnThisThread(bool on)
{
    timingLockWaits = on;
}

LockWaits takeLockWaits()
{
    LockWaits waits;
    waits.count = waitCount.exchange(0);
    waits.longestMs = static_cast<double>(longestWaitNs.exchange(0)) / 1e6;
    return waits;
}

}  // namespace hosttest

#else

namespace hosttest {

void timeLockWaitsOnThisThread(bool) {}

LockWaits takeLockWaits()
{
    return {};
}

}  // namespace hosttest

#endif
