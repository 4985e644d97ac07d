#pragma once

#include <juce_core/juce_core.h>

// The folder a file dialog opens in when nothing names one: the host's working
// folder, or the user's home folder where the working folder's name is not
// UTF-8 (the toolkit sees none there, and its dialog would show nothing but
// the root). Message thread; allocates.
juce::File workingOrHomeFolder();
