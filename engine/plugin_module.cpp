#include "engine/plugin_module.h"

#include <cstring>

#include <dlfcn.h>

#include "engine/utf8_text.h"

juce::File pluginModuleFile()
{
    Dl_info module{};
    if (dladdr(reinterpret_cast<const void*>(&pluginModuleFile), &module) == 0 || module.dli_fname == nullptr ||
        module.dli_fname[0] == '\0')
        return {};
    // A folder name that is not UTF-8 cannot be named to the toolkit: the
    // settings then go to the user's configuration folder.
    const std::optional<juce::String> name = utf8Text(module.dli_fname, std::strlen(module.dli_fname));
    if (!name)
        return {};
    // The loader keeps the name it was given, which may be relative to the start folder.
    if (juce::File::isAbsolutePath(*name))
        return juce::File(*name);
    const juce::File start = juce::File::getCurrentWorkingDirectory();
    return start == juce::File() ? juce::File() : start.getChildFile(*name);
}
