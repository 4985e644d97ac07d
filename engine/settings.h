#pragma once

#include <juce_core/juce_core.h>

#include "engine/file_replacement.h"
#include "engine/file_snapshot.h"

// The user's working settings, kept from one run of the host to the next in the
// settings file. A plain record held by the processor; the editor writes its
// fields directly on the message thread.
struct BRSettings {
    juce::File lastDir;              // the directory last chosen in the editor
    juce::StringArray dropDownList;  // the directory chooser's recent entries
    juce::StringArray lastPathList;  // one path per working mode, index = working mode
    juce::String lastSelMulti;       // the last multichannel IR file; state document only
    int inputs = 2;                  // the editor's channel choices; saved, never applied
    int outputs = 2;
    int fftSize = 1024;
    int irSize = 1024;
    int zeroLatency = 0;
    int workingMode = 0;  // a BRWorkingMode's number, kept as the file gives it
};

// The longest a path list gets, in the settings and in the state document:
// lists carried from project to project and instance to instance stay small.
constexpr int kMaxPathListEntries = 64;

// The settings file of the plug-in file pluginFile: beside it with the extension
// "xml" where that folder can be written, else of the same name in
// $XDG_CONFIG_HOME/Brondil (~/.config/Brondil by default); none where that
// folder has no name (home_folder.h). Symbolic links are not resolved. Any
// thread; touches no file.
juce::File settingsFileFor(const juce::File& pluginFile);

// Fills settings from file. Without a document that passes the screen of
// xml_screen.h: the defaults 2, 2, 1024, 1024, 0, 0 and nothing else changes.
// Otherwise each field whose element exists is replaced; names match without
// regard to ASCII case. A number that is not, as a whole, a decimal integer
// within its field's range (channel counts 1 … 32, an FFT size the editor
// offers, an IR size 1 … kMaxCellSamples, zero latency 0 or 1, a working mode's
// number) gives the field its default. A path the lists would not keep (see
// below) leaves "LastDir" as it was. False when something exists at file but
// was refused: it must not be overwritten. Message thread (processor construction).
bool loadSettings(BRSettings& settings, const juce::File& file);
// The same from a snapshot of the file (file_snapshot.h).
bool loadSettings(BRSettings& settings, const BRFileSnapshot& snapshot);

// Writes settings to file (creating its folder) through replaceFileContent,
// unless mergedFrom (when given) no longer holds; why receives the system's
// reason for a file left unwritten. Paths the reader would not give back as
// they are (isStorablePath) are not written. Message thread (processor destruction).
BRFileReplacement saveSettings(const BRSettings& settings, const juce::File& file, juce::String* why = nullptr,
                               const BRFileSnapshot* mergedFrom = nullptr);

// What an instance that read asRead and now holds current writes over a file
// that holds onDisk: the fields it changed since it read the file, and the
// file's own for the rest, so that instances closing one after the other keep
// each other's changes. The lists merge entry by entry: a per-mode slot this
// instance changed wins, the others keep the file's; the recent list holds this
// instance's new and renewed entries first, then the file's less those this
// instance removed. A path the file cannot hold (isStorablePath) counts as no
// change. Any thread.
BRSettings mergeSettingsChanges(const BRSettings& onDisk, const BRSettings& asRead, const BRSettings& current);
// True when current differs from asRead in a field the settings file keeps.
bool settingsChanged(const BRSettings& asRead, const BRSettings& current);

// The path lists keep absolute paths only: a relative one would name a file in
// whatever folder the host happens to run in, a different one in each host.
// They keep paths that do not exist (now): a folder on a disk that is not
// mounted must not vanish from the settings or a project.
enum class BRPathListKind {
    recent,  // distinct paths, in order
    perMode  // one slot per working mode: never compacted, "" where empty
};

// True when the settings file gives path back as it is: an absolute path in
// valid UTF-8 without white space at its ends, or the empty text. A folder name
// that is not UTF-8 is a name the document cannot carry: written, it would
// come back as another name, or not at all.
bool isStorablePath(const juce::String& path);

// Appends a "File" element for each entry of paths as kind keeps it, up to
// kMaxPathListEntries elements. Nothing happens for a null listElement.
void writePathList(const juce::StringArray& paths, juce::XmlElement* listElement, BRPathListKind kind);

// Replaces paths by the entries the children's "name" attributes give, as
// kind keeps them, at most kMaxPathListEntries, when listElement has child
// elements; else paths stays as it is.
void readPathList(juce::StringArray& paths, const juce::XmlElement* listElement, BRPathListKind kind);
