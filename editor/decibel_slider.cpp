#include "editor/decibel_slider.h"

#include "engine/number_text.h"

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

double BRDecibelSlider::getValueFromText(const juce::String& text)
{
    // The toolkit reads a text that is no number as 0 dB: a jump of the wet
    // signal that the host would record. Snapped here, a number that comes
    // to the current level makes no gesture either.
    juce::String number = text.trim();
    const juce::String unit = getTextValueSuffix().trim();
    if (number.endsWithIgnoreCase(unit))
        number = number.dropLastCharacters(unit.length());
    const std::optional<double> decibels = parseDecimal(number.toStdString());
    if (!decibels)
        return getValue();
    return juce::NormalisableRange<double>(getMinimum(), getMaximum(), getInterval()).snapToLegalValue(*decibels);
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
