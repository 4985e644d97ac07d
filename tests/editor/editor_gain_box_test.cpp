// The wet gain's text box under the knob holds every value while it is edited.
#include <gtest/gtest.h>

#include "editor/decibel_slider.h"
#include "tests/editor/editor_fixture.h"

namespace {

using editortest::EditorOnScreen;
namespace user = guitest::user;

class EditorGainBox : public EditorOnScreen {};

TEST_F(EditorGainBox, TheWidestValuesFitTheBoxWhileTheyAreEdited)
{
    makeProcessor(2, 2);
    openEditor();
    auto& knob = only<BRDecibelSlider>();
    for (const double decibels : {-90.0, 88.88, -0.01}) {
        knob.setValue(decibels, juce::sendNotificationSync);
        // A click on the box opens it for typing.
        const auto box = knob.getLocalBounds().removeFromBottom(10).getCentre().toFloat();
        user::click(knob, box);
        guitest::pumpMessages(50);
        auto* typing = guitest::descendantOfType<juce::TextEditor>(knob);
        ASSERT_NE(typing, nullptr) << decibels;
        const int needed = typing->getFont().getStringWidth(typing->getText()) + 2 * typing->getLeftIndent() +
                           typing->getBorder().getLeftAndRight();
        EXPECT_LE(needed, typing->getWidth()) << typing->getText();
        guitest::saveScreenshot(*window, "gain_box_editing_" + juce::String(juce::roundToInt(decibels * 100)));
        user::pressKey(*editor, juce::KeyPress(juce::KeyPress::escapeKey));
        guitest::pumpMessages(50);
    }
}

}  // namespace
