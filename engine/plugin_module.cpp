#include "engine/plugin_module.h"

#include <dlfcn.h>

juce::File pluginModuleFile()
{
    Dl_info module{};
    if (dladdr(reinterpret_cast<const void*>(&pluginModuleFile), &module) == 0 || module.dli_fname == nullptr ||
        module.dli_fname[0] == '\0')
        return {};
    const juce::String name = juce::String::fromUTF8(module.dli_fname);
    // The loader keeps the name it was given, which may be relative to the start folder.
    if (juce::File::isAbsolutePath(name))
        return juce::File(name);
    return juce::File::getCurrentWorkingDirectory().getChildFile(name);
}
