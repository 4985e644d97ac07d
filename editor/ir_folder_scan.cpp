#include "editor/ir_folder_scan.h"

#include "editor/gui_constants.h"

BRIrFolderScan::~BRIrFolderScan() { cancel(); }

void BRIrFolderScan::start(BRIrScanRequest request)
{
    cancel();
    result = {};
    result.needs = request.needs;
    finished.store(false, std::memory_order_relaxed);
    worker = std::thread([this, request = std::move(request)] {
        run(request);
        finished.store(true, std::memory_order_release);
    });
}

void BRIrFolderScan::cancel()
{
    if (!worker.joinable())
        return;
    cancelled = true;
    worker.join();
    cancelled = false;
}

std::optional<BRIrScanResult> BRIrFolderScan::takeResult()
{
    if (!worker.joinable() || !finished.load(std::memory_order_acquire))
        return std::nullopt;
    worker.join();
    return std::move(result);
}

void BRIrFolderScan::run(const BRIrScanRequest& request)
{
    const bool walk = request.directory.isDirectory();
    const juce::StringArray candidates = walk ? audioFilesIn(request.directory) : request.candidates;
    for (const juce::String& path : candidates) {
        if (cancelled)
            return;
        const BRIrFileHeader header = headers.headerOf(path);
        if (irFileHeaderRefusedOnlyForRate(header, request.needs))
            ++result.refusedOnlyForRate;
        if (!irFileHeaderSuits(header, request.needs))
            continue;
        if (result.paths.size() == kMostListedFiles) {
            result.cut = true;
            break;
        }
        result.paths.add(path);
    }
    // The cache follows the directory last walked, and grows no further.
    if (walk && !cancelled)
        headers.keepOnly(candidates);
}

juce::StringArray BRIrFolderScan::audioFilesIn(const juce::File& directory) const
{
    juce::StringArray paths;
    // One walk names each file once. A directory that cannot be read, or goes
    // while it is read, ends the walk early.
    for (const juce::DirectoryEntry& entry :
         juce::RangedDirectoryIterator(directory, false, "*", juce::File::findFiles)) {
        if (cancelled)
            return {};
        if (audioFileFilter().isFileSuitable(entry.getFile()))
            paths.add(entry.getFile().getFullPathName());
    }
    // The file system lists in no particular order.
    paths.sortNatural();
    return paths;
}
