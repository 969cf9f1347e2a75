#include "link/codecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace rm27 {
namespace {

TEST(HexCodecs, HexToLongLongToHexAndReverse) {
    const std::pair<const char*, std::int32_t> reads[] = {
        {"3F", 63}, {"3f", 63}, {"1G", 0}, {"", 0}, {"0A", 10}, {"7FFFFFF", 134217727}, {":", 3},
        {"@", 9}, {"1:", 19}, {"/", 0}, {" 1", 0}, {"-1", 0}, {"FFFFFFFF", 0}, {"00000001", 0},
        {"\xC3\x81", 0},
    };
    for (const auto& [text, value] : reads)
        EXPECT_EQ(HexToLong(text), value) << '"' << text << '"';
    const std::tuple<std::int32_t, int, const char*> writes[] = {
        {10, 2, "0A"}, {300, 2, "2C"}, {256, 2, "00"}, {-1, 2, "FF"}, {5, 4, "0005"}, {7, 0, ""},
        {7, -3, ""}, {-2, 8, "FFFFFFFE"}, {-1, 10, "00FFFFFFFF"}, {INT32_MIN, 8, "80000000"},
        {0, 3, "000"}, {0xABCDEF, 6, "ABCDEF"},
    };
    for (const auto& [value, width, text] : writes)
        EXPECT_EQ(LongToHex(value, width), text) << value << ',' << width;
    EXPECT_EQ(ReverseHexBytes("12345678"), "78563412");
    EXPECT_EQ(ReverseHexBytes("1234567"), "");
    EXPECT_EQ(ReverseHexBytes("123456789"), "");
}

TEST(ValCommaTest, ReadsLikeBasicVal) {
    const std::pair<const char*, double> cases[] = {
        {"1,5", 1.5}, {"-0,25 mV", -0.25}, {"1,234,5", 1.234}, {"abc", 0}, {"3,5", 3.5},
        {"3.5", 3.5}, {"3,6", 3.6}, {"1 2 3", 123}, {" \t\n-\t4 2", -42}, {"+7", 7}, {"&H1F", 31},
        {"&h1f", 31}, {"&O17", 15}, {"&o19", 1}, {"&HFFFF", -1}, {"&H10000", 65536},
        {"&HFFFFFFFF", -1}, {"&H100000000", 0}, {"&X1", 0}, {"1E3", 1000}, {"2,5d-1", 0.25},
        {"1e", 1}, {"1E+", 1}, {".5", 0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"--5", 0}, {"-", 0},
        {".", 0}, {"", 0}, {"1e999", 0}, {"1e-999", 0}, {"12abc", 12}, {"0,1", 0.1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ValComma(text), value) << '"' << text << '"';
    EXPECT_FALSE(std::signbit(ValComma("-0,0")));
}

TEST(SingleCodecs, BothByteOrders) {
    EXPECT_EQ(HexToSingle("0000803F"), 1.0f);
    EXPECT_EQ(HexToSingle("0000803f"), 1.0f);
    EXPECT_EQ(HexToSingle("3F800000", true), 1.0f);
    EXPECT_EQ(HexToSingle("000000C0"), -2.0f);
    EXPECT_EQ(HexToSingle("C0000000", true), -2.0f);
    EXPECT_EQ(HexToSingle("000080"), std::ldexp(1.0f, -126)); // missing top byte: 0
    EXPECT_EQ(HexToSingle("0000803"), HexToSingle("00008003"));
    EXPECT_EQ(SingleToHex(1.0f), "0000803F");
    EXPECT_EQ(SingleToHex(-2.0f), "000000C0");
    for (const float v : {3.14159f, -1e-30f, 6.02e23f, std::numeric_limits<float>::denorm_min()}) {
        EXPECT_EQ(HexToSingle(SingleToHex(v)), v);
        EXPECT_EQ(HexToSingle(ReverseHexBytes(SingleToHex(v)), true), v);
    }
}

TEST(DevFloat, KnownTexts) {
    const double top = std::ldexp(1.0, 127);
    const std::tuple<double, int, const char*> encode[] = {
        {1.0, 3, "810000"}, {-2.5, 4, "82A00000"}, {0.0, 3, "000000"}, {-0.0, 4, "00000000"},
        {-0.25, 3, "7F8000"}, {0.5, 3, "800000"}, {0.99999999, 3, "810000"},
        {-0.99999999, 4, "81800000"}, {std::ldexp(1.0, -128), 3, "010000"},
        {std::ldexp(0.99, -128), 3, "000000"}, {top, 3, "FF7FFF"}, {top * (1 - 1e-12), 3, "FF7FFF"},
        {-1e300, 3, "FFFFFF"}, {HUGE_VAL, 4, "FF7FFFFF"}, {-HUGE_VAL, 4, "FFFFFFFF"},
        {NAN, 3, ""}, {1.0, 2, ""},
    };
    for (const auto& [value, bytes, text] : encode)
        EXPECT_EQ(FloatToDevHex(value, bytes), text) << value << " in " << bytes;
    const std::pair<const char*, double> decode[] = {
        {"810000", 1.0}, {"82A00000", -2.5}, {"00FFFF", 0.0}, {"7F8000", -0.25},
        {"010000", std::ldexp(1.0, -128)}, {"817FFF", 65535.0 / 32768}, {"8100", 0.0},
        {"8100000", 0.0}, {"ZZ8000", 0.0}, {"81a000", -1.25},
    };
    for (const auto& [text, value] : decode)
        EXPECT_EQ(DevHexToFloat(text), value) << text;
}

TEST(DevFloat, RoundTripsAcrossTheExponentRange) {
    std::mt19937 random(27);
    std::uniform_int_distribution<int> exponent(-127, 127);
    std::uniform_real_distribution<double> fraction(0.5, 1.0);
    for (int i = 0; i < 20400; ++i) {
        // The last 400 sit a hair below and above powers of two, where a
        // single-precision log2 gives the wrong exponent.
        const bool nearPower = i >= 20000;
        const int e = nearPower ? (i % 250) - 124 : exponent(random);
        const double f =
            nearPower ? 0.5 * (1 + std::ldexp(i % 4 < 2 ? -1 : 1, -19 - i % 3)) : fraction(random);
        const double value = std::ldexp(f, e) * (i % 2 ? -1 : 1);
        for (const int bytes : {3, 4}) {
            const std::string text = FloatToDevHex(value, bytes);
            ASSERT_EQ(text.size(), 2u * bytes) << value;
            int exact = 0;
            std::frexp(value, &exact);
            const double halfUlp = std::ldexp(1.0, exact - 8 * (bytes - 1) - 1);
            ASSERT_LE(std::fabs(DevHexToFloat(text) - value), halfUlp) << value << " -> " << text;
        }
    }
}

struct SeparatorPin {
    explicit SeparatorPin(char c) { SetDecimalSeparator(c); }
    ~SeparatorPin() { SetDecimalSeparator('\0'); }
};

TEST(FormatFixedTest, EveryKindOfFormat) {
    SeparatorPin pin('.');
    const std::tuple<double, const char*, const char*> cases[] = {
        // Width: blanks in front, or the last characters of a longer result.
        {7, "000", "007"}, {12345, "000", "345"}, {3.14159, "##0.000", "  3.142"},
        {-3.14159, "##0.000", " -3.142"}, {-1234.5, "##0.000", "234.500"}, {0, "##0", "  0"},
        {-7.5, "#####0", "    -8"}, {2.5, "0", "3"}, {-2.5, "0", "3"}, {0.5, "#0.0000", " 0.5000"},
        {-1e-7, "#######0.00000", "       0.00000"}, {3.14159, "###0.00 ", "   3.14 "},
        // Scientific.
        {5e-5, "0.0000 E+00", "5.0000 E-05"}, {123456, "0.0000 E+00", "1.2346 E+05"},
        {0, "0.0000 E+00", "0.0000 E+00"}, {9.99996, "0.0000 E+00", "1.0000 E+01"},
        {1e123, "0.0000 E+00", ".0000 E+123"}, {-5e-5, "0.0000 E+00", "5.0000 E-05"},
        {5e-5, "0.00e+00", "5.00e-05"}, {250, "0.0E-00", " 2.5E02"}, {0.025, "0.0E-00", "2.5E-02"},
        {12345, "00.00E+0", "12.35E+3"},
        // Rounding on the decimal value; negative zero loses its sign.
        {1.0005, "0.000", "1.001"}, {2.675, "0.00", "2.68"}, {-0.0004, "0.000", "0.000"},
        {999.9996, "##0.000", "000.000"},
        // Less common format characters.
        {1.5, "0.0#", " 1.5"}, {1.257, "0.0#", "1.26"}, {0.5, "#.00", " .50"},
        {12.5, "  .00", "12.50"}, {5, "##-##", "   -5"}, {1234, "00-00", "12-34"},
        {7, "\\N0", "N7"}, {1234567, "#,##0", "4,567"}, {1e300, "0", "0"}, {1, "", ""},
        {NAN, "0000", " NaN"}, {-INFINITY, "######", "  -Inf"}, {5, "0 mV", "5 mV"},
    };
    for (const auto& [value, format, shown] : cases) {
        EXPECT_EQ(FormatFixed(value, format), shown) << value << " with \"" << format << '"';
        // Whole, the text is the one cut or the one shown; it fits when
        // nothing was cut.
        const std::string whole = FormatWhole(value, format);
        EXPECT_EQ(whole.substr(whole.size() - std::string(shown).size()), shown) << whole;
        EXPECT_EQ(FitsFormat(value, format), whole == shown) << whole;
    }
    EXPECT_EQ(FormatWhole(-4999.985, "##0.000"), "-4999.985");
    EXPECT_EQ(FormatWhole(999.9996, "##0.000"), "1000.000");
}

TEST(FormatFixedTest, DecimalCommaAndTheRegionalFallback) {
    {
        SeparatorPin pin(',');
        EXPECT_EQ(FormatFixed(-3.14159, "##0.000"), " -3,142");
        EXPECT_EQ(FormatFixed(5e-5, "0.0000 E+00"), "5,0000 E-05");
        EXPECT_EQ(FormatFixed(1234567.5, "#,##0.0"), "4.567,5");
        EXPECT_EQ(ValComma(FormatFixed(2.5, "0.00")), 2.5);
    }
    struct SavedVariable {
        const char* name;
        const char* was = std::getenv(name);
        bool set = was != nullptr;
        std::string value = set ? was : "";
        ~SavedVariable() { set ? setenv(name, value.c_str(), 1) : unsetenv(name); }
    } all{"LC_ALL"}, numeric{"LC_NUMERIC"}, lang{"LANG"};
    setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    EXPECT_EQ(RegionalDecimalSeparator(), '.');
    setenv("LC_ALL", "", 1);
    setenv("LC_NUMERIC", "C", 1);
    EXPECT_EQ(RegionalDecimalSeparator(), '.');
    SeparatorPin pin('\0');
    EXPECT_EQ(DecimalSeparator(), '.');
}

} // namespace
} // namespace rm27
