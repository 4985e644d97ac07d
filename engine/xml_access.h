#pragma once

#include <optional>

#include <juce_core/juce_core.h>

// The documents' tag and attribute names match without regard to ASCII letter
// case; numbers are written and read the same way in every locale. Any thread.

bool namesMatch(juce::StringRef a, juce::StringRef b);

// The first child element whose tag matches name, or null.
const juce::XmlElement* findChild(const juce::XmlElement& parent, juce::StringRef name);

// The value of the first attribute whose name matches, or fallback.
juce::String getTextAttribute(const juce::XmlElement& element, juce::StringRef name, const juce::String& fallback = {});

// The value of the first attribute whose name matches when it is, as a whole,
// a decimal integer that fits an int, or a finite decimal number; nothing when
// the attribute is missing or holds anything else.
std::optional<int> getStrictIntAttribute(const juce::XmlElement& element, juce::StringRef name);
std::optional<double> getStrictDoubleAttribute(const juce::XmlElement& element, juce::StringRef name);

// Writes value with up to nine significant digits ("%.9g" in the C locale).
void setDoubleAttribute(juce::XmlElement& element, const juce::Identifier& name, double value);
