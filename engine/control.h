#pragma once

#include <atomic>

#include <juce_core/juce_core.h>

// A named value with a raw range. Set on the GUI or host thread; the raw value
// is read lock-free by the audio thread.
class CDControl {
public:
    CDControl() = default;
    explicit CDControl(const juce::String& controlName);
    virtual ~CDControl() = default;

    virtual void setValue(double value);
    virtual double getValue();
    // No clamping.
    virtual void setRawValue(double value);
    // Wait-free: the audio thread's read.
    virtual double getRawValue();
    virtual double getMinimum();
    virtual double getMaximum();
    // No check of the order.
    virtual void setRange(double newMinimum, double newMaximum);

    juce::String getName() const;

protected:
    juce::String name;
    std::atomic<double> rawValue{0.0};
    double minimum = 0.0;
    double maximum = 1.0;
};
