// Hosts in Ardour's model, each in a process of its own on a private X
// server: the effect made on the main thread, the editor opened on a GUI
// thread of the host's own while the main thread is in parameter-text and
// chunk calls half the time, or waits inside a restore for the user to answer
// its warning (tests/host/ardour_model_host). Every opening shows the editor;
// the first process's last one goes into the screenshots. One process at a
// time: the host windows of processes side by side would cover each other, and
// the screen would not show what each one holds.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/sanitizer_build.h"
#include "tests/support/x_display.h"

namespace {

// ThreadSanitizer's build starts a process many times slower: fewer there.
#ifdef BRONDIL_THREAD_SANITIZER
constexpr int kProcesses = 3;
#else
constexpr int kProcesses = 10;
#endif
constexpr int kOpeningsEach = 5;
// Only keeps a broken build from hanging: a process takes a few seconds.
const char* const kProcessSeconds = "120";

// A folder of the test's own for the plug-in's settings file, which goes beside the file it takes as its own.
class SettingsFolder {
public:
    SettingsFolder()
        : path(std::filesystem::temp_directory_path() / ("brondil-ardour-model-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~SettingsFolder() { std::filesystem::remove_all(path); }
    SettingsFolder(const SettingsFolder&) = delete;
    SettingsFolder& operator=(const SettingsFolder&) = delete;

    const std::filesystem::path path;
};

TEST(AdapterArdourModel, TheEditorOpensWheneverTheHostAsksWhileTheThreadThatMadeTheEffectIsBusy)
{
    const guitest::PrivateXServer server;
    if (!server.failure().empty())
        GTEST_SKIP() << server.failure();
    const SettingsFolder folder;
    int failed = 0;
    for (int process = 0; process < kProcesses; ++process) {
        std::vector<std::string> command{"timeout", kProcessSeconds, BRONDIL_ARDOUR_MODEL_HOST, folder.path.string(),
                                         std::to_string(kOpeningsEach)};
        if (process == 0)
            command.push_back("ardour_model_editor");
        guitest::ChildProcess host(command);
        failed += host.wait() == 0 ? 0 : 1;
    }
    EXPECT_EQ(failed, 0) << "processes in which an opening did not show the editor (their openings are above)";
}

class AdapterArdourModelWarning : public testing::TestWithParam<bool> {};

// Each opening within half a second, the warning above the editor, the
// restore back at the host while the editor is open; the last warning is
// answered by the user without an editor, and only then does its restore return.
TEST_P(AdapterArdourModelWarning, TheEditorOpensAtOnceWhileARestoresWarningWaitsForTheUser)
{
    const bool withWindowManager = GetParam();
    const guitest::PrivateXServer server(withWindowManager);
    if (!server.failure().empty())
        GTEST_SKIP() << server.failure();
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    const SettingsFolder folder;
    guitest::ChildProcess host(
        {"timeout", kProcessSeconds, BRONDIL_ARDOUR_MODEL_HOST, "--restore-warning", folder.path.string(),
         std::to_string(kOpeningsEach),
         withWindowManager ? "ardour_model_restore_warning_managed" : "ardour_model_restore_warning_bare"});
    EXPECT_EQ(host.wait(), 0) << "an opening or the answer went wrong (the host's report is above)";
}

INSTANTIATE_TEST_SUITE_P(Servers, AdapterArdourModelWarning, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& server) {
                             return server.param ? "WithAWindowManager" : "Bare";
                         });

}  // namespace
