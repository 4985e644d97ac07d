#include "editor/ir_folder_scan.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "editor/gui_constants.h"
#include "engine/utf8_text.h"

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

juce::StringArray BRIrFolderScan::audioFilesIn(const juce::File& directory)
{
    namespace fs = std::filesystem;
    juce::StringArray paths;
    // One walk names each file once. A directory that cannot be read, or goes
    // while it is read, ends the walk early. The names come as the file system
    // holds them: only those that are UTF-8 become the toolkit's strings.
    std::error_code error;
    for (fs::directory_iterator entry(directory.getFullPathName().toStdString(), error), end; !error && entry != end;
         entry.increment(error)) {
        if (cancelled)
            return {};
        std::error_code kindError;
        if (entry->is_directory(kindError))
            continue;
        const std::string name = entry->path().filename().native();
        const std::optional<juce::String> text = utf8Text(name);
        const juce::File file = directory.getChildFile(text.value_or(readableText(name.data(), name.size())));
        if (!audioFileFilter().isFileSuitable(file))
            continue;
        if (text)
            paths.add(file.getFullPathName());
        else
            ++result.namesNotUtf8;
    }
    // The file system lists in no particular order.
    paths.sortNatural();
    return paths;
}
