#include "editor/drag_description.h"

#include <cstring>

namespace {

const char* const kCellPrefix = "waveform ";
// More digits than this could not name a row or a cell, and would overflow an int.
constexpr int kMostDigits = 9;

// The number the text is, when it is nothing but one to kMostDigits decimal digits.
std::optional<int> decimalNumber(const juce::String& text)
{
    if (text.isEmpty() || text.length() > kMostDigits || !text.containsOnly("0123456789"))
        return std::nullopt;
    return text.getIntValue();
}

std::optional<int> indexBelow(const juce::String& text, int count)
{
    const std::optional<int> number = decimalNumber(text);
    if (!number || *number >= count)
        return std::nullopt;
    return number;
}

}  // namespace

juce::String cellDragDescription(int output, int input)
{
    return kCellPrefix + juce::String(output) + "," + juce::String(input);
}

bool isCellDragDescription(const juce::String& description) { return description.contains("waveform"); }

std::optional<int> listRowOfDrag(const juce::String& description, int rowCount)
{
    return indexBelow(description.trim(), rowCount);
}

std::optional<BRCellIndex> cellOfDrag(const juce::String& description, int outputs, int inputs)
{
    if (!description.startsWith(kCellPrefix))
        return std::nullopt;
    const juce::String pair = description.substring(static_cast<int>(std::strlen(kCellPrefix)));
    const std::optional<int> output = indexBelow(pair.upToFirstOccurrenceOf(",", false, false), outputs);
    const std::optional<int> input = indexBelow(pair.fromFirstOccurrenceOf(",", false, false), inputs);
    if (!pair.containsChar(',') || !output || !input)
        return std::nullopt;
    return BRCellIndex{*output, *input};
}
