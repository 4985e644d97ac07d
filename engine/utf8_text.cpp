#include "engine/utf8_text.h"

#include <climits>
#include <cstring>

namespace {

// The length of the sequence that lead starts; 0 for a byte no sequence starts with.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

}  // namespace

std::optional<juce::String> utf8Text(const char* bytes, std::size_t size)
{
    if (size > static_cast<std::size_t>(INT_MAX) || !isValidUtf8(bytes, size))
        return std::nullopt;
    return juce::String::fromUTF8(bytes, static_cast<int>(size));
}

std::optional<juce::String> utf8Text(const std::string& bytes) { return utf8Text(bytes.data(), bytes.size()); }

juce::String readableText(const char* bytes, std::size_t size)
{
    std::string readable;
    readable.reserve(size);
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(bytes[at]));
        if (length > 0 && length <= size - at && isValidUtf8(bytes + at, length)) {
            readable.append(bytes + at, length);
            at += length;
        } else {
            readable += kReplacementCharacter;
            ++at;
        }
    }
    return utf8Text(readable).value_or(juce::String());
}

juce::String readableText(const char* cString)
{
    return cString == nullptr ? juce::String() : readableText(cString, std::strlen(cString));
}

juce::String systemErrorText(int error) { return readableText(std::strerror(error)); }

bool isValidUtf8(const juce::String& text)
{
    const char* bytes = text.toRawUTF8();
    return isValidUtf8(bytes, std::strlen(bytes));
}
