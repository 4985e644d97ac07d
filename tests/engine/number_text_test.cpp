#include <optional>

#include <gtest/gtest.h>

#include "engine/number_text.h"

namespace {

TEST(ParseDecimal, TakesANumberAsAUserTypesIt)
{
    const std::pair<const char*, double> taken[] = {{"3.5", 3.5},     {"-12.5", -12.5}, {" -7 ", -7.0},
                                                    {"\t90\n", 90.0}, {"+6", 6.0},      {"+0.25", 0.25},
                                                    {"3,5", 3.5},     {"-0,25", -0.25}, {".5", 0.5},
                                                    {"5.", 5.0},      {"-0", 0.0},      {"1e3", 1000.0},
                                                    {"2.5E-1", 0.25}, {"007", 7.0},     {"1e300", 1e300}};
    for (const auto& [text, value] : taken)
        EXPECT_EQ(parseDecimal(text), std::optional<double>(value)) << '"' << text << '"';
}

TEST(ParseDecimal, RefusesWhatIsNoFiniteNumber)
{
    for (const char* text : {"",      "   ",   "x",   "-",    "+",        ".",   ",",   "1e",    "1e+",   "3.5.1",
                             "3,5,1", "3,5.1", "+-5", "++5",  "--5",      "- 5", "5 5", "5x",    "x5",    "0x10",
                             "5dB",   "abc",   "inf", "-inf", "infinity", "nan", "NaN", "1e400", "-1e400"})
        EXPECT_EQ(parseDecimal(text), std::nullopt) << '"' << text << '"';
}

}  // namespace
