#include "editor/cell_grid_layout.h"

#include <algorithm>

juce::Rectangle<int> BRCellGridLayout::cellBounds(int row, int column) const
{
    return {kLeft + column * (cellWidth + kGap), kTop + row * (cellHeight + kGap), cellWidth, cellHeight};
}

BRCellGridLayout layoutCellGrid(int outputs, int inputs)
{
    BRCellGridLayout layout;
    layout.rows = std::clamp(outputs, 0, BRCellGridLayout::kMostShown);
    layout.columns = std::clamp(inputs, 0, BRCellGridLayout::kMostShown);
    if (layout.rows == 0 || layout.columns == 0)
        return BRCellGridLayout{};
    layout.cellWidth = BRCellGridLayout::kAreaWidth / layout.columns - BRCellGridLayout::kGap;
    layout.cellHeight = BRCellGridLayout::kAreaHeight / layout.rows - BRCellGridLayout::kGap;
    return layout;
}
