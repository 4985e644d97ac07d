#pragma once

#include <optional>

#include <juce_core/juce_core.h>

// The texts that drags carry inside the editor: a drag from the IR file list
// names the selected row in decimal ("3"); a drag from an IR cell names the
// cell as "waveform " followed by its output and input, from 0 ("waveform 1,0").
// Both are read strictly: a text that names no row of the list or no cell of
// the matrix names nothing. Any thread.

struct BRCellIndex {
    int output;
    int input;
};

juce::String cellDragDescription(int output, int input);

// True for the texts of drags from cells, which carry "waveform".
bool isCellDragDescription(const juce::String& description);

// The row a list drag names: the whole text, blanks around it aside, one
// decimal number below rowCount.
std::optional<int> listRowOfDrag(const juce::String& description, int rowCount);

// The cell a cell drag names: exactly "waveform o,i" with o below outputs and
// i below inputs.
std::optional<BRCellIndex> cellOfDrag(const juce::String& description, int outputs, int inputs);
