#pragma once

#include <memory>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/support/x_display.h"

namespace editortest {

// A test with its own X server and JUCE's message manager on it; skipped
// where no Xvfb can be started.
class OnScreen : public testing::Test {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << "no X server: " << server.failure();
        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
    }

    // Runs the message loop for a while, so that queued messages and timers are handled.
    static void pumpMessages(int milliseconds = 50)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
    }

private:
    guitest::PrivateXServer server;
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

// The left mouse button and the keyboard of one window on the desktop, fed to
// JUCE where the X events of the real devices enter it: the window's peer. Event
// times advance 20 ms per event from the first, so a short move within a press
// still counts as a click however slowly the test runs.
class WindowInput {
public:
    explicit WindowInput(juce::Component& window);

    void press(juce::Point<float> at);
    void moveTo(juce::Point<float> at);
    void release(juce::Point<float> at);
    void pressKey(const juce::KeyPress& key);

private:
    void send(juce::Point<float> at, juce::ModifierKeys buttons);

    juce::Component& window;
    juce::int64 clock;
    juce::ModifierKeys buttons;
};

}  // namespace editortest
