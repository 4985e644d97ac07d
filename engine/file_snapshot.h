#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include <sys/types.h>

#include <juce_core/juce_core.h>

// A regular file's content as one read gave it, with the file held open, so
// that a writer can tell, just before it replaces the file, whether anyone
// replaced or changed it since. The open descriptor keeps the file's inode
// from being reused by another file meanwhile. Any thread but the audio
// thread; allocates.
class BRFileSnapshot {
public:
    enum class State {
        missing,  // nothing at the path
        read,     // a regular file of at most largestBytes, read whole
        refused   // something else: not a regular file, too large, unreadable
    };

    // Reads path (following symbolic links) when it names a regular file of at
    // most largestBytes. Never blocks on a FIFO or a device.
    BRFileSnapshot(const juce::File& file, std::size_t largestBytes);
    ~BRFileSnapshot();
    BRFileSnapshot(const BRFileSnapshot&) = delete;
    BRFileSnapshot& operator=(const BRFileSnapshot&) = delete;

    State state() const { return readState; }
    const std::string& content() const { return text; }

    // True when the path still leads to the file read, unchanged, or, for a
    // snapshot of nothing, still to nothing.
    bool isCurrent() const;
    // True when otherPath (not followed when a link) names the file read,
    // unchanged: where a rename that exchanged it put it.
    bool isUnchangedAt(const std::string& otherPath) const;

private:
    // True when at names the file read, unchanged.
    bool namesFileRead(const std::string& at, bool followingLinks) const;

    std::string path;
    State readState = State::refused;
    int descriptor = -1;
    std::string text;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
};
