// The plug-in file's two exports. Nothing runs when the file is loaded.
#include <new>

#include "editor/channel_dialog.h"
#include "editor/editor.h"
#include "editor/warning_message.h"
#include "engine/filter.h"
#include "engine/plugin_module.h"
#include "host/plugin_entry_point.h"
#include "host/vst/plugin_entry.h"

// The processor as the host gets it (the toolkit declares this entry): the user
// answers its channel counts in a dialog, sees its warnings in alert windows
// and works in its editor window. Null when its memory cannot be had. Message thread.
juce::AudioProcessor* createPluginFilter()
{
    auto* filter = new (std::nothrow) BRFilter(pluginModuleFile(), askChannelCountsInDialog);
    if (filter != nullptr) {
        filter->showWarning = showWarningInAlertWindow;
        filter->editorFactory = createEditorWindow;
    }
    return filter;
}

AEffect* VSTPluginMain(audioMasterCallback hostCallback) { return pluginEntryPoint(hostCallback, createPluginFilter); }

AEffect* vstPluginMainForOldHosts(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
