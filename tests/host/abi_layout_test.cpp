#include <cstddef>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "host/audio_effect.h"
#include "host/vst/opcodes.h"

namespace {

class CountingEffect : public AudioEffect {
public:
    CountingEffect() : AudioEffect(nullptr, 3, 5) {}
    void processReplacing(float**, float**, int32_t sampleFrames) override { framesProcessed += sampleFrames; }
    void setParameter(int32_t index, float value) override { lastSet = index * 10.0f + value; }
    float getParameter(int32_t index) override { return index + 0.5f; }
    float lastSet = 0.0f;
    int32_t framesProcessed = 0;
};

// A field read by its byte offset in the published x86_64 layout, not by name.
template <typename T>
T fieldAt(const AEffect& record, std::size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const char*>(&record) + offset, sizeof value);
    return value;
}

TEST(VstAbi, TheBaseRecordHoldsItsDefaultsAtThePublishedOffsets)
{
    CountingEffect effect;
    const AEffect& record = *effect.getAeffect();
    EXPECT_EQ(fieldAt<int32_t>(record, 0), 0x56737450);  // 'VstP', first character most significant
    EXPECT_EQ(fieldAt<int32_t>(record, 40), 3);          // programs
    EXPECT_EQ(fieldAt<int32_t>(record, 44), 5);          // parameters
    EXPECT_EQ(fieldAt<int32_t>(record, 48), 1);          // inputs
    EXPECT_EQ(fieldAt<int32_t>(record, 52), 2);          // outputs
    EXPECT_EQ(fieldAt<int32_t>(record, 56), 0x10);       // can process replacing
    EXPECT_EQ(fieldAt<intptr_t>(record, 64), 0);         // the host's reserved word
    EXPECT_EQ(fieldAt<intptr_t>(record, 72), 0);
    EXPECT_EQ(fieldAt<int32_t>(record, 80), 0);  // initial delay
    EXPECT_EQ(fieldAt<int32_t>(record, 84), 0);
    EXPECT_EQ(fieldAt<int32_t>(record, 88), 0);
    EXPECT_EQ(fieldAt<float>(record, 92), 1.0f);  // I/O ratio
    EXPECT_EQ(fieldAt<void*>(record, 96), static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(fieldAt<void*>(record, 104), nullptr);
    EXPECT_EQ(fieldAt<int32_t>(record, 112), 0x4E6F4566);  // 'NoEf'
    EXPECT_EQ(fieldAt<int32_t>(record, 116), 1);
    for (std::size_t offset = 136; offset < 192; ++offset)
        EXPECT_EQ(fieldAt<char>(record, offset), 0) << "future byte " << offset;
}

TEST(VstAbi, TheFunctionsAtThePublishedOffsetsReachTheEffect)
{
    CountingEffect effect;
    AEffect* record = effect.getAeffect();
    const auto dispatcher = fieldAt<AEffectDispatcherProc>(*record, 8);
    const auto setParameter = fieldAt<AEffectSetParameterProc>(*record, 24);
    const auto getParameter = fieldAt<AEffectGetParameterProc>(*record, 32);
    const auto processReplacing = fieldAt<AEffectProcessProc>(*record, 120);
    ASSERT_NE(fieldAt<AEffectProcessProc>(*record, 16), nullptr);
    ASSERT_NE(fieldAt<AEffectProcessDoubleProc>(*record, 128), nullptr);

    EXPECT_EQ(dispatcher(record, effIdentify, 0, 0, nullptr, 0.0f), 0x4E764566);  // 'NvEf'
    setParameter(record, 2, 0.25f);
    EXPECT_EQ(effect.lastSet, 20.25f);
    EXPECT_EQ(getParameter(record, 4), 4.5f);
    float samples[8] = {};
    float* channels[2] = {samples, samples + 4};
    processReplacing(record, channels, channels, 4);
    EXPECT_EQ(effect.framesProcessed, 4);
}

}  // namespace
