#include "host/plugin_entry_point.h"

#include <memory>

#include "host/juce_vst_wrapper.h"
#include "host/message_thread.h"
#include "host/toolkit_lifetime.h"
#include "host/vst/opcodes.h"

AEffect* pluginEntryPoint(audioMasterCallback hostCallback, const ProcessorFactory& makeProcessor)
{
    if (hostCallback == nullptr)
        return nullptr;
    const HostCall call(true);
    if (call.onMessageThread())
        startToolkit();
    else if (liveEffectCount() == 0)
        return nullptr;  // the toolkit neither runs nor can be started here
    AEffect* effect = nullptr;
    try {
        // The version query comes before the effect exists: it goes without a record.
        if (hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != 0) {
            std::unique_ptr<juce::AudioProcessor> processor(makeProcessor());
            if (processor)
                effect = (new JuceVSTWrapper(hostCallback, std::move(processor)))->getAeffect();
        }
    } catch (...) {
        effect = nullptr;
    }
    if (effect == nullptr)
        stopToolkitWhenUnused();
    return effect;
}
