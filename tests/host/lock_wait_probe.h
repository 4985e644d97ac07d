#pragma once

// Every pthread_mutex_lock of the host test process, Brondil.so's included,
// goes through a probe (lock_wait_probe.cpp) that can time, on the threads
// that ask for it, each wait for a mutex another thread holds. Not under the
// sanitizers, which bring their own locking functions: there nothing is timed.
namespace hosttest {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kLockWaitsAreTimed = false;
#else
constexpr bool kLockWaitsAreTimed = true;
#endif

// Times the calling thread's lock waits from now on, or stops timing them.
void timeLockWaitsOnThisThread(bool on);

struct LockWaits {
    long count = 0;          // locks that found their mutex held
    double longestMs = 0.0;  // the longest of those waits
};

// The waits timed on every thread since the last call.
LockWaits takeLockWaits();

}  // namespace hosttest
