#pragma once

#include <juce_core/juce_core.h>

// The documents' tag and attribute names match without regard to ASCII letter
// case; numbers are written and read the same way in every locale. Any thread.

bool namesMatch(juce::StringRef a, juce::StringRef b);

// The first child element whose tag matches name, or null.
const juce::XmlElement* findChild(const juce::XmlElement& parent, juce::StringRef name);

// The value of the first attribute whose name matches, or fallback.
juce::String getTextAttribute(const juce::XmlElement& element, juce::StringRef name, const juce::String& fallback = {});
int getIntAttribute(const juce::XmlElement& element, juce::StringRef name, int fallback = 0);
double getDoubleAttribute(const juce::XmlElement& element, juce::StringRef name, double fallback = 0.0);

// Writes value with up to nine significant digits ("%.9g" in the C locale).
void setDoubleAttribute(juce::XmlElement& element, const juce::Identifier& name, double value);
