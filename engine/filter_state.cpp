#include "engine/filter.h"
#include "engine/plugin_version.h"
#include "engine/xml_access.h"

namespace {

juce::String channelMismatchMessage(int storedInputs, int storedOutputs)
{
    return "This patch was saved with a different channel configuration: " + juce::String(storedInputs) + " inputs, " +
           juce::String(storedOutputs) + " outputs." + " Please change plug-in setup accordingly to this patch.";
}

}  // namespace

std::atomic<bool> editorNeedsRefresh{false};

void BRFilter::getStateInformation(juce::MemoryBlock& destData)
{
    juce::XmlElement root("BRONDILSETTINGS");
    root.setAttribute("pluginVersion", kPluginVersion);
    setDoubleAttribute(root, "wetgain", static_cast<double>(getParameter(0)));
    root.setAttribute("inputs", inputs);
    root.setAttribute("outputs", outputs);
    root.setAttribute("mode", workingModeNumber(workingMode));
    root.setAttribute("lastSelMulti", settings.lastSelMulti);
    writePathList(settings.dropDownList, root.createNewChildElement("DropDownList"));
    writePathList(settings.lastPathList, root.createNewChildElement("LastPathList"));
    copyXmlToBinary(root, destData);
}

void BRFilter::setStateInformation(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 1)
        return;
    const std::unique_ptr<juce::XmlElement> root = getXmlFromBinary(data, sizeInBytes);
    if (root == nullptr || !namesMatch(root->getTagName(), "BRONDILSETTINGS"))
        return;

    const int storedInputs = getIntAttribute(*root, "inputs", 0);
    const int storedOutputs = getIntAttribute(*root, "outputs", 0);
    if (storedInputs != inputs || storedOutputs != outputs) {
        if (showWarning)
            showWarning("Brondil", channelMismatchMessage(storedInputs, storedOutputs));
        return;
    }

    wetGain.setValue(static_cast<float>(getDoubleAttribute(*root, "wetgain", 0.0)));
    // A mode this processor cannot run (a number from a later version, or IR
    // 1-To-1 with unequal counts) leaves the current mode in place.
    const std::optional<BRWorkingMode> mode = workingModeOf(getIntAttribute(*root, "mode", 0));
    const bool modeRuns = mode && setWorkingMode(*mode);
    if (modeRuns && *mode == BRWorkingMode::irMono)
        return;

    const juce::String lastSelMulti = getTextAttribute(*root, "lastSelMulti");
    if (!juce::File::isAbsolutePath(lastSelMulti) || !juce::File(lastSelMulti).existsAsFile())
        return;

    const SuspensionWhileComplete suspension(*this);
    readPathList(settings.dropDownList, findChild(*root, "DropDownList"));
    readPathList(settings.lastPathList, findChild(*root, "LastPathList"));
    clearLoadedCells();
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            unloadCell(o, i);
    // How the file fills the matrix depends on the mode: without one, the file
    // is kept for the next save and the matrix stays empty.
    if (!modeRuns)
        settings.lastSelMulti = lastSelMulti;
    if (!modeRuns || loadMultichannelIrFile(lastSelMulti)) {
        editorNeedsRefresh = true;
        sendChangeMessage();
    }
}
