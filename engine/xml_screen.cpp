#include "engine/xml_screen.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/file_snapshot.h"

namespace {

bool isXmlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Names are ASCII here: the documents use no others, and the toolkit's idea of
// a name character beyond ASCII is its own.
bool isNameStart(unsigned char c) { return isAsciiLetter(c) || c == '_' || c == ':'; }

bool isNameChar(unsigned char c) { return isNameStart(c) || isDigit(c) || c == '-' || c == '.'; }

// The toolkit decodes any byte sequence to a character, up to this one, and
// writes what is not a Unicode scalar value (a surrogate, say) as a reference
// all the same: an earlier version saved folder names that are not UTF-8 so.
// Such a reference is no danger to the parser; the text it stands in is not
// valid UTF-8, and the readers refuse that text alone (isValidUtf8).
constexpr std::uint32_t kLargestDecodedCharacter = 0x3FFFFF;

bool hasOnlyTextControls(const char* text, std::size_t size)
{
    for (std::size_t k = 0; k < size; ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c < 0x20 && !isXmlSpace(c))
            return false;
    }
    return true;
}

// Walks a document once, front to back, with the open elements on an explicit
// stack of at most kMaxDocumentDepth names.
class DocumentWalk {
public:
    DocumentWalk(const char* text, std::size_t size) : p(reinterpret_cast<const unsigned char*>(text)), end(p + size) {}

    bool isWellFormed()
    {
        static const unsigned char byteOrderMark[] = {0xEF, 0xBB, 0xBF};
        if (end - p >= 3 && std::memcmp(p, byteOrderMark, 3) == 0)
            p += 3;
        if (!skipMisc())
            return false;
        if (p == end || *p != '<' || !startTag())
            return false;
        while (!open.empty())
            if (!content())
                return false;
        return skipMisc() && p == end;
    }

private:
    bool startsWith(std::string_view literal) const
    {
        return static_cast<std::size_t>(end - p) >= literal.size() &&
               std::memcmp(p, literal.data(), literal.size()) == 0;
    }

    void skipSpace()
    {
        while (p < end && isXmlSpace(*p))
            ++p;
    }

    // Moves past the first terminator; false when there is none.
    bool skipPast(std::string_view terminator)
    {
        for (; p < end; ++p)
            if (startsWith(terminator)) {
                p += terminator.size();
                return true;
            }
        return false;
    }

    bool comment()
    {
        p += 4;  // "<!--"
        for (; p < end; ++p)
            if (startsWith("--"))
                return startsWith("-->") && (p += 3, true);
        return false;
    }

    bool processingInstruction()
    {
        p += 2;  // "<?"
        return p < end && isNameStart(*p) && skipPast("?>");
    }

    // White space, comments and processing instructions (the XML declaration
    // among them) before and after the root element. A DOCTYPE is no part of it.
    bool skipMisc()
    {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                if (!comment())
                    return false;
            } else if (startsWith("<?")) {
                if (!processingInstruction())
                    return false;
            } else {
                return true;
            }
        }
    }

    bool name(std::string_view& result)
    {
        const unsigned char* first = p;
        if (p == end || !isNameStart(*p))
            return false;
        while (p < end && isNameChar(*p))
            ++p;
        result = std::string_view(reinterpret_cast<const char*>(first), static_cast<std::size_t>(p - first));
        return true;
    }

    // At '&': one of the five predefined entities or a character reference.
    bool reference()
    {
        ++p;
        if (p < end && *p == '#') {
            ++p;
            const bool hex = p < end && *p == 'x';
            if (hex)
                ++p;
            std::uint32_t code = 0;
            int digits = 0;
            for (; p < end && *p != ';'; ++p, ++digits) {
                const unsigned char c = *p;
                std::uint32_t value = 0;
                if (isDigit(c))
                    value = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    value = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    value = c - 'A' + 10;
                else
                    return false;
                code = code * (hex ? 16 : 10) + value;
                if (code > kLargestDecodedCharacter)
                    return false;
            }
            // The toolkit writes every character outside its plain set this
            // way, control characters included: those are read back too.
            return p < end && digits > 0 && code != 0 && (++p, true);
        }
        for (const std::string_view entity : {"amp;", "lt;", "gt;", "quot;", "apos;"})
            if (startsWith(entity)) {
                p += entity.size();
                return true;
            }
        return false;
    }

    bool attributeValue()
    {
        if (p == end || (*p != '"' && *p != '\''))
            return false;
        const unsigned char quote = *p++;
        while (p < end && *p != quote) {
            if (*p == '<')
                return false;
            if (*p == '&') {
                if (!reference())
                    return false;
            } else {
                ++p;
            }
        }
        return p < end && (++p, true);
    }

    // At '<' of a start tag: the name, the attributes, and '>' or "/>".
    bool startTag()
    {
        ++p;
        std::string_view tag;
        if (!name(tag))
            return false;
        std::vector<std::string_view> attributes;
        for (;;) {
            const unsigned char* beforeSpace = p;
            skipSpace();
            if (p == end)
                return false;
            if (*p == '>') {
                ++p;
                if (open.size() >= static_cast<std::size_t>(kMaxDocumentDepth))
                    return false;
                open.push_back(tag);
                return true;
            }
            if (startsWith("/>")) {
                p += 2;
                return open.size() < static_cast<std::size_t>(kMaxDocumentDepth);
            }
            std::string_view attribute;
            if (p == beforeSpace || !name(attribute))
                return false;
            for (const auto& seen : attributes)
                if (seen == attribute)
                    return false;
            if (attributes.size() >= static_cast<std::size_t>(kMaxElementAttributes))
                return false;
            attributes.push_back(attribute);
            skipSpace();
            if (p == end || *p != '=')
                return false;
            ++p;
            skipSpace();
            if (!attributeValue())
                return false;
        }
    }

    bool endTag()
    {
        p += 2;  // "</"
        std::string_view tag;
        if (!name(tag) || tag != open.back())
            return false;
        skipSpace();
        if (p == end || *p != '>')
            return false;
        ++p;
        open.pop_back();
        return true;
    }

    // One piece of an open element's content: text, a reference, a comment, a
    // processing instruction, a CDATA section, a child's start tag or the end tag.
    bool content()
    {
        if (p == end)
            return false;
        if (*p == '&')
            return reference();
        if (*p != '<') {
            if (startsWith("]]>"))
                return false;
            ++p;
            return true;
        }
        if (startsWith("</"))
            return endTag();
        if (startsWith("<!--"))
            return comment();
        if (startsWith("<![CDATA["))
            return (p += 9, skipPast("]]>"));
        // JUCE's parser can loop forever on a processing instruction among an
        // element's children, and our documents never hold one there.
        if (startsWith("<?"))
            return false;
        return startTag();
    }

    const unsigned char* p;
    const unsigned char* end;
    std::vector<std::string_view> open;
};

}  // namespace

bool isScreenedDocument(const char* text, std::size_t size)
{
    if (text == nullptr || size == 0 || size > kMaxDocumentBytes)
        return false;
    // Control characters stand in documents only as references.
    if (!isValidUtf8(text, size) || !hasOnlyTextControls(text, size))
        return false;
    return DocumentWalk(text, size).isWellFormed();
}

std::unique_ptr<juce::XmlElement> parseScreenedDocument(const char* text, std::size_t size)
{
    if (!isScreenedDocument(text, size))
        return nullptr;
    // The string ends in a NUL of its own: the parser stops there and nowhere past it.
    return juce::XmlDocument::parse(juce::String::fromUTF8(text, static_cast<int>(size)));
}

std::unique_ptr<juce::XmlElement> parseScreenedSnapshot(const BRFileSnapshot& snapshot)
{
    if (snapshot.state() != BRFileSnapshot::State::read)
        return nullptr;
    return parseScreenedDocument(snapshot.content().data(), snapshot.content().size());
}

std::unique_ptr<juce::XmlElement> parseScreenedFile(const juce::File& file)
{
    return parseScreenedSnapshot(BRFileSnapshot(file, kMaxDocumentBytes));
}
