// Brondil's processor and editor through the adapter, with a host whose
// automation, gesture and time handlers wait for its main thread in the two ways
// legal hosts do: they take a project lock that the main thread holds around
// effSetChunk and effGetChunk, and they ask the main thread for a chunk and
// wait for the answer. The editor runs on a GUI thread of the host's own,
// idled at a host's pace; the user drags the knob and types gains through the
// X server (xdotool's XTEST events) and answers warnings with the keyboard,
// while the main thread restores and saves. On a private X server with a
// window manager; the host's window is made with Xlib as hosts do.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "editor/warning_message.h"
#include "engine/filter.h"
#include "host/editor_state_lock.h"
#include "host/plugin_entry_point.h"
#include "tests/host/brondil_in_process.h"
#include "tests/host/brondil_window_layout.h"
#include "host/vst/opcodes.h"
#include "tests/host/adapter_probe_processor.h"
#include "tests/host/plugin_convolution.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/sanitizer_build.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/vst_host/host_window.h"

// After the tests' own headers: Xlib's macros would clash with theirs.

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long the user drags while the main thread restores and saves.
// ThreadSanitizer's build runs many times slower: a shorter pass there.
#ifdef BRONDIL_THREAD_SANITIZER
constexpr auto kDragRunTime = 10s;
#else
constexpr auto kDragRunTime = 60s;
#endif
// No host call may block longer: a user takes a longer freeze for a hang.
constexpr auto kLongestBlockAllowed = 2s;
// A handler that waits this long has met a deadlock and gives up.
constexpr auto kGiveUp = 3s;
// A host's editor idle pace.
constexpr auto kIdlePeriod = 30ms;
// Idles after which a window untouched by the user shows nothing new.
constexpr int kIdlesToSettle = 3;
constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int kIrFrames = kRate / 4;

bool isEditCall(int32_t opcode)
{
    return opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit;
}

// One automation, gesture or time call as the host received it, and its thread.
struct EditCall {
    int32_t opcode;
    int32_t index;
    float value;
    std::thread::id thread;
};

// The host side: its callback, its main thread's project lock and mailbox,
// and the longest time any of its threads spent in a call.
class WaitingHost {
public:
    static intptr_t callback(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt)
    {
        return instance->answer(opcode, index, opt);
    }

    // The main thread's call into the plug-in, timed.
    template <typename Call>
    auto timed(Call&& call)
    {
        const auto start = Clock::now();
        auto answer = call();
        noteBlock(Clock::now() - start);
        return answer;
    }

    // The main thread answers the chunk requests its handlers posted, as it answers its own.
    void serveChunkRequests(AEffect* effect)
    {
        std::unique_lock<std::mutex> lock(mailbox);
        while (answered < requested) {
            lock.unlock();
            {
                const std::lock_guard<std::mutex> project(projectLock);
                void* data = nullptr;
                timed([&] { return effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0.0f); });
            }
            lock.lock();
            ++answered;
            answerReady.notify_all();
        }
    }

    std::vector<EditCall> takeEditCalls()
    {
        const std::lock_guard<std::mutex> lock(callsLock);
        std::vector<EditCall> taken;
        taken.swap(editCalls);
        return taken;
    }

    static WaitingHost* instance;
    bool waitsForMainThread = false;
    std::mutex projectLock;
    std::atomic<long long> longestBlockUs{0};
    std::atomic<int> callsUnderTheLock{0};
    std::atomic<int> gaveUp{0};

private:
    intptr_t answer(int32_t opcode, int32_t index, float opt)
    {
        if (opcode == audioMasterVersion)
            return kVstVersion;
        if (editorStateLockIsHeldHere())
            ++callsUnderTheLock;
        if (opcode == audioMasterGetCurrentProcessLevel)
            return kVstProcessLevelRealtime;
        if (!isEditCall(opcode) && opcode != audioMasterGetTime)
            return 0;
        {
            const std::lock_guard<std::mutex> lock(callsLock);
            editCalls.push_back({opcode, index, opt, std::this_thread::get_id()});
        }
        // After one deadlock the host waits no more, so that the test ends soon and says so.
        if (waitsForMainThread && gaveUp == 0) {
            takeTheProjectLock();
            askTheMainThreadForAChunk();
        }
        // No time: the plug-in asks without needing it.
        return opcode == audioMasterGetTime ? 0 : 1;
    }

    // Polled rather than timed: ThreadSanitizer does not see the timed lock's calls.
    void takeTheProjectLock()
    {
        const auto start = Clock::now();
        while (!projectLock.try_lock()) {
            if (Clock::now() - start > kGiveUp) {
                ++gaveUp;
                return;
            }
            std::this_thread::sleep_for(100us);
        }
        noteBlock(Clock::now() - start);
        projectLock.unlock();
    }

    void askTheMainThreadForAChunk()
    {
        const auto start = Clock::now();
        std::unique_lock<std::mutex> lock(mailbox);
        const long mine = ++requested;
        if (!answerReady.wait_for(lock, kGiveUp, [&] { return answered >= mine; }))
            ++gaveUp;
        noteBlock(Clock::now() - start);
    }

    void noteBlock(Clock::duration span)
    {
        const long long us = std::chrono::duration_cast<std::chrono::microseconds>(span).count();
        long long longest = longestBlockUs.load();
        while (us > longest && !longestBlockUs.compare_exchange_weak(longest, us)) {
        }
    }

    std::mutex callsLock;
    std::vector<EditCall> editCalls;
    std::mutex mailbox;
    std::condition_variable answerReady;
    long requested = 0;
    long answered = 0;
};

WaitingHost* WaitingHost::instance = nullptr;

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

class AdapterHostCallsTest : public ::testing::Test {
protected:
    explicit AdapterHostCallsTest(bool withWindowManager = true) : server(withWindowManager) {}

    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        if (!guitest::programIsInstalled("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        ASSERT_TRUE(folder.createDirectory());
        std::string error;
        hostWindow = HostWindow::create(BREditor::kWidth, BREditor::kHeight, "host", error);
        ASSERT_NE(hostWindow, nullptr) << error;
        // The window manager's windows may go while the user looks at them.
        ignoredXErrors = std::make_unique<guitest::IgnoredXErrors>();
        eyes = XOpenDisplay(nullptr);
        ASSERT_NE(eyes, nullptr);
        WaitingHost::instance = &host;
    }

    void TearDown() override
    {
        stop = true;
        if (gui.joinable())
            gui.join();
        if (effect != nullptr)
            dispatch(effect, effClose);
        WaitingHost::instance = nullptr;
        if (eyes != nullptr)
            XCloseDisplay(eyes);
        ignoredXErrors.reset();
        hostWindow.reset();
        folder.deleteRecursively();
    }

    std::string pathInFolder(const char* name) const
    {
        return folder.getChildFile(name).getFullPathName().toStdString();
    }

    // Brondil's processor with its editor, 2 × 2, its warnings in alert windows.
    void makeEffect()
    {
        const juce::File pluginFile = folder.getChildFile("Brondil.so");
        effect = makeBrondilInProcess(WaitingHost::callback, pluginFile, kChannels, showWarningInAlertWindow, &filter);
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
        dispatch(effect, effSetBlockSize, 0, 256);
        dispatch(effect, effMainsChanged, 0, 1);
    }

    void idle()
    {
        host.timed([this] { return dispatch(effect, effEditIdle); });
        ++idles;
        std::this_thread::sleep_for(kIdlePeriod);
    }

    // The host's GUI thread: sizes and opens the editor in the host's window
    // and idles it at a host's pace until `stop` is set, then closes it.
    void runGuiThread()
    {
        ERect* rect = nullptr;
        if (dispatch(effect, effEditGetRect, 0, 0, &rect) != 0 &&
            dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow->id())) != 0)
            editorOpen = true;
        while (!stop) {
            hostWindow->handleEvents();
            idle();
        }
        dispatch(effect, effEditClose);
    }

    void startGuiThread()
    {
        gui = std::thread([this] { runGuiThread(); });
    }

    // xdotool with these arguments; true when it succeeded. The GUI thread idles meanwhile.
    static bool user(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        guitest::ChildProcess program(command);
        return program.wait() == 0;
    }

    // A drag on the knob as a hand makes it: press, up, further down, release.
    bool dragTheKnob()
    {
        const std::string window = std::to_string(hostWindow->id());
        std::vector<std::string> drag{"mousemove",           "--window", window, "--sync", std::to_string(kKnobX),
                                      std::to_string(kKnobY)};
        for (const std::string& word : knobDragWords())
            drag.push_back(word);
        return user(drag);
    }

    // A gain typed into the text box under the knob, then return; an empty
    // text is the box's own text deleted. The value follows "--", as xdotool
    // would take a negative one for an option. The user types once the box
    // shows it has opened for typing and the window has the keyboard, however
    // slowly the host's idles and the window manager come. Then the hand
    // leaves the box: xdotool's synchronous move to where the pointer already
    // is waits many seconds for a motion that never comes.
    bool typeGain(const std::string& decibels)
    {
        const std::string window = std::to_string(hostWindow->id());
        const std::vector<uint32_t> closedBox = settledGainBox();
        const std::vector<std::string> typing = decibels.empty()
                                                    ? std::vector<std::string>{"key", "BackSpace"}
                                                    : std::vector<std::string>{"type", "--delay", "30", "--", decibels};
        return !closedBox.empty() &&
               user({"mousemove", "--window", window, "--sync", std::to_string(kKnobX), std::to_string(kGainBoxY),
                     "click", "1"}) &&
               waitFor([&] { return gainBoxPixels() != closedBox && keyboardInHostWindow(); }) && user(typing) &&
               user({"key", "Return", "mousemove_relative", "--sync", "--", "-50", "0"});
    }

    // The gain box once it has shown the same for a few idles: what it shows
    // once a gesture's last repaint is done. Empty when it never settles.
    std::vector<uint32_t> settledGainBox()
    {
        std::vector<uint32_t> box = gainBoxPixels();
        const bool settled = waitFor([&] {
            const int seen = idles;
            if (!waitFor([&] { return idles >= seen + kIdlesToSettle; }))
                return false;
            const std::vector<uint32_t> before = std::exchange(box, gainBoxPixels());
            return before == box;
        });
        return settled ? box : std::vector<uint32_t>{};
    }

    // The gain box as the user sees it in the host's window.
    std::vector<uint32_t> gainBoxPixels()
    {
        const std::lock_guard<std::mutex> lock(eyesLock);
        return gainBoxPixelsIn(guitest::capturePixels(eyes, hostWindow->id()));
    }

    bool keyboardInHostWindow()
    {
        const std::lock_guard<std::mutex> lock(eyesLock);
        return guitest::holdsKeyboardFocus(eyes, hostWindow->id());
    }

    // Asked through a connection of the user's own: the host's belongs to its GUI thread.
    bool windowShown(const std::string& name)
    {
        const std::lock_guard<std::mutex> lock(eyesLock);
        return guitest::viewableWindowNamed(eyes, name) != 0;
    }

    guitest::WindowPixels screen()
    {
        const std::lock_guard<std::mutex> lock(eyesLock);
        return guitest::capturePixels(eyes, DefaultRootWindow(eyes));
    }

    // Waits as a user looks for a window, while another thread idles; false at the deadline.
    static bool waitFor(const std::function<bool()>& done)
    {
        const auto until = Clock::now() + 10s;
        while (!done()) {
            if (Clock::now() > until)
                return false;
            std::this_thread::sleep_for(kIdlePeriod);
        }
        return true;
    }

    double longestBlockMs() const { return static_cast<double>(host.longestBlockUs.load()) / 1000.0; }

    guitest::PrivateXServer server{true};
    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("brondil-host-calls", "");
    std::unique_ptr<HostWindow> hostWindow;
    Display* eyes = nullptr;  // the user's own view of the screen
    std::unique_ptr<guitest::IgnoredXErrors> ignoredXErrors;
    std::mutex eyesLock;
    WaitingHost host;
    AEffect* effect = nullptr;
    BRFilter* filter = nullptr;
    std::atomic<bool> editorOpen{false};
    std::atomic<int> idles{0};  // the GUI thread's idles so far
    std::thread gui;
    std::atomic<bool> handStops{false};
    std::atomic<bool> stop{false};
};

TEST_F(AdapterHostCallsTest, KnobDragsAgainstRestoresAndSavesBlockNoThreadOfAHostWhoseHandlersWaitForItsMainThread)
{
    const IrMatrix cells = makeIrMatrix(kChannels, kChannels, kIrFrames);
    ASSERT_TRUE(writeWav(pathInFolder("room.wav"), irMultiFile(cells), kRate));
    const std::vector<std::vector<char>> states = {irMultiState(pathInFolder("room.wav"), kChannels, -6.0),
                                                   irMultiState(pathInFolder("room.wav"), kChannels, 3.0)};
    makeEffect();
    host.waitsForMainThread = true;
    startGuiThread();
    ASSERT_TRUE(waitFor([this] { return editorOpen.load(); }));

    std::atomic<int> drags{0};
    std::thread hand([&] {
        while (!handStops)
            drags += dragTheKnob() ? 1 : 0;
    });
    // The main thread restores and saves under its project lock, and answers its handlers' requests.
    const auto until = Clock::now() + kDragRunTime;
    for (std::size_t k = 0; Clock::now() < until; ++k) {
        std::vector<char> state = states[k % states.size()];
        {
            const std::lock_guard<std::mutex> project(host.projectLock);
            host.timed(
                [&] { return dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data()); });
        }
        {
            const std::lock_guard<std::mutex> project(host.projectLock);
            void* saved = nullptr;
            EXPECT_GT(host.timed([&] { return dispatch(effect, effGetChunk, 0, 0, &saved); }), 0);
        }
        const auto rest = Clock::now() + std::chrono::milliseconds(1 + k * 7 % 9);
        while (Clock::now() < rest) {
            host.serveChunkRequests(effect);
            std::this_thread::sleep_for(1ms);
        }
    }
    // The hand lets go before the editor closes. Handlers still waiting for the main thread get their answers.
    const auto serveUntilEnded = [&](std::thread& worker) {
        std::atomic<bool> ended{false};
        std::thread joiner([&] {
            worker.join();
            ended = true;
        });
        while (!ended) {
            host.serveChunkRequests(effect);
            std::this_thread::sleep_for(1ms);
        }
        joiner.join();
    };
    handStops = true;
    serveUntilEnded(hand);
    stop = true;
    serveUntilEnded(gui);

    const std::vector<EditCall> calls = host.takeEditCalls();
    const auto count = [&](int32_t opcode) {
        return std::count_if(calls.begin(), calls.end(), [&](const EditCall& call) { return call.opcode == opcode; });
    };
    std::cout << drags << " drags, " << count(audioMasterAutomate) << " automation calls, longest block "
              << longestBlockMs() << " ms\n";
    EXPECT_GT(drags, 0);
    EXPECT_GT(count(audioMasterAutomate), 0);
    EXPECT_GT(count(audioMasterBeginEdit), 0);
    EXPECT_EQ(count(audioMasterBeginEdit), count(audioMasterEndEdit));
    // Each gesture asked the time once, however long the host took to answer.
    EXPECT_EQ(count(audioMasterGetTime), count(audioMasterBeginEdit));
    EXPECT_EQ(host.callsUnderTheLock, 0);
    EXPECT_EQ(host.gaveUp, 0);
    EXPECT_LT(host.longestBlockUs.load(), std::chrono::microseconds(kLongestBlockAllowed).count());
}

// True when the calls are whole gestures on the editor's thread, one after
// another: each asks the time, begins, automates the wet gain at least once,
// and ends.
::testing::AssertionResult wholeGestures(const std::vector<EditCall>& calls, std::thread::id editorThread)
{
    bool open = false;
    bool timeAsked = false;
    int automated = 0;
    for (const EditCall& call : calls) {
        if (call.thread != editorThread)
            return ::testing::AssertionFailure() << "a call of opcode " << call.opcode << " on another thread";
        if (call.opcode == audioMasterGetTime) {
            if (open || timeAsked)
                return ::testing::AssertionFailure() << "the time asked within a gesture";
            timeAsked = true;
            continue;
        }
        if (call.index != 0)
            return ::testing::AssertionFailure() << "a call for parameter " << call.index;
        if (call.opcode == audioMasterBeginEdit) {
            if (open)
                return ::testing::AssertionFailure() << "a gesture begins inside another";
            if (!timeAsked)
                return ::testing::AssertionFailure() << "a gesture begins without the time asked first";
            open = true;
            timeAsked = false;
            automated = 0;
        } else if (call.opcode == audioMasterAutomate) {
            if (!open)
                return ::testing::AssertionFailure() << "automation outside a gesture";
            ++automated;
        } else {
            if (!open || automated == 0)
                return ::testing::AssertionFailure() << "a gesture ends without having begun or automated";
            open = false;
        }
    }
    if (open || calls.empty())
        return ::testing::AssertionFailure() << (open ? "a gesture never ends" : "no gesture");
    return ::testing::AssertionSuccess();
}

TEST_F(AdapterHostCallsTest, EachDragOfTheKnobAndEachTypedGainReachTheHostAsOneGestureAfterAskingTheTimeOnItsThread)
{
    makeEffect();
    startGuiThread();
    ASSERT_TRUE(waitFor([this] { return editorOpen.load(); }));

    // What a gesture sends reaches the host with the idle that follows it.
    std::vector<EditCall> calls;
    const auto gestureEnded = [&] {
        for (const EditCall& call : host.takeEditCalls())
            calls.push_back(call);
        return !calls.empty() && calls.back().opcode == audioMasterEndEdit;
    };
    EXPECT_TRUE(dragTheKnob());
    EXPECT_TRUE(waitFor(gestureEnded));
    EXPECT_TRUE(wholeGestures(calls, gui.get_id()));
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const EditCall& call) { return call.opcode == audioMasterBeginEdit; }),
              1);

    calls.clear();
    EXPECT_TRUE(typeGain("-12"));
    const float typed = (-12.0f + 90.0f) / 180.0f;
    EXPECT_TRUE(waitFor([&] { return gestureEnded() && std::abs(calls[calls.size() - 2].value - typed) < 1e-6f; }));
    EXPECT_TRUE(wholeGestures(calls, gui.get_id()));
    EXPECT_NEAR(effect->getParameter(effect, 0), typed, 1e-6f);
}

// On a bare X server and under a window manager.
class AdapterTypedGainTest : public AdapterHostCallsTest, public ::testing::WithParamInterface<bool> {
protected:
    AdapterTypedGainTest() : AdapterHostCallsTest(GetParam()) {}
};

TEST_P(AdapterTypedGainTest, TextThatIsNoNumberOfDecibelsLeavesTheGainAndTellsTheHostNothing)
{
    makeEffect();
    startGuiThread();
    ASSERT_TRUE(waitFor([this] { return editorOpen.load(); }));
    const auto proportion = [](double decibels) { return static_cast<float>((decibels + 90.0) / 180.0); };
    const auto hasGain = [&](double decibels) {
        return std::abs(effect->getParameter(effect, 0) - proportion(decibels)) < 1e-6f;
    };
    // A typed gain's gesture reaches the host with the idle that follows it.
    std::vector<EditCall> calls;
    const auto gestureEnded = [&] {
        for (const EditCall& call : host.takeEditCalls())
            calls.push_back(call);
        return !calls.empty() && calls.back().opcode == audioMasterEndEdit;
    };

    ASSERT_TRUE(typeGain("-60"));
    ASSERT_TRUE(waitFor([&] { return gestureEnded() && hasGain(-60.0); }));
    calls.clear();
    const std::vector<uint32_t> showsMinus60 = settledGainBox();
    ASSERT_FALSE(showsMinus60.empty());
    for (const char* text : {"x", "", "-", "1e", "3.5.1", "abc dB"}) {
        EXPECT_TRUE(typeGain(text)) << '"' << text << '"';
        EXPECT_TRUE(settledGainBox() == showsMinus60) << "the box shows the gain again after \"" << text << '"';
        EXPECT_TRUE(hasGain(-60.0)) << '"' << text << '"';
        EXPECT_TRUE(host.takeEditCalls().empty()) << '"' << text << '"';
    }

    for (const auto& [text, decibels] :
         {std::pair<const char*, double>{"3,5", 3.5}, {"-12.5 dB", -12.5}, {" -7 ", -7.0}}) {
        calls.clear();
        EXPECT_TRUE(typeGain(text)) << '"' << text << '"';
        // A copy: lambdas may not capture a structured binding before C++20.
        const double level = decibels;
        EXPECT_TRUE(waitFor([&] { return gestureEnded() && hasGain(level); })) << '"' << text << '"';
        EXPECT_TRUE(wholeGestures(calls, gui.get_id())) << '"' << text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, AdapterTypedGainTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& display) {
                             return display.param ? "UnderAWindowManager" : "OnABareServer";
                         });

TEST_F(AdapterHostCallsTest, AWarningRaisedInAnIdleShowsWhileTheMainThreadSavesAndRestores)
{
    const IrMatrix cells = makeIrMatrix(kChannels, kChannels, kIrFrames);
    ASSERT_TRUE(writeWav(pathInFolder("room.wav"), irMultiFile(cells), kRate));
    std::vector<char> state = irMultiState(pathInFolder("room.wav"), kChannels, 0.0);
    makeEffect();
    startGuiThread();
    ASSERT_TRUE(waitFor([this] { return editorOpen.load(); }));

    // The processor's warning, raised by a message that an idle dispatches.
    const char* const title = "File Open Error...";
    juce::MessageManager::callAsync([this, title] { filter->showWarning(title, "The file is not a sound file."); });
    ASSERT_TRUE(waitFor([&] { return windowShown(title); }));

    std::atomic<bool> done{false};
    std::thread mainThread([&] {
        for (int round = 0; round < 5; ++round) {
            host.timed(
                [&] { return dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data()); });
            void* saved = nullptr;
            host.timed([&] { return dispatch(effect, effGetChunk, 0, 0, &saved); });
        }
        done = true;
    });
    const bool savedWhileShown = waitFor([&] { return done.load(); });
    EXPECT_TRUE(savedWhileShown) << "the restores and saves waited for the warning";
    EXPECT_TRUE(windowShown(title));
    std::this_thread::sleep_for(10 * kIdlePeriod);
    EXPECT_FALSE(writeScreenshot(screen(), "warning_raised_in_an_idle").empty());

    guitest::ChildProcess answer(guitest::typeIntoWindow(title, {"Return"}));
    EXPECT_EQ(answer.wait(), 0);
    EXPECT_TRUE(waitFor([&] { return !windowShown(title); }));
    mainThread.join();
    EXPECT_LT(host.longestBlockUs.load(), std::chrono::microseconds(kLongestBlockAllowed).count());
}

TEST_F(AdapterHostCallsTest, AWarningOfARestoreWithoutAnEditorIsAnsweredWhileAnotherThreadSaves)
{
    const IrMatrix cells = makeIrMatrix(kChannels, kChannels, kIrFrames);
    ASSERT_TRUE(writeWav(pathInFolder("room.wav"), irMultiFile(cells), kRate));
    std::vector<char> state = irMultiState(pathInFolder("room.wav"), kChannels, 0.0);
    ASSERT_TRUE(folder.getChildFile("room.wav").deleteFile());
    makeEffect();

    // The host's main thread is the toolkit's; no editor is open and no idle comes.
    std::atomic<bool> savedWhileShown{false};
    std::thread other([&] {
        if (!waitFor([&] { return windowShown("Brondil"); }))
            return;
        for (int round = 0; round < 5; ++round) {
            void* saved = nullptr;
            host.timed([&] { return dispatch(effect, effGetChunk, 0, 0, &saved); });
        }
        savedWhileShown = windowShown("Brondil");
        guitest::ChildProcess answer(guitest::typeIntoWindow("Brondil", {"Return"}));
        EXPECT_EQ(answer.wait(), 0);
    });
    dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data());
    other.join();
    EXPECT_TRUE(savedWhileShown);
    EXPECT_FALSE(windowShown("Brondil"));
    EXPECT_LT(host.longestBlockUs.load(), std::chrono::microseconds(kLongestBlockAllowed).count());
}

// A processor that warns as it goes, as one whose settings cannot be written does.
class WarnsAsItCloses : public ProbeProcessor {
public:
    WarnsAsItCloses() : ProbeProcessor(kChannels, kChannels) {}
    ~WarnsAsItCloses() override { showWarningInAlertWindow("Brondil", "Your settings were not saved."); }
};

TEST_F(AdapterHostCallsTest, AWarningRaisedAsTheEffectClosesIsShownAndAnsweredBeforeTheCloseReturns)
{
    effect = pluginEntryPoint(WaitingHost::callback, [] { return new WarnsAsItCloses; });
    ASSERT_NE(effect, nullptr);
    std::atomic<bool> closed{false};
    std::atomic<bool> shownBeforeClosed{false};
    std::thread userThread([&] {
        shownBeforeClosed = waitFor([&] { return windowShown("Brondil"); }) && !closed;
        guitest::ChildProcess answer(guitest::typeIntoWindow("Brondil", {"Return"}));
        answer.wait();
    });
    dispatch(effect, effClose);
    effect = nullptr;
    closed = true;
    userThread.join();
    EXPECT_TRUE(shownBeforeClosed);
    EXPECT_FALSE(windowShown("Brondil"));
}

}  // namespace
