#include "tests/host/plugin_editor_fixture.h"

#include <filesystem>
#include <thread>

#include "tests/host/brondil_window_layout.h"
#include "tools/example/ir_multi_state.h"

namespace {

// Hosts idle their editors at about this period, and do nothing else for them.
constexpr auto kHostIdlePeriod = std::chrono::milliseconds(30);

}  // namespace

PluginEditorTest::~PluginEditorTest()
{
    editor.reset();
    closeEffect();
}

void PluginEditorTest::SetUp()
{
    if (!server.failure().empty())
        GTEST_SKIP() << server.failure();
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    irFolder = pathInFolder("irs");
    std::filesystem::create_directory(irFolder);
    writeSettings(2, 2, irFolder);
    guitest::ChildProcess user(guitest::answerEachNewWindow("Input Output Channels", {"Return"}));
    loadEffect(48000.0, 256);
    // The effect is made once the dialog has its return; xdotool may still fail on a
    // window of the window manager's that goes while it looks at it.
    user.wait();
    ASSERT_TRUE(effect);
}

bool PluginEditorTest::openEditor()
{
    std::string error;
    editor = EditorWindow::open(*effect, error);
    EXPECT_EQ(error, "");
    return editor != nullptr;
}

bool PluginEditorTest::idleUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline)
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        editor->idle();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(kHostIdlePeriod);
    }
}

bool PluginEditorTest::user(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    guitest::ChildProcess program(command);
    idleUntil([&program] { return !program.running(); });
    return program.wait() == 0;
}

bool PluginEditorTest::clickAt(int x, int y, const std::string& restSeconds)
{
    return user({"mousemove", "--window", std::to_string(editor->window().id()), "--sync", std::to_string(x),
                 std::to_string(y), "sleep", restSeconds, "mousedown", "1", "sleep", "0.1", "mouseup", "1"});
}

guitest::WindowPixels PluginEditorTest::pixels() const
{
    return guitest::capturePixels(editor->window().display(), editor->window().id());
}

bool PluginEditorTest::showsTheEditor() const
{
    const guitest::WindowPixels shown = pixels();
    return !shown.rgb.empty() && shown.at(kEditorBackgroundX, kEditorBackgroundY) == kEditorBackground &&
           shown.at(5, 645) == kEditorBackground;
}

void PluginEditorTest::restoreTwoByTwoMatrix()
{
    const PlanarSamples irs = reverbLikeStereoIrs();
    const std::string file = pathInFolder("hall.wav");
    ASSERT_TRUE(writeWav(file, irs, 48000));
    juce::MemoryBlock state;
    juce::String error;
    ASSERT_TRUE(makeIrMultiState(juce::File(file), 2, 0.0, state, error)) << error;
    effect->setChunk(std::vector<char>(static_cast<const char*>(state.getData()),
                                       static_cast<const char*>(state.getData()) + state.getSize()),
                     false);
}
