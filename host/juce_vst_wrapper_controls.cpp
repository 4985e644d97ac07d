// The adapter's parameter, program and channel calls, and the processor's
// notifications that go on to the host.
#include <cmath>
#include <cstring>

#include "engine/utf8_text.h"
#include "host/host_text.h"
#include "host/juce_vst_wrapper.h"
#include "host/legacy_processor.h"

namespace {

// Hosts size these buffers by the published limits, which count the NUL in
// some hosts and not in others: stay one byte below.
constexpr int kParameterTextBytes = kVstMaxParamStrLen - 1;
constexpr int kProgramNameBytes = kVstMaxProgNameLen - 1;
constexpr int kPinLabelBytes = static_cast<int>(sizeof(VstPinProperties::label)) - 1;
constexpr int kPinShortLabelBytes = static_cast<int>(sizeof(VstPinProperties::shortLabel)) - 1;

}  // namespace

void JuceVSTWrapper::setParameter(int32_t index, float value)
{
    if (processor)
        legacy::setParameter(*processor, index, value);
}

float JuceVSTWrapper::getParameter(int32_t index) { return processor ? legacy::parameter(*processor, index) : 0.0f; }

void JuceVSTWrapper::getParameterDisplay(int32_t index, char* text)
{
    copyHostText(text, processor ? legacy::parameterText(*processor, index) : juce::String(), kParameterTextBytes);
}

void JuceVSTWrapper::getParameterName(int32_t index, char* text)
{
    copyHostText(text, processor ? legacy::parameterName(*processor, index) : juce::String(), kParameterTextBytes);
}

bool JuceVSTWrapper::canParameterBeAutomated(int32_t index)
{
    return processor && legacy::parameterIsAutomatable(*processor, index);
}

int32_t JuceVSTWrapper::getProgram() { return processor ? processor->getCurrentProgram() : 0; }

void JuceVSTWrapper::setProgram(int32_t program)
{
    if (processor)
        processor->setCurrentProgram(program);
}

void JuceVSTWrapper::setProgramName(char* name)
{
    // The host's text need not end within the published length, nor be UTF-8.
    if (processor)
        processor->changeProgramName(processor->getCurrentProgram(),
                                     readableText(name, ::strnlen(name, kVstMaxProgNameLen)));
}

void JuceVSTWrapper::getProgramName(char* name)
{
    copyHostText(name, processor ? processor->getProgramName(processor->getCurrentProgram()) : juce::String(),
                 kProgramNameBytes);
}

bool JuceVSTWrapper::getProgramNameIndexed(int32_t, int32_t index, char* text)
{
    if (!processor || index < 0 || index >= processor->getNumPrograms())
        return false;
    copyHostText(text, processor->getProgramName(index), kProgramNameBytes);
    return true;
}

bool JuceVSTWrapper::getInputProperties(int32_t index, VstPinProperties* properties)
{
    return describePin(index, true, properties);
}

bool JuceVSTWrapper::getOutputProperties(int32_t index, VstPinProperties* properties)
{
    return describePin(index, false, properties);
}

bool JuceVSTWrapper::describePin(int32_t index, bool isInput, VstPinProperties* properties)
{
    if (!processor)
        return false;
    const int count = isInput ? processor->getTotalNumInputChannels() : processor->getTotalNumOutputChannels();
    if (index < 0 || index >= count)
        return false;
    const juce::String name = isInput ? legacy::inputChannelName(*processor, index)
                                      : legacy::outputChannelName(*processor, index);
    const bool stereo = isInput ? legacy::inputIsStereoPair(*processor, index)
                                : legacy::outputIsStereoPair(*processor, index);
    copyHostText(properties->label, name, kPinLabelBytes);
    copyHostText(properties->shortLabel, name, kPinShortLabelBytes);
    properties->flags = kVstPinIsActive | (stereo ? kVstPinIsStereo : 0);
    properties->arrangementType = 0;
    return true;
}

bool JuceVSTWrapper::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output)
{
    return input->numChannels == inputCount && output->numChannels == outputCount;
}

void JuceVSTWrapper::audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value)
{
    // The host is told only of values it could send back itself.
    if (index >= 0 && index < parameterCount && std::isfinite(value))
        setParameterAutomated(index, value);
}

void JuceVSTWrapper::audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) { updateDisplay(); }

void JuceVSTWrapper::audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index)
{
    if (index >= 0 && index < parameterCount)
        beginEdit(index);
}

void JuceVSTWrapper::audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index)
{
    if (index >= 0 && index < parameterCount)
        endEdit(index);
}
