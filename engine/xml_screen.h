#pragma once

#include <cstddef>
#include <memory>

#include <juce_core/juce_core.h>

#include "engine/utf8_text.h"

class BRFileSnapshot;

// The toolkit's XML parser trusts its input: it recurses per nesting level and
// per entity, follows external DTDs, reads past a buffer that ends inside a
// UTF-8 sequence, and accepts documents that are cut short. Every document the
// plug-in reads from outside (the host's state chunk, the settings file) passes
// this screen first. Any thread; allocates only the parsed document.

// The largest document read: the state and the settings hold a few hundred
// bytes of numbers and two path lists of at most kMaxPathListEntries paths.
constexpr std::size_t kMaxDocumentBytes = std::size_t{4} << 20;
// The deepest nesting read; the documents themselves nest three levels.
constexpr int kMaxDocumentDepth = 16;
// The most attributes one element may carry.
constexpr int kMaxElementAttributes = 32;

// True when text (size bytes, no terminator needed) is a complete, well-formed
// document within the limits above: valid UTF-8 throughout, no DOCTYPE (hence
// no entity declarations and no external reads), references only to the five
// predefined entities and to characters (any the toolkit itself writes, those
// that are no Unicode scalar value too: the text holding one fails
// isValidUtf8, and readers drop that text alone), one root element with every tag closed
// by its own name, quoted and unique attributes, and nothing but comments,
// processing instructions and white space around the root. Never recurses.
bool isScreenedDocument(const char* text, std::size_t size);

// The document's root element when text passes the screen, else null.
std::unique_ptr<juce::XmlElement> parseScreenedDocument(const char* text, std::size_t size);

// The root element of the document a snapshot read (file_snapshot.h), when
// it passes the screen, else null.
std::unique_ptr<juce::XmlElement> parseScreenedSnapshot(const BRFileSnapshot& snapshot);

// The root element of the document in file when the file is a regular file of
// at most kMaxDocumentBytes whose content passes the screen, else null. Never
// blocks on a FIFO or a device; reads no more than the limit.
std::unique_ptr<juce::XmlElement> parseScreenedFile(const juce::File& file);
