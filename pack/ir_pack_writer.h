#pragma once

#include <vector>

#include <juce_core/juce_core.h>

#include "engine/ir_cell.h"
#include "pack/pack_options.h"

// What a pack is written with, besides the cells.
struct BRPackSpec {
    BRPackKind kind = BRPackKind::multi;
    BRPackFormat format = BRPackFormat::wav;
    BRPackDepth depth = BRPackDepth::pcm16;
    int irSize = 0;      // samples per cell in the file, the editor's accepted IR size
    int sampleRate = 0;  // the processor's rate, truncated toward zero
};

struct BRPackResult {
    bool saved = false;
    juce::String error;  // why nothing was saved: the failing call's own reason
};

// Writes the IR matrix cells[output][input] as one packed IR file at target:
// one channel per output, multi packs inputs × irSize frames long, 1-To-1 packs
// irSize; each cell's IR cut or padded with zeros to irSize (an empty cell is
// silence); software string "Brondil", comment "BrMulti" or "Br1To1"; in 16-
// and 24-bit files each sample rounded to the nearest step and clipped to full
// scale. The cells are read as they are now and never beyond their own samples.
// Saved only when every frame went into the file and it closed cleanly: the
// file is written beside target under a short hidden temporary name of its own
// and renamed onto it (replacing a file there) only then, so a failure leaves
// target as it was. Message thread (the cells change there); allocates and
// touches the disk.
BRPackResult writeIrPack(const std::vector<std::vector<BRIrCell>>& cells, const BRPackSpec& spec,
                         const juce::File& target);
