// The rule that the plug-in never calls its host under the editor-state lock:
// the lock itself, the calls that wait for its release, the calls that answer
// without the host under it, and the edit gestures of an effect closed while
// another thread's calls wait.
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/audio_effect_x.h"
#include "host/deferred_host_calls.h"
#include "host/editor_state_lock.h"
#include "host/plugin_entry_point.h"
#include "host/vst/opcodes.h"
#include "tests/host/adapter_probe_processor.h"

namespace {

using namespace std::chrono_literals;

// One call as the host received it, and whether its thread held the lock then.
struct ReceivedCall {
    std::thread::id thread;
    int32_t opcode;
    int32_t index;
    float opt;
    bool underLock;
};

// A host that records every call, from any thread.
class RecordingHost {
public:
    static intptr_t callback(AEffect*, int32_t opcode, int32_t index, intptr_t, void* ptr, float opt)
    {
        RecordingHost& self = *current;
        const std::lock_guard<std::mutex> lock(self.callsLock);
        if (self.closeReturned)
            ++self.callsAfterClose;
        self.calls.push_back({std::this_thread::get_id(), opcode, index, opt, editorStateLockIsHeldHere()});
        if (opcode == audioMasterVersion)
            return kVstVersion;
        if (opcode == audioMasterCanDo)
            return std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
        if (opcode == audioMasterGetProductString) {
            std::strcpy(static_cast<char*>(ptr), "Recorder");
            return 1;
        }
        return 0;
    }

    RecordingHost() { current = this; }
    ~RecordingHost() { current = nullptr; }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    std::vector<ReceivedCall> received()
    {
        const std::lock_guard<std::mutex> lock(callsLock);
        return calls;
    }
    std::vector<int32_t> opcodes()
    {
        std::vector<int32_t> sent;
        for (const ReceivedCall& call : received())
            sent.push_back(call.opcode);
        return sent;
    }
    void clear()
    {
        const std::lock_guard<std::mutex> lock(callsLock);
        calls.clear();
    }
    void noteCloseReturned()
    {
        const std::lock_guard<std::mutex> lock(callsLock);
        closeReturned = true;
    }

    int callsAfterClose = 0;

private:
    static inline RecordingHost* current = nullptr;
    std::mutex callsLock;
    std::vector<ReceivedCall> calls;
    bool closeReturned = false;
};

// The effect base with its host calls in reach.
class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback host) : AudioEffectX(host, 0, 2) {}
    void processReplacing(float**, float**, int32_t) override {}
    intptr_t call(int32_t opcode, int32_t index = 0, float opt = 0.0f)
    {
        return callHost(opcode, index, 0, nullptr, opt);
    }
};

TEST(HostCallRules, CallsRaisedUnderTheLockGoOutInTheirOrderAsTheOutermostHoldEndsOnTheirOwnThread)
{
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    std::vector<int32_t> workSaw;
    {
        const EditorStateLock outer;
        EXPECT_TRUE(editorStateLockIsHeldHere());
        EXPECT_EQ(effect.call(audioMasterBeginEdit, 1), 0);
        {
            const EditorStateLock inner;  // a host that calls back in, a modal loop
            effect.call(audioMasterAutomate, 1, 0.5f);
            // Work that queues a call in turn: it goes out after the work, still on this thread.
            runWhenUnlocked([&] {
                workSaw = host.opcodes();
                const EditorStateLock again;
                effect.call(audioMasterUpdateDisplay);
            });
        }
        EXPECT_TRUE(editorStateLockIsHeldHere());
        effect.call(audioMasterEndEdit, 1);
        effect.call(audioMasterIOChanged);

        // Another thread neither sees this hold as its own nor sends these calls as its own ends.
        std::thread other([&] {
            EXPECT_FALSE(editorStateLockIsHeldHere());
            effect.call(audioMasterIdle);
        });
        other.join();
        EXPECT_EQ(host.opcodes(), std::vector<int32_t>{audioMasterIdle});
    }
    EXPECT_FALSE(editorStateLockIsHeldHere());
    EXPECT_EQ(workSaw,
              (std::vector<int32_t>{audioMasterIdle, audioMasterGetTime, audioMasterBeginEdit, audioMasterAutomate}));
    const std::vector<ReceivedCall> calls = host.received();
    EXPECT_EQ(host.opcodes(),
              (std::vector<int32_t>{audioMasterIdle, audioMasterGetTime, audioMasterBeginEdit, audioMasterAutomate,
                                    audioMasterEndEdit, audioMasterIOChanged, audioMasterUpdateDisplay}));
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].thread, std::this_thread::get_id());
        EXPECT_FALSE(calls[i].underLock);
    }
    EXPECT_EQ(calls[3].opt, 0.5f);
}

TEST(HostCallRules, QuestionsAskedUnderTheLockAreAnsweredWithoutTheHost)
{
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    char sizeWindow[] = "sizeWindow";
    char product[kVstMaxProductStrLen] = "";
    // Asked outside the lock first: the host's answers are what the lock's holder gets.
    EXPECT_EQ(effect.canHostDo(sizeWindow), 1);
    EXPECT_TRUE(effect.getHostProductString(product));
    host.clear();
    {
        const EditorStateLock lock;
        char unknown[] = "openFileSelector";
        char again[kVstMaxProductStrLen] = "";
        EXPECT_EQ(effect.canHostDo(sizeWindow), 1);
        EXPECT_EQ(effect.canHostDo(unknown), 0);
        EXPECT_TRUE(effect.getHostProductString(again));
        EXPECT_STREQ(again, "Recorder");
        EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), nullptr);
        EXPECT_FALSE(effect.ioChanged());
        EXPECT_TRUE(host.received().empty());
    }
    EXPECT_EQ(host.opcodes(), std::vector<int32_t>{audioMasterIOChanged});
}

TEST(HostCallRulesDeathTest, AHostCallUnderTheLockEndsATestProgramNamingTheOpcode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RecordingHost host;
            BareEffect effect(RecordingHost::callback);
            const EditorStateLock lock;
            effect.getCurrentProcessLevel();
        },
        "host opcode 23 called under the editor-state lock");
}

TEST(HostCallRules, ClosingAnEffectDropsOnlyItsQueuedCallsAndEndsTheGesturesTheHostSawBegin)
{
    RecordingHost host;
    BareEffect closed(RecordingHost::callback);
    BareEffect kept(RecordingHost::callback);
    // Parameter 0's gesture has begun at the host; parameter 1's begins only in the queue.
    closed.call(audioMasterBeginEdit, 0);
    std::map<int32_t, float> lastAutomation;
    {
        const EditorStateLock lock;
        closed.call(audioMasterAutomate, 0, 0.25f);
        closed.call(audioMasterAutomate, 0, 0.75f);
        closed.call(audioMasterEndEdit, 0);
        closed.call(audioMasterBeginEdit, 1);
        closed.call(audioMasterAutomate, 1, 0.5f);
        kept.call(audioMasterUpdateDisplay);
        lastAutomation = dropDeferredHostCalls(closed.getAeffect());
    }
    EXPECT_EQ(lastAutomation, (std::map<int32_t, float>{{0, 0.75f}, {1, 0.5f}}));
    endOpenGestures(closed.getAeffect(), RecordingHost::callback, lastAutomation);
    const std::vector<ReceivedCall> calls = host.received();
    ASSERT_EQ(host.opcodes(), (std::vector<int32_t>{audioMasterGetTime, audioMasterBeginEdit, audioMasterUpdateDisplay,
                                                    audioMasterGetTime, audioMasterAutomate, audioMasterEndEdit}));
    EXPECT_EQ(calls[4].index, 0);
    EXPECT_EQ(calls[4].opt, 0.75f);
    EXPECT_EQ(calls[5].index, 0);
    // Ended once: a second close has nothing left to end.
    endOpenGestures(closed.getAeffect(), RecordingHost::callback, lastAutomation);
    EXPECT_EQ(host.received().size(), calls.size());
}

// Each gesture's calls on a thread follow a time call on that thread, made
// again at each gesture; automation within the gesture a thread began asks
// nothing more.
TEST(HostCallRules, AThreadAsksTheTimeBeforeEachGestureItSendsAndBeforeEachAutomationOutsideOneItBegan)
{
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    effect.call(audioMasterBeginEdit, 0);
    effect.call(audioMasterAutomate, 0, 0.25f);
    std::thread::id otherThread;
    std::thread other([&] {
        otherThread = std::this_thread::get_id();
        effect.call(audioMasterAutomate, 0, 0.5f);
        effect.call(audioMasterAutomate, 1, 0.5f);
    });
    other.join();
    effect.call(audioMasterAutomate, 0, 0.75f);
    effect.call(audioMasterEndEdit, 0);
    effect.call(audioMasterAutomate, 0, 1.0f);
    effect.call(audioMasterBeginEdit, 1);
    effect.call(audioMasterEndEdit, 1);

    const std::thread::id self = std::this_thread::get_id();
    const std::vector<std::pair<std::thread::id, int32_t>> expected = {
        {self, audioMasterGetTime},         {self, audioMasterBeginEdit},       {self, audioMasterAutomate},
        {otherThread, audioMasterGetTime},  {otherThread, audioMasterAutomate}, {otherThread, audioMasterGetTime},
        {otherThread, audioMasterAutomate}, {self, audioMasterAutomate},        {self, audioMasterEndEdit},
        {self, audioMasterGetTime},         {self, audioMasterAutomate},        {self, audioMasterGetTime},
        {self, audioMasterBeginEdit},       {self, audioMasterEndEdit}};
    std::vector<std::pair<std::thread::id, int32_t>> received;
    for (const ReceivedCall& call : host.received())
        received.emplace_back(call.thread, call.opcode);
    EXPECT_EQ(received, expected);
}

// An editor's thread drags parameter 0 in the idles of a host's GUI thread:
// each idle raises calls under the lock that go out as it ends. The thread
// that made the effect closes it meanwhile, at any moment.
TEST(AdapterHostCallRules, EveryGestureTheHostSawBeginEndsAcrossARacedCloseWithTheValueItReached)
{
    constexpr int kCloses = 40;
    int unended = 0;
    int wrongLastValues = 0;
    int callsAfterClose = 0;
    for (int round = 0; round < kCloses; ++round) {
        RecordingHost host;
        ProbeProcessor* probe = nullptr;
        AEffect* effect = pluginEntryPoint(RecordingHost::callback,
                                           [&]() -> juce::AudioProcessor* { return probe = new ProbeProcessor(2, 2); });
        ASSERT_NE(effect, nullptr);
        std::atomic<bool> closing{false};
        float lastValueSet = -1.0f;
        int beginsRaised = 0;
        std::thread editor([&] {
            for (int step = 0;; ++step) {
                // Another thread waiting for the lock gets it now and then.
                std::this_thread::yield();
                const EditorStateLock idle;
                // The host closes the effect only after its editor calls stop.
                if (closing)
                    return;
                const float value = static_cast<float>(step % 100) / 100.0f;
                JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
                if (step % 3 == 0) {
                    probe->beginParameterChangeGesture(0);
                    ++beginsRaised;
                }
                probe->setParameterNotifyingHost(0, value);
                lastValueSet = value;
                if (step % 3 == 2)
                    probe->endParameterChangeGesture(0);
                JUCE_END_IGNORE_WARNINGS_GCC_LIKE
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(200 + 97 * round));
        closing = true;
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        host.noteCloseReturned();
        editor.join();

        int open = 0;
        int begins = 0;
        float lastValue = -1.0f;
        for (const ReceivedCall& call : host.received()) {
            begins += call.opcode == audioMasterBeginEdit ? 1 : 0;
            open += call.opcode == audioMasterBeginEdit ? 1 : call.opcode == audioMasterEndEdit ? -1 : 0;
            if (call.opcode == audioMasterAutomate)
                lastValue = call.opt;
            EXPECT_FALSE(call.underLock);
            EXPECT_TRUE(open == 0 || open == 1) << "gestures nest or end before they begin";
        }
        unended += open != 0 ? 1 : 0;
        // A gesture whose begin the close dropped was never the host's to end.
        if (begins == beginsRaised)
            wrongLastValues += lastValue != lastValueSet ? 1 : 0;
        callsAfterClose += host.callsAfterClose;
    }
    EXPECT_EQ(unended, 0) << "closes after which the host saw a gesture begin and not end";
    EXPECT_EQ(wrongLastValues, 0) << "closes after which the host's last value was not the last one set";
    EXPECT_EQ(callsAfterClose, 0);
}

}  // namespace
