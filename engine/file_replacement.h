#pragma once

#include <cstddef>

#include <optional>

#include <juce_core/juce_core.h>

class BRFileSnapshot;

enum class BRFileReplacement {
    replaced,
    // Replaced by a plain rename, checked only before it: the file system
    // cannot exchange names (NFS), so a save stopped between its own check and
    // its rename would put its file in place of this one when it goes on.
    replacedByPlainRename,
    readOnly,          // the file exists and may not be written: left as it is
    changedMeanwhile,  // the file is no longer the one the content was made from: left as it is
    failed
};

// Gives file the content data (size bytes), creating it when it is missing. A
// symbolic link stays as it is and the file it leads to is replaced. The
// content goes to a temporary file in the target's folder, named after this
// host and process, that is renamed over the target, so readers see the old
// content or the new, never a part; a replaced file keeps its permission bits.
// A file without write permission, even for root, is not touched. Temporaries
// of this host's processes that are gone (a save killed midway) are removed;
// those of living processes, and other hosts', are left to them. Given
// madeFrom, the target is replaced only while it is still the file that
// snapshot read: checked just before the rename and, where the file system
// can exchange two names or keep one (not NFS), by the rename itself, which
// then undoes a replacement of anything else; elsewhere it answers
// replacedByPlainRename. Unless replaced, why (when given) receives the
// system's reason. Any thread but the audio thread;
// allocates.
BRFileReplacement replaceFileContent(const juce::File& file, const char* data, std::size_t size,
                                     juce::String* why = nullptr, const BRFileSnapshot* madeFrom = nullptr);

// The file a chain of symbolic links from file ends in, in its folder's path
// without links, so that every way to one file gives one name; none for a
// loop, an unreadable link, or a link or folder whose name is not UTF-8 (the
// toolkit would take it for another). The file itself need not exist. Any
// thread but the audio thread.
std::optional<juce::File> finalTarget(const juce::File& file);
