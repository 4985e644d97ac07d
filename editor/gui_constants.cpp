#include "editor/gui_constants.h"

const juce::Colour guiCream{0xfff3f7df};
const juce::Colour guiOrange{0xffff7a00};
const juce::Colour guiBlack{0xff000000};
const juce::Colour guiImageBlack{0xff000000};

const char* const audioFilePatterns = "*.wav;*.aiff;*.aif";

const juce::WildcardFileFilter& audioFileFilter()
{
    // Built on first use: a file-scope filter would be constructed before the
    // toolkit's strings are usable in some load orders.
    static const juce::WildcardFileFilter filter(audioFilePatterns, {}, "audio files");
    return filter;
}
