#pragma once

#include "tests/support/sanitizer_build.h"

// Every pthread_mutex_lock and pthread_mutex_unlock of the host test process,
// Brondil.so's included, goes through a probe (lock_wait_probe.cpp). On the
// threads that ask for it, it times each wait for a mutex another thread holds
// (an audio thread, say). On every other thread it measures how long each of
// those mutexes is held, in the holder's own processor time, so that
// preemption by other processes does not count. Not under the sanitizers,
// which bring their own locking functions: there nothing is measured.
namespace hosttest {

#if defined(BRONDIL_ADDRESS_SANITIZER) || defined(BRONDIL_THREAD_SANITIZER)
constexpr bool kLocksAreProbed = false;
#else
constexpr bool kLocksAreProbed = true;
#endif

// Times the calling thread's lock waits from now on, or stops timing them;
// the mutexes it locks meanwhile become the ones whose holds are measured.
void timeLockWaitsOnThisThread(bool on);

struct LockWaits {
    long count = 0;          // locks that found their mutex held
    double longestMs = 0.0;  // the longest of those waits
    // The longest processor time another thread held one of the timed
    // thread's mutexes, from its outermost lock to its unlock.
    double longestHoldMs = 0.0;
    // Holds of more than a tenth of a millisecond of processor time. A virtual
    // machine may count a moment its processor was taken away as the
    // holder's: a single such hold is no work done under the lock.
    long holdsOverTenthMs = 0;
};

// The waits and holds measured since the last call.
LockWaits takeLockWaits();

}  // namespace hosttest
