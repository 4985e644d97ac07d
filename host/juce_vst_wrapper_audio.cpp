// The adapter's audio path: resume, suspend and the block entry.
#include <algorithm>

#include "host/juce_vst_wrapper.h"
#include "host/thread_priority.h"
#include "host/vst/opcodes.h"

namespace {
// The rate a processor is given when the host never set one.
constexpr double kFallbackSampleRate = 44100.0;
// The most frames the processor is prepared for and handed at once (about 1.4 s
// at 48 kHz). A host that announces more has its blocks processed in pieces,
// instead of buffers of gigabytes made at resume.
constexpr int32_t kMaxPreparedBlock = 1 << 16;
}  // namespace

void JuceVSTWrapper::resume()
{
    if (!processor)
        return;
    // A resume while running starts afresh: no block may see the buffers change.
    stopProcessing();

    double rate = getSampleRate();
    if (!(rate > 0.0))
        rate = kFallbackSampleRate;
    const int32_t block = std::min(getBlockSize(), kMaxPreparedBlock);

    processor->setNonRealtime(processLevelAtResume == kVstProcessLevelOffline);
    processor->setPlayConfigDetails(inputCount, outputCount, rate, block);
    const bool buffersReady = channels.prepare(inputCount, outputCount, block);
    processor->prepareToPlay(rate, block);
    midiBuffer.clear();
    // The record follows the processor; no audioMasterIOChanged is sent about it.
    setInitialDelay(processor->getLatencySamples());

    {
        const juce::ScopedLock lock(processor->getCallbackLock());
        processing = buffersReady;
        awaitingFirstBlock = true;
    }
    AudioEffectX::resume();
}

void JuceVSTWrapper::suspend()
{
    if (!processor)
        return;
    stopProcessing();
    processor->releaseResources();
    midiBuffer.clear();
    channels.release();
}

void JuceVSTWrapper::stopProcessing()
{
    const juce::ScopedLock lock(processor->getCallbackLock());
    processing = false;
}

void JuceVSTWrapper::processReplacing(float** inputs, float** outputs, int32_t sampleFrames)
{
    if (!processor) {
        writeSilence(outputs, sampleFrames);
        return;
    }
    const juce::ScopedLock lock(processor->getCallbackLock());
    // Suspended, or never resumed: there is no prepared processor to run.
    if (!processing) {
        writeSilence(outputs, sampleFrames);
        return;
    }
    if (awaitingFirstBlock) {
        awaitingFirstBlock = false;
        updateRealtimeState();
    }
    // The processor suspends itself while it replaces impulse responses.
    if (processor->isSuspended()) {
        writeSilence(outputs, sampleFrames);
        return;
    }

    const bool inPlace = channels.hostBuffersUsable(inputs, outputs);
    // A host may send more frames than it announced: the processor and the
    // private buffers never see more than the announced block size at once.
    for (int32_t offset = 0; offset < sampleFrames;) {
        const int32_t frames = std::min(sampleFrames - offset, static_cast<int32_t>(channels.maxFrames()));
        juce::AudioBuffer<float>& buffer = channels.layOut(inputs, outputs, offset, frames, inPlace);
        processor->processBlock(buffer, midiBuffer);
        channels.deliver(outputs, offset, frames, inPlace);
        offset += frames;
    }
    if (!midiBuffer.isEmpty())
        midiBuffer.clear();
}

void JuceVSTWrapper::updateRealtimeState()
{
    processor->setNonRealtime(getCurrentProcessLevel() == kVstProcessLevelOffline || !callingThreadIsRealtime());
}

void JuceVSTWrapper::writeSilence(float** outputs, int32_t sampleFrames) const
{
    for (int32_t o = 0; o < outputCount; ++o)
        if (outputs[o] != nullptr)
            std::fill_n(outputs[o], sampleFrames, 0.0f);
}
