// The plug-in file's two exports. Nothing runs when the file is loaded.
#include "engine/filter.h"
#include "host/plugin_entry_point.h"
#include "host/vst/plugin_entry.h"

AEffect* VSTPluginMain(audioMasterCallback hostCallback) { return pluginEntryPoint(hostCallback, createPluginFilter); }

AEffect* vstPluginMainForOldHosts(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
