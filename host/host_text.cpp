#include "host/host_text.h"

#include <cstring>

void copyHostText(char* destination, const juce::String& text, int maxBytes)
{
    const char* source = text.toRawUTF8();
    int length = 0;
    while (length < maxBytes && source[length] != '\0')
        ++length;
    // Back off to the start of a character: continuation bytes are 10xxxxxx.
    if (source[length] != '\0')
        while (length > 0 && (static_cast<unsigned char>(source[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(destination, source, static_cast<std::size_t>(length));
    destination[length] = '\0';
}
