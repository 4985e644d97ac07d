// The validators' opcode sweep on Brondil.so in our host: every opcode with
// null, extreme and nonsensical arguments, after which the effect must still
// sound as it should.
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/host/validator_fixture.h"

namespace {

// Room for any record an opcode's pointer may name.
constexpr std::size_t kRecordBytes = 8192;

TEST_F(ValidatorTest, EveryOpcodeTakesNullAndHostileArgumentsAndTheEffectStillSounds)
{
    makeLoadedEffect(256);
    alignas(16) static unsigned char record[kRecordBytes];
    alignas(16) static unsigned char valueRecord[kRecordBytes];
    const int32_t indexes[] = {0, 1, -1, INT32_MAX, INT32_MIN};
    const intptr_t values[] = {0, 1, -1, intptr_t{INT32_MAX} + 1, std::numeric_limits<intptr_t>::min()};
    const float opts[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    int calls = 0;
    for (int32_t opcode = 0; opcode <= effGetNumMidiOutputChannels; ++opcode) {
        if (opcode == effClose)
            continue;  // the host's last word; the fixture sends it
        const bool valueIsPointer = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
        for (bool withRecord : {false, true}) {
            // An editor opens in a window of the host's display: only a null window here.
            if (opcode == effEditOpen && withRecord)
                continue;
            for (int32_t index : indexes)
                for (intptr_t value : values)
                    for (float opt : opts) {
                        std::fill(std::begin(record), std::end(record), 0);
                        std::fill(std::begin(valueRecord), std::end(valueRecord), 0);
                        intptr_t argument = value;
                        if (valueIsPointer)
                            argument = value == 0 ? 0 : reinterpret_cast<intptr_t>(valueRecord);
                        // A chunk's size never exceeds the bytes the host hands over.
                        if (opcode == effSetChunk && withRecord && value > 0)
                            argument = static_cast<intptr_t>(kRecordBytes);
                        effect->dispatch(opcode, index, argument, withRecord ? record : nullptr, opt);
                        ++calls;
                    }
        }
    }
    RecordProperty("calls", calls);

    effect->dispatch(effMainsChanged, 0, 0);
    effect->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    effect->dispatch(effSetBlockSize, 0, 256);
    effect->setChunk(state, false);
    effect->setParameter(0, 0.5f);
    effect->resume();
    const PlanarSamples input = probeSignal(3000);
    expectDirectConvolution(input, render(input, [] { return 256; }));
}

}  // namespace
