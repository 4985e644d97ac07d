#include "engine/number_text.h"

#include <charconv>

namespace {

template <typename Format>
juce::String formatWith(double value, Format format, int precision)
{
    char text[400];  // the longest fixed form of a double, with room for the decimals asked here
    const auto result = std::to_chars(text, text + sizeof(text), value, format, precision);
    if (result.ec != std::errc())
        return {};
    return juce::String(text, static_cast<size_t>(result.ptr - text));
}

}  // namespace

juce::String formatDouble(double value) { return formatWith(value, std::chars_format::general, 9); }

juce::String formatFixed(double value, int decimals) { return formatWith(value, std::chars_format::fixed, decimals); }
