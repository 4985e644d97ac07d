#pragma once

#include <juce_core/juce_core.h>

// The folder a file dialog opens in when nothing names one: the host's working
// folder; where its name is not UTF-8 (the toolkit sees none there, and its
// dialog would show nothing but the root, where a name typed alone cannot be
// saved), the user's home folder (home_folder.h); where that has no name
// either, the temporary folder ($TMPDIR, else /tmp), which every user can
// write. Message thread; allocates.
juce::File dialogStartFolder();
