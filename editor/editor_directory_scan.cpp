// The directory scan: the files of the chosen directory that the working mode
// can load, into the file list.
#include "editor/bubble_message.h"
#include "editor/editor.h"
#include "editor/gui_constants.h"
#include "editor/ir_file_check.h"

namespace {

constexpr int kBubbleMilliseconds = 5000;
// The list shows at most this many files, the first that suit in name order.
constexpr int kMostListedFiles = 10000;

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
    if (directory.exists()) {
        collectAudioFiles(directory);
        const bool mono = filter.workingMode == BRWorkingMode::irMono;
        const bool cut = keepSuitableFiles();
        if (fileList.getPaths().isEmpty() && dirChooser.isShowing())
            showBubbleMessage(dirChooser,
                              mono ? "No suitable mono file founded.\n"
                                     "Please make sure this directory contains mono sound files."
                                   : "No suitable multichannel file founded.\n"
                                     "Please check your plugin channels configuration.",
                              kBubbleMilliseconds);
        if (cut && dirChooser.isShowing())
            showBubbleMessage(dirChooser,
                              "The list is cut to the first " + juce::String(kMostListedFiles) + " suitable files.",
                              kBubbleMilliseconds);
        filter.settings.dropDownList = dirChooser.getRecentlyUsedFilenames();
        filter.setLastPath(directory.getFullPathName());
        filter.settings.lastDir = directory;
    } else {
        // Gone, or never there: out of the recent list, and back to the mode's directory.
        const juce::String named = directory != juce::File() ? directory.getFullPathName()
                                                             : dirChooser.getCurrentFileText();
        filter.settings.dropDownList.removeString(named);
        dirChooser.setRecentlyUsedFilenames(filter.settings.dropDownList);
        const juce::String remembered = filter.getLastPath();
        dirChooser.setCurrentFile(juce::File::isAbsolutePath(remembered) ? juce::File(remembered) : juce::File(), false,
                                  juce::dontSendNotification);
    }
    refreshFileList();
}

void BREditor::collectAudioFiles(const juce::File& directory)
{
    if (!directory.isDirectory())
        return;
    juce::StringArray& paths = fileList.getPaths();
    paths.clear();
    // One walk names each file once. A directory that cannot be read, or goes
    // while it is read, ends the walk early.
    for (const juce::DirectoryEntry& entry :
         juce::RangedDirectoryIterator(directory, false, "*", juce::File::findFiles)) {
        if (audioFileFilter().isFileSuitable(entry.getFile()))
            paths.add(entry.getFile().getFullPathName());
    }
    // The file system lists in no particular order.
    paths.sortNatural();
}

bool BREditor::keepSuitableFiles()
{
    // Each candidate's header is read on the message thread.
    juce::StringArray& paths = fileList.getPaths();
    juce::StringArray kept;
    for (const juce::String& path : paths) {
        if (whyIrFileDoesNotSuit(filter, path).isNotEmpty())
            continue;
        if (kept.size() == kMostListedFiles) {
            paths.swapWith(kept);
            return true;
        }
        kept.add(path);
    }
    paths.swapWith(kept);
    return false;
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
