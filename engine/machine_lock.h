#pragma once

#include <chrono>
#include <string>

#include <juce_core/juce_core.h>

// A lock that the processes of this machine (of one network namespace) share
// by key, held for the object's lifetime. The kernel keeps it, not a file
// system: an abstract unix socket bound to a name made from the key. So it
// works where no file can be locked, leaves nothing behind, cannot be planted
// as a link or a FIFO, and goes with a process that dies. Every user's
// processes share it; one that keeps the name bound holds the others back for
// the wait only.
class BRMachineLock {
public:
    // Waits up to longestWait, sleeping, for the processes ahead. Any thread
    // but the audio thread.
    BRMachineLock(const std::string& key, std::chrono::milliseconds longestWait);
    ~BRMachineLock();

    BRMachineLock(const BRMachineLock&) = delete;
    BRMachineLock& operator=(const BRMachineLock&) = delete;

    bool held() const { return descriptor >= 0; }
    // Why it could not be had, in a phrase; empty when it was.
    const juce::String& whyNotHeld() const { return why; }

private:
    int descriptor = -1;
    juce::String why;
};
