#include "engine/settings.h"

#include "engine/xml_access.h"
#include "engine/xml_screen.h"

namespace {

// Children of a list element looked at: enough for a full list when some
// entries are gone or repeated, few enough that a huge list costs nothing.
constexpr int kPathListCandidates = 4 * kMaxPathListEntries;

// A path from a document, or none: relative paths have no meaning there.
juce::File fileOfStoredPath(const juce::String& text)
{
    const juce::String path = text.trim();
    return juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File();
}

void readNumber(int& field, const juce::XmlElement& root, juce::StringRef elementName, juce::StringRef attributeName)
{
    if (const auto* element = findChild(root, elementName))
        field = getIntAttribute(*element, attributeName, 0);
}

// Appends the full path of file to paths unless it does not exist, is there
// already, or could not come back from a document as it is.
void addListedFile(juce::StringArray& paths, const juce::File& file)
{
    const juce::String path = file.getFullPathName();
    if (file.exists() && isValidUtf8(path) && !paths.contains(path, false))
        paths.add(path);
}

// The entries of a list as it is kept: existing, distinct, at most kMaxPathListEntries.
template <typename Texts>
juce::StringArray keptPathList(const Texts& texts)
{
    juce::StringArray kept;
    for (const juce::String& text : texts) {
        if (kept.size() == kMaxPathListEntries)
            break;
        addListedFile(kept, fileOfStoredPath(text));
    }
    return kept;
}

void addNumber(juce::XmlElement& root, juce::StringRef elementName, const juce::Identifier& attributeName, int value)
{
    root.createNewChildElement(elementName)->setAttribute(attributeName, value);
}

}  // namespace

void writePathList(const juce::StringArray& paths, juce::XmlElement* listElement)
{
    if (listElement == nullptr)
        return;
    for (const auto& path : keptPathList(paths))
        listElement->createNewChildElement("File")->setAttribute("name", path);
}

void readPathList(juce::StringArray& paths, const juce::XmlElement* listElement)
{
    if (listElement == nullptr || listElement->getNumChildElements() == 0)
        return;
    juce::StringArray names;
    for (const auto* child : listElement->getChildIterator()) {
        // Enough candidates for a full list even when many are gone or repeated.
        if (names.size() == kPathListCandidates)
            break;
        names.add(getTextAttribute(*child, "name"));
    }
    paths = keptPathList(names);
}

bool loadSettings(BRSettings& settings, const juce::File& file)
{
    const std::unique_ptr<juce::XmlElement> root = parseScreenedFile(file);
    if (root == nullptr) {
        settings.inputs = 2;
        settings.outputs = 2;
        settings.irSize = 1024;
        settings.fftSize = 1024;
        settings.zeroLatency = 0;
        settings.workingMode = 0;
        // Whatever is there and was refused stays for the user to look at.
        return !file.exists();
    }
    if (const auto* lastDir = findChild(*root, "LastDir"))
        settings.lastDir = fileOfStoredPath(lastDir->getAllSubText());
    readPathList(settings.lastPathList, findChild(*root, "LastPathList"));
    readPathList(settings.dropDownList, findChild(*root, "DropDownList"));
    readNumber(settings.inputs, *root, "Inputs", "number");
    readNumber(settings.outputs, *root, "Outputs", "number");
    readNumber(settings.irSize, *root, "IRsize", "size");
    readNumber(settings.fftSize, *root, "FFTsize", "size");
    readNumber(settings.zeroLatency, *root, "ZeroLatency", "state");
    readNumber(settings.workingMode, *root, "WorkingMode", "mode");
    return true;
}

bool saveSettings(const BRSettings& settings, const juce::File& file)
{
    juce::XmlElement root("Brondil");
    root.createNewChildElement("LastDir")->addTextElement(settings.lastDir.getFullPathName());
    writePathList(settings.lastPathList, root.createNewChildElement("LastPathList"));
    writePathList(settings.dropDownList, root.createNewChildElement("DropDownList"));
    addNumber(root, "Inputs", "number", settings.inputs);
    addNumber(root, "Outputs", "number", settings.outputs);
    addNumber(root, "IRsize", "size", settings.irSize);
    addNumber(root, "FFTsize", "size", settings.fftSize);
    addNumber(root, "ZeroLatency", "state", settings.zeroLatency);
    addNumber(root, "WorkingMode", "mode", settings.workingMode);

    if (!file.getParentDirectory().createDirectory())
        return false;
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.newLineChars = "\n";
    return root.writeTo(file, format);
}
