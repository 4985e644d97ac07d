#pragma once

#include <chrono>
#include <string>

#include <juce_core/juce_core.h>

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
// lock file that cannot be opened, a holder that keeps it past the wait), a
// holder file "<file>.saving", created exclusively and naming its host and
// process, stands in: it is removed on release, and taken over when its
// process is gone or it has been left for long.
class BRSettingsFileLock {
public:
    // Waits up to longestFlockWait for the flock and, where it cannot be had,
    // up to kLongestWait for each process that holds the holder file in turn
    // (a queue of quick saves is no reason to give up). Message thread
    // (processor destruction); never the audio thread.
    explicit BRSettingsFileLock(const juce::File& settingsFile,
                                std::chrono::milliseconds longestFlockWait = kLongestWait);
    ~BRSettingsFileLock();

    BRSettingsFileLock(const BRSettingsFileLock&) = delete;
    BRSettingsFileLock& operator=(const BRSettingsFileLock&) = delete;

    // True when no other save of the file runs meanwhile, as far as the
    // other processes keep to the lock.
    bool held() const { return descriptor >= 0 || holderDescriptor >= 0; }
    // Why the flock could not be had, in a phrase; empty when it was.
    const juce::String& whyNotLocked() const { return why; }

    // A save takes a few milliseconds: eight processes closing at once wait
    // far less than this; a holder stopped in a debugger does not hang the host.
    static constexpr std::chrono::milliseconds kLongestWait{2000};

private:
    void lock(const std::string& path, std::chrono::milliseconds longestWait);
    void takeHolderFile(const std::string& path);

    int descriptor = -1;
    int holderDescriptor = -1;
    std::string holderPath;
    juce::String why;
};
