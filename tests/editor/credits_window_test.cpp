#include <functional>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/credits_window.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::ChildProcess;

constexpr int kPatienceMilliseconds = 10000;

bool runUntil(const std::function<bool()>& done) { return guitest::pumpUntil(done, kPatienceMilliseconds); }

std::size_t creditsWindowsOnDesktop() { return guitest::windowsOfType<BRCreditsWindow>().size(); }

template <typename Child>
Child* childNamed(juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            return dynamic_cast<Child*>(child);
    return nullptr;
}

// A window in place of the editor, on a private X server, in the plug-in's
// classic look.
class CreditsWindowOnScreen : public guitest::OnScreenTest {
protected:
    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (IsSkipped())
            return;
        juce::LookAndFeel::setDefaultLookAndFeel(&look);
        editor = std::make_unique<juce::Component>("editor");
        editor->setBounds(120, 90, 750, 650);
        editor->addToDesktop(0);
        editor->setVisible(true);
    }

    void TearDown() override
    {
        if (IsSkipped())
            return;
        delete creditsWindowInstance;
        editor.reset();
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    }

    // Runs a user's command (xdotool) on the X server and the
    // message loop until the window is gone.
    bool closedBy(const std::vector<std::string>& command)
    {
        ChildProcess user(command);
        const bool closed = guitest::pumpUntil([] { return creditsWindowInstance == nullptr; });
        EXPECT_EQ(user.wait(), 0);
        return closed;
    }

    juce::LookAndFeel_V2 look;
    std::unique_ptr<juce::Component> editor;
};

TEST_F(CreditsWindowOnScreen, OpensOnceBesideTheEditorAndAgainAfterEscapeClosedIt)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    openCreditsWindow(*editor);
    BRCreditsWindow* first = creditsWindowInstance;
    ASSERT_NE(first, nullptr);
    openCreditsWindow(*editor);
    EXPECT_EQ(creditsWindowInstance, first);
    EXPECT_EQ(creditsWindowsOnDesktop(), 1u);
    EXPECT_EQ(first->getName(), "Credits!");
    EXPECT_EQ(first->getBackgroundColour(), juce::Colour::greyLevel(0.85f));
    EXPECT_EQ(first->getScreenBounds(), juce::Rectangle<int>(170, 140, 300, 250));
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isAlwaysOnTop());
    ASSERT_TRUE(runUntil([first] { return first->isShowing() && first->getPeer() != nullptr; }));

    EXPECT_TRUE(closedBy(guitest::typeIntoWindow("Credits!", {"Escape"})));
    EXPECT_EQ(creditsWindowsOnDesktop(), 0u);

    openCreditsWindow(*editor);
    EXPECT_NE(creditsWindowInstance, nullptr);
    EXPECT_EQ(creditsWindowsOnDesktop(), 1u);
}

TEST_F(CreditsWindowOnScreen, TheCloseButtonClosesIt)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    openCreditsWindow(*editor);
    auto* window = creditsWindowInstance;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([window] { return window->isShowing() && window->getPeer() != nullptr; }));
    auto* closeButton = window->getCloseButton();
    ASSERT_NE(closeButton, nullptr);
    const juce::Point<int> target = closeButton->getScreenBounds().getCentre();

    EXPECT_TRUE(
        closedBy({"xdotool", "mousemove", "--sync", std::to_string(target.x), std::to_string(target.y), "click", "1"}));
    EXPECT_EQ(creditsWindowsOnDesktop(), 0u);
}

TEST_F(CreditsWindowOnScreen, ShowsTheCreditsTheLogoAndTheLinks)
{
    openCreditsWindow(*editor);
    auto* window = creditsWindowInstance;
    ASSERT_NE(window, nullptr);
    auto* content = window->getContentComponent();
    ASSERT_NE(content, nullptr);

    auto* coder = childNamed<juce::Label>(*content, "coder");
    ASSERT_NE(coder, nullptr);
    EXPECT_EQ(coder->getText(), "DSP and GUI coding by: ");
    EXPECT_TRUE(coder->getFont().isBold());
    EXPECT_EQ(coder->getBounds(), juce::Rectangle<int>(10, 10, 150, 18));
    auto* thanks = childNamed<juce::Label>(*content, "thanx");
    ASSERT_NE(thanks, nullptr);
    EXPECT_EQ(thanks->getText(), "Many thanx to Ivo Brannock and all other beta testers");
    EXPECT_EQ(thanks->getBounds(), juce::Rectangle<int>(10, 30, 275, 18));
    EXPECT_FALSE(thanks->getFont().isBold());
    auto* sdk = childNamed<juce::Label>(*content, "plugSDK");
    ASSERT_NE(sdk, nullptr);
    EXPECT_EQ(juce::StringArray::fromLines(sdk->getText()).size(), 2);
    EXPECT_TRUE(sdk->getText().contains("VST"));
    EXPECT_EQ(sdk->getBounds(), juce::Rectangle<int>(10, 150, 300, 40));

    auto* link = childNamed<juce::HyperlinkButton>(*content, "Tamsin Oreld");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->getButtonText(), "Tamsin Oreld");
    EXPECT_TRUE(link->getURL().toString(false).startsWith("https://"));
    EXPECT_EQ(link->getBounds().withWidth(75), juce::Rectangle<int>(160, 10, 75, 20));
    EXPECT_GE(link->getWidth(), juce::Font(14.0f).getStringWidth(link->getButtonText())) << "the whole name shows";
    EXPECT_LE(link->getRight(), content->getWidth());
    auto* logo = childNamed<juce::ImageButton>(*content, "logobutton");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->getBounds(), juce::Rectangle<int>(30, 70, 260, 70));
    EXPECT_EQ(logo->getNormalImage().getBounds(), juce::Rectangle<int>(0, 0, 260, 70));
    EXPECT_TRUE(logo->getTooltip().startsWith("https://"));

    EXPECT_TRUE(guitest::saveScreenshot(*window, "credits_window").existsAsFile());
}

}  // namespace
