#pragma once

#include <juce_core/juce_core.h>

// The file of the module that holds this code (the plug-in, or the program it
// is linked into), made absolute without resolving symbolic links; none when
// the loader cannot tell or its name is not UTF-8. Any thread.
juce::File pluginModuleFile();
