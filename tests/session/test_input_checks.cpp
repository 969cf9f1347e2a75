// The checks every entry point runs on a number before it goes out.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "link/codecs.h"
#include "session/input_checks.h"

namespace rm27 {
namespace {

TEST(InputChecks, NumbersAreReadWholeWithAPointOrOneComma) {
    const std::pair<const char*, double> good[] = {
        {"0.5", 0.5}, {"0,5", 0.5}, {" -2 ", -2}, {"+3", 3},    {"1e-05", 1e-5},
        {"7", 7},     {"5.", 5},    {",5", 0.5},  {"-0", -0.0}, {"99999999999", 99999999999.0}};
    for (const auto& [text, value] : good) {
        double v = 0;
        EXPECT_TRUE(ParseNumber(text, v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    for (const char* text : {"", " ", "-", ".", "1.5.2", "1,5.2", "1,5,5", "0x10", "1abc", "inf",
                             "-inf", "nan", "1 2", "5kg", "1e", "1e+", "e5", "1e400", "--1"}) {
        double v = 0;
        EXPECT_FALSE(ParseNumber(text, v)) << "'" << text << "'";
    }
}

TEST(InputChecks, WhatEachPlaceHolds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        bool single, slope, deviceFloat, percent, format; // format: "####0.0 "
    } cases[] = {
        {nan, false, false, false, false, false},
        {inf, false, false, false, false, false},
        {-inf, false, false, false, false, false},
        {1e40, false, false, false, false, false},
        {-0.0, true, false, true, true, true},
        {1e-40, false, false, false, true, true}, // a denormal single
        {3e-39, false, false, true, true, true},  // above 2^-128, below a normal single
        {std::ldexp(1.0, 127), true, true, false, false, false}, // the device float's exponent ends
        {99999999999.0, true, true, true, false, false},
        {99999.9, true, true, true, false, true},
        {99999.96, true, true, true, false, false}, // shows as 100000.0
        {-9999.9, true, true, true, false, true},
        {-10000, true, true, true, false, false},
        {100, true, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(NumberText(c.value));
        EXPECT_EQ(bool(CheckSingle(c.value, Text::Value("f"))), c.single);
        EXPECT_EQ(bool(CheckNonZeroSingle(c.value, Text::Value("f"))), c.slope);
        EXPECT_EQ(bool(CheckDeviceFloat(c.value, Text::Value("f"))), c.deviceFloat);
        EXPECT_EQ(bool(CheckPercent(c.value, Text::Value("f"))), c.percent);
        EXPECT_EQ(bool(CheckFitsFormat(c.value, "####0.0 ", Text::Value("f"))), c.format);
    }
    // A format that shows no digit has nothing to fit.
    EXPECT_TRUE(CheckFitsFormat(1e30, "        ", Text::Value("f")));
}

TEST(InputChecks, ARefusalNamesTheFieldTheValueAndWhatTheFieldTakes) {
    SetDecimalSeparator('.');
    EXPECT_EQ(
        CheckFitsFormat(99999999999.0, "####0.0 ", Text::Value("Limit vstupu 2")).message().czech(),
        "Limit vstupu 2: hodnotu 99999999999 nelze použít, přípustné jsou hodnoty -9999.9 až "
        "99999.9.");
    EXPECT_EQ(CheckFitsFormat(-5, "0.00000", Text::Value("f")).range().czech(),
              "0.00000 až 9.99999");
    EXPECT_EQ(CheckDeviceFloat(1e40, Text::Value("Etalon")).message().czech(),
              "Etalon: hodnotu 1e+40 nelze použít, přípustné jsou hodnoty 0 nebo 2.93874e-39 ≤ "
              "|x| ≤ 1.70141e+38.");
    EXPECT_EQ(CheckNonZeroSingle(0, Text::Value("K")).rangeInEnglish(),
              "1.17549e-38 <= |x| <= 3.40282e+38");
    double value = 1;
    const InputCheck typed = CheckTyped(" 1abc", CheckPercent, Text::Value("Nejistota [%]"), value);
    EXPECT_EQ(typed.message().czech(),
              "Nejistota [%]: hodnotu 1abc nelze použít, přípustné jsou hodnoty 0 až 100.");
    SetDecimalSeparator('\0');

    for (const char* date : {"261204", "280229", "", "      "})
        EXPECT_TRUE(CheckDate(date, Text::Value("d"))) << date;
    for (const char* date : {"260229", "261301", "261200", "260431", "26120", "2612O4", "-61204"})
        EXPECT_FALSE(CheckDate(date, Text::Value("d"))) << date;
    EXPECT_EQ(CheckDate("261332", Text::Value("Platnost kalibrace")).message().czech(),
              "Platnost kalibrace: hodnotu 261332 nelze použít, přípustné jsou hodnoty RRMMDD "
              "(skutečné datum).");
}

} // namespace
} // namespace rm27
