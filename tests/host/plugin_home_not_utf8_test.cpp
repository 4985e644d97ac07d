// Brondil.so in brondil-host, a process of its own, started with HOME, and
// TMPDIR too, naming a folder in Latin-1 or cp1252, from a working folder and
// a plug-in folder so named, on a bare X server and under openbox: the user
// answers the channel counts, opens the editor, the directory dialog and the
// Pack tool's save dialog, saves a pack with a name typed alone and closes
// the editor, and the host lives to the end. The dialogs open in the
// temporary folder, /tmp where TMPDIR has no name; the settings are not saved
// and the user is told so once; nothing is written elsewhere.
#include <X11/Xlib.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/brondil_window_layout.h"
#include "tests/host/plugin_fixture.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"

namespace {

// Keeps a broken build from hanging; not a timing requirement.
constexpr auto kDeadline = std::chrono::seconds(20);

bool waitUntil(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return true;
}

// Which variables name a folder that is not UTF-8, by which byte, on which server.
using Case = std::tuple<std::string, char, bool>;

bool temporaryFolderNotUtf8(const Case& variables) { return std::get<0>(variables) == "HOMEAndTMPDIR"; }

class HostWithFolderNotUtf8 : public PluginTest, public testing::WithParamInterface<Case> {
protected:
    HostWithFolderNotUtf8() : server(std::get<2>(GetParam())) {}

    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        if (!guitest::programIsInstalled("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        const std::string byte(1, std::get<1>(GetParam()));
        // Long after the byte: the toolkit's string copies as far past its buffer.
        const std::string named = byte + " folder of a user whose name is written in Latin-1";
        home = pathInFolder("home" + named);
        temporary = pathInFolder(temporaryFolderNotUtf8(GetParam()) ? "tmp" + named : "tmp");
        start = pathInFolder("st" + byte + "rt");
        plugins = pathInFolder("pl" + byte + "gins");
        for (const std::string& made : {home, temporary, start, plugins})
            ASSERT_TRUE(std::filesystem::create_directory(made));
        std::filesystem::create_symlink(BRONDIL_PLUGIN, plugins + "/Brondil.so");
        ASSERT_TRUE(writeWav(pathInFolder("hall.wav"), reverbLikeStereoIrs(), 44100));
        const std::vector<char> state = irMultiStateChunk(pathInFolder("hall.wav"), {}, {});
        std::ofstream(pathInFolder("state.bin"), std::ios::binary).write(state.data(), state.size());
    }

    ~HostWithFolderNotUtf8() override
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }

    // brondil-host with the plug-in's editor, in the folders the case names.
    std::vector<std::string> hostCommand() const
    {
        return {"env",
                "--chdir=" + start,
                "-u",
                "XDG_CONFIG_HOME",
                "HOME=" + home,
                "TMPDIR=" + temporary,
                BRONDIL_HOST,
                plugins + "/Brondil.so",
                "--load-state",
                pathInFolder("state.bin"),
                "--show-editor",
                "600"};
    }

    std::string screenshotName(const std::string& what) const
    {
        return what + "_" + std::get<0>(GetParam()) + "_" +
               std::to_string(static_cast<unsigned char>(std::get<1>(GetParam()))) +
               (std::get<2>(GetParam()) ? "_openbox" : "_bare");
    }

    // A window titled title once it shows and keeps its size for a while; 0 if it never does.
    Window shownWindow(const std::string& title)
    {
        Window shown = 0;
        guitest::WindowState last;
        int steady = 0;
        const bool settled = waitUntil([&] {
            const Window found = guitest::viewableWindowNamed(display, title);
            const guitest::WindowState state = found != 0 ? guitest::windowState(display, found)
                                                          : guitest::WindowState{};
            steady = found == shown && state.width == last.width && state.height == last.height ? steady + 1 : 0;
            shown = found;
            last = state;
            return found != 0 && steady >= 5;
        });
        return settled ? shown : 0;
    }

    bool user(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return guitest::ChildProcess(command).wait() == 0;
    }

    bool clickIn(Window window, int x, int y)
    {
        return user({"mousemove", "--window", std::to_string(window), "--sync", std::to_string(x), std::to_string(y),
                     "click", "1"});
    }

    void screenshot(Window window, const std::string& what)
    {
        EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display, window), screenshotName(what)).empty());
    }

    // What a window manager sends when the user closes the window.
    void closeWindow(Window window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", True);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", True));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }

    guitest::PrivateXServer server;
    Display* display = nullptr;
    std::string home;
    std::string temporary;
    std::string start;
    std::string plugins;
};

TEST_P(HostWithFolderNotUtf8, TheHostLivesThroughTheEditorAndBothDialogsAndNothingIsWrittenElsewhere)
{
    // The dialogs open where a name typed alone can be saved, under a name of this test's own there.
    const std::string dialogFolder = temporaryFolderNotUtf8(GetParam()) ? "/tmp" : temporary;
    const std::string packName = std::filesystem::path(folder).filename().string() + " pack";
    // Where the toolkit would put them, HOME read as unset: the passwd entry's home.
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    const std::filesystem::path passwdSettings = std::filesystem::path(account->pw_dir) / ".config/Brondil/Brondil.xml";
    std::error_code none;
    const auto passwdSettingsTime = std::filesystem::last_write_time(passwdSettings, none);

    guitest::ChildProcess answer(guitest::answerEachNewWindow("Input Output Channels", {"Return"}));
    guitest::ChildProcess host(hostCommand());
    const Window editor = shownWindow("Brondil");
    ASSERT_NE(editor, 0u);
    const bool drawn = waitUntil([&] {
        const guitest::WindowPixels shown = guitest::capturePixels(display, editor);
        return !shown.rgb.empty() && shown.at(kEditorBackgroundX, kEditorBackgroundY) == kEditorBackground;
    });
    screenshot(editor, "editor");
    ASSERT_TRUE(drawn);
    EXPECT_EQ(answer.wait(), 0);

    // The directory dialog: its folder chosen as it opens.
    ASSERT_TRUE(clickIn(editor, kBrowseButtonX, kBrowseButtonY));
    const Window directoryDialog = shownWindow("Choose a new directory");
    ASSERT_NE(directoryDialog, 0u);
    screenshot(directoryDialog, "directory_dialog");
    const guitest::WindowState directorySize = guitest::windowState(display, directoryDialog);
    ASSERT_TRUE(clickIn(directoryDialog, directorySize.width - kOpenButtonFromRight,
                        directorySize.height - kOpenButtonFromBottom));
    ASSERT_TRUE(waitUntil([&] { return guitest::viewableWindowNamed(display, "Choose a new directory") == 0; }));

    // The Pack tool's save dialog: a name typed alone.
    ASSERT_TRUE(clickIn(editor, kPackButtonX, kPackButtonY));
    const Window packWindow = shownWindow("Pack tool");
    ASSERT_NE(packWindow, 0u);
    ASSERT_TRUE(clickIn(packWindow, kSaveAsX, kSaveAsY));
    const Window saveDialog = shownWindow("Save IR pack as...");
    ASSERT_NE(saveDialog, 0u);
    screenshot(saveDialog, "pack_dialog");
    const guitest::WindowState saveSize = guitest::windowState(display, saveDialog);
    ASSERT_TRUE(clickIn(saveDialog, (kNameBoxLeft + saveSize.width) / 2, saveSize.height - kNameBoxFromBottom));
    ASSERT_TRUE(waitUntil([&] { return guitest::holdsKeyboardFocus(display, saveDialog); }));
    ASSERT_TRUE(user({"type", "--delay", "12", "--", packName}) && user({"key", "Return"}));
    const std::string packFile = dialogFolder + "/" + packName + ".WAV";
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(packFile); }));
    std::filesystem::remove(packFile, none);
    EXPECT_TRUE(host.running());

    // The settings changed (the folder chosen) and cannot be saved: the user is told.
    closeWindow(editor);
    ASSERT_TRUE(waitUntil([&] { return guitest::viewableWindowNamed(display, "Brondil") != editor; }));
    const Window warning = shownWindow("Brondil");
    ASSERT_NE(warning, 0u);
    screenshot(warning, "warning");
    EXPECT_EQ(guitest::ChildProcess(guitest::typeIntoWindow("Brondil", {"Return"})).wait(), 0);
    EXPECT_EQ(host.wait(), 0);

    // The toolkit's look asks gsettings, which keeps its cache in the home: no settings of ours.
    EXPECT_FALSE(std::filesystem::exists(home + "/.config"));
    EXPECT_EQ(std::filesystem::last_write_time(passwdSettings, none), passwdSettingsTime);
    EXPECT_FALSE(std::filesystem::exists("/.config/Brondil"));
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(plugins), {}),
              std::vector<std::filesystem::path>{plugins + "/Brondil.so"});
    EXPECT_TRUE(std::filesystem::is_empty(start));
}

INSTANTIATE_TEST_SUITE_P(LatinOneAndCp1252, HostWithFolderNotUtf8,
                         testing::Combine(testing::Values(std::string("HOME"), std::string("HOMEAndTMPDIR")),
                                          testing::Values('\xE0', '\xC0', '\xF0', '\x80'),
                                          testing::Values(false, true)),
                         [](const testing::TestParamInfo<Case>& info) {
                             static const char* const kHex = "0123456789ABCDEF";
                             const auto byte = static_cast<unsigned char>(std::get<1>(info.param));
                             return std::get<0>(info.param) + "With" + kHex[byte >> 4] + kHex[byte & 15] +
                                    (std::get<2>(info.param) ? "UnderOpenbox" : "OnABareServer");
                         });

}  // namespace
