#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/gain_control.h"

namespace {

TEST(GainControl, StartsAtMinusSixDecibelsInMinusNinetyToPlusSix)
{
    CDGainControl gain("Gain");
    EXPECT_EQ(gain.getName(), "Gain");
    EXPECT_EQ(gain.getDb(), -6.0);
    EXPECT_EQ(gain.getMinimum(), -90.0);
    EXPECT_EQ(gain.getMaximum(), 6.0);
    // pow rounds within an ulp or two of the decimal value.
    EXPECT_NEAR(gain.getRawValue(), 0.5011872336272722, 1e-15);
    EXPECT_NEAR(gain.getValue(), 84.0 / 96.0, 1e-15);
}

TEST(GainControl, DecibelsBecomeSilenceOnlyAtOrBelowMinus999Point9)
{
    EXPECT_EQ(dbToGain(-999.9), 0.0);
    EXPECT_EQ(dbToGain(-2000.0), 0.0);
    EXPECT_EQ(dbToGain(std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_GT(dbToGain(-999.8), 0.0);
    EXPECT_EQ(dbToGain(0.0), 1.0);
    EXPECT_NEAR(dbToGain(-90.0), 3.1622776601683795e-5, 1e-19);
    EXPECT_NEAR(dbToGain(90.0), 31622.776601683792, 1e-10);
}

TEST(GainControl, TheDecibelRangeSetsTheRawRangeButNotTheValue)
{
    CDGainControl gain("Gain");
    gain.setDbRange(-90.0, 90.0);
    EXPECT_EQ(gain.getDb(), -6.0);
    EXPECT_NEAR(gain.getRawValue(), 0.5011872336272722, 1e-15);
    EXPECT_NEAR(gain.CDControl::getMinimum(), 3.1622776601683795e-5, 1e-19);
    EXPECT_NEAR(gain.CDControl::getMaximum(), 31622.776601683792, 1e-10);
}

TEST(GainControl, DecibelsClampToTheRangeWithBothEndsIncluded)
{
    CDGainControl gain("Gain");
    gain.setDbRange(-90.0, 90.0);

    gain.setDb(-90.0);
    EXPECT_EQ(gain.getDb(), -90.0);
    gain.setDb(90.0);
    EXPECT_EQ(gain.getDb(), 90.0);
    gain.setDb(-90.5);
    EXPECT_EQ(gain.getDb(), -90.0);
    gain.setDb(126.0);
    EXPECT_EQ(gain.getDb(), 90.0);
    EXPECT_EQ(gain.getRawValue(), dbToGain(90.0));
}

TEST(GainControl, NormalisedValuesMapLinearlyOntoDecibelsAndClamp)
{
    CDGainControl gain("Gain");
    gain.setDbRange(-90.0, 90.0);

    gain.setValue(0.25);
    EXPECT_EQ(gain.getDb(), -45.0);
    EXPECT_EQ(gain.getValue(), 0.25);
    gain.setValue(1.2);
    EXPECT_EQ(gain.getDb(), 90.0);
    gain.setValue(-0.5);
    EXPECT_EQ(gain.getDb(), -90.0);
    EXPECT_EQ(gain.getValue(), 0.0);
}

TEST(GainControl, NonFiniteValuesAreIgnored)
{
    CDGainControl gain("Gain");
    gain.setDbRange(-90.0, 90.0);
    gain.setDb(12.0);
    const double before = gain.getRawValue();

    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        gain.setValue(bad);
        gain.setDb(bad);
        EXPECT_EQ(gain.getDb(), 12.0) << bad;
        EXPECT_EQ(gain.getRawValue(), before) << bad;
    }
}

TEST(GainControl, AZeroWidthRangeReadsAsZero)
{
    CDGainControl gain("Gain");
    gain.setDbRange(3.0, 3.0);
    gain.setDb(3.0);
    EXPECT_EQ(gain.getValue(), 0.0);
}

TEST(Control, KeepsItsRawValueAndRangeUnchecked)
{
    CDControl control("Plain");
    EXPECT_EQ(control.getMinimum(), 0.0);
    EXPECT_EQ(control.getMaximum(), 1.0);
    control.setValue(7.5);
    EXPECT_EQ(control.getRawValue(), 7.5);
    EXPECT_EQ(control.getValue(), 7.5);
    control.setRange(4.0, -4.0);
    EXPECT_EQ(control.getMinimum(), 4.0);
    EXPECT_EQ(control.getMaximum(), -4.0);
}

}  // namespace
