// The directory scan: the files of the chosen directory that the working mode
// can load, into the file list.
#include "editor/bubble_message.h"
#include "editor/editor.h"
#include "engine/number_text.h"

namespace {

constexpr int kBubbleMilliseconds = 5000;

juce::String noSuitableFileMessage(bool mono)
{
    return mono ? "No suitable mono file founded.\n"
                  "Please make sure this directory contains mono sound files."
                : "No suitable multichannel file founded.\n"
                  "Please check your plugin channels configuration.";
}

// Why a list may be empty although the directory holds files of the right channels.
juce::String refusedForRateMessage(int files, double hostRate)
{
    const juce::String rate = formatDouble(hostRate) + " Hz";
    return files == 1
               ? "1 file was left out only because\nits sample rate is not " + rate + "."
               : juce::String(files) + " files were left out only because\ntheir sample rate is not " + rate + ".";
}

// Why sound files the user sees in the folder are not in the list.
juce::String namesNotUtf8Message(int files)
{
    return files == 1 ? "1 file whose name is not UTF-8 text is not listed."
                      : juce::String(files) + " files whose names are not UTF-8 text are not listed.";
}

}  // namespace

void BREditor::filenameComponentChanged(juce::FilenameComponent* chooser)
{
    if (chooser == &dirChooser)
        scanDirectory();
}

void BREditor::showRememberedDirectory()
{
    dirChooser.setRecentlyUsedFilenames(filter.settings.dropDownList);
    // A path that is not absolute would name the host's working directory.
    const juce::String remembered = filter.getLastPath();
    if (juce::File::isAbsolutePath(remembered))
        dirChooser.setCurrentFile(juce::File(remembered), false, juce::sendNotificationAsync);
}

void BREditor::scanDirectory()
{
    const juce::File directory = dirChooser.getChosenDirectory();
    if (!directory.exists()) {
        // Gone, or never there: out of the recent list, and back to the mode's directory.
        const juce::String named = directory != juce::File() ? directory.getFullPathName()
                                                             : dirChooser.getCurrentFileText();
        filter.settings.dropDownList.removeString(named);
        dirChooser.setRecentlyUsedFilenames(filter.settings.dropDownList);
        const juce::String remembered = filter.getLastPath();
        dirChooser.setCurrentFile(juce::File::isAbsolutePath(remembered) ? juce::File(remembered) : juce::File(), false,
                                  juce::dontSendNotification);
        refreshFileList();
        return;
    }
    BRIrScanRequest request;
    request.needs = irFileNeedsOf(filter);
    if (directory.isDirectory()) {
        request.directory = directory;
        // Another directory's files would stand in the list meanwhile.
        if (directory != listedDirectory)
            fileList.clearPaths();
        listedDirectory = directory;
    } else {
        // A file is no directory: the list keeps its files, filtered again.
        request.candidates = fileList.getPaths();
    }
    fileList.updateContent();
    folderScan.start(std::move(request));
    fileList.setBusy(true);
    filter.settings.dropDownList = dirChooser.getRecentlyUsedFilenames();
    filter.setLastPath(directory.getFullPathName());
    filter.settings.lastDir = directory;
}

void BREditor::takeScanResult()
{
    if (std::optional<BRIrScanResult> result = folderScan.takeResult())
        showScanResult(*result);
}

void BREditor::showScanResult(const BRIrScanResult& result)
{
    fileList.getPaths() = result.paths;
    fileList.setBusy(false);
    juce::StringArray said;
    if (result.paths.isEmpty()) {
        said.add(noSuitableFileMessage(filter.workingMode == BRWorkingMode::irMono));
        if (result.refusedOnlyForRate > 0)
            said.add(refusedForRateMessage(result.refusedOnlyForRate, result.needs.hostRate));
    }
    if (result.namesNotUtf8 > 0)
        said.add(namesNotUtf8Message(result.namesNotUtf8));
    if (result.cut)
        said.add("The list is cut to the first " + juce::String(kMostListedFiles) + " suitable files.");
    if (dirChooser.isShowing() && !said.isEmpty())
        showBubbleMessage(dirChooser, said.joinIntoString("\n"), kBubbleMilliseconds);
    refreshFileList();
}

void BREditor::refreshFileList()
{
    fileList.updateContent();
    const int row = fileList.indexOfPath(filter.settings.lastSelMulti);
    if (row >= 0)
        fileList.selectRow(row);
    else
        fileList.deselectAllRows();
    // An emptied list announces no change of selection.
    describeSelectedFile();
}
