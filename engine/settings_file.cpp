#include "engine/settings.h"

#include <filesystem>
#include <system_error>

#include "engine/channel_counts.h"
#include "engine/ir_cell.h"
#include "engine/working_mode.h"
#include "engine/xml_access.h"
#include "engine/xml_screen.h"
#include "engine/utf8_text.h"

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

// A path as the lists keep it: absolute and valid UTF-8, whether it exists or
// not (a folder on a disk that is not mounted comes back with the disk); an
// empty text otherwise. The text is judged by its own bytes before any string
// operation: one the toolkit made of other bytes reads as a prefix of itself.
juce::String keptPath(const juce::String& text)
{
    if (!isValidUtf8(text))
        return {};
    const juce::File file = fileOfStoredPath(text);
    const juce::String path = file.getFullPathName();
    return file != juce::File() && isValidUtf8(path) ? path : juce::String();
}

// The entries of a list as it is kept, at most kMaxPathListEntries: the
// recent list holds distinct paths; the per-mode list keeps one slot per entry,
// empty where the path could not be kept, so that no entry moves to another mode.
template <typename Texts>
juce::StringArray keptPathList(const Texts& texts, BRPathListKind kind)
{
    juce::StringArray kept;
    for (const juce::String& text : texts) {
        if (kept.size() == kMaxPathListEntries)
            break;
        const juce::String path = keptPath(text);
        if (kind == BRPathListKind::perMode)
            kept.add(path);
        else if (path.isNotEmpty() && !kept.contains(path, false))
            kept.add(path);
    }
    return kept;
}

void addNumber(juce::XmlElement& root, juce::StringRef elementName, const juce::Identifier& attributeName, int value)
{
    root.createNewChildElement(elementName)->setAttribute(attributeName, value);
}

}  // namespace

void writePathList(const juce::StringArray& paths, juce::XmlElement* listElement, BRPathListKind kind)
{
    if (listElement == nullptr)
        return;
    for (const auto& path : keptPathList(paths, kind))
        listElement->createNewChildElement("File")->setAttribute("name", path);
}

void readPathList(juce::StringArray& paths, const juce::XmlElement* listElement, BRPathListKind kind)
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
    paths = keptPathList(names, kind);
}

bool isStorablePath(const juce::String& path) { return keptPath(path) == path; }

bool loadSettings(BRSettings& settings, const juce::File& file)
{
    return loadSettings(settings, BRFileSnapshot(file, kMaxDocumentBytes));
}

bool loadSettings(BRSettings& settings, const BRFileSnapshot& snapshot)
{
    const BRSettings defaults;
    const std::unique_ptr<juce::XmlElement> root = parseScreenedSnapshot(snapshot);
    if (root == nullptr) {
        settings.inputs = defaults.inputs;
        settings.outputs = defaults.outputs;
        settings.irSize = defaults.irSize;
        settings.fftSize = defaults.fftSize;
        settings.zeroLatency = defaults.zeroLatency;
        settings.workingMode = defaults.workingMode;
        // Whatever is there and was refused stays for the user to look at.
        return snapshot.state() == BRFileSnapshot::State::missing;
    }
    if (const auto* lastDir = findChild(*root, "LastDir")) {
        // A name the lists could not keep leaves the field as it was.
        const juce::String text = lastDir->getAllSubText();
        const juce::String path = keptPath(text);
        if (path.isNotEmpty() || text.trim().isEmpty())
            settings.lastDir = juce::File(path);
    }
    readPathList(settings.lastPathList, findChild(*root, "LastPathList"), BRPathListKind::perMode);
    readPathList(settings.dropDownList, findChild(*root, "DropDownList"), BRPathListKind::recent);
    readNumber(settings.inputs, *root, "Inputs", "number", isValidChannelCount, defaults.inputs);
    readNumber(settings.outputs, *root, "Outputs", "number", isValidChannelCount, defaults.outputs);
    readNumber(settings.irSize, *root, "IRsize", "size", isIrSize, defaults.irSize);
    readNumber(settings.fftSize, *root, "FFTsize", "size", isOfferedFftSize, defaults.fftSize);
    readNumber(settings.zeroLatency, *root, "ZeroLatency", "state", isFlag, defaults.zeroLatency);
    readNumber(settings.workingMode, *root, "WorkingMode", "mode", isWorkingModeNumber, defaults.workingMode);
    return true;
}

BRFileReplacement saveSettings(const BRSettings& settings, const juce::File& file, juce::String* why,
                               const BRFileSnapshot* mergedFrom)
{
    juce::XmlElement root("Brondil");
    root.createNewChildElement("LastDir")->addTextElement(keptPath(settings.lastDir.getFullPathName()));
    writePathList(settings.lastPathList, root.createNewChildElement("LastPathList"), BRPathListKind::perMode);
    writePathList(settings.dropDownList, root.createNewChildElement("DropDownList"), BRPathListKind::recent);
    addNumber(root, "Inputs", "number", settings.inputs);
    addNumber(root, "Outputs", "number", settings.outputs);
    addNumber(root, "IRsize", "size", settings.irSize);
    addNumber(root, "FFTsize", "size", settings.fftSize);
    addNumber(root, "ZeroLatency", "state", settings.zeroLatency);
    addNumber(root, "WorkingMode", "mode", settings.workingMode);

    // The system's reason, where JUCE would blame the ancestor that is a file.
    std::error_code folderError;
    std::filesystem::create_directories(file.getParentDirectory().getFullPathName().toStdString(), folderError);
    if (folderError) {
        if (why != nullptr)
            *why = systemErrorText(folderError.value());
        return BRFileReplacement::failed;
    }
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.newLineChars = "\n";
    const std::string text = root.toString(format).toStdString();
    return replaceFileContent(file, text.data(), text.size(), why, mergedFrom);
}
