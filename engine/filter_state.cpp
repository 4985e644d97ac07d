#include <cstdint>

#include "engine/filter.h"
#include "engine/number_text.h"
#include "engine/plugin_version.h"
#include "engine/sound_file.h"
#include "engine/xml_access.h"
#include "engine/xml_screen.h"

namespace {

juce::String channelMismatchMessage(int storedInputs, int storedOutputs)
{
    return "This patch was saved with a different channel configuration: " + juce::String(storedInputs) + " inputs, " +
           juce::String(storedOutputs) + " outputs." + " Please change plug-in setup accordingly to this patch.";
}

// Said once per restore that leaves the stored file out.
void warnOfUnloadedIr(const BRWarningSink& showWarning, const juce::String& path, const juce::String& why)
{
    if (showWarning)
        showWarning("Brondil", "The impulse responses of this patch were not loaded from\n" + path + "\n" + why +
                                   "\nThe patch keeps the file's name: open the project again once the file is "
                                   "back and suits.");
}

// Reads the document's list into paths; true when it replaced them (a list
// without entries leaves them as they are).
bool restorePathList(juce::StringArray& paths, const juce::XmlElement* list, BRPathListKind kind)
{
    if (list == nullptr || list->getNumChildElements() == 0)
        return false;
    readPathList(paths, list, kind);
    return true;
}

// True when every path a restored list names is there; empty slots count as there.
bool allListedPathsExist(const juce::StringArray& paths)
{
    for (const juce::String& path : paths)
        if (path.isNotEmpty() && !juce::File(path).exists())
            return false;
    return true;
}

// The sample rate of the sound file at path; 0 when it does not open.
int recordedRate(const juce::String& path)
{
    BRSoundFile file;
    const int rate = file.open(path.toStdString(), SFM_READ) != nullptr ? file.info.samplerate : 0;
    file.release();
    return rate;
}

// The toolkit's wrapping of the document: the magic "VC2!" as a little-endian
// word, the text's length as another, the text, a NUL.
constexpr std::uint32_t kChunkMagic = 0x21324356;
constexpr int kHeaderBytes = 8;
constexpr std::size_t kLargestChunk = kHeaderBytes + kMaxDocumentBytes + 1;

// The document when the text is all there and passes the screen; a chunk cut
// short or damaged gives null.
std::unique_ptr<juce::XmlElement> unwrapStateDocument(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= kHeaderBytes || static_cast<std::size_t>(sizeInBytes) > kLargestChunk)
        return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const auto word = [bytes](int at) {
        return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
               static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    };
    const std::uint32_t length = word(4);
    if (word(0) != kChunkMagic || length > static_cast<std::uint32_t>(sizeInBytes - kHeaderBytes))
        return nullptr;
    return parseScreenedDocument(reinterpret_cast<const char*>(bytes + kHeaderBytes), length);
}

}  // namespace

void BRFilter::getStateInformation(juce::MemoryBlock& destData)
{
    juce::XmlElement root("BRONDILSETTINGS");
    root.setAttribute("pluginVersion", kPluginVersion);
    setDoubleAttribute(root, "wetgain", static_cast<double>(getParameter(0)));
    root.setAttribute("inputs", inputs);
    root.setAttribute("outputs", outputs);
    root.setAttribute("mode", workingModeNumber(workingMode));
    root.setAttribute("lastSelMulti", settings.lastSelMulti);
    writePathList(settings.dropDownList, root.createNewChildElement("DropDownList"), BRPathListKind::recent);
    writePathList(settings.lastPathList, root.createNewChildElement("LastPathList"), BRPathListKind::perMode);
    copyXmlToBinary(root, destData);
}

void BRFilter::setStateInformation(const void* data, int sizeInBytes)
{
    const std::unique_ptr<juce::XmlElement> root = unwrapStateDocument(data, sizeInBytes);
    if (root == nullptr || !namesMatch(root->getTagName(), "BRONDILSETTINGS"))
        return;

    // Counts that are missing, or no numbers, read as 0 and meet the warning.
    const int storedInputs = getStrictIntAttribute(*root, "inputs").value_or(0);
    const int storedOutputs = getStrictIntAttribute(*root, "outputs").value_or(0);
    if (storedInputs != inputs || storedOutputs != outputs) {
        if (showWarning)
            showWarning("Brondil", channelMismatchMessage(storedInputs, storedOutputs));
        return;
    }

    // A document that lacks the gain or the mode, or holds no number there, is
    // damaged: it changes nothing.
    const std::optional<double> storedGain = getStrictDoubleAttribute(*root, "wetgain");
    const std::optional<int> storedMode = getStrictIntAttribute(*root, "mode");
    if (!storedGain || !storedMode)
        return;
    wetGain.setValue(static_cast<float>(*storedGain));
    // A mode this processor cannot run (a number from a later version, or IR
    // 1-To-1 with unequal counts) leaves the current mode in place.
    const std::optional<BRWorkingMode> mode = workingModeOf(*storedMode);
    const bool modeRuns = mode && setWorkingMode(*mode);
    if (!modeRuns || *mode != BRWorkingMode::irMono)
        restoreIrFile(*root, modeRuns);
    // The editor shows the gain, the mode and the matrix as the restore left
    // them, loaded or not, IR mono included.
    editorNeedsRefresh = true;
    sendChangeMessage();
}

void BRFilter::restoreIrFile(const juce::XmlElement& root, bool modeRuns)
{
    const juce::String lastSelMulti = getTextAttribute(root, "lastSelMulti");
    if (!juce::File::isAbsolutePath(lastSelMulti))
        return;

    const bool recentRestored = restorePathList(settings.dropDownList, findChild(root, "DropDownList"),
                                                BRPathListKind::recent);
    const bool perModeRestored = restorePathList(settings.lastPathList, findChild(root, "LastPathList"),
                                                 BRPathListKind::perMode);
    // The project keeps naming its file whatever becomes of the load: a drive
    // that is not mounted yet must not cost it its IRs at the next save.
    settings.lastSelMulti = lastSelMulti;
    // Nor its folders. Its lists stay for its next save, but they are the
    // project's, not the user's: the settings file keeps the user's own.
    if (!juce::File(lastSelMulti).existsAsFile() || (recentRestored && !allListedPathsExist(settings.dropDownList)) ||
        (perModeRestored && !allListedPathsExist(settings.lastPathList))) {
        if (recentRestored)
            settingsAsRead.dropDownList = settings.dropDownList;
        if (perModeRestored)
            settingsAsRead.lastPathList = settings.lastPathList;
    }

    // Whatever the load makes of the file, no IR of an earlier project stays
    // to sound under this project's name.
    const SuspensionWhileComplete suspension(*this);
    unloadAllCells();
    // How the file fills the matrix depends on the mode: without one, the
    // matrix stays empty.
    const juce::String refusal = !juce::File(lastSelMulti).existsAsFile() ? juce::String("The file is missing.")
                                 : modeRuns                               ? loadMultichannelIr(lastSelMulti)
                                                                          : juce::String();
    if (refusal.isNotEmpty())
        warnOfUnloadedIr(showWarning, lastSelMulti, refusal);
    else if (modeRuns) {
        restoredIrRate = recordedRate(lastSelMulti);
        warnOfRestoredIrRate(getSampleRate());
    }
}

void BRFilter::warnOfRestoredIrRate(double hostRate)
{
    // The host's rate is known from the first prepareToPlay on.
    if (restoredIrRate == 0 || hostRate <= 0.0)
        return;
    if (static_cast<double>(restoredIrRate) != hostRate && showWarning)
        showWarning("Brondil", "The impulse responses of this patch were loaded from\n" + settings.lastSelMulti +
                                   "\nThe file is recorded at " + juce::String(restoredIrRate) +
                                   " Hz, where the host runs at " + formatDouble(hostRate) +
                                   " Hz: the reverb sounds at another pitch and length.");
    restoredIrRate = 0;
}
