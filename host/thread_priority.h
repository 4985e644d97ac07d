#pragma once

// True when the calling thread runs under a real-time scheduling policy
// (SCHED_FIFO or SCHED_RR): hosts render live on such threads and offline on
// ordinary ones. Any thread; no allocation, no lock.
bool callingThreadIsRealtime();
