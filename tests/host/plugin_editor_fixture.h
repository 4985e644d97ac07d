#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/host/plugin_fixture.h"
#include "tests/support/x_display.h"
#include "tests/support/x_window_query.h"
#include "tools/vst_host/editor_window.h"

// Brondil.so made in our host on a private X server, bare or under openbox,
// its editor in the host's editor window, idled at a host's pace and used
// through the X server with xdotool. The plug-in asks for its channel counts
// when it is made: the user presses return in that dialog. The editor opens
// on a folder `irs` of the plug-in's folder, in IR mono, for a 2 x 2 matrix.
class PluginEditorTest : public PluginTest {
protected:
    explicit PluginEditorTest(bool withWindowManager) : server(withWindowManager) {}
    // The effect's windows go while the X server still runs.
    ~PluginEditorTest() override;

    void SetUp() override;

    bool openEditor();

    // Idles the editor as a host does until `done` holds; false at the deadline.
    bool idleUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = kDeadline);

    // xdotool with these arguments, while the host idles the editor; true when it succeeded.
    bool user(const std::vector<std::string>& arguments);

    // A click at a point of the host's window, the button held as long as a hand holds it,
    // after the pointer rests there for `restSeconds`, as it does while a hand reads a menu.
    bool clickAt(int x, int y, const std::string& restSeconds = "0");

    guitest::WindowPixels pixels() const;
    bool showsTheEditor() const;

    // The state of a 2 x 2 matrix in IR multi from a stereo file of reverb-like
    // IRs, hall.wav in the plug-in's folder: each cell 4096 samples long.
    void restoreTwoByTwoMatrix();

    // Keeps a broken build from hanging; not a timing requirement.
    static constexpr std::chrono::milliseconds kDeadline{10000};

    guitest::PrivateXServer server;
    std::string irFolder;  // the folder the editor lists, in IR mono
    std::unique_ptr<EditorWindow> editor;
};
