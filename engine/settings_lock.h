#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <juce_core/juce_core.h>

#include "engine/holder_file.h"
#include "engine/machine_lock.h"

// Serialises the saves of one settings file between processes, held for the
// object's lifetime. First choice: an flock on "<file>.lock" beside the file
// that the settings file's links lead to, so that every way to one file takes
// one lock. The kernel releases it when its holder dies, so a killed save
// leaves no stale lock behind; the lock file itself stays (removing it would
// let two processes lock two different files of that name). Another user's
// lock file and a folder of that name are locked through a descriptor opened
// for reading.
//
// Where no flock can be had (a network file system without lock service, a
// lock file that cannot be opened, a holder that keeps it past the wait), the
// holder file "<file>.saving" (holder_file.h) stands in for every host, and
// the machine lock keyed by the file's path (machine_lock.h) for this machine:
// it serialises this machine's saves also where the holder file cannot be had
// (another host's holder, fresh or dated ahead by a server's clock).
class BRSettingsFileLock {
public:
    // Waits up to longestWait for each process that holds the flock or the
    // holder file in turn, and up to kLongestWait for the saves of this machine
    // ahead of it. Message thread (processor destruction); never the audio thread.
    explicit BRSettingsFileLock(const juce::File& settingsFile, std::chrono::milliseconds longestWait = kLongestWait);
    ~BRSettingsFileLock();

    BRSettingsFileLock(const BRSettingsFileLock&) = delete;
    BRSettingsFileLock& operator=(const BRSettingsFileLock&) = delete;

    // The other saves of the file that are held back while it lives, as far as
    // their processes keep to the lock.
    enum class Reach {
        everyProcess,  // the flock, or the holder file with the machine lock
        thisMachine,   // the machine lock alone: saves on other hosts are not
        none
    };
    Reach reach() const;
    // True when another process kept the flock for the whole wait. It keeps to
    // no other lock: where the file system cannot exchange names, its rename,
    // when it goes on, may undo this save.
    bool outwaitedFlockHolder() const { return flockHolderOutwaited; }
    // Why the flock could not be had, and what stood in for it, in a phrase;
    // empty when it was.
    const juce::String& whyNotLocked() const { return why; }

    // A save takes a few milliseconds: sixteen processes closing at once wait
    // far less than this; a holder stopped in a debugger does not hang the host.
    static constexpr std::chrono::milliseconds kLongestWait{2000};

private:
    void lock(const std::string& path, std::chrono::milliseconds longestWait);

    int descriptor = -1;
    std::optional<BRHolderFile> holder;
    std::optional<BRMachineLock> machine;
    bool flockHolderOutwaited = false;
    juce::String why;
};
