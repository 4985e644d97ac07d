#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/look_and_feel.h"
#include "tests/editor/editor_look_fixture.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::TestWindow;

class LookOnScreen : public editortest::InEditorLook {
protected:
    void setUpOnScreen() override
    {
        box.setBounds(0, 0, 70, 24);
        other.setBounds(0, 40, 70, 24);
        holder.setSize(100, 80);
        holder.addAndMakeVisible(box);
        holder.addAndMakeVisible(other);
    }

    // The outline's colour where the 1-pixel frame lies, the fill's just inside it.
    void expectPlainOutline(juce::Colour outline)
    {
        const juce::Image image = box.createComponentSnapshot(box.getLocalBounds());
        const int right = box.getWidth() - 1;
        const int bottom = box.getHeight() - 1;
        for (auto [x, y] :
             {std::pair{0, 0}, {right, 0}, {0, bottom}, {right, bottom}, {35, 0}, {35, bottom}, {0, 12}, {right, 12}})
            EXPECT_EQ(image.getPixelAt(x, y), outline) << x << ", " << y;
        const juce::Colour fill = box.findColour(juce::TextEditor::backgroundColourId);
        for (auto [x, y] : {std::pair{1, 1}, {right - 1, bottom - 1}, {35, 1}, {1, 12}})
            EXPECT_EQ(image.getPixelAt(x, y), fill) << x << ", " << y;
    }

    juce::Component holder;
    juce::TextEditor box;
    juce::TextEditor other;
};

TEST_F(LookOnScreen, IsCreatedOnceAndIsTheDefaultForEveryNewComponent)
{
    BRLookAndFeel& first = useSharedLookAndFeel();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    BRLookAndFeel& second = useSharedLookAndFeel();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(&juce::LookAndFeel::getDefaultLookAndFeel(), &first);
    juce::TextEditor fresh;
    EXPECT_EQ(&fresh.getLookAndFeel(), &first);
}

TEST_F(LookOnScreen, TextBoxOutlinesArePlainOnePixelFramesWhateverTheFocus)
{
    box.setColour(juce::TextEditor::outlineColourId, juce::Colours::black);
    box.setColour(juce::TextEditor::focusedOutlineColourId, juce::Colours::red);
    TestWindow window("outline", holder);

    expectPlainOutline(juce::Colours::black);
    guitest::user::click(box, {30.0f, 12.0f});
    ASSERT_TRUE(box.hasKeyboardFocus(false));
    expectPlainOutline(juce::Colours::black);
    box.setEnabled(false);
    expectPlainOutline(juce::Colours::black);
}

TEST_F(LookOnScreen, TheOutlineColourIsTheBoxsOwnNotItsParents)
{
    holder.setColour(juce::TextEditor::outlineColourId, juce::Colours::green);
    TestWindow window("outline", holder);
    // The look's own outline is transparent: the box is white to its edge.
    ASSERT_TRUE(useSharedLookAndFeel().findColour(juce::TextEditor::outlineColourId).isTransparent());
    expectPlainOutline(juce::Colours::white);
}

}  // namespace
