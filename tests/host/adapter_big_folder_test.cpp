// A folder of 40,000 files that do not suit, listed in Brondil's editor driven
// as Ardour drives it: the editor opened, idled every 30 ms, closed in the
// middle of a scan and opened again on a GUI thread of its own, while the
// thread that made the effect restores states of two modes, each naming the
// folder by another path, and saves. The list ends up with the files that
// suit. The longest call of each kind and the longest scan are printed; the
// speed itself is no condition here. On a private X server.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "engine/filter.h"
#include "engine/settings.h"
#include "host/editor_state_lock.h"
#include "tests/host/brondil_in_process.h"
#include "host/vst/opcodes.h"
#include "tests/host/plugin_convolution.h"
#include "tests/support/x_display.h"
#include "tools/vst_host/host_window.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr int kBlock = 256;
constexpr int kChannels = 2;
constexpr int kTextFiles = 20000;
constexpr int kWrongRateFiles = 20000;
constexpr auto kIdlePeriod = 30ms;
constexpr int kOpenAttempts = 200;
constexpr int kRestores = 12;
constexpr auto kRestorePause = 250ms;
// Keeps a build whose scan never ends from hanging.
constexpr int kMostIdlesToSettle = 4000;

// The processor's state document after the user loaded file in mode, with
// the directories remembered for modes 0, 1 and 2.
std::vector<char> stateIn(BRWorkingMode mode, const std::string& file, const juce::StringArray& directories)
{
    juce::XmlElement root("BRONDILSETTINGS");
    root.setAttribute("wetgain", 0.5);
    root.setAttribute("inputs", kChannels);
    root.setAttribute("outputs", kChannels);
    root.setAttribute("mode", workingModeNumber(mode));
    root.setAttribute("lastSelMulti", juce::String(file));
    writePathList(directories, root.createNewChildElement("LastPathList"), BRPathListKind::perMode);
    juce::MemoryBlock bytes;
    juce::AudioProcessor::copyXmlToBinary(root, bytes);
    const char* begin = static_cast<const char*>(bytes.getData());
    return {begin, begin + bytes.getSize()};
}

// The longest call of each kind, from any thread.
class CallTimes {
public:
    template <typename Call>
    intptr_t time(const char* name, Call&& call)
    {
        const auto start = Clock::now();
        const intptr_t answer = call();
        note(name, Clock::now() - start);
        return answer;
    }
    void note(const char* name, Clock::duration span)
    {
        const std::lock_guard<std::mutex> hold(lock);
        longest[name] = std::max(longest[name], span);
    }
    std::map<std::string, Clock::duration> longestSpans()
    {
        const std::lock_guard<std::mutex> hold(lock);
        return longest;
    }

private:
    std::mutex lock;
    std::map<std::string, Clock::duration> longest;
};

class AdapterBigFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        ASSERT_TRUE(folder.getChildFile("big").createDirectory());
        std::string error;
        hostWindow = HostWindow::create(BREditor::kWidth, BREditor::kHeight, "host", error);
        ASSERT_NE(hostWindow, nullptr) << error;
    }

    void TearDown() override
    {
        if (effect != nullptr)
            dispatch("effClose", effClose);
        hostWindow.reset();
        folder.deleteRecursively();
    }

    intptr_t dispatch(const char* name, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f)
    {
        return times.time(name, [&] { return effect->dispatcher(effect, opcode, index, value, ptr, opt); });
    }

    std::string inBig(const juce::String& name) const
    {
        return folder.getChildFile("big").getChildFile(name).getFullPathName().toStdString();
    }

    // Text named as sound files, and one mono file at another rate linked under
    // many names, beside the few files that suit.
    void fillBigFolder()
    {
        for (int k = 0; k < kTextFiles; ++k)
            folder.getChildFile("big").getChildFile("notes " + juce::String(k) + ".wav").replaceWithText("text");
        const IrMatrix mono = makeIrMatrix(1, 1, 64);
        const IrMatrix stereo = makeIrMatrix(1, kChannels, 64);
        ASSERT_TRUE(writeWav(inBig("44k 0.wav"), irMultiFile(mono), 44100));
        for (int k = 1; k < kWrongRateFiles; ++k)
            ASSERT_EQ(link(inBig("44k 0.wav").c_str(), inBig("44k " + juce::String(k) + ".wav").c_str()), 0);
        ASSERT_TRUE(writeWav(inBig("mono a.wav"), irMultiFile(mono), kRate));
        ASSERT_TRUE(writeWav(inBig("mono b.wav"), irMultiFile(mono), kRate));
        ASSERT_TRUE(writeWav(inBig("stereo.wav"), irMultiFile(stereo), kRate));
        ASSERT_TRUE(folder.getChildFile("big").createSymbolicLink(folder.getChildFile("link"), true));
    }

    void makeEffect()
    {
        const juce::File pluginFile = folder.getChildFile("Brondil.so");
        effect = makeBrondilInProcess(
            statelessHost, pluginFile, kChannels, [this](const juce::String&, const juce::String&) { ++warnings; },
            &filter);
    }

    // The file list's state, seen on the toolkit's thread between idles.
    struct ListSeen {
        bool open = false;
        bool busy = false;
        juce::StringArray paths;
    };
    ListSeen seeList()
    {
        const EditorStateLock hold;
        auto* editor = dynamic_cast<BREditor*>(filter->getActiveEditor());
        if (editor == nullptr)
            return {};
        for (auto* child : editor->getChildren())
            if (auto* list = dynamic_cast<BRDraggableListBox*>(child))
                return {true, list->isBusy(), list->getPaths()};
        return {};
    }

    void idle()
    {
        dispatch("effEditIdle", effEditIdle);
        // The span of each scan, as the user sees the list busy.
        const bool busy = seeList().busy;
        if (busy && !busySince)
            busySince = Clock::now();
        if (!busy && busySince) {
            times.note("scan", Clock::now() - *busySince);
            busySince.reset();
        }
        std::this_thread::sleep_for(kIdlePeriod);
    }

    // A call on the toolkit's thread that outlasts the opener's wait for it
    // keeps the toolkit there: the host tries again at its next idle.
    void open()
    {
        ERect* rect = nullptr;
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            if (dispatch("effEditGetRect", effEditGetRect, 0, 0, &rect) != 0 &&
                dispatch("effEditOpen", effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow->id())) != 0)
                return;
            idle();
        }
        ADD_FAILURE() << "the editor did not open";
    }

    // The editor's thread, as Ardour's: opens the editor, closes it while its
    // first scan runs and opens it again; idles until `finish`, then until the
    // list has its rows, which it keeps in `settledPaths`.
    void runEditorThread()
    {
        open();
        for (int k = 0; k < kMostIdlesToSettle && !seeList().busy; ++k)
            idle();
        closedMidScan = seeList().busy;
        dispatch("effEditClose", effEditClose);
        busySince.reset();
        idle();
        open();
        while (!finish)
            idle();
        for (int k = 0; k < kMostIdlesToSettle && (!seeList().open || seeList().busy); ++k)
            idle();
        // A last timer pass lets the refreshed chooser's scan start, if one is due.
        for (int k = 0; k < 10; ++k)
            idle();
        for (int k = 0; k < kMostIdlesToSettle && seeList().busy; ++k)
            idle();
        settledPaths = seeList().paths;

        dispatch("effEditClose", effEditClose);
    }

    guitest::PrivateXServer server;
    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("brondil-big-folder", "");
    std::unique_ptr<HostWindow> hostWindow;
    AEffect* effect = nullptr;
    BRFilter* filter = nullptr;
    CallTimes times;
    std::optional<Clock::time_point> busySince;  // the editor thread's
    std::atomic<int> warnings{0};
    std::atomic<bool> finish{false};
    bool closedMidScan = false;
    juce::StringArray settledPaths;
};

TEST_F(AdapterBigFolderTest, FortyThousandUnsuitableFilesListWhileTheHostsThreadsCarryOn)
{
    fillBigFolder();
    const juce::String big = folder.getChildFile("big").getFullPathName();
    const juce::String link = folder.getChildFile("link").getFullPathName();
    // Restores of IR multi and IR 1-To-1 load their file and refresh the
    // editor, whose chooser then shows the directory of the mode.
    const juce::StringArray directories{big, big, link};
    const std::vector<char> multiState = stateIn(BRWorkingMode::irMulti, inBig("stereo.wav"), directories);
    const std::vector<char> oneToOneState = stateIn(BRWorkingMode::irOneToOne, inBig("stereo.wav"), directories);

    makeEffect();
    ASSERT_NE(effect, nullptr);
    dispatch("effSetSampleRate", effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    dispatch("effSetBlockSize", effSetBlockSize, 0, kBlock);
    dispatch("effMainsChanged", effMainsChanged, 0, 1);
    std::vector<char> first = multiState;
    dispatch("effSetChunk", effSetChunk, 0, static_cast<intptr_t>(first.size()), first.data());

    std::thread editor([this] { runEditorThread(); });
    // The host's own thread restores and saves, each mode naming the folder by
    // another path, so that every restore starts another scan in the middle of one.
    for (int k = 0; k < kRestores; ++k) {
        std::vector<char> state = k % 2 == 0 ? oneToOneState : multiState;
        dispatch("effSetChunk", effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data());
        void* saved = nullptr;
        EXPECT_GT(dispatch("effGetChunk", effGetChunk, 0, 0, &saved), 0);
        std::this_thread::sleep_for(kRestorePause);
    }
    std::vector<char> last = oneToOneState;
    dispatch("effSetChunk", effSetChunk, 0, static_cast<intptr_t>(last.size()), last.data());
    finish = true;
    editor.join();

    EXPECT_TRUE(closedMidScan);
    EXPECT_EQ(settledPaths, juce::StringArray(link + "/stereo.wav"));
    EXPECT_EQ(warnings, 0);
    for (const auto& [call, span] : times.longestSpans()) {
        const auto milliseconds = std::chrono::duration<double, std::milli>(span).count();
        std::cout << "longest " << call << ": " << milliseconds << " ms\n";
        RecordProperty("longest " + call + " ms", std::to_string(milliseconds));
    }
}

}  // namespace
