#pragma once

#include <cstddef>

// True when text (size bytes, no terminator needed) is strict UTF-8: no
// overlong forms, no surrogates, nothing past U+10FFFF, no sequence cut by the
// end. The toolkit's string conversion trusts its input: bytes that are not
// UTF-8 (a Latin-1 or cp1252 file name, say) come out as other characters or
// as a prefix, and a string built from them writes past its own buffer. So no
// such bytes reach it. Any thread; wait-free, no allocation.
bool isValidUtf8(const char* text, std::size_t size);
