#pragma once

// What a packed IR file holds and how it is encoded: the choices of the Pack
// tool's radio buttons and combo boxes.

// Multi: channel o holds the IRs of row o, cell [o][0] first, each IR size
// long. 1-To-1: channel c holds the diagonal cell [c][c]. Numbered as the
// tool's pack mode.
enum class BRPackKind {
    multi = 1,
    oneToOne = 2
};

// WAV with the extensible header, or AIFF; in the order of the "Format" box.
enum class BRPackFormat {
    wav,
    aiff
};

// In the order of the "Bit depth" box.
enum class BRPackDepth {
    pcm16,
    pcm24,
    float32
};
