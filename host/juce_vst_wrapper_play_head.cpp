// The processor's play head: the host's transport, as far as the host tells it.
#include "host/juce_vst_wrapper.h"

namespace {

constexpr int32_t kTransportFieldsWanted = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                                           kVstSmpteValid | kVstClockValid;

// A host's SMPTE code as frames per second (its offset counts 80 subframes
// per frame) and as the toolkit's frame rate, where the toolkit has one.
struct SmpteRate {
    double framesPerSecond;
    juce::Optional<juce::AudioPlayHead::FrameRate> frameRate;
};

SmpteRate smpteRate(int32_t code)
{
    using Type = juce::AudioPlayHead::FrameRateType;
    switch (code) {
    case kVstSmpte24fps:
        return {24.0, juce::AudioPlayHead::FrameRate(Type::fps24)};
    case kVstSmpte25fps:
        return {25.0, juce::AudioPlayHead::FrameRate(Type::fps25)};
    case kVstSmpte2997fps:
        return {29.97, juce::AudioPlayHead::FrameRate(Type::fps2997)};
    case kVstSmpte30fps:
        return {30.0, juce::AudioPlayHead::FrameRate(Type::fps30)};
    case kVstSmpte2997dfps:
        return {29.97, juce::AudioPlayHead::FrameRate(Type::fps2997drop)};
    case kVstSmpte30dfps:
        return {30.0, juce::AudioPlayHead::FrameRate(Type::fps30drop)};
    case kVstSmpteFilm16mm:
    case kVstSmpteFilm35mm:
        return {24.0, {}};
    case kVstSmpte239fps:
        return {23.976, {}};
    case kVstSmpte249fps:
        return {24.976, {}};
    case kVstSmpte599fps:
        return {59.94, {}};
    case kVstSmpte60fps:
        return {60.0, {}};
    default:
        return {1.0, {}};
    }
}

}  // namespace

juce::Optional<juce::AudioPlayHead::PositionInfo> JuceVSTWrapper::getPosition() const
{
    // Asking the host changes nothing of ours; the base's host call is not const.
    const VstTimeInfo* time = const_cast<JuceVSTWrapper*>(this)->getTimeInfo(kTransportFieldsWanted);
    if (time == nullptr || !(time->sampleRate > 0.0))
        return {};
    const auto has = [time](int32_t flag) { return (time->flags & flag) != 0; };

    PositionInfo info;
    info.setBpm(has(kVstTempoValid) ? time->tempo : 0.0);
    info.setTimeSignature(has(kVstTimeSigValid) ? TimeSignature{time->timeSigNumerator, time->timeSigDenominator}
                                                : TimeSignature{4, 4});
    info.setTimeInSeconds(time->samplePos / time->sampleRate);
    info.setPpqPosition(has(kVstPpqPosValid) ? time->ppqPos : 0.0);
    info.setPpqPositionOfLastBarStart(has(kVstBarsValid) ? time->barStartPos : 0.0);
    if (has(kVstSmpteValid)) {
        const SmpteRate rate = smpteRate(time->smpteFrameRate);
        info.setFrameRate(rate.frameRate);
        info.setEditOriginTime(time->smpteOffset / (rate.framesPerSecond * 80.0));
    } else {
        info.setEditOriginTime(0.0);
    }
    const bool recording = has(kVstTransportRecording);
    info.setIsRecording(recording);
    info.setIsPlaying(has(kVstTransportPlaying) || recording);
    return info;
}
