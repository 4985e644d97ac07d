#pragma once

#include <juce_core/juce_core.h>

// The user's home folder: $HOME, or the passwd entry's where HOME is unset.
// None where HOME names a folder in text that is not UTF-8: the toolkit reads
// HOME as unset then and would give the passwd entry's folder, another one,
// and nothing of the user's belongs there unasked. None, too, where no
// folder is named. Any thread; allocates.
juce::File userHomeFolder();

// The user's documents folder (the XDG one, else ~/Documents); none where the
// home folder is none. Any thread; allocates.
juce::File userDocumentsFolder();
