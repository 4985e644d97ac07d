#pragma once

#include "engine/control.h"

// The linear gain of x decibels: 10^(x/20), or 0 at or below -999.9 dB (and for NaN).
double dbToGain(double db);

// A gain seen in decibels by the editor and the parameter text, as a value
// from 0 to 1 by the host, and as a linear factor (the raw value) by the audio
// path. A new control holds -6 dB in the range -90 .. +6 dB; the processor's
// wet gain sets its own range, -90 .. +90 dB, and 0 dB at once. Same threads
// as CDControl.
class CDGainControl : public CDControl {
public:
    explicit CDGainControl(const juce::String& controlName);

    // value 0..1 maps linearly onto the decibel range; outside it clamps.
    // A non-finite value is ignored.
    void setValue(double value) override;
    // The decibel value's place in the range, 0..1; 0 for a range of zero width.
    double getValue() override;
    double getMinimum() override;
    double getMaximum() override;

    // Sets the decibel range and the matching raw range; the value stays.
    virtual void setDbRange(double newMinDb, double newMaxDb);
    // Clamps to the range (ends included) and sets the linear gain.
    // A non-finite value is ignored.
    virtual void setDb(double newDb);
    virtual double getDb();

protected:
    // Hosts set the gain from their audio thread while the editor reads it.
    std::atomic<double> db{0.0};
    double minDb = 0.0;
    double maxDb = 0.0;
};
