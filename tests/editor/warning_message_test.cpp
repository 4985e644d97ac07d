#include <cstdlib>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/warning_message.h"
#include "tests/support/gui_test_environment.h"

namespace {

struct SeenWarning {
    juce::String description;  // the title, ". ", the message
    juce::MessageBoxIconType icon;
    bool modal;
};

juce::AlertWindow* shownAlertWindow()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* window = dynamic_cast<juce::AlertWindow*>(desktop.getComponent(i)))
            if (window->isShowing())
                return window;
    return nullptr;
}

// Notes the alert window on screen and presses its button with the return key.
SeenWarning answerTheAlertWindow(juce::AlertWindow& window)
{
    SeenWarning seen{window.getDescription(), window.getAlertType(), window.isCurrentlyModal()};
    guitest::user::pressKey(window, juce::KeyPress(juce::KeyPress::returnKey));
    return seen;
}

class WarningOnScreen : public guitest::OnScreenTest {};

TEST_F(WarningOnScreen, OnTheMessageThreadAModalAlertWindowWaitsForTheUser)
{
    std::unique_ptr<SeenWarning> seen;
    // The modal loop runs this timer; it answers once the window is up.
    struct Answerer : juce::Timer {
        std::unique_ptr<SeenWarning>& seen;
        explicit Answerer(std::unique_ptr<SeenWarning>& out) : seen(out) { startTimer(20); }
        void timerCallback() override
        {
            if (auto* window = shownAlertWindow(); window != nullptr && seen == nullptr)
                seen = std::make_unique<SeenWarning>(answerTheAlertWindow(*window));
        }
    } answerer(seen);

    showWarningInAlertWindow("File Open Error...", "Multichannel format unsupported.");

    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->description, "File Open Error.... Multichannel format unsupported.");
    EXPECT_EQ(seen->icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_TRUE(seen->modal);
    EXPECT_EQ(shownAlertWindow(), nullptr);
}

TEST_F(WarningOnScreen, FromAnotherThreadTheWindowIsPostedAndNothingWaits)
{
    std::thread audioThread([] { showWarningInAlertWindow("Brondil", "posted"); });
    audioThread.join();  // returned without anyone answering

    ASSERT_TRUE(guitest::pumpUntil([] { return shownAlertWindow() != nullptr; }));
    const SeenWarning seen = answerTheAlertWindow(*shownAlertWindow());
    EXPECT_EQ(seen.description, "Brondil. posted");
    EXPECT_EQ(seen.icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_TRUE(guitest::pumpUntil([] { return shownAlertWindow() == nullptr; }));
}

// A headless host: JUCE runs, but there is no X display to show a window on.
TEST(WarningWithoutDisplay, NothingIsShownAndNothingCrashes)
{
    // A display no server answers: without DISPLAY, JUCE would try :0, where
    // another test program's private server may be running.
    setenv("DISPLAY", ":32000", 1);
    const juce::ScopedJuceInitialiser_GUI gui;
    showWarningInAlertWindow("Brondil", "not shown");
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    EXPECT_EQ(juce::Desktop::getInstance().getNumComponents(), 0);
}

TEST(WarningWithoutToolkit, NothingIsShownAndTheToolkitIsNotStarted)
{
    showWarningInAlertWindow("Brondil", "not shown");
    EXPECT_EQ(juce::MessageManager::getInstanceWithoutCreating(), nullptr);
}

}  // namespace
