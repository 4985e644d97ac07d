#pragma once

#include <juce_core/juce_core.h>

#include "engine/filter.h"

// Whether a sound file suits the processor's working mode: one channel in IR
// mono, as many as the outputs in the other modes, recorded at the host's
// sample rate. Before the host first starts the effect the rate is 0, unknown,
// and refuses no file. The file list holds the files that suited when the
// directory was scanned; a load checks again, since files change on disk.

// What a sound file's header says, as far as suiting goes.
struct BRIrFileHeader {
    bool opens = false;  // as a sound file
    int channels = 0;
    int rate = 0;
};

// What a mode needs of a file.
struct BRIrFileNeeds {
    int channels = 1;
    double hostRate = 0.0;  // 0: unknown
};

// The needs of the processor's working mode at its present rate. Message thread.
BRIrFileNeeds irFileNeedsOf(const BRFilter& filter);

// Reads the header of the file at path; a file that is gone, or is no
// regular file, does not open. Any thread.
BRIrFileHeader readIrFileHeader(const juce::String& path);

// Why the file at path, which did not open as a sound file, failed, in words
// for the user: "This file is gone" or "This file no longer opens as a sound
// file". Any thread.
juce::String whyIrFileDidNotOpen(const juce::String& path);

// True when a file of that header has what needs asks for.
bool irFileHeaderSuits(const BRIrFileHeader& header, const BRIrFileNeeds& needs);

// True when a file of that header is refused only for its rate.
bool irFileHeaderRefusedOnlyForRate(const BRIrFileHeader& header, const BRIrFileNeeds& needs);

// Empty when the file at path suits; otherwise why not, in words for the
// user. Reads the file afresh. Message thread.
juce::String whyIrFileDoesNotSuit(const BRFilter& filter, const juce::String& path);

// True when the file at path still suits; otherwise false after the
// processor's warning has said why. Message thread.
bool irFileStillSuits(BRFilter& filter, const juce::String& path);
