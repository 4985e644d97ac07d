#include "editor/decibel_slider.h"

namespace {

constexpr double kDecibelStep = 0.01;
const juce::BorderSize<int> kTextBoxBorder{1, 2, 1, 2};

}  // namespace

BRDecibelSlider::BRDecibelSlider(const juce::String& componentName, double minimumDb, double maximumDb)
    : juce::Slider(componentName)
{
    setRange(minimumDb, maximumDb, kDecibelStep);
    setTextValueSuffix(" dB");
}

void BRDecibelSlider::setValueFromProportion(double proportion, bool notify)
{
    setValue(getMinimum() + (getMaximum() - getMinimum()) * proportion,
             notify ? juce::sendNotificationAsync : juce::dontSendNotification);
}

double BRDecibelSlider::getValueAsProportion() const
{
    return (getValue() - getMinimum()) / (getMaximum() - getMinimum());
}

void BRDecibelSlider::lookAndFeelChanged()
{
    // The slider makes its text box afresh here. "-90.00 dB" fits the editor's
    // 50-pixel box only with narrower side borders than a label's usual 5 pixels.
    juce::Slider::lookAndFeelChanged();
    for (auto* child : getChildren())
        if (auto* textBox = dynamic_cast<juce::Label*>(child))
            textBox->setBorderSize(kTextBoxBorder);
}
