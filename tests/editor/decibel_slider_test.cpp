#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/decibel_slider.h"
#include "editor/look_and_feel.h"
#include "tests/editor/editor_look_fixture.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::TestWindow;
namespace user = guitest::user;

class ValueChanges : public juce::Slider::Listener {
public:
    void sliderValueChanged(juce::Slider*) override { ++count; }
    int count = 0;
};

// The wet-gain knob as the editor sets it up.
class DecibelSliderOnScreen : public editortest::InEditorLook {
protected:
    void setUpOnScreen() override
    {
        slider = std::make_unique<BRDecibelSlider>("wet gain", -90.0, 90.0);
        slider->setSliderStyle(juce::Slider::RotaryVerticalDrag);
        slider->setTextBoxStyle(juce::Slider::TextBoxBelow, false, 50, 20);
        slider->setDoubleClickReturnValue(true, 0.0);
        slider->setSize(64, 64);
        slider->addListener(&changes);
    }

    void TearDown() override
    {
        if (slider != nullptr)
            slider->removeListener(&changes);
    }

    const juce::Point<float> knob{32.0f, 20.0f};
    ValueChanges changes;
    std::unique_ptr<BRDecibelSlider> slider;
};

TEST_F(DecibelSliderOnScreen, ProportionsMapOntoTheDecibelRangeBothWays)
{
    slider->setValueFromProportion(0.5, false);
    EXPECT_EQ(slider->getValue(), 0.0);
    EXPECT_EQ(slider->getValueAsProportion(), 0.5);
    slider->setValueFromProportion(0.0, false);
    EXPECT_EQ(slider->getValue(), -90.0);
    EXPECT_EQ(slider->getValueAsProportion(), 0.0);
    slider->setValueFromProportion(1.0, false);
    EXPECT_EQ(slider->getValue(), 90.0);
    EXPECT_EQ(slider->getValueAsProportion(), 1.0);
    // 0.123456 × 180 − 90 = −67.77792: the nearest step of 0.01 dB.
    slider->setValueFromProportion(0.123456, false);
    EXPECT_NEAR(slider->getValue(), -67.78, 1e-9);
    slider->setValue(12.3449);
    EXPECT_NEAR(slider->getValue(), 12.34, 1e-9);
    EXPECT_EQ(slider->getTextFromValue(slider->getValue()), "12.34 dB");
    EXPECT_EQ(slider->getName(), "wet gain");
}

TEST_F(DecibelSliderOnScreen, TypedTextGivesASnappedLevelOrTheCurrentOne)
{
    slider->setValue(-60.0, juce::dontSendNotification);
    const std::pair<const char*, double> levels[] = {{"3.5 dB", 3.5},   {"3,5dB", 3.5},      {" -12.5 DB ", -12.5},
                                                     {"+7 db", 7.0},    {"-12.347", -12.35}, {"500", 90.0},
                                                     {"-1e9 dB", -90.0}};
    for (const auto& [text, decibels] : levels)
        EXPECT_NEAR(slider->getValueFromText(text), decibels, 1e-9) << text;
    // The same level as the slider's own, to the bit: the toolkit compares them with != before it tells anyone.
    EXPECT_EQ(slider->getValueFromText("-60.001"), slider->getValue());
    for (const char* text : {"", "x", "dB", "abc dB", "- dB", "3.5 dB dB", "3.5 dBx", "1e", "nan dB"})
        EXPECT_EQ(slider->getValueFromText(text), slider->getValue()) << '"' << text << '"';
}

TEST_F(DecibelSliderOnScreen, TheWidestLevelFitsItsTextBoxUnshortened)
{
    slider->setValue(-90.0);
    const auto labels = guitest::childrenOfType<juce::Label>(*slider);
    ASSERT_EQ(labels.size(), 1u);
    const juce::Label& textBox = *labels[0];
    ASSERT_EQ(textBox.getText(), "-90.00 dB");
    // The label squeezes text to 70 % of its width before it shortens it.
    const auto area = textBox.getBorderSize().subtractedFrom(textBox.getLocalBounds());
    EXPECT_LE(textBox.getFont().getStringWidthFloat(textBox.getText()) *
                  juce::Font::getDefaultMinimumHorizontalScaleFactor(),
              static_cast<float>(area.getWidth()));
}

TEST_F(DecibelSliderOnScreen, ListenersHearOfAProportionLaterOnlyWhenAskedTo)
{
    slider->setValueFromProportion(0.25, false);
    guitest::pumpMessages(50);
    EXPECT_EQ(changes.count, 0);

    slider->setValueFromProportion(0.75, true);
    EXPECT_EQ(slider->getValue(), 45.0);
    EXPECT_EQ(changes.count, 0);
    EXPECT_TRUE(guitest::pumpUntil([this] { return changes.count == 1; }));
}

TEST_F(DecibelSliderOnScreen, DraggingUpRaisesTheLevelAndADoubleClickReturnsToZero)
{
    slider->setValue(0.0, juce::dontSendNotification);
    TestWindow window("slider", *slider, 8);

    // 250 pixels of vertical drag run through the whole range: 25 pixels are 18 dB.
    user::drag(*slider, knob, knob.translated(0.0f, -25.0f));
    EXPECT_NEAR(slider->getValue(), 18.0, 1e-9);
    EXPECT_GT(changes.count, 0);
    user::drag(*slider, knob, knob.translated(0.0f, 400.0f));
    EXPECT_EQ(slider->getValue(), -90.0);

    guitest::pumpMessages(600);  // no double-click with the last drag's release
    user::doubleClick(*slider, knob);
    EXPECT_EQ(slider->getValue(), 0.0);
}

TEST_F(DecibelSliderOnScreen, ALevelTypedIntoItsBoxSnapsToTheStep)
{
    TestWindow window("slider", *slider, 8);
    user::click(*slider, {32.0f, 54.0f});
    ASSERT_TRUE(guitest::pumpUntil(
        [] { return dynamic_cast<juce::TextEditor*>(juce::Component::getCurrentlyFocusedComponent()) != nullptr; }));
    user::type(*slider, "-12.347");
    user::pressKey(*slider, juce::KeyPress(juce::KeyPress::returnKey));
    guitest::pumpMessages(50);
    EXPECT_NEAR(slider->getValue(), -12.35, 1e-9);
}

}  // namespace
