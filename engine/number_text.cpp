#include "engine/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

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

constexpr std::string_view kSpaces = " \t\n\v\f\r";

}  // namespace

juce::String formatDouble(double value) { return formatWith(value, std::chars_format::general, 9); }

juce::String formatFixed(double value, int decimals) { return formatWith(value, std::chars_format::fixed, decimals); }

std::optional<double> parseDecimal(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kSpaces) + 1 - first);
    // from_chars reads no plus sign, and a minus after one would be a second sign.
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    // Many locales write a decimal comma; a second mark of either kind stays an error.
    std::string number(text);
    std::replace(number.begin(), number.end(), ',', '.');
    double value = 0.0;
    const char* const end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}
