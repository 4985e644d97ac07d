#pragma once

#include <juce_core/juce_core.h>

// Serialises the saves of one settings file between processes: an flock on
// the file "<settings file>.lock" beside it, held for the object's lifetime.
// The kernel releases it when its holder dies, so a killed save leaves no
// stale lock behind. The lock file itself stays: removing it would let two
// processes lock two different files of that name.
class BRSettingsFileLock {
public:
    // Waits up to kLongestWaitMs for the lock. Where the lock file cannot be
    // made, or another process keeps the lock longer, held() is false: the
    // save goes ahead without it rather than lose this instance's changes.
    // Message thread (processor destruction); never the audio thread.
    explicit BRSettingsFileLock(const juce::File& settingsFile);
    ~BRSettingsFileLock();

    BRSettingsFileLock(const BRSettingsFileLock&) = delete;
    BRSettingsFileLock& operator=(const BRSettingsFileLock&) = delete;

    bool held() const { return descriptor >= 0; }

    // A save takes a few milliseconds: eight processes closing at once wait
    // far less than this; a holder stopped in a debugger does not hang the host.
    static constexpr int kLongestWaitMs = 2000;

private:
    int descriptor = -1;
};
