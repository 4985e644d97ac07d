// The adapter around the probe processor and its editor, built as a plug-in
// file, so that tests open an editor across the plug-in boundary the way a
// host does: through our own host's editor window.
#include "host/plugin_entry_point.h"
#include "host/vst/plugin_entry.h"
#include "tests/host/adapter_probe_processor.h"

AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
    return pluginEntryPoint(hostCallback, [] { return new ProbeProcessor(2, 2, true); });
}

AEffect* vstPluginMainForOldHosts(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
