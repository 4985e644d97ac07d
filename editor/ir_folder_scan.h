#pragma once

#include <atomic>
#include <optional>
#include <thread>

#include <juce_core/juce_core.h>

#include "editor/ir_file_check.h"
#include "editor/ir_header_cache.h"

// What one scan is asked for: the sound files of a directory, or else paths
// already listed, kept to those that have what needs asks for.
struct BRIrScanRequest {
    juce::File directory;          // walked when it is a directory
    juce::StringArray candidates;  // filtered again, in their order, when no directory is walked
    BRIrFileNeeds needs;
};

struct BRIrScanResult {
    BRIrFileNeeds needs;         // as asked
    juce::StringArray paths;     // the first that suit, in natural name order for a walked directory
    bool cut = false;            // more suit than the list holds
    int refusedOnlyForRate = 0;  // files with the channels asked for, at another rate
    int namesNotUtf8 = 0;        // sound files left out of a walked directory: their names are not UTF-8
};

// The list holds at most this many files.
inline constexpr int kMostListedFiles = 10000;

// Scans on a worker thread of its own, so that a folder of thousands of files
// holds neither the host's GUI thread nor the editor-state lock: the worker
// touches neither the processor nor the toolkit's components. A new scan
// cancels the one running; so does destruction, which waits for the worker to
// stop, at most for the header it is reading. Headers already read are kept
// between scans while their files stay unchanged, so a mode change reads none
// again. Start, cancel and take the result on one thread (the message thread).
class BRIrFolderScan {
public:
    BRIrFolderScan() = default;
    ~BRIrFolderScan();
    BRIrFolderScan(const BRIrFolderScan&) = delete;
    BRIrFolderScan& operator=(const BRIrFolderScan&) = delete;

    void start(BRIrScanRequest request);
    void cancel();
    // True from start until the result is taken or the scan cancelled.
    bool isBusy() const { return worker.joinable(); }
    // The result once the worker is done, and the scan is over; else nothing.
    std::optional<BRIrScanResult> takeResult();

private:
    void run(const BRIrScanRequest& request);
    // The audio files of directory, in natural name order; empty when cancelled.
    // Those whose names are not UTF-8 are counted in result instead.
    juce::StringArray audioFilesIn(const juce::File& directory);

    std::thread worker;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    BRIrScanResult result;    // the worker's until finished
    BRIrHeaderCache headers;  // the worker's; one worker at a time
};
