#include "engine/settings.h"

#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "engine/home_folder.h"
#include "engine/utf8_text.h"

namespace {

// $XDG_CONFIG_HOME, or ~/.config where it is unset, empty, relative or not
// UTF-8; none where neither can be named.
juce::File userConfigDirectory()
{
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME")) {
        const std::optional<juce::String> path = utf8Text(configHome, std::strlen(configHome));
        if (path && juce::File::isAbsolutePath(*path))
            return juce::File(*path);
    }
    const juce::File home = userHomeFolder();
    return home == juce::File() ? juce::File() : home.getChildFile(".config");
}

// fileName in the plug-in's folder of the user's configuration folder; none without one.
juce::File inUserConfigDirectory(const juce::String& fileName)
{
    const juce::File configFolder = userConfigDirectory();
    return configFolder == juce::File() ? juce::File() : configFolder.getChildFile("Brondil").getChildFile(fileName);
}

// access() rather than JUCE's check: it also refuses a read-only mount to root.
bool canWriteInto(const juce::File& directory)
{
    return directory.isDirectory() && ::access(directory.getFullPathName().toRawUTF8(), W_OK) == 0;
}

}  // namespace

juce::File settingsFileFor(const juce::File& pluginFile)
{
    if (pluginFile == juce::File())
        return inUserConfigDirectory("Brondil.xml");
    const juce::File beside = pluginFile.withFileExtension("xml");
    if (canWriteInto(beside.getParentDirectory()))
        return beside;
    return inUserConfigDirectory(beside.getFileName());
}
