// A warning raised while the editor is open, in a host's window made on the
// test's own X connection, stays above that window after the user activates
// the host's main window; it makes no sound on the host's standard output.
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "editor/warning_message.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/x_window_query.h"

// After the toolkit's headers: Xlib names an event type KeyPress, a macro.
#include <X11/Xutil.h>
#undef KeyPress

namespace {

using editortest::EditorOnScreen;

juce::AlertWindow* shownAlertWindow()
{
    for (auto* window : guitest::windowsOfType<juce::AlertWindow>())
        if (window->isShowing())
            return window;
    return nullptr;
}

Window xWindowOf(juce::Component& component)
{
    return static_cast<Window>(reinterpret_cast<std::uintptr_t>(component.getPeer()->getNativeHandle()));
}

// The screen with the top window's own pixels drawn where it stands: read
// from within the modal loop, the root's image lacks the warning's pixels,
// which the warning's own image holds.
juce::Image screenWithWindow(Display* display, Window top)
{
    const Window root = DefaultRootWindow(display);
    const guitest::WindowPixels screen = guitest::capturePixels(display, root);
    const guitest::WindowPixels window = guitest::capturePixels(display, top);
    int left = 0;
    int upper = 0;
    Window child = 0;
    XTranslateCoordinates(display, top, root, 0, 0, &left, &upper, &child);
    juce::Image image(juce::Image::RGB, screen.width, screen.height, false);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            const bool inWindow = x >= left && x < left + window.width && y >= upper && y < upper + window.height;
            const uint32_t rgb = inWindow ? window.at(x - left, y - upper) : screen.at(x, y);
            image.setPixelAt(x, y, juce::Colour(0xff000000 | rgb));
        }
    return image;
}

// Runs a modal warning; while it waits, `whileShown` is called on each tick of
// the modal loop's timers with the window on screen until it answers true,
// then the user presses return in it.
void raiseWarningAndAct(const std::function<bool(juce::AlertWindow&)>& whileShown)
{
    struct Actor : juce::Timer {
        const std::function<bool(juce::AlertWindow&)>& act;
        explicit Actor(const std::function<bool(juce::AlertWindow&)>& action) : act(action) { startTimer(20); }
        void timerCallback() override
        {
            if (auto* window = shownAlertWindow(); window != nullptr && act(*window)) {
                stopTimer();
                guitest::user::pressKey(*window, juce::KeyPress(juce::KeyPress::returnKey));
            }
        }
    } actor(whileShown);
    showWarningInAlertWindow("File Open Error...", "This file is gone:\n/irs/hall.wav");
}

// The host's windows on the test's own connection: its main window, and the
// window it opens the editor in over the main one, kept above it as the window
// manager is asked to (transient for it) and as a host without one does.
class WarningAboveEditor : public EditorOnScreen, public testing::WithParamInterface<bool> {
protected:
    WarningAboveEditor() : EditorOnScreen(GetParam()) {}

    void SetUp() override
    {
        EditorOnScreen::SetUp();
        if (IsSkipped())
            return;
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        const Window root = DefaultRootWindow(display);
        mainWindow = XCreateSimpleWindow(display, root, 0, 0, 1000, 740, 0, 0, 0x404040);
        XStoreName(display, mainWindow, "Host main window");
        hostWindow = XCreateSimpleWindow(display, root, 60, 40, BREditor::kWidth, BREditor::kHeight, 0, 0, 0);
        XStoreName(display, hostWindow, "Brondil editor");
        XSetTransientForHint(display, hostWindow, mainWindow);
        XMapWindow(display, mainWindow);
        XMapWindow(display, hostWindow);
        XSync(display, False);
        ASSERT_TRUE(guitest::pumpUntil([this] {
            return guitest::windowState(display, mainWindow).viewable &&
                   guitest::windowState(display, hostWindow).viewable;
        }));
        makeProcessor(2, 2);
        editor = std::make_unique<BREditor>(filter());
        editor->addToDesktop(0, reinterpret_cast<void*>(hostWindow));
        editor->setVisible(true);
        ASSERT_TRUE(guitest::pumpUntil([this] { return guitest::windowIsMapped(xWindowOf(*editor)); }));
    }

    void TearDown() override
    {
        closeEditor();
        if (display != nullptr)
            XCloseDisplay(display);
    }

    // The user activates the host's main window, through a task bar where a
    // window manager runs, which raises it with the windows it keeps above
    // it; a host without one raises its editor's window over the main one
    // itself.
    void activateMainWindow()
    {
        if (GetParam()) {
            XEvent activate{};
            activate.xclient.type = ClientMessage;
            activate.xclient.window = mainWindow;
            activate.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
            activate.xclient.format = 32;
            activate.xclient.data.l[0] = 2;  // from a task bar
            activate.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                       &activate);
        }
        XRaiseWindow(display, mainWindow);
        XSetInputFocus(display, mainWindow, RevertToParent, CurrentTime);
        if (!GetParam())
            XRaiseWindow(display, hostWindow);
        XSync(display, False);
    }

    Display* display = nullptr;
    Window mainWindow = 0;
    Window hostWindow = 0;
};

TEST_P(WarningAboveEditor, StaysAboveTheEditorsWindowWhenTheHostsMainWindowIsActivated)
{
    int ticks = 0;
    int warningHeight = -1;
    int editorHeight = -1;
    int mainHeight = -1;
    juce::File screenshot;
    raiseWarningAndAct([&](juce::AlertWindow& warning) {
        if (ticks++ == 0)
            activateMainWindow();
        // A host's idle and the window manager have long answered by then.
        if (ticks < 25)
            return false;
        XSync(display, False);
        warningHeight = guitest::stackingHeight(display, xWindowOf(warning));
        editorHeight = guitest::stackingHeight(display, hostWindow);
        mainHeight = guitest::stackingHeight(display, mainWindow);
        screenshot = guitest::saveScreenshot(screenWithWindow(display, xWindowOf(warning)),
                                             GetParam() ? "warning_above_editor_openbox" : "warning_above_editor_bare");
        return true;
    });
    EXPECT_GT(editorHeight, mainHeight) << "the host keeps its editor's window above its main window";
    EXPECT_GT(warningHeight, editorHeight) << "the main window stands at " << mainHeight;
    EXPECT_TRUE(screenshot.existsAsFile());
    EXPECT_EQ(shownAlertWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Servers, WarningAboveEditor, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "UnderAWindowManager" : "OnABareServer";
                         });

// What the process writes to its standard output while it lives.
class StandardOutputCapture {
public:
    StandardOutputCapture() : saved(dup(STDOUT_FILENO)), capture(std::tmpfile())
    {
        std::fflush(stdout);
        dup2(fileno(capture), STDOUT_FILENO);
    }
    ~StandardOutputCapture()
    {
        restore();
        std::fclose(capture);
    }
    // Everything written so far; standard output is the test's again.
    std::string text()
    {
        restore();
        std::string written;
        std::rewind(capture);
        for (int c; (c = std::fgetc(capture)) != EOF;)
            written += static_cast<char>(c);
        return written;
    }

private:
    void restore()
    {
        std::cout.flush();
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            close(saved);
            saved = -1;
        }
    }

    int saved;
    std::FILE* capture;
};

class WarningSound : public EditorOnScreen {};

TEST_F(WarningSound, AWarningAndClicksOnTheEditorItBlocksWriteNothingToStandardOutput)
{
    makeProcessor(2, 2);
    openEditor();
    StandardOutputCapture output;
    int clicks = 0;
    raiseWarningAndAct([&](juce::AlertWindow&) {
        // A click and a key in the editor while the warning waits: the toolkit
        // calls for its alert sound.
        guitest::user::click(*editor, {10.0f, 640.0f});
        guitest::user::pressKey(*editor, juce::KeyPress('a'));
        return ++clicks == 3;
    });
    EXPECT_EQ(output.text(), "");
    EXPECT_EQ(clicks, 3);
}

}  // namespace
