// The directory scan: the files of the chosen directory that the working mode
// can load, into the file list.
#include "editor/bubble_message.h"
#include "editor/editor.h"
#include "editor/gui_constants.h"
#include "engine/sound_file.h"

namespace {

constexpr int kBubbleMilliseconds = 5000;
// Each candidate's header is read on the message thread: a directory of more
// audio files than this lists only this many.
constexpr int kMostCandidateFiles = 10000;

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
        keepFilesWithChannelCount(mono ? 1 : filter.outputs, filter.getSampleRate());
        if (fileList.getPaths().isEmpty() && dirChooser.isShowing())
            showBubbleMessage(dirChooser,
                              mono ? "No suitable mono file founded.\n"
                                     "Please make sure this directory contains mono sound files."
                                   : "No suitable multichannel file founded.\n"
                                     "Please check your plugin channels configuration.",
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
        if (paths.size() >= kMostCandidateFiles)
            break;
        if (audioFileFilter().isFileSuitable(entry.getFile()))
            paths.add(entry.getFile().getFullPathName());
    }
    // The file system lists in no particular order.
    paths.sortNatural();
}

void BREditor::keepFilesWithChannelCount(int channels, double sampleRate)
{
    juce::StringArray& paths = fileList.getPaths();
    for (int row = paths.size() - 1; row >= 0; --row) {
        // Opening reads only regular files: a FIFO or a device never blocks the scan.
        BRSoundFile file;
        const bool suitable = file.open(paths[row].toStdString(), SFM_READ) != nullptr &&
                              file.isLoadedWithChannels(channels) &&
                              static_cast<double>(file.info.samplerate) == sampleRate;
        file.release();
        if (!suitable)
            paths.remove(row);
    }
}

void BREditor::refreshFileList()
{
    fileList.updateContent();
    const int row = fileList.indexOfPath(filter.settings.lastSelMulti);
    if (row >= 0)
        fileList.selectRow(row);
    else
        fileList.deselectAllRows();
}
