#include "engine/control.h"

CDControl::CDControl(const juce::String& controlName) : name(controlName) {}

void CDControl::setValue(double value) { setRawValue(value); }

double CDControl::getValue() { return getRawValue(); }

void CDControl::setRawValue(double value) { rawValue.store(value, std::memory_order_relaxed); }

double CDControl::getRawValue() { return rawValue.load(std::memory_order_relaxed); }

double CDControl::getMinimum() { return minimum; }

double CDControl::getMaximum() { return maximum; }

void CDControl::setRange(double newMinimum, double newMaximum)
{
    minimum = newMinimum;
    maximum = newMaximum;
}

juce::String CDControl::getName() const { return name; }
