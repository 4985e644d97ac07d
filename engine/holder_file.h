#pragma once

#include <chrono>
#include <string>

#include <juce_core/juce_core.h>

// A file made exclusively to say that one process is at work, for file
// systems where no flock can be had. It names its host and process
// ("<host> <pid>"), is removed on release, and is taken over when its process
// is gone or it has been left for long. Takeovers run one at a time under a
// second exclusive file ("<path>.takeover"), so that a process removes only
// the holder it judged abandoned, never one another process has made since.
// Something of the name that is no regular file, or a holder that cannot be
// removed (another user's in a sticky folder), is not waited for.
class BRHolderFile {
public:
    // Waits up to longestWait for each process that holds path in turn (a queue
    // of quick holders is no reason to give up), sleeping meanwhile. Any thread
    // but the audio thread.
    BRHolderFile(const std::string& path, std::chrono::milliseconds longestWait);
    ~BRHolderFile();

    BRHolderFile(const BRHolderFile&) = delete;
    BRHolderFile& operator=(const BRHolderFile&) = delete;

    bool held() const { return descriptor >= 0; }
    // Why the file could not be had, in a phrase; empty when it was.
    const juce::String& whyNotHeld() const { return why; }

private:
    std::string path;
    int descriptor = -1;
    juce::String why;
};
