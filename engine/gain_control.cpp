#include "engine/gain_control.h"

#include <cmath>

namespace {
constexpr double kSilenceDb = -999.9;  // at or below: no signal at all
}

double dbToGain(double db) { return db > kSilenceDb ? std::pow(10.0, db / 20.0) : 0.0; }

CDGainControl::CDGainControl(const juce::String& controlName) : CDControl(controlName)
{
    setDbRange(-90.0, 6.0);
    setDb(-6.0);
}

void CDGainControl::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    setDb(getMinimum() + value * (getMaximum() - getMinimum()));
}

double CDGainControl::getValue()
{
    const double width = getMaximum() - getMinimum();
    return width != 0.0 ? (getDb() - getMinimum()) / width : 0.0;
}

double CDGainControl::getMinimum() { return minDb; }

double CDGainControl::getMaximum() { return maxDb; }

void CDGainControl::setDbRange(double newMinDb, double newMaxDb)
{
    minDb = newMinDb;
    maxDb = newMaxDb;
    const double gainOfMaximum = dbToGain(getMaximum());
    const double gainOfMinimum = dbToGain(getMinimum());
    setRange(gainOfMinimum, gainOfMaximum);
}

void CDGainControl::setDb(double newDb)
{
    if (!std::isfinite(newDb))
        return;
    if (newDb < getMinimum())
        newDb = getMinimum();
    if (newDb > getMaximum())
        newDb = getMaximum();
    db.store(newDb, std::memory_order_relaxed);
    setRawValue(dbToGain(newDb));
}

double CDGainControl::getDb() { return db.load(std::memory_order_relaxed); }
