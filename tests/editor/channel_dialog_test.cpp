#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/channel_dialog.h"
#include "editor/screen_availability.h"
#include "engine/filter.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/gui_test_environment.h"

namespace {

using enginetest::ScratchFolder;
using guitest::ChildProcess;

constexpr int kWatchdogMilliseconds = 20000;

juce::AlertWindow* shownDialog()
{
    return dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
}

// The return key, as the dialog's window receives it from the keyboard.
void pressReturn(juce::Component& window) { window.keyPressed(juce::KeyPress(juce::KeyPress::returnKey)); }

// Confirms whatever dialog is still open when a test has waited too long, so a
// lost keystroke fails the test instead of hanging it.
class Watchdog : private juce::Timer {
public:
    Watchdog() { startTimer(kWatchdogMilliseconds); }
    bool fired = false;

private:
    void timerCallback() override
    {
        if (auto* dialog = shownDialog()) {
            fired = true;
            pressReturn(*dialog);
        }
    }
};

juce::String buttonTextOf(const juce::AlertWindow& dialog)
{
    for (auto* child : dialog.getChildren())
        if (auto* button = dynamic_cast<juce::Button*>(child))
            return button->getButtonText();
    return {};
}

struct DialogAnswer {
    juce::String inputs;
    juce::String outputs;
};

// What one dialog looked like when it was answered.
struct SeenDialog {
    juce::String title;
    juce::String inputText;
    juce::String outputText;
    bool passwordBoxes;
    bool inputsHaveFocus;
    juce::String buttonText;
    juce::String reason;  // the text block above the counts; empty when there is none
};

// The text the dialog shows besides its message and its two counts.
juce::String reasonShownBy(const juce::AlertWindow& dialog)
{
    for (auto* child : dialog.getChildren())
        if (auto* text = dynamic_cast<juce::TextEditor*>(child); text != nullptr && text->isReadOnly())
            return text->getText();
    return {};
}

// Answers each dialog it finds with the next texts and the return key, from the
// message loop that the dialog runs.
class ScriptedUser : private juce::Timer {
public:
    explicit ScriptedUser(std::vector<DialogAnswer> script) : answers(std::move(script)) { startTimer(20); }

    std::vector<SeenDialog> seen;

private:
    void timerCallback() override
    {
        auto* dialog = shownDialog();
        if (dialog == nullptr || seen.size() >= answers.size())
            return;
        auto* inputEditor = dialog->getTextEditor("NumInputChannels");
        auto* outputEditor = dialog->getTextEditor("NumOutputChannels");
        if (inputEditor == nullptr || outputEditor == nullptr || dialog->getNumButtons() != 1) {
            ADD_FAILURE() << "the dialog lacks its editors or its button";
            dialog->exitModalState(0);
            return;
        }
        // A window manager hands the new window the keyboard a moment after it shows.
        if (!dialog->isParentOf(juce::Component::getCurrentlyFocusedComponent()) && ++ticksWithoutFocus < kFocusTicks)
            return;
        ticksWithoutFocus = 0;
        seen.push_back({dialog->getName(), inputEditor->getText(), outputEditor->getText(),
                        inputEditor->getPasswordCharacter() != 0 || outputEditor->getPasswordCharacter() != 0,
                        inputEditor->hasKeyboardFocus(false), buttonTextOf(*dialog), reasonShownBy(*dialog)});
        guitest::saveScreenshot(*dialog, "channel_question_" + juce::String(static_cast<int>(seen.size())));
        const DialogAnswer& answer = answers[seen.size() - 1];
        inputEditor->setText(answer.inputs);
        outputEditor->setText(answer.outputs);
        pressReturn(*dialog);
    }

    static constexpr int kFocusTicks = 100;
    std::vector<DialogAnswer> answers;
    int ticksWithoutFocus = 0;
};

// The dialog on a server that no window manager has touched, and under one.
class ChannelDialogOnScreen : public guitest::OnScreenTest, public testing::WithParamInterface<bool> {
protected:
    ChannelDialogOnScreen() : OnScreenTest(GetParam()) {}

    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (!IsSkipped()) {
            ASSERT_TRUE(windowsCanBeShown());
        }
    }

    std::unique_ptr<BRFilter> buildWithDialog()
    {
        return std::make_unique<BRFilter>(scratch.file("Brondil.so"), askChannelCountsInDialog);
    }

    ScratchFolder scratch;
};

std::string serverName(const testing::TestParamInfo<bool>& info)
{
    return info.param ? "UnderAWindowManager" : "OnABareServer";
}

INSTANTIATE_TEST_SUITE_P(Servers, ChannelDialogOnScreen, testing::Bool(), serverName);

// Ten effects, each asked twice: a refused answer, then the keys that make it
// acceptable. A question asked again holds what was typed, and each box selects
// its text when it gets the keyboard, so keys typed there replace it.
TEST_P(ChannelDialogOnScreen, TwentyQuestionsAnsweredByKeysGiveTheTypedCounts)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    struct Round {
        const char* refused;
        const char* accepted;
        BRChannelCounts counts;
    };
    const Round rounds[] = {
        {"6 Tab 3 3 Return", "Tab 5 Return", {6, 5}},
        {"3 period 5 Tab 4 Return", "7 Tab 4 Return", {7, 4}},
        {"4 x Tab 3 Return", "4 Tab Return", {4, 3}},
        {"0 Tab 2 Return", "3 Tab 5 Return", {3, 5}},
        {"9 9 Tab 1 Return", "1 Tab 3 2 Return", {1, 32}},
        {"minus 2 Tab 4 Return", "3 2 Tab 1 Return", {32, 1}},
        {"BackSpace Tab 2 Return", "1 Tab 1 Return", {1, 1}},
        {"plus Tab plus Return", "1 6 Tab 3 Return", {16, 3}},
        {"1 e 1 Tab 9 Return", "9 Tab ctrl+a BackSpace 1 1 Return", {9, 11}},
        {"space 5 space Tab 3 3 Return", "Tab 3 2 Return", {5, 32}},
    };
    std::vector<std::string> answers;
    for (const Round& round : rounds) {
        answers.emplace_back(round.refused);
        answers.emplace_back(round.accepted);
    }
    Watchdog watchdog;
    ChildProcess user(guitest::answerEachNewWindow("Input Output Channels", answers));

    for (const Round& round : rounds) {
        const auto filter = buildWithDialog();
        EXPECT_EQ(filter->inputs, round.counts.inputs) << round.refused << " then " << round.accepted;
        EXPECT_EQ(filter->outputs, round.counts.outputs) << round.refused << " then " << round.accepted;
        EXPECT_EQ(filter->getTotalNumInputChannels(), round.counts.inputs);
        EXPECT_EQ(filter->getTotalNumOutputChannels(), round.counts.outputs);
    }
    EXPECT_EQ(user.wait(), 0);
    EXPECT_FALSE(watchdog.fired);
}

TEST_P(ChannelDialogOnScreen, ReturnAtOnceGivesTwoByTwo)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    Watchdog watchdog;
    ChildProcess user(guitest::answerEachNewWindow("Input Output Channels", {"Return"}));

    const auto filter = buildWithDialog();

    EXPECT_EQ(user.wait(), 0);
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(filter->inputs, 2);
    EXPECT_EQ(filter->outputs, 2);
    EXPECT_EQ(filter->getTotalNumInputChannels(), 2);
    EXPECT_EQ(filter->getTotalNumOutputChannels(), 2);
}

TEST_P(ChannelDialogOnScreen, OffTheMessageThreadTheSettingsCountsAreTakenWithoutAnyWindow)
{
    // The message thread may be running windows of its own meanwhile.
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><Inputs number=\"4\"/><Outputs number=\"6\"/></Brondil>");
    bool couldShowWindows = true;
    std::unique_ptr<BRFilter> filter;
    std::thread([&] {
        couldShowWindows = windowsCanBeShown();
        filter = buildWithDialog();
    }).join();

    EXPECT_FALSE(couldShowWindows);
    EXPECT_EQ(filter->inputs, 4);
    EXPECT_EQ(filter->outputs, 6);
}

TEST_P(ChannelDialogOnScreen, AQuestionAskedAgainHoldsWhatWasTypedAndSaysWhichCountWasRefusedAndWhy)
{
    // The settings' counts play no part while a dialog can be shown.
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><Inputs number=\"7\"/><Outputs number=\"7\"/></Brondil>");
    Watchdog watchdog;
    const std::vector<DialogAnswer> answers{{"0", "2"}, {"6", "33"}, {"3.5", "4"}, {"abc", "-1"}, {" 7 ", "4"}};
    ScriptedUser user(answers);

    const auto filter = buildWithDialog();

    EXPECT_FALSE(watchdog.fired);
    ASSERT_EQ(user.seen.size(), answers.size());
    for (size_t k = 0; k < user.seen.size(); ++k) {
        const SeenDialog& dialog = user.seen[k];
        EXPECT_EQ(dialog.title, "Input Output Channels");
        EXPECT_EQ(dialog.inputText, k == 0 ? "2" : answers[k - 1].inputs);
        EXPECT_EQ(dialog.outputText, k == 0 ? "2" : answers[k - 1].outputs);
        EXPECT_FALSE(dialog.passwordBoxes);
        EXPECT_TRUE(dialog.inputsHaveFocus);
        EXPECT_EQ(dialog.buttonText, "ok");
    }
    EXPECT_EQ(user.seen[0].reason, "");
    EXPECT_EQ(user.seen[1].reason, "The count of input channels (\"0\") must be a whole number from 1 to 32.");
    EXPECT_EQ(user.seen[2].reason, "The count of output channels (\"33\") must be a whole number from 1 to 32.");
    EXPECT_EQ(user.seen[3].reason, "The count of input channels (\"3.5\") must be a whole number from 1 to 32.");
    EXPECT_EQ(user.seen[4].reason,
              "The counts of input and output channels (\"abc\", \"-1\") must be whole numbers from 1 to 32.");
    EXPECT_EQ(filter->inputs, 7);
    EXPECT_EQ(filter->outputs, 4);
    EXPECT_EQ(filter->getTotalNumInputChannels(), 7);
    EXPECT_EQ(filter->getTotalNumOutputChannels(), 4);
}

TEST(ChannelCountText, OnlyWholeNumbersFromOneToThirtyTwoAreCounts)
{
    const std::pair<const char*, int> counts[] = {{"1", 1}, {"32", 32}, {"7", 7}, {" 7 ", 7}, {"007", 7}};
    for (const auto& [typed, count] : counts)
        EXPECT_EQ(channelCountFromText(typed), std::optional<int>(count)) << '"' << typed << '"';
    const char* const refused[] = {"3.5", "4x", "",    "+",    "1e1", "0",   "33",         "-2",
                                   "  ",  "+3", "3 2", "0x10", "000", "100", "4294967298", "99999999999999999999"};
    for (const char* typed : refused)
        EXPECT_EQ(channelCountFromText(typed), std::nullopt) << '"' << typed << '"';
    // A digit of another script is no decimal digit here.
    EXPECT_EQ(channelCountFromText(juce::String(juce::CharPointer_UTF8("\xd9\xa3"))), std::nullopt);
}

// JUCE started without any X display, as in a headless host or a plug-in scan.
class ChannelDialogWithoutDisplay : public testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("DISPLAY");
        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
    }

    ScratchFolder scratch;
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

TEST_F(ChannelDialogWithoutDisplay, TheSettingsCountsAreTakenWithoutAnyWindow)
{
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><Inputs number=\"4\"/><Outputs number=\"6\"/></Brondil>");
    ASSERT_FALSE(windowsCanBeShown());

    BRFilter filter(scratch.file("Brondil.so"), askChannelCountsInDialog);

    EXPECT_EQ(filter.inputs, 4);
    EXPECT_EQ(filter.outputs, 6);
    EXPECT_EQ(filter.getTotalNumInputChannels(), 4);
    EXPECT_EQ(filter.getTotalNumOutputChannels(), 6);
}

TEST_F(ChannelDialogWithoutDisplay, NoSettingsFileGivesTwoByTwo)
{
    BRFilter filter(scratch.file("Brondil.so"), askChannelCountsInDialog);

    EXPECT_EQ(filter.inputs, 2);
    EXPECT_EQ(filter.outputs, 2);
}

TEST_F(ChannelDialogWithoutDisplay, SettingsCountsOutsideOneToThirtyTwoGiveTwo)
{
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><Inputs number=\"0\"/><Outputs number=\"33\"/></Brondil>");

    BRFilter filter(scratch.file("Brondil.so"), askChannelCountsInDialog);

    EXPECT_EQ(filter.inputs, 2);
    EXPECT_EQ(filter.outputs, 2);
}

}  // namespace
