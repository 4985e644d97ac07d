// The effect base classes in-process, against a host callback that records
// every call: the host wrappers, the flags, the trampolines' own duties.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/aeff_editor.h"
#include "host/audio_effect_x.h"
#include "host/vst/opcodes.h"

namespace {

struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

std::vector<HostCall> hostCalls;
intptr_t hostAnswer = 0;

intptr_t recordingHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    hostCalls.push_back({effect, opcode, index, value, ptr, opt});
    return hostAnswer;
}

class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback host) : AudioEffectX(host, 2, 4) {}
    ~ProbeEffect() override { ++destroyed; }

    void processReplacing(float**, float**, int32_t) override {}
    void close() override { ++closed; }
    void setParameter(int32_t index, float value) override
    {
        values[index] = value;
        parameterSetBeforeHostCall = hostCalls.empty();
    }
    float getParameter(int32_t index) override { return values[index]; }
    int32_t canDo(char* text) override { return takesMidi && std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : 0; }
    void attachEditor(AEffEditor* attached) { editor = attached; }

    static inline int destroyed = 0;
    static inline int closed = 0;
    float values[4] = {};
    bool parameterSetBeforeHostCall = false;
    bool takesMidi = false;
};

class FakeEditor : public AEffEditor {
public:
    explicit FakeEditor(bool& deleted) : deleted(deleted) {}
    ~FakeEditor() override { deleted = true; }
    bool getRect(ERect** where) override
    {
        *where = &rect;
        return true;
    }
    bool open(void* parent) override
    {
        openedWith = parent;
        return true;
    }
    void close() override { ++closes; }
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        lastKey = key;
        return false;
    }
    bool setKnobMode(int32_t mode) override
    {
        knobMode = mode;
        return true;
    }

    bool& deleted;
    ERect rect{0, 0, 300, 400};
    void* openedWith = nullptr;
    int closes = 0;
    int idles = 0;
    VstKeyCode lastKey{};
    int32_t knobMode = -1;
};

class EffectBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostCalls.clear();
        hostAnswer = 0;
        ProbeEffect::destroyed = 0;
        ProbeEffect::closed = 0;
    }
    intptr_t dispatch(AudioEffect& effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f)
    {
        AEffect* record = effect.getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
};

TEST_F(EffectBase, HostWrappersSendTheirOpcodeAndArgumentsWithTheEffectsRecord)
{
    ProbeEffect effect(recordingHost);
    char text[64] = "sizeWindow";
    char other[8] = {};
    auto* selection = reinterpret_cast<VstFileSelect*>(other);
    auto* task = reinterpret_cast<VstOfflineTask*>(other);
    auto* files = reinterpret_cast<VstAudioFile*>(other);
    const struct {
        const char* name;
        std::function<void()> call;
        HostCall expected;
        bool timeFirst = false;  // a gesture's first call on its thread asks the time first
    } cases[] = {
        {"setParameterAutomated",
         [&] { effect.setParameterAutomated(1, 0.7f); },
         {nullptr, 0, 1, 0, nullptr, 0.7f},
         true},
        {"getMasterVersion", [&] { effect.getMasterVersion(); }, {nullptr, 1, 0, 0, nullptr, 0}},
        {"getCurrentUniqueId", [&] { effect.getCurrentUniqueId(); }, {nullptr, 2, 0, 0, nullptr, 0}},
        {"masterIdle", [&] { effect.masterIdle(); }, {nullptr, 3, 0, 0, nullptr, 0}},
        {"isInputConnected", [&] { effect.isInputConnected(3); }, {nullptr, 4, 3, 0, nullptr, 0}},
        {"isOutputConnected", [&] { effect.isOutputConnected(5); }, {nullptr, 4, 5, 1, nullptr, 0}},
        {"wantEvents", [&] { effect.wantEvents(1); }, {nullptr, 6, 0, 1, nullptr, 0}},
        {"getTimeInfo", [&] { effect.getTimeInfo(0xEE00); }, {nullptr, 7, 0, 0xEE00, nullptr, 0}},
        {"ioChanged", [&] { effect.ioChanged(); }, {nullptr, 13, 0, 0, nullptr, 0}},
        {"sizeWindow", [&] { effect.sizeWindow(640, 480); }, {nullptr, 15, 640, 480, nullptr, 0}},
        {"updateSampleRate", [&] { effect.updateSampleRate(); }, {nullptr, 16, 0, 0, nullptr, 0}},
        {"updateBlockSize", [&] { effect.updateBlockSize(); }, {nullptr, 17, 0, 0, nullptr, 0}},
        {"getInputLatency", [&] { effect.getInputLatency(); }, {nullptr, 18, 0, 0, nullptr, 0}},
        {"getOutputLatency", [&] { effect.getOutputLatency(); }, {nullptr, 19, 0, 0, nullptr, 0}},
        {"getCurrentProcessLevel", [&] { effect.getCurrentProcessLevel(); }, {nullptr, 23, 0, 0, nullptr, 0}},
        {"getAutomationState", [&] { effect.getAutomationState(); }, {nullptr, 24, 0, 0, nullptr, 0}},
        {"offlineStart", [&] { effect.offlineStart(files, 3, 1); }, {nullptr, 25, 1, 3, other, 0}},
        {"offlineRead", [&] { effect.offlineRead(task, 2, true); }, {nullptr, 26, 2, 1, other, 0}},
        {"offlineWrite", [&] { effect.offlineWrite(task, 3); }, {nullptr, 27, 3, 0, other, 0}},
        {"offlineGetCurrentPass", [&] { effect.offlineGetCurrentPass(); }, {nullptr, 28, 0, 0, nullptr, 0}},
        {"offlineGetCurrentMetaPass", [&] { effect.offlineGetCurrentMetaPass(); }, {nullptr, 29, 0, 0, nullptr, 0}},
        {"getHostVendorString", [&] { effect.getHostVendorString(text); }, {nullptr, 32, 0, 0, text, 0}},
        {"getHostProductString", [&] { effect.getHostProductString(text); }, {nullptr, 33, 0, 0, text, 0}},
        {"getHostVendorVersion", [&] { effect.getHostVendorVersion(); }, {nullptr, 34, 0, 0, nullptr, 0}},
        {"hostVendorSpecific", [&] { effect.hostVendorSpecific(5, 6, text, 1.5f); }, {nullptr, 35, 5, 6, text, 1.5f}},
        {"canHostDo", [&] { effect.canHostDo(text); }, {nullptr, 37, 0, 0, text, 0}},
        {"getHostLanguage", [&] { effect.getHostLanguage(); }, {nullptr, 38, 0, 0, nullptr, 0}},
        {"getDirectory", [&] { effect.getDirectory(); }, {nullptr, 41, 0, 0, nullptr, 0}},
        {"updateDisplay", [&] { effect.updateDisplay(); }, {nullptr, 42, 0, 0, nullptr, 0}},
        {"beginEdit", [&] { effect.beginEdit(2); }, {nullptr, 43, 2, 0, nullptr, 0}, true},
        {"endEdit", [&] { effect.endEdit(2); }, {nullptr, 44, 2, 0, nullptr, 0}},
        {"openFileSelector", [&] { effect.openFileSelector(selection); }, {nullptr, 45, 0, 0, other, 0}},
        {"closeFileSelector", [&] { effect.closeFileSelector(selection); }, {nullptr, 46, 0, 0, other, 0}},
    };
    for (const auto& c : cases) {
        hostCalls.clear();
        c.call();
        ASSERT_EQ(hostCalls.size(), c.timeFirst ? 2u : 1u) << c.name;
        if (c.timeFirst) {
            EXPECT_EQ(hostCalls[0].opcode, audioMasterGetTime) << c.name;
        }
        const HostCall& call = hostCalls.back();
        EXPECT_EQ(call.effect, effect.getAeffect()) << c.name;
        EXPECT_EQ(call.opcode, c.expected.opcode) << c.name;
        EXPECT_EQ(call.index, c.expected.index) << c.name;
        EXPECT_EQ(call.value, c.expected.value) << c.name;
        EXPECT_EQ(call.ptr, c.expected.ptr) << c.name;
        EXPECT_EQ(call.opt, c.expected.opt) << c.name;
    }
}

TEST_F(EffectBase, HostAnswersBecomeTheWrappersResults)
{
    ProbeEffect effect(recordingHost);
    char text[64] = "sizeWindow";
    hostAnswer = 7;
    EXPECT_EQ(effect.getMasterVersion(), 7);
    EXPECT_TRUE(effect.beginEdit(0));
    EXPECT_EQ(effect.canHostDo(text), 1);
    EXPECT_FALSE(effect.isInputConnected(0));  // any answer but 0 means "not connected"
    EXPECT_EQ(effect.getInputLatency(), 7);

    hostAnswer = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_EQ(effect.canHostDo(text), 0);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);

    VstTimeInfo time{};
    hostAnswer = reinterpret_cast<intptr_t>(&time);
    EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), &time);

    hostAnswer = 48000;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    hostAnswer = -1;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    hostAnswer = 256;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    hostAnswer = 0;
    EXPECT_EQ(effect.updateBlockSize(), 256);

    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
}

TEST_F(EffectBase, WithoutAHostCallbackEveryWrapperAnswersItsDefault)
{
    ProbeEffect effect(nullptr);
    char text[64] = "anything";
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_EQ(effect.canHostDo(text), 0);
    EXPECT_EQ(effect.getTimeInfo(0xEE00), nullptr);
    EXPECT_EQ(effect.getDirectory(), nullptr);
    EXPECT_EQ(effect.updateSampleRate(), 44100.0f);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    effect.setParameterAutomated(2, 0.5f);
    EXPECT_EQ(effect.values[2], 0.5f);
}

TEST_F(EffectBase, AnAutomatedParameterIsSetBeforeTheHostHearsOfIt)
{
    ProbeEffect effect(recordingHost);
    effect.setParameterAutomated(3, 0.125f);
    EXPECT_TRUE(effect.parameterSetBeforeHostCall);
    EXPECT_EQ(effect.values[3], 0.125f);
}

TEST_F(EffectBase, ResumeAsksForMidiOnlyForASynthOrAnEffectThatTakesMidiEvents)
{
    ProbeEffect plain(recordingHost);
    dispatch(plain, effMainsChanged, 0, 1);
    EXPECT_TRUE(hostCalls.empty());

    ProbeEffect synth(recordingHost);
    synth.isSynth(true);
    dispatch(synth, effMainsChanged, 0, 1);
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(hostCalls[0].value, 1);

    hostCalls.clear();
    ProbeEffect listener(recordingHost);
    listener.takesMidi = true;
    dispatch(listener, effMainsChanged, 0, 1);
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterWantMidi);
}

TEST_F(EffectBase, FlagSettersSetAndClearTheirPublishedBits)
{
    ProbeEffect effect(nullptr);
    const struct {
        const char* name;
        std::function<void(bool)> set;
        int32_t bit;
    } flags[] = {
        {"hasClip", [&](bool on) { effect.hasClip(on); }, 0x2},
        {"hasVu", [&](bool on) { effect.hasVu(on); }, 0x4},
        {"canMono", [&](bool on) { effect.canMono(on); }, 0x8},
        {"canProcessReplacing", [&](bool on) { effect.canProcessReplacing(on); }, 0x10},
        {"programsAreChunks", [&](bool on) { effect.programsAreChunks(on); }, 0x20},
        {"isSynth", [&](bool on) { effect.isSynth(on); }, 0x100},
        {"noTail", [&](bool on) { effect.noTail(on); }, 0x200},
        {"canDoubleReplacing", [&](bool on) { effect.canDoubleReplacing(on); }, 0x1000},
    };
    for (const auto& flag : flags) {
        const int32_t before = effect.getAeffect()->flags;
        flag.set(true);
        EXPECT_EQ(effect.getAeffect()->flags, before | flag.bit) << flag.name;
        flag.set(false);
        EXPECT_EQ(effect.getAeffect()->flags, before & ~flag.bit) << flag.name;
    }
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), 0);
    effect.isSynth(true);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), 2);
}

TEST_F(EffectBase, EffCloseClosesDeletesTheEffectAndAnswersOne)
{
    auto* effect = new ProbeEffect(recordingHost);
    bool editorDeleted = false;
    effect->attachEditor(new FakeEditor(editorDeleted));
    EXPECT_EQ(dispatch(*effect, effClose), 1);
    EXPECT_EQ(ProbeEffect::closed, 1);
    EXPECT_EQ(ProbeEffect::destroyed, 1);
    EXPECT_TRUE(editorDeleted);
}

TEST_F(EffectBase, ARecordThatIsNotTheEffectsOwnIsAnsweredZero)
{
    ProbeEffect effect(recordingHost);
    effect.values[0] = 0.5f;
    AEffect copy = *effect.getAeffect();
    EXPECT_EQ(copy.dispatcher(&copy, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.dispatcher(&copy, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
    copy.setParameter(&copy, 0, 0.75f);
    EXPECT_EQ(effect.values[0], 0.5f);
    EXPECT_EQ(copy.dispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
    copy.object = nullptr;
    EXPECT_EQ(copy.dispatcher(&copy, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(ProbeEffect::destroyed, 0);
}

TEST_F(EffectBase, BlockSizesBelowOneAndSampleRatesThatAreNotFiniteAreIgnored)
{
    ProbeEffect effect(recordingHost);
    for (const intptr_t size : {intptr_t{0}, intptr_t{-5}, intptr_t{INT64_C(1) << 40}})
        EXPECT_EQ(dispatch(effect, effSetBlockSize, 0, size), 0);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    dispatch(effect, effSetBlockSize, 0, 256);
    EXPECT_EQ(effect.getBlockSize(), 256);

    dispatch(effect, effSetSampleRate, 0, 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, std::numeric_limits<float>::infinity());
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
}

TEST_F(EffectBase, EditorOpcodesReachAnAttachedEditor)
{
    ProbeEffect effect(recordingHost);
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', 0x41), 0);  // no editor yet

    bool deleted = false;
    auto* editor = new FakeEditor(deleted);
    effect.attachEditor(editor);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->rect);
    int window = 0;
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(editor->openedWith, &window);
    dispatch(effect, effEditIdle);
    dispatch(effect, effEditClose);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(editor->closes, 1);
    EXPECT_EQ(dispatch(effect, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);

    // The key code takes the character from index and the low bytes of value and opt.
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', 0x1FF, nullptr, 3.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, 0xFF);
    EXPECT_EQ(editor->lastKey.modifier, 3);
    EXPECT_EQ(dispatch(effect, effEditKeyUp, 'b', 2, nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(editor->lastKey.character, 'b');
    EXPECT_EQ(editor->lastKey.modifier, 0);
    EXPECT_FALSE(deleted);
}

TEST_F(EffectBase, SpeakerArrangementsAreAllocatedZeroedAndCopiedWhole)
{
    ProbeEffect effect(nullptr);
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 3));
    EXPECT_EQ(arrangement->numChannels, 3);
    EXPECT_EQ(arrangement->type, 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(vstSpeakerAt(arrangement, 0));
    for (std::size_t i = 0; i < 3 * sizeof(VstSpeakerProperties); ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_NE(arrangement, nullptr);

    vstSpeakerAt(arrangement, 2)->azimuth = 0.5f;
    vstSpeakerAt(arrangement, 2)->type = 7;
    std::memset(vstSpeakerAt(arrangement, 2)->name, 'n', sizeof(VstSpeakerProperties::name));  // no NUL
    vstSpeakerAt(arrangement, 2)->future[27] = 9;
    arrangement->type = 5;

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&copy, 1));  // replaced, not leaked
    ASSERT_TRUE(effect.matchArrangement(&copy, arrangement));
    EXPECT_EQ(copy->type, 5);
    EXPECT_EQ(copy->numChannels, 3);
    const VstSpeakerProperties* third = vstSpeakerAt(copy, 2);
    EXPECT_EQ(third->azimuth, 0.5f);
    EXPECT_EQ(third->type, 7);
    EXPECT_EQ(third->future[27], 9);
    EXPECT_EQ(std::string(third->name), std::string(63, 'n'));
    EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));

    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_TRUE(effect.deallocateArrangement(&copy));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_EQ(copy, nullptr);
}

TEST_F(EffectBase, ValueTextsFitTheirLengthAndShowHugeNumbersAsHuge)
{
    ProbeEffect effect(nullptr);
    char text[32];
    const auto shown = [&](const std::function<void(char*)>& write) {
        std::memset(text, 'Z', sizeof text);
        write(text);
        return std::string(text, strnlen(text, sizeof text));
    };
    EXPECT_EQ(shown([&](char* t) { effect.dB2string(1.0f, t, 16); }), "0.00");
    EXPECT_EQ(shown([&](char* t) { effect.dB2string(10.0f, t, 16); }), "20.00");
    EXPECT_EQ(shown([&](char* t) { effect.dB2string(0.0f, t, 16); }), "-oo");
    EXPECT_EQ(shown([&](char* t) { effect.Hz2string(100.0f, t, 16); }), "441.00");
    EXPECT_EQ(shown([&](char* t) { effect.Hz2string(0.0f, t, 16); }), "0.00");
    EXPECT_EQ(shown([&](char* t) { effect.ms2string(441.0f, t, 16); }), "10.00");
    // Eight bytes hold seven characters: two decimals, then one, then no room.
    EXPECT_EQ(shown([&](char* t) { effect.float2string(1234.567f, t, 8); }), "1234.57");
    EXPECT_EQ(shown([&](char* t) { effect.float2string(12345.67f, t, 8); }), "12345.7");
    EXPECT_EQ(shown([&](char* t) { effect.float2string(123456.7f, t, 8); }), "Huge!");
    EXPECT_EQ(shown([&](char* t) { effect.float2string(std::nanf(""), t, 8); }), "Huge!");
    EXPECT_EQ(shown([&](char* t) { effect.int2string(99999999, t, 16); }), "99999999");
    EXPECT_EQ(shown([&](char* t) { effect.int2string(100000000, t, 16); }), "Huge!");
    EXPECT_EQ(shown([&](char* t) { effect.int2string(-100000000, t, 16); }), "Huge!");
    EXPECT_EQ(shown([&](char* t) { effect.int2string(-42, t, 3); }), "Hu");

    std::memset(text, 'Z', sizeof text);
    effect.float2string(1.0f, text, 0);
    EXPECT_EQ(text[0], 'Z');
}

}  // namespace
