// An editor across the plug-in boundary: the probe plug-in file (the adapter
// around the probe processor and its editor) in our own host's editor window,
// on a private X server, as Brondil.so's editor is shown.
#include <malloc.h>

#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/host/adapter_probe_editor.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/vst_host/editor_window.h"
#include "tools/vst_host/host_options.h"
#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"
#include "tools/vst_host/run_host.h"

namespace {

// A deadline for what the toolkit does over a few idle calls, not a timing
// requirement: it only keeps a broken build from hanging.
constexpr auto kDeadline = std::chrono::seconds(5);

class PluginEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        std::string error;
        module = PluginModule::load(BRONDIL_PROBE_PLUGIN, error);
        ASSERT_TRUE(module) << error;
        effect = HostedEffect::create(*module, 48000.0, 256, error);
        ASSERT_TRUE(effect) << error;
        effect->open();
    }

    ~PluginEditorTest() override
    {
        // Editor, effect and module go in this order, all while the server runs.
        editor.reset();
        effect.reset();
        module.reset();
    }

    bool openEditor()
    {
        std::string error;
        editor = EditorWindow::open(*effect, error);
        EXPECT_EQ(error, "");
        return editor != nullptr;
    }

    // Idles the editor as a host does until `done` holds; false at the deadline.
    bool idleUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            editor->idle();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    Display* display() const { return editor->window().display(); }
    Window hostWindow() const { return editor->window().id(); }
    std::vector<Window> editorWindows() const { return guitest::childWindows(display(), hostWindow()); }

    bool showsTheProbeEditor()
    {
        const guitest::WindowPixels pixels = guitest::capturePixels(display(), hostWindow());
        return !pixels.rgb.empty() && pixels.at(5, 5) == (ProbeEditor::marker & 0xffffffu) &&
               pixels.at(ProbeEditor::width - 5, ProbeEditor::height - 5) == (ProbeEditor::background & 0xffffffu);
    }

    guitest::PrivateXServer server;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<HostedEffect> effect;
    std::unique_ptr<EditorWindow> editor;
};

TEST_F(PluginEditorTest, TheEditorShowsInAHostWindowOfTheSizeItAsksFor)
{
    ASSERT_TRUE(effect->hasFlag(effFlagsHasEditor));
    ASSERT_TRUE(openEditor());
    const guitest::WindowState host = guitest::windowState(display(), hostWindow());
    EXPECT_EQ(host.width, ProbeEditor::width);
    EXPECT_EQ(host.height, ProbeEditor::height);
    EXPECT_TRUE(host.viewable);

    Window child = 0;
    ASSERT_TRUE(idleUntil([&] {
        const std::vector<Window> children = editorWindows();
        child = children.size() == 1 ? children.front() : 0;
        return child != 0 && guitest::windowState(display(), child).viewable;
    }));
    const guitest::WindowState state = guitest::windowState(display(), child);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
    EXPECT_EQ(state.width, ProbeEditor::width);
    EXPECT_EQ(state.height, ProbeEditor::height);

    // Only the host's idle paints it.
    ASSERT_TRUE(idleUntil([&] { return showsTheProbeEditor(); }));
    EXPECT_FALSE(
        writeScreenshot(guitest::capturePixels(display(), hostWindow()), "probe_plugin_editor_in_host_window").empty());
}

TEST_F(PluginEditorTest, RepeatedOpensStrayClosesAndAnEffectClosedWithItsEditorOpenAreSafe)
{
    EXPECT_EQ(effect->dispatch(effEditClose), 0);
    ASSERT_TRUE(openEditor());
    void* parent = reinterpret_cast<void*>(hostWindow());
    EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, parent), 1);
    EXPECT_TRUE(idleUntil([&] { return editorWindows().size() == 1 && showsTheProbeEditor(); }));

    // The host closes the effect first and its window after.
    std::string error;
    std::unique_ptr<HostWindow> window = HostWindow::create(200, 100, "host", error);
    ASSERT_TRUE(window) << error;
    editor.reset();
    EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window->id())), 1);
    effect.reset();
    EXPECT_TRUE(guitest::childWindows(window->display(), window->id()).empty());
}

TEST_F(PluginEditorTest, FiftyEditorWindowsOpenedAndClosedLeaveMemoryFlat)
{
    const auto cycle = [this] {
        ASSERT_TRUE(openEditor());
        ASSERT_TRUE(idleUntil([&] { return showsTheProbeEditor(); }));
        editor.reset();
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
}

TEST(BrondilHostShowEditor, ShowsAnEditorForTheSecondsAskedAndSaysWhenItCannot)
{
    guitest::PrivateXServer server;
    if (!server.failure().empty())
        GTEST_SKIP() << server.failure();
    HostOptions options;
    options.pluginPath = BRONDIL_PROBE_PLUGIN;
    options.editorSeconds = 1;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runHost(options, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");

    // A plug-in without an editor.
    options.pluginPath = BRONDIL_TEST_EFFECT;
    EXPECT_EQ(runHost(options, out, err), 1);
    EXPECT_EQ(err.str(), "brondil-host: the plug-in has no editor\n");
}

}  // namespace
