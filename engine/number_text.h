#pragma once

#include <optional>
#include <string_view>

#include <juce_core/juce_core.h>

// Numbers as text in the same form in every locale: a decimal point, never a
// comma (JUCE's own double formatting follows the global C++ locale). Any thread;
// allocates the string.

// Up to nine significant digits, as printf's "%.9g" in the C locale.
juce::String formatDouble(double value);

// Exactly decimals digits after the point, as printf's "%.*f" in the C locale.
juce::String formatFixed(double value, int decimals);

// The finite decimal number that the whole text writes, as a user types one:
// spaces about it, an optional sign ('+' or '-'), digits with one decimal
// point or comma, and an exponent ("1e3"). Nothing for anything else: no
// digits, a lone sign, letters, a second point, "inf", "nan", a number beyond
// a double's range.
std::optional<double> parseDecimal(std::string_view text);
