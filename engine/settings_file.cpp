#include "engine/settings.h"

#include "engine/channel_counts.h"
#include "engine/ir_cell.h"
#include "engine/working_mode.h"
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

// Every size the editor offers for some block size: the powers of two up to
// the one that holds two of the longest blocks.
bool isOfferedFftSize(int size)
{
    return size >= 2 && size <= 2 * BRPartitionedConvolver::kMaxBlockSize && (size & (size - 1)) == 0;
}

bool isIrSize(int size) { return size >= 1 && size <= kMaxCellSamples; }

bool isFlag(int value) { return value == 0 || value == 1; }

bool isWorkingModeNumber(int number) { return workingModeOf(number).has_value(); }

// A damaged or foreign value must not reach the engine, nor go back into the file.
void readNumber(int& field, const juce::XmlElement& root, juce::StringRef elementName, juce::StringRef attributeName,
                bool (*isValid)(int), int fallback)
{
    const auto* element = findChild(root, elementName);
    if (element == nullptr)
        return;
    const std::optional<int> value = getStrictIntAttribute(*element, attributeName);
    field = value && isValid(*value) ? *value : fallback;
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
    const BRSettings defaults;
    const std::unique_ptr<juce::XmlElement> root = parseScreenedFile(file);
    if (root == nullptr) {
        settings.inputs = defaults.inputs;
        settings.outputs = defaults.outputs;
        settings.irSize = defaults.irSize;
        settings.fftSize = defaults.fftSize;
        settings.zeroLatency = defaults.zeroLatency;
        settings.workingMode = defaults.workingMode;
        // Whatever is there and was refused stays for the user to look at.
        return !file.exists();
    }
    if (const auto* lastDir = findChild(*root, "LastDir"))
        settings.lastDir = fileOfStoredPath(lastDir->getAllSubText());
    readPathList(settings.lastPathList, findChild(*root, "LastPathList"));
    readPathList(settings.dropDownList, findChild(*root, "DropDownList"));
    readNumber(settings.inputs, *root, "Inputs", "number", isValidChannelCount, defaults.inputs);
    readNumber(settings.outputs, *root, "Outputs", "number", isValidChannelCount, defaults.outputs);
    readNumber(settings.irSize, *root, "IRsize", "size", isIrSize, defaults.irSize);
    readNumber(settings.fftSize, *root, "FFTsize", "size", isOfferedFftSize, defaults.fftSize);
    readNumber(settings.zeroLatency, *root, "ZeroLatency", "state", isFlag, defaults.zeroLatency);
    readNumber(settings.workingMode, *root, "WorkingMode", "mode", isWorkingModeNumber, defaults.workingMode);
    return true;
}

BRFileReplacement saveSettings(const BRSettings& settings, const juce::File& file)
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
        return BRFileReplacement::failed;
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.newLineChars = "\n";
    const std::string text = root.toString(format).toStdString();
    return replaceFileContent(file, text.data(), text.size());
}
