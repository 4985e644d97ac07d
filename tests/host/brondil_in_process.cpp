#include "tests/host/brondil_in_process.h"

#include <utility>

#include "editor/editor.h"
#include "host/plugin_entry_point.h"
#include "host/vst/opcodes.h"

intptr_t statelessHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetCurrentProcessLevel:
        return kVstProcessLevelRealtime;
    default:
        return 0;
    }
}

AEffect* makeBrondilInProcess(audioMasterCallback host, const juce::File& pluginFile, int channels,
                              BRWarningSink warnings, BRFilter** made)
{
    return pluginEntryPoint(host, [&]() -> juce::AudioProcessor* {
        auto* filter = new BRFilter(pluginFile, [channels](const BRSettings&) {
            return BRChannelCounts{channels, channels};
        });
        filter->showWarning = std::move(warnings);
        filter->editorFactory = createEditorWindow;
        if (made != nullptr)
            *made = filter;
        return filter;
    });
}
