// The editor inside a host's X window, through the adapter with the probe's
// editor, on a private X server; the host's window is made with Xlib as hosts do.
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <juce_gui_basics/juce_gui_basics.h>

#include "host/message_thread.h"
#include "tests/host/adapter_fixture.h"
#include "tests/host/adapter_probe_editor.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/vst_host/host_window.h"

namespace {

// Larger than the editor, so the host's own background shows around it.
constexpr int kHostWidth = 560;
constexpr int kHostHeight = 400;
constexpr uint32_t kHostGrey = 0x404040;

// A deadline for what the toolkit does over a few idle calls, not a timing
// requirement: it only keeps a broken build from hanging.
constexpr auto kDeadline = std::chrono::seconds(5);

uint32_t rgb(juce::uint32 argb) { return argb & 0xffffffu; }

TEST_F(AdapterTest, TheEditorFlagIsSetExactlyWhenTheProcessorHasAnEditor)
{
    ASSERT_TRUE(makeEffect(2, 2));
    EXPECT_EQ(host.effect->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(intptr_t{1})), 0);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    host.close();

    probeHasEditor = true;
    ASSERT_TRUE(makeEffect(2, 2));
    EXPECT_EQ(host.effect->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
}

class AdapterEditorTest : public AdapterTest {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        std::string error;
        hostWindow = HostWindow::create(kHostWidth, kHostHeight, "host", error);
        ASSERT_NE(hostWindow, nullptr) << error;
        probeHasEditor = true;
        ASSERT_TRUE(makeEffect(2, 2));
    }

    ~AdapterEditorTest() override
    {
        // The effect's windows go while the server and the host's window are still there.
        host.close();
        hostWindow.reset();
    }

    intptr_t openEditor() { return host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow->id())); }

    ProbeEditor* editor() { return dynamic_cast<ProbeEditor*>(probe->getActiveEditor()); }

    // Idles the editor as a host does until `done` holds; false at the deadline.
    bool idleUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            host.dispatch(effEditIdle);
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::vector<Window> editorWindows() { return guitest::childWindows(hostWindow->display(), hostWindow->id()); }

    // The one window the editor has in the host's window; 0 when there is not exactly one.
    Window theEditorWindow()
    {
        const std::vector<Window> children = editorWindows();
        return children.size() == 1 ? children.front() : 0;
    }

    guitest::PrivateXServer server;
    std::unique_ptr<HostWindow> hostWindow;
};

TEST_F(AdapterEditorTest, EditGetRectGivesTheEditorsSizeBeforeItOpens)
{
    ERect* rect = nullptr;
    const intptr_t answer = host.dispatch(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(answer, 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, ProbeEditor::height);
    EXPECT_EQ(rect->right, ProbeEditor::width);
    EXPECT_EQ(ProbeEditor::liveCount, 1);
    EXPECT_TRUE(editorWindows().empty());

    // Opening replaces the editor made for the question.
    ASSERT_EQ(openEditor(), 1);
    EXPECT_EQ(ProbeEditor::liveCount, 1);
    EXPECT_NE(editor(), nullptr);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), answer);
    EXPECT_EQ(rect->bottom, ProbeEditor::height);
    EXPECT_EQ(rect->right, ProbeEditor::width);
}

TEST_F(AdapterEditorTest, OpeningMakesOneMappedChildOfTheEditorsSizeInTheHostsWindow)
{
    ASSERT_EQ(openEditor(), 1);
    Window child = 0;
    ASSERT_TRUE(idleUntil([&] { return (child = theEditorWindow()) != 0; }));
    ASSERT_TRUE(idleUntil([&] { return guitest::windowState(hostWindow->display(), child).viewable; }));
    const guitest::WindowState state = guitest::windowState(hostWindow->display(), child);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
    EXPECT_EQ(state.width, ProbeEditor::width);
    EXPECT_EQ(state.height, ProbeEditor::height);
}

TEST_F(AdapterEditorTest, OpeningTwiceWithoutACloseLeavesOneEditorAndOneWindow)
{
    ASSERT_EQ(openEditor(), 1);
    ASSERT_EQ(openEditor(), 1);
    EXPECT_EQ(ProbeEditor::liveCount, 1);
    EXPECT_TRUE(idleUntil([&] { return editorWindows().size() == 1; }));
}

TEST_F(AdapterEditorTest, ClosingWithoutAnOpenEditorOrTwiceIsHarmless)
{
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    ASSERT_EQ(openEditor(), 1);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    EXPECT_TRUE(idleUntil([&] { return editorWindows().empty(); }));
    // Idling with no editor does nothing either.
    host.dispatch(effEditIdle);
}

TEST_F(AdapterEditorTest, WithoutAParentWindowNoEditorOpens)
{
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    EXPECT_EQ(juce::ComponentPeer::getNumPeers(), 0);
}

TEST_F(AdapterEditorTest, AParentWindowThatDoesNotExistOpensNoEditor)
{
    // Xlib's default handler would end the process on the X error this could cause.
    const Window missing = hostWindow->id() + 0x10000;
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(missing)), 0);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    for (int i = 0; i < 10; ++i)
        host.dispatch(effEditIdle);
    // The toolkit's X connection is still sound.
    EXPECT_EQ(openEditor(), 1);
}

TEST_F(AdapterEditorTest, EditIdleDrivesTheEditorsTimerAndRepaintsAndTheEditorShowsInTheHostsWindow)
{
    ASSERT_EQ(openEditor(), 1);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->ticks, 0);
    EXPECT_EQ(editor()->paints, 0);
    // Each tick asks for a repaint: several paints mean the repaints follow the timer.
    ASSERT_TRUE(idleUntil([&] { return editor()->ticks >= 3 && editor()->paints >= 3; }))
        << editor()->ticks << " ticks, " << editor()->paints << " paints";

    const guitest::WindowPixels pixels = guitest::capturePixels(hostWindow->display(), hostWindow->id());
    ASSERT_EQ(pixels.width, kHostWidth);
    ASSERT_EQ(pixels.height, kHostHeight);
    EXPECT_FALSE(writeScreenshot(pixels, "editor_in_host_window").empty());
    EXPECT_EQ(pixels.at(5, 5), rgb(ProbeEditor::marker));
    EXPECT_EQ(pixels.at(ProbeEditor::markerSize - 1, ProbeEditor::markerSize - 1), rgb(ProbeEditor::marker));
    EXPECT_EQ(pixels.at(ProbeEditor::markerSize + 5, 5), rgb(ProbeEditor::background));
    EXPECT_EQ(pixels.at(ProbeEditor::width - 5, ProbeEditor::height - 5), rgb(ProbeEditor::background));
    EXPECT_EQ(pixels.at(ProbeEditor::width + 5, 5), kHostGrey);
    EXPECT_EQ(pixels.at(5, ProbeEditor::height + 5), kHostGrey);
}

// Runs work on a thread of its own, as a host's second GUI thread, and waits for it.
void onAnotherThread(const std::function<void()>& work) { std::thread(work).join(); }

TEST_F(AdapterEditorTest, WhileAnEditorIsOpenEditorCallsFromAnotherThreadChangeNothing)
{
    ASSERT_EQ(openEditor(), 1);
    ASSERT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
    const int ticks = editor()->ticks;
    const int paints = editor()->paints;
    ERect* rect = nullptr;
    intptr_t answers[2] = {-1, -1};
    onAnotherThread([&] {
        answers[0] = host.dispatch(effEditGetRect, 0, 0, &rect);
        answers[1] = openEditor();
        for (int i = 0; i < 20; ++i) {
            host.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        host.dispatch(effEditClose);
    });
    EXPECT_EQ(answers[0], 0);
    EXPECT_EQ(answers[1], 0);
    EXPECT_EQ(editor()->ticks, ticks);
    EXPECT_EQ(editor()->paints, paints);
    EXPECT_EQ(ProbeEditor::liveCount, 1);

    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
}

TEST_F(AdapterEditorTest, WithNoEditorOpenTheThreadThatOpensOneServesIt)
{
    // As Ardour does: the effect made on one thread, its editor sized, opened,
    // idled and closed on another.
    onAnotherThread([&] {
        ERect* rect = nullptr;
        ASSERT_NE(host.dispatch(effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect->right, ProbeEditor::width);
        ASSERT_EQ(openEditor(), 1);
        Window child = 0;
        ASSERT_TRUE(idleUntil([&] { return editor()->paints > 0 && (child = theEditorWindow()) != 0; }));
        EXPECT_TRUE(idleUntil([&] { return guitest::windowState(hostWindow->display(), child).viewable; }));
        const int ticks = editor()->ticks;

        // Any other thread, the one that made the effect included, now gets nowhere with it.
        onAnotherThread([&] {
            for (int i = 0; i < 20; ++i) {
                host.dispatch(effEditIdle);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            host.dispatch(effEditClose);
        });
        EXPECT_EQ(editor()->ticks, ticks);
        EXPECT_EQ(ProbeEditor::liveCount, 1);
        EXPECT_TRUE(idleUntil([&] { return editor()->ticks > ticks; }));
        EXPECT_EQ(host.dispatch(effEditClose), 0);
        EXPECT_EQ(ProbeEditor::liveCount, 0);
    });

    // With no editor left, the first thread takes the toolkit back.
    ASSERT_EQ(openEditor(), 1);
    EXPECT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
}

TEST_F(AdapterEditorTest, AnEditorOpensOnAnotherThreadOnceTheMessageThreadsCallEnds)
{
    std::atomic<intptr_t> answer{-1};
    std::thread opener;
    {
        // The thread that made the effect, inside a call of the plug-in (a parameter text, a chunk).
        const HostCall call(false);
        ASSERT_TRUE(call.onMessageThread());
        opener = std::thread([&] {
            answer = openEditor();
            if (answer == 1) {
                EXPECT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
            }
            host.dispatch(effEditClose);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(answer, -1) << "the editor opened while the toolkit's thread was in a call";
    }
    opener.join();
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
}

// The thread that made the effect waits inside a call for its user, pausing
// between passes as a warning it serves does.
TEST_F(AdapterEditorTest, ACallWaitingForItsUserLetsAnEditorOpenElsewhereAndTakesTheToolkitBackWhenNoneDid)
{
    const auto pauseUntil = [](const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        bool kept = true;
        while (kept && !done() && std::chrono::steady_clock::now() < until)
            kept = yieldMessageThreadFor(std::chrono::milliseconds(5));
        return kept;
    };
    {
        const HostCall call(false);
        ASSERT_TRUE(call.onMessageThread());

        // A thread that takes the toolkit and leaves no editor behind: it comes back.
        std::atomic<bool> passed{false};
        std::atomic<bool> passerDone{false};
        std::thread passer([&] {
            const HostCall passing(true);
            passed = passing.onMessageThread();
            passerDone = true;
        });
        EXPECT_TRUE(pauseUntil([&] { return passerDone.load(); }));
        passer.join();
        EXPECT_TRUE(passed);
        EXPECT_TRUE(yieldMessageThreadFor(std::chrono::milliseconds(5)));
        EXPECT_TRUE(call.onMessageThread());
        EXPECT_TRUE(juce::MessageManager::existsAndIsCurrentThread());

        // A thread that opens the editor keeps it: the waiting call no longer runs on the message thread.
        std::atomic<intptr_t> answer{-1};
        std::atomic<bool> closeNow{false};
        std::thread opener([&] {
            answer = openEditor();
            if (answer == 1) {
                EXPECT_TRUE(idleUntil([&] { return editor()->paints > 0 && closeNow; }));
            }
            host.dispatch(effEditClose);
        });
        EXPECT_FALSE(pauseUntil([] { return false; }));
        EXPECT_FALSE(call.onMessageThread());
        closeNow = true;
        opener.join();
        EXPECT_EQ(answer, 1);
    }
    // The call that lost the message thread ended without counting against it:
    // this thread takes the toolkit back without waiting.
    EXPECT_EQ(openEditor(), 1);
    EXPECT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
}

TEST_F(AdapterEditorTest, AnOpenOnAnotherThreadGivesUpWhenTheMessageThreadWaitsForIt)
{
    // The message thread, inside an idle, waits for the thread that opens:
    // after its bounded wait the opener answers 0, and neither hangs.
    intptr_t answer = -1;
    juce::MessageManager::callAsync([&] { onAnotherThread([&] { answer = openEditor(); }); });
    ASSERT_TRUE(idleUntil([&] { return answer != -1; }));
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    EXPECT_EQ(openEditor(), 1);
}

TEST_F(AdapterEditorTest, AnEffectMadeOnAnotherThreadGetsTheToolkitOnlyWhileNoEditorIsOpen)
{
    TestHost second;
    bool madeOnMessageThread = false;
    const auto makeSecond = [&] {
        ASSERT_TRUE(second.create([&](audioMasterCallback callback) {
            return pluginEntryPoint(callback, [&] {
                madeOnMessageThread = juce::MessageManager::existsAndIsCurrentThread();
                return new ProbeProcessor(1, 1);
            });
        }));
        second.close();
    };

    ASSERT_EQ(openEditor(), 1);
    onAnotherThread(makeSecond);
    EXPECT_FALSE(madeOnMessageThread);
    EXPECT_TRUE(idleUntil([&] { return editor()->paints > 0; }));

    EXPECT_EQ(host.dispatch(effEditClose), 0);
    onAnotherThread(makeSecond);
    EXPECT_TRUE(madeOnMessageThread);
}

TEST_F(AdapterEditorTest, AnIdleFromInsideTheEditorsDeletionDoesNothing)
{
    ASSERT_EQ(openEditor(), 1);
    int delivered = 0;
    int deliveredDuringDeletion = -1;
    editor()->whileDeleted = [&] {
        juce::MessageManager::callAsync([&delivered] { ++delivered; });
        host.dispatch(effEditIdle);
        deliveredDuringDeletion = delivered;
    };
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(deliveredDuringDeletion, 0);
    host.dispatch(effEditIdle);
    EXPECT_EQ(delivered, 1);
}

TEST_F(AdapterEditorTest, AnEditorThatResizesItselfTakesItsWindowAndAsksTheHostWhenTheHostCan)
{
    host.canSizeWindow = true;
    ASSERT_EQ(openEditor(), 1);
    editor()->setSize(500, 360);
    ASSERT_EQ(host.windowSizes.size(), 1u);
    EXPECT_EQ(host.windowSizes[0], std::make_pair(500, 360));
    Window child = 0;
    ASSERT_TRUE(idleUntil([&] {
        child = theEditorWindow();
        const guitest::WindowState state = guitest::windowState(hostWindow->display(), child);
        return child != 0 && state.width == 500 && state.height == 360;
    }));
    ERect* rect = nullptr;
    ASSERT_NE(host.dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect->bottom, 360);
    EXPECT_EQ(rect->right, 500);

    // A host that cannot is not asked; the editor's window follows all the same.
    host.canSizeWindow = false;
    editor()->setSize(300, 200);
    EXPECT_EQ(host.windowSizes.size(), 1u);
    EXPECT_TRUE(idleUntil([&] {
        const guitest::WindowState state = guitest::windowState(hostWindow->display(), child);
        return state.width == 300 && state.height == 200;
    }));
}

TEST_F(AdapterEditorTest, ClosingTheEffectWithTheEditorOpenTakesTheEditorDown)
{
    ASSERT_EQ(openEditor(), 1);
    ASSERT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
    host.close();
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    EXPECT_TRUE(editorWindows().empty());
}

TEST_F(AdapterEditorTest, FiftyOpenAndCloseCyclesLeaveMemoryFlat)
{
    const auto cycle = [this] {
        ASSERT_EQ(openEditor(), 1);
        ASSERT_TRUE(idleUntil([&] { return editor()->paints > 0; }));
        host.dispatch(effEditClose);
        host.dispatch(effEditIdle);
    };
    // The toolkit's caches (fonts, the look) fill on the first cycles.
    for (int i = 0; i < 5; ++i)
        cycle();
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 50; ++i)
        cycle();
    const std::size_t after = mallinfo2().uordblks;
    // One editor's window image alone is 420 × 300 × 4 bytes: a cycle that kept
    // its windows or editor would grow by tens of megabytes over 50 cycles.
    constexpr std::size_t kMargin = 1024 * 1024;
    EXPECT_LT(after, before + kMargin) << "grew by " << (after - before) << " bytes";
    EXPECT_EQ(ProbeEditor::liveCount, 0);
    EXPECT_EQ(juce::ComponentPeer::getNumPeers(), 0);
    EXPECT_TRUE(editorWindows().empty());
}

}  // namespace
