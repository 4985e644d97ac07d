#pragma once

#include <juce_core/juce_core.h>

// Numbers as text in the same form in every locale: a decimal point, never a
// comma (JUCE's own double formatting follows the global C++ locale). Any thread;
// allocates the string.

// Up to nine significant digits, as printf's "%.9g" in the C locale.
juce::String formatDouble(double value);

// Exactly decimals digits after the point, as printf's "%.*f" in the C locale.
juce::String formatFixed(double value, int decimals);
