#include "tools/vst_host/effect_info.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace {

std::string fourCharText(int32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += std::isprint(c) ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string flagNames(const HostedEffect& effect)
{
    static const struct {
        int32_t flag;
        const char* name;
    } names[] = {
        {effFlagsHasEditor, "editor"},     {effFlagsCanReplacing, "replacing"}, {effFlagsCanDoubleReplacing, "double"},
        {effFlagsProgramChunks, "chunks"}, {effFlagsIsSynth, "synth"},          {effFlagsNoSoundInStop, "no-tail"}};
    std::string text;
    for (const auto& entry : names)
        if (effect.hasFlag(entry.flag))
            text += (text.empty() ? "" : " ") + std::string(entry.name);
    return text.empty() ? "none" : text;
}

}  // namespace

void describeEffect(HostedEffect& effect, std::ostream& out)
{
    const AEffect& record = effect.record();
    out << "name: " << effect.effectName() << '\n'
        << "vendor: " << effect.vendorString() << '\n'
        << "product: " << effect.productString() << '\n'
        << "vendor version: " << effect.dispatch(effGetVendorVersion) << '\n'
        << "VST version: " << effect.dispatch(effGetVstVersion) << '\n'
        << "unique id: " << fourCharText(record.uniqueID) << '\n'
        << "version: " << record.version << '\n'
        << "category: " << effect.dispatch(effGetPlugCategory) << '\n'
        << "inputs: " << record.numInputs << '\n'
        << "outputs: " << record.numOutputs << '\n'
        << "initial delay: " << record.initialDelay << '\n'
        << "flags: " << flagNames(effect) << '\n'
        << "programs: " << record.numPrograms << '\n'
        << "parameters: " << record.numParams << '\n';
    for (int32_t i = 0; i < record.numParams; ++i) {
        const std::string label = effect.parameterLabel(i);
        out << "  " << i << ' ' << effect.parameterName(i) << ": " << effect.parameterDisplay(i)
            << (label.empty() ? "" : " " + label) << '\n';
    }
}
