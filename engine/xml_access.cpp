#include "engine/xml_access.h"

#include <charconv>
#include <cmath>

#include "engine/number_text.h"

namespace {

juce::juce_wchar toAsciiLower(juce::juce_wchar c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

}  // namespace

bool namesMatch(juce::StringRef a, juce::StringRef b)
{
    auto p = a.text;
    auto q = b.text;
    for (;;) {
        const juce::juce_wchar c = p.getAndAdvance();
        const juce::juce_wchar d = q.getAndAdvance();
        if (toAsciiLower(c) != toAsciiLower(d))
            return false;
        if (c == 0)
            return true;
    }
}

const juce::XmlElement* findChild(const juce::XmlElement& parent, juce::StringRef name)
{
    for (const auto* child : parent.getChildIterator())
        if (!child->isTextElement() && namesMatch(child->getTagName(), name))
            return child;
    return nullptr;
}

namespace {

// The index of the first attribute whose name matches, or -1.
int findAttribute(const juce::XmlElement& element, juce::StringRef name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (namesMatch(element.getAttributeName(i), name))
            return i;
    return -1;
}

}  // namespace

juce::String getTextAttribute(const juce::XmlElement& element, juce::StringRef name, const juce::String& fallback)
{
    const int index = findAttribute(element, name);
    return index < 0 ? fallback : element.getAttributeValue(index);
}

namespace {

// from_chars over the whole of text, which must be ASCII; a leading '+' is allowed.
template <typename Number>
std::optional<Number> parseWhole(const juce::String& text)
{
    const char* first = text.toRawUTF8();
    const char* last = first + text.getNumBytesAsUTF8();
    if (last - first > 1 && *first == '+' && first[1] != '-')
        ++first;
    Number value{};
    const auto result = std::from_chars(first, last, value);
    if (first == last || result.ec != std::errc() || result.ptr != last)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> getStrictIntAttribute(const juce::XmlElement& element, juce::StringRef name)
{
    const int index = findAttribute(element, name);
    return index < 0 ? std::nullopt : parseWhole<int>(element.getAttributeValue(index));
}

std::optional<double> getStrictDoubleAttribute(const juce::XmlElement& element, juce::StringRef name)
{
    const int index = findAttribute(element, name);
    if (index < 0)
        return std::nullopt;
    const std::optional<double> value = parseWhole<double>(element.getAttributeValue(index));
    return value && std::isfinite(*value) ? value : std::nullopt;
}

void setDoubleAttribute(juce::XmlElement& element, const juce::Identifier& name, double value)
{
    element.setAttribute(name, formatDouble(value));
}
