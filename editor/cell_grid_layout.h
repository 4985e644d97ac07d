#pragma once

#include <juce_graphics/juce_graphics.h>

// Where the editor places its IR cells: one row per output and one column per
// input, in the 580 x 410 pixel area from (170, 100), 5 pixels apart.
// Matrices beyond 32 x 32 show their first 32 rows and columns, so that no cell
// is too small to see or to hit; a matrix without rows or columns shows no
// cell. Any thread.
struct BRCellGridLayout {
    static constexpr int kLeft = 170;
    static constexpr int kTop = 100;
    static constexpr int kAreaWidth = 580;
    static constexpr int kAreaHeight = 410;
    static constexpr int kGap = 5;
    static constexpr int kMostShown = 32;

    int rows = 0;
    int columns = 0;
    int cellWidth = 0;
    int cellHeight = 0;

    // The bounds of the cell of that row and column, both shown.
    juce::Rectangle<int> cellBounds(int row, int column) const;
};

// The layout of a matrix of outputs rows and inputs columns (either may be 0 or negative).
BRCellGridLayout layoutCellGrid(int outputs, int inputs);
