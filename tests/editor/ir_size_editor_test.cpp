#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "editor/ir_size_editor.h"
#include "editor/look_and_feel.h"
#include "tests/editor/editor_look_fixture.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::ChildProcess;
using guitest::TestWindow;
namespace user = guitest::user;

constexpr int kShownMilliseconds = 5000;

// What the editor's listener hears, with the box's text at that moment.
class BoxEvents : public juce::TextEditor::Listener {
public:
    void textEditorReturnKeyPressed(juce::TextEditor& box) override { returns.add(box.getText()); }
    void textEditorFocusLost(juce::TextEditor& box) override { focusLosses.add(box.getText()); }

    juce::StringArray returns;
    juce::StringArray focusLosses;
};

// The IR size box among the editor's other controls, set up as the editor
// sets it up; the panel stands for the editor window.
class IrSizeBoxOnScreen : public editortest::InEditorLook {
protected:
    void setUpOnScreen() override
    {
        box = std::make_unique<BRIrSizeEditor>();
        box->setInputRestrictions(10, "0123456789");
        box->setTextToShowWhenEmpty("2048", juce::Colour(0xff0000ff));
        box->addListener(&events);
        box->setBounds(75, 140, 70, 24);
        resetButton.setBounds(200, 140, 75, 24);
        panel.setSize(400, 200);
        panel.addAndMakeVisible(*box);
        panel.addAndMakeVisible(resetButton);
    }

    void TearDown() override
    {
        if (box != nullptr)
            box->removeListener(&events);
    }

    // Bubbles in the window that holds the editor.
    std::vector<juce::BubbleMessageComponent*> bubbles() const
    {
        return guitest::childrenOfType<juce::BubbleMessageComponent>(*panel.getTopLevelComponent());
    }

    const juce::Point<float> inBox{35.0f, 12.0f};
    BoxEvents events;
    juce::TextButton resetButton{"RESET"};
    juce::Component panel;
    std::unique_ptr<BRIrSizeEditor> box;
};

TEST_F(IrSizeBoxOnScreen, TypedDigitsReachTheListenerOnReturn)
{
    TestWindow window("ir size", panel);
    user::click(*box, inBox);
    ASSERT_TRUE(box->hasKeyboardFocus(false));
    user::type(*box, "40x96");
    user::pressKey(*box, juce::KeyPress(juce::KeyPress::returnKey));
    ASSERT_TRUE(guitest::pumpUntil([this] { return events.returns.size() == 1; }));
    EXPECT_EQ(events.returns[0], "4096");
    EXPECT_TRUE(bubbles().empty());
}

TEST_F(IrSizeBoxOnScreen, ClickingElsewhereHandsTheTextOverAsAFocusLoss)
{
    TestWindow window("ir size", panel);
    user::click(*box, inBox);
    user::type(*box, "12345678901234");
    user::click(resetButton, {30.0f, 12.0f});
    ASSERT_TRUE(guitest::pumpUntil([this] { return events.focusLosses.size() == 1; }));
    EXPECT_EQ(events.focusLosses[0], "1234567890");
    EXPECT_TRUE(events.returns.isEmpty());
}

TEST_F(IrSizeBoxOnScreen, ADisabledBoxIsLightGreyInsideABlackFrame)
{
    box->setEnabled(false);
    TestWindow window("ir size", panel);
    const juce::Image image = box->createComponentSnapshot(box->getLocalBounds());
    for (auto [x, y] : {std::pair{0, 0}, {69, 0}, {0, 23}, {69, 23}, {35, 0}, {0, 12}})
        EXPECT_EQ(image.getPixelAt(x, y), juce::Colours::black) << x << ", " << y;
    for (auto [x, y] : {std::pair{1, 1}, {68, 22}, {60, 12}})
        EXPECT_EQ(image.getPixelAt(x, y), juce::Colour(0xffd3d3d3)) << x << ", " << y;

    box->setEnabled(true);
    const juce::Image enabled = box->createComponentSnapshot(box->getLocalBounds());
    EXPECT_EQ(enabled.getPixelAt(60, 12), juce::Colours::white);
    EXPECT_EQ(enabled.getPixelAt(0, 0), juce::Colours::black);
}

TEST_F(IrSizeBoxOnScreen, ClickingTheDisabledBoxExplainsInABubbleForFiveSeconds)
{
    box->setEnabled(false);
    TestWindow window("ir size", panel);
    const auto clickedAt = juce::Time::getMillisecondCounter();
    user::click(*box, inBox);

    // Drawn in the window, not inside the 70 × 24 box, which would clip it.
    ASSERT_EQ(bubbles().size(), 1u);
    juce::BubbleMessageComponent* bubble = bubbles()[0];
    EXPECT_EQ(bubble->getParentComponent(), &window);
    EXPECT_TRUE(bubble->isShowing());
    EXPECT_TRUE(window.getLocalBounds().contains(bubble->getBounds()));
    EXPECT_GT(bubble->getWidth(), box->getWidth());
    // Two lines of text.
    EXPECT_GT(bubble->getHeight(), 2 * 14);
    EXPECT_TRUE(events.returns.isEmpty());

    guitest::pumpMessages(kShownMilliseconds - 800);
    EXPECT_EQ(bubbles().size(), 1u) << "gone too early";
    ASSERT_TRUE(guitest::pumpUntil([this] { return bubbles().empty(); }, 3000));
    EXPECT_GE(juce::Time::getMillisecondCounter() - clickedAt, static_cast<juce::uint32>(kShownMilliseconds));
}

TEST_F(IrSizeBoxOnScreen, AClickOnTheBubbleRemovesItEarlier)
{
    box->setEnabled(false);
    TestWindow window("ir size", panel);
    user::click(*box, inBox);
    ASSERT_EQ(bubbles().size(), 1u);
    guitest::pumpMessages(200);

    user::click(*bubbles()[0], bubbles()[0]->getLocalBounds().getCentre().toFloat());
    EXPECT_TRUE(guitest::pumpUntil([this] { return bubbles().empty(); }, 1000));
}

// An editor closed while its bubble shows takes the bubble along: left
// behind, it would wait for messages no one pumps and outlive the toolkit.
TEST_F(IrSizeBoxOnScreen, TheBubbleGoesWithTheBoxItPointsAt)
{
    box->setEnabled(false);
    TestWindow window("ir size", panel);
    user::click(*box, inBox);
    ASSERT_EQ(bubbles().size(), 1u);
    box.reset();
    EXPECT_TRUE(bubbles().empty());
}

TEST_F(IrSizeBoxOnScreen, AnEnabledBoxShowsNoBubble)
{
    TestWindow window("ir size", panel);
    user::click(*box, inBox);
    guitest::pumpMessages(100);
    EXPECT_TRUE(bubbles().empty());
}

// The whole way through the X server: xdotool's pointer and keyboard.
TEST_F(IrSizeBoxOnScreen, AUserTypesASizeThroughTheXServer)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    TestWindow window("Brondil IR size", panel);
    const auto centre = box->getBounds().getCentre();
    ChildProcess typist({"xdotool",
                         "search",
                         "--sync",
                         "--onlyvisible",
                         "--name",
                         "Brondil IR size",
                         "mousemove",
                         "--window",
                         "%1",
                         "--sync",
                         std::to_string(centre.x),
                         std::to_string(centre.y),
                         "click",
                         "1",
                         "sleep",
                         "0.3",
                         "key",
                         "--delay",
                         "40",
                         "8",
                         "1",
                         "9",
                         "2",
                         "Return"});

    EXPECT_TRUE(guitest::pumpUntil([this] { return events.returns.size() == 1; }, 15000));
    EXPECT_EQ(typist.wait(), 0);
    ASSERT_EQ(events.returns.size(), 1);
    EXPECT_EQ(events.returns[0], "8192");
}

}  // namespace
