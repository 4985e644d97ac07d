#include "fuzz/fuzz_targets.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_scratch.h"
#include "host/plugin_entry_point.h"
#include "host/vst/opcodes.h"
#include "host/vst/records.h"

namespace {

// The most channels a fuzzed effect has; the host always offers this many buffers.
constexpr int kHostChannels = 4;
constexpr int kMaxFrames = 4096;
// Room for any record the dispatcher's pointers may name, speaker
// arrangements of 32 channels and more among them.
constexpr std::size_t kArgumentBytes = 8192;
constexpr std::size_t kLongestText = 300;

intptr_t answerAsHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    static VstTimeInfo transport = [] {
        VstTimeInfo time{};
        time.sampleRate = 48000.0;
        time.tempo = 120.0;
        time.flags = kVstTransportPlaying | kVstTempoValid;
        return time;
    }();
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetTime:
        return reinterpret_cast<intptr_t>(&transport);
    case audioMasterGetCurrentProcessLevel:
        return kVstProcessLevelRealtime;
    default:
        return 0;
    }
}

AEffect* makeEffect(int inputs, int outputs)
{
    return pluginEntryPoint(answerAsHost, [inputs, outputs]() -> juce::AudioProcessor* {
        return makeFuzzProcessor(inputs, outputs).release();
    });
}

// Starting and stopping the toolkit for every input would cost more than the
// input: one effect that is never closed keeps it running.
void keepToolkitRunning()
{
    static AEffect* const keeper = makeEffect(1, 1);
    if (keeper == nullptr)
        brokenPromise("the plug-in makes an effect for a host that answers its version");
}

// The host's argument buffers, zeroed for every call: records the effect may
// read or write, and text where the opcode takes text.
struct CallArguments {
    alignas(16) unsigned char ptr[kArgumentBytes];
    alignas(16) unsigned char value[kArgumentBytes];
};

// A pointer argument: none, a zeroed record, or a record that begins with a
// text (a speaker arrangement then reads its channel count from it).
void* pointerArgument(FuzzInput& input, unsigned char* buffer)
{
    std::memset(buffer, 0, kArgumentBytes);
    switch (input.byte() % 3) {
    case 0:
        return nullptr;
    case 1:
        return buffer;
    default: {
        const std::string text = input.bytes(input.byte() % kLongestText);
        std::memcpy(buffer, text.data(), text.size());
        return buffer;
    }
    }
}

int32_t indexArgument(FuzzInput& input)
{
    switch (input.byte() % 4) {
    case 0:
        return 0;
    case 1:
        return static_cast<int32_t>(input.byte()) - 4;
    case 2:
        return input.value<int32_t>();
    default:
        return input.byte() % 2 == 0 ? INT32_MIN : INT32_MAX;
    }
}

intptr_t integerArgument(FuzzInput& input)
{
    switch (input.byte() % 3) {
    case 0:
        return 0;
    case 1:
        return static_cast<intptr_t>(input.value<int16_t>());
    default:
        return input.value<intptr_t>();
    }
}

void dispatchOne(AEffect* effect, FuzzInput& input, CallArguments& arguments)
{
    const auto opcode = static_cast<int32_t>(input.byte() % (effGetNumMidiOutputChannels + 1));
    // effClose ends every input; effEditOpen needs a window of the host's X display.
    if (opcode == effClose || opcode == effEditOpen)
        return;
    const int32_t index = indexArgument(input);
    const float opt = input.value<float>();
    if (opcode == effSetChunk) {
        // The chunk's size never exceeds its bytes: the host's side of the contract.
        const std::string chunk = input.bytes(input.value<uint16_t>());
        const intptr_t size = std::min<intptr_t>(integerArgument(input), static_cast<intptr_t>(chunk.size()));
        effect->dispatcher(effect, opcode, index, size, const_cast<char*>(chunk.data()), opt);
        return;
    }
    void* ptr = pointerArgument(input, arguments.ptr);
    // Where the value carries a pointer it is one too; elsewhere any integer.
    const bool valueIsPointer = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
    const intptr_t value = valueIsPointer ? reinterpret_cast<intptr_t>(pointerArgument(input, arguments.value))
                                          : integerArgument(input);
    effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void processOne(AEffect* effect, FuzzInput& input, std::vector<std::vector<float>>& buffers)
{
    const int32_t frames = input.value<uint16_t>() % (kMaxFrames + 1);
    const float poison = input.value<float>();
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    for (int c = 0; c < kHostChannels; ++c) {
        std::vector<float>& in = buffers[static_cast<std::size_t>(c)];
        std::fill(in.begin(), in.end(), 0.25f);
        in[static_cast<std::size_t>(c)] = poison;
        inputs.push_back(in.data());
        outputs.push_back(buffers[static_cast<std::size_t>(kHostChannels + c)].data());
    }
    // A host may process in place: output c then is input c.
    if (input.byte() % 2 == 0)
        outputs = inputs;
    effect->processReplacing(effect, inputs.data(), outputs.data(), frames);
}

}  // namespace

int fuzzDispatcher(const std::uint8_t* data, std::size_t size)
{
    keepToolkitRunning();
    FuzzInput input(data, size);
    const int inputs = 1 + input.byte() % kHostChannels;
    const int outputs = 1 + input.byte() % kHostChannels;
    AEffect* effect = makeEffect(inputs, outputs);
    if (effect == nullptr)
        brokenPromise("the plug-in makes an effect for a host that answers its version");

    static CallArguments arguments;
    std::vector<std::vector<float>> buffers(2 * kHostChannels, std::vector<float>(kMaxFrames));
    while (!input.empty()) {
        switch (input.byte() % 8) {
        case 0:
            processOne(effect, input, buffers);
            break;
        case 1:
            effect->setParameter(effect, indexArgument(input), input.value<float>());
            break;
        case 2:
            effect->getParameter(effect, indexArgument(input));
            break;
        default:
            dispatchOne(effect, input, arguments);
            break;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
