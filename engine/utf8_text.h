#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <juce_core/juce_core.h>

#include "engine/utf8_validation.h"

// Text from outside the plug-in (names from the file system, the system's own
// messages, the environment) becomes a toolkit string only once checked: the
// toolkit's conversion trusts its input (utf8_validation.h). Any thread;
// allocates the string.

// The text of bytes when they are UTF-8 throughout; nothing otherwise.
std::optional<juce::String> utf8Text(const char* bytes, std::size_t size);
std::optional<juce::String> utf8Text(const std::string& bytes);

// The text of bytes for the user to read: each byte that is not part of a
// valid UTF-8 sequence stands as U+FFFD. Never a name to open: a file name
// shown so may name nothing, or another file.
juce::String readableText(const char* bytes, std::size_t size);
juce::String readableText(const char* cString);

// The system's words for an errno value, readable whatever the encoding of
// the locale that translated them.
juce::String systemErrorText(int error);

// True when the string's own bytes are UTF-8: a string the toolkit built from
// unchecked bytes may hold others.
bool isValidUtf8(const juce::String& text);
