#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// The processor's parameters, programs and channel names through the
// toolkit's indexed calls, which it keeps but marks deprecated: the processor
// implements exactly these. The warning is silenced here and nowhere else.
namespace legacy {

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")

inline int numParameters(juce::AudioProcessor& p) { return p.getNumParameters(); }
inline float parameter(juce::AudioProcessor& p, int index) { return p.getParameter(index); }
inline void setParameter(juce::AudioProcessor& p, int index, float value) { p.setParameter(index, value); }
inline void setParameterNotifyingHost(juce::AudioProcessor& p, int index, float value)
{
    p.setParameterNotifyingHost(index, value);
}
inline void beginParameterChangeGesture(juce::AudioProcessor& p, int index) { p.beginParameterChangeGesture(index); }
inline void endParameterChangeGesture(juce::AudioProcessor& p, int index) { p.endParameterChangeGesture(index); }
inline juce::String parameterText(juce::AudioProcessor& p, int index) { return p.getParameterText(index); }
inline juce::String parameterName(juce::AudioProcessor& p, int index) { return p.getParameterName(index); }
inline bool parameterIsAutomatable(juce::AudioProcessor& p, int index) { return p.isParameterAutomatable(index); }
inline juce::String inputChannelName(juce::AudioProcessor& p, int index) { return p.getInputChannelName(index); }
inline juce::String outputChannelName(juce::AudioProcessor& p, int index) { return p.getOutputChannelName(index); }
inline bool inputIsStereoPair(juce::AudioProcessor& p, int index) { return p.isInputChannelStereoPair(index); }
inline bool outputIsStereoPair(juce::AudioProcessor& p, int index) { return p.isOutputChannelStereoPair(index); }

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

}  // namespace legacy
