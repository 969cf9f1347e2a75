#include "link/ekey.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <tuple>

using namespace std::string_literals;

namespace rm27 {
namespace {

const CivilDateTime kDay{2026, 12, 4, 0, 0, 19};

// A record as decoding leaves it, so that build then decode must give it back
// unchanged; the values fit even the 3-byte device float exactly.
SensorRecord CurveRecord(int count, std::uint8_t flags) {
    SensorRecord r{.restart = true, .sensorId = "AC04BBAA", .zeroOffset = 1.0f, .factor = 1,
                   .maximum = -1000000, .minimum = 1000000, .pointCount = count,
                   .slidingLength = 12, .fastSlidingLength = 7, .curveFlags = flags,
                   .limit = 1.0f, .gainCode = 5, .description = FixedText("Load cell 3 t", 32),
                   .unit = "kN    ", .numberFormat = "###0.00 ", .dateOfSave = "261204",
                   .validity = "271204", .adr = 4, .subAdr = 2, .auxSingle = -2.75f};
    for (int k = 0; k < count; ++k) {
        r.pointSignals[k] = -1.0f + 0.25f * static_cast<float>(k);
        r.userValues[k] = 0.5f + 1.5f * static_cast<float>(k);
    }
    PrepareSlopes(r, 5000);
    return r;
}

std::string Block(const SensorRecord& rec, std::size_t size = 256) {
    SensorRecord copy = rec;
    std::string image;
    EXPECT_TRUE(BuildEKeyImage(image, copy, 1, kDay).ok());
    image.resize(size, '\0');
    return image;
}

TEST(EKeyBuild, WritesTheFixedLayout) {
    SensorRecord r = CurveRecord(2, 0xB0); // bit 5 set: the builder clears it
    r.description = "  Load cell 3 t";
    r.unit = " kN";
    std::string image;
    ASSERT_EQ(BuildEKeyImage(image, r, 1, kDay).size(), 72 + 2 * 6);
    const std::string expected = "FSN\x01\x05\0\0\0"s + FixedText("Load cell 3 t", 32) +
                                 "\x02kN    \x07\x0C"
                                 "261204271204AC04BBAA"
                                 "\x91\xC3\x4F\x80\x81\0\0\0\x81"
                                 "\0\0\x80\x3F"
                                 "\0\0\x30\xC0"s +
                                 std::string(10, '\0') +
                                 "KRI\x90\x02\0\0\0" // points -1, 0.5, -0.75, 2
                                 "\x81\x80\0\x80\0\0\x80\xC0\0\x82\0\0"s;
    EXPECT_EQ(image, expected);
    EXPECT_TRUE(r == CurveRecord(2, 0x90)); // description and unit trimmed, flag cleared
}

TEST(EKeyBuild, RefusesWhatCannotBeReadBack) {
    const std::tuple<int, std::uint8_t, ResultCode> cases[] = {
        {0, 0x80, ResultCode::TooFewPoints},   {1, 0xC0, ResultCode::TooFewPoints},
        {26, 0x80, ResultCode::TooManyPoints}, {20, 0xC0, ResultCode::TooManyPoints},
        {41, 0x80, ResultCode::TooManyPoints}, {5, 0x50, ResultCode::NoCurveFlag}};
    for (const auto& [count, flags, code] : cases) {
        SensorRecord r = CurveRecord(count, flags);
        std::string image = "untouched";
        EXPECT_EQ(BuildEKeyImage(image, r, 1, kDay), code) << count;
        EXPECT_EQ(image, "untouched");
        EXPECT_TRUE(r == CurveRecord(count, flags));
    }
}

// The decimals byte counts from the end of the 8-character format field:
// (8 - position of the first ".") - formatPad. "#0.00" with pad 2 is what
// the DAVRO eKeys get; "########.0" is cut to 8 and has no point left.
TEST(EKeyBuild, DecimalsByteAndDateOfBuilding) {
    const std::tuple<const char*, int, int> formats[] = {
        {"###0.00", 1, 2}, {"##0.000", 1, 3}, {"0.00000", 1, 5},  {"#0.00", 2, 3},
        {"#0.00", 1, 4},   {"####0", 2, 0},   {"####0", 1, 0},    {"######0.", 0, 0},
        {"########.0", 1, 0},
    };
    for (const auto& [format, pad, decimals] : formats) {
        SensorRecord r = CurveRecord(2, 0x80);
        r.numberFormat = format;
        r.dateOfSave = "990101"; // the image carries the day it was built
        std::string image;
        ASSERT_TRUE(BuildEKeyImage(image, r, pad, {2031, 7, 9, 23, 59, 59}).ok());
        EXPECT_EQ(static_cast<int>(image[40]), decimals) << format << " pad " << pad;
        EXPECT_EQ(image.substr(49, 6), "310709");
        EXPECT_EQ(r.dateOfSave, "990101");
    }
}

TEST(EKeyRoundTrip, AllCountsAndBothPointWidths) {
    for (const std::uint8_t flags : {std::uint8_t{0x90}, std::uint8_t{0xC3}}) {
        const int maxCount = (flags & kCurveWidePoints) ? 19 : 25;
        for (int count = 2; count <= maxCount; ++count) {
            SensorRecord in = CurveRecord(count, flags);
            in.limit = (flags & kCurveWidePoints) ? 1234.567f : -0.75f;
            SensorRecord out; // left over from another sensor: decoding must clear it
            out.serialNumber = out.sheetText = out.sheetNumber = "old";
            out.uncertainty = out.trendN = out.windowSum = 3.0f;
            out.auxValue = out.windowPos = 3;
            out.window.clear();
            ASSERT_EQ(DecodeEKeyImage(Block(in), out, 4, 2, 5000), ResultCode::Ok) << count;
            EXPECT_TRUE(out == in) << int{flags} << " " << count;
        }
    }
}

TEST(EKeyDecode, FailureCodes) {
    using C = ResultCode;
    const std::tuple<const char*, std::size_t, std::string, std::size_t, int, std::uint8_t, C>
        cases[] = {
            {"254 chars", 0, "", 254, 2, 0x80, C::Short},
            {"no FSN", 0, "FSX", 256, 2, 0x80, C::NoFsn},
            {"KRI shifted", 96, " KR", 256, 2, 0x80, C::NoKri},
            {"KRI cut", 96, "KR ", 256, 2, 0x80, C::NoKri},
            {"no bit 7", 99, "\x40", 256, 2, 0x80, C::NoCurveFlag},
            {"count 1", 100, "\x01", 256, 2, 0x80, C::BadCount},
            {"count 0", 100, std::string(1, '\0'), 256, 2, 0x80, C::BadCount},
            {"count 41", 100, "\x29", 256, 2, 0x80, C::BadCount},
            {"26 x 3 bytes", 100, "\x1A", 256, 25, 0x80, C::BadCount},
            {"20 x 4 bytes", 100, "\x14", 256, 19, 0xC0, C::BadCount},
            {"17 x 3 values", 99, "\xA0\x11", 256, 2, 0x80, C::BadCount},
            {"19 x 4 bytes in 255 chars", 0, "", 255, 19, 0xC0, C::BadCount},
            {"25 x 3 bytes in 255 chars", 0, "", 255, 25, 0x80, C::Ok},
            {"16 x 3 values", 99, "\xA0\x10", 256, 2, 0x80, C::Ok},
        };
    for (const auto& [what, offset, bytes, size, count, flags, code] : cases) {
        std::string image = Block(CurveRecord(count, flags), size);
        image.replace(offset, bytes.size(), bytes);
        SensorRecord r;
        r.description = "old";
        EXPECT_EQ(DecodeEKeyImage(image, r, 0, 0, 0), code) << what;
        // Nothing is read from a short image; the text fields precede "KRI".
        EXPECT_EQ(r.description == "old", code == C::Short || code == C::NoFsn) << what;
        EXPECT_EQ(r.restart, code != C::Short) << what;
    }
}

// What the image leaves unset or carries beyond the points: the number
// format from the decimals byte, lengths of 0 read as 10, a limit of 0 as
// the last point's value, the gain code from the low 3 bits, blanks around
// the texts dropped, and a third value per point skipped.
TEST(EKeyDecode, DefaultsTrimmedTextsAndTheSkippedThirdValue) {
    const std::pair<int, const char*> formats[] = {
        {0, "######0"}, {1, "####0.0"}, {2, "###0.00"}, {3, "##0.000"},
        {4, "#0.0000"}, {5, "0.00000"}, {6, "######0"}, {255, "######0"}};
    for (const auto& [decimals, format] : formats) {
        std::string image = Block(CurveRecord(3, 0x80));
        image[40] = static_cast<char>(decimals);
        image[4] = static_cast<char>(0xFD);
        image[47] = image[48] = '\0';
        image.replace(73, 4, std::string(4, '\0'));
        image.replace(8, 32, FixedText(" a  b", 32));
        image.replace(41, 6, " N m  ");
        SensorRecord r;
        ASSERT_EQ(DecodeEKeyImage(image, r, 0, 0, 0), ResultCode::Ok);
        EXPECT_EQ(r.numberFormat, FixedText(format, 8)) << decimals;
        EXPECT_EQ(r.slidingLength + r.fastSlidingLength, 20);
        EXPECT_EQ(r.limit, 3.5f);
        EXPECT_EQ(r.gainCode, 5);
        EXPECT_EQ(r.description + r.unit, FixedText("a  b", 32) + "N m   ");
    }
    std::string image = Block(CurveRecord(2, 0x80)).substr(0, 104);
    image[99] = static_cast<char>(0xA0);
    image += std::string("\x81\x00\x00\x82\x00\x00\x7F\x7F\x7F\x83\x00\x00\x84\x00\x00", 15);
    image.resize(256, '\0');
    SensorRecord r;
    ASSERT_EQ(DecodeEKeyImage(image, r, 0, 0, 0), ResultCode::Ok);
    EXPECT_EQ((std::array{r.pointSignals[0], r.userValues[0], r.pointSignals[1], r.userValues[1]}),
              (std::array{1.0f, 2.0f, 4.0f, 8.0f}));
}

// Texts travel in Windows-1250, one byte per character, and come back in
// the same bytes: a key written by another tool is not changed by a store.
TEST(EKeyText, Windows1250BothWaysByteForByte) {
    const std::pair<std::string, std::string> descriptions[] = {
        // in memory, in the image
        {"Siloměr žluťoučký 50 kN", "Silom\xECr \x9Elu\x9Dou\xE8k\xFD 50 kN"},
        {"Příliš žluťoučký kůň úpěl ďábels", // 32 characters, 32 bytes
         "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
         "bels"},
        {"€ ř „x“ ×", "\x80 \xF8 \x84x\x93 \xD7"},
        // the bytes the code page leaves undefined are carried along
        {"\u0081\u0083\u0088\u0090\u0098", "\x81\x83\x88\x90\x98"},
    };
    for (const auto& [text, bytes] : descriptions) {
        std::string image = Block(CurveRecord(2, 0x90));
        image.replace(8, 32, bytes + std::string(32 - bytes.size(), ' '));
        image.replace(41, 6, "\xB0\x43    "); // "°C"
        SensorRecord r;
        ASSERT_EQ(DecodeEKeyImage(image, r, 0, 0, 0), ResultCode::Ok);
        EXPECT_EQ(r.description + r.unit, FixedText(text, 32) + "°C    ") << text;
        std::string rebuilt;
        ASSERT_TRUE(BuildEKeyImage(rebuilt, r, 1, kDay).ok()) << text;
        EXPECT_EQ(rebuilt, image.substr(0, rebuilt.size())) << text;
    }
    // cut at 32 characters, not bytes; what lies beyond the cut is not written
    SensorRecord r = CurveRecord(2, 0x90);
    r.description = "Příliš žluťoučký kůň úpěl ďábelské Ω";
    std::string image;
    ASSERT_TRUE(BuildEKeyImage(image, r, 1, kDay).ok());
    EXPECT_EQ(image.substr(8, 32), descriptions[1].second);
    EXPECT_EQ(r.description, "Příliš žluťoučký kůň úpěl ďábels");
    // what the code page cannot hold is named and refused, nothing built
    using R = SensorRecord;
    const std::tuple<std::string R::*, std::string, std::string> refused[] = {
        {&R::description, "Ω", "Ω"}, {&R::unit, "µΩ", "Ω"}, {&R::validity, "ĉ", "ĉ"},
        {&R::description, "\xE9", "\xE9"}, // no UTF-8 at all
        {&R::sensorId, "\U0001F600", "\U0001F600"}};
    for (const auto& [field, text, named] : refused) {
        r = CurveRecord(2, 0x90);
        r.*field = text;
        const SensorRecord before = r;
        image = "untouched";
        EXPECT_EQ(UnencodableEKeyCharacter(r), named);
        EXPECT_EQ(BuildEKeyImage(image, r, 1, kDay), ResultCode::UnencodableText) << text;
        EXPECT_EQ(image, "untouched");
        EXPECT_TRUE(r == before) << text;
    }
    EXPECT_EQ(UnencodableEKeyCharacter(CurveRecord(2, 0x90)), "");
}

TEST(EKeyRecord, DefaultRecordIsAStraightLine) {
    SensorRecord r;
    r.window.clear();
    InitSensorRecord(r, "ERR:-33", 0, 0, 2.0f, 1.5f, 10, "######0", "div", 10, true, 4, 2, 208,
                     kDay, 777);
    EXPECT_EQ(r.description + r.numberFormat + r.unit, FixedText("ERR:-33", 32) + "######0 div   ");
    EXPECT_EQ(r.limit, 1.5f);
    EXPECT_EQ(r.auxValue, std::bit_cast<std::int32_t>(1.5f));
    EXPECT_EQ(r.dateOfSave + r.validity, "261204261204");
    EXPECT_EQ(r.pointCount, 2);
    EXPECT_EQ((std::array{r.slopes[0], r.slopes[1], r.overallSlope}),
              (std::array{.75f, .75f, .75f}));
    EXPECT_EQ(r.preparationTime, 777.0);
    EXPECT_EQ(r.window.size(), 21u);
    EXPECT_TRUE(r.restart && r.noEKey);
    EXPECT_EQ((std::array{int{r.factor}, int{r.curveFlags}, r.adr, r.subAdr}),
              (std::array{1, 208, 4, 2}));
    r.pointCount = 3; // a vertical segment keeps its slope instead of dividing by zero
    r.pointSignals = {0, 1, 1};
    r.userValues = {0, 2, 6};
    r.slopes = {9, 9, 9};
    PrepareSlopes(r, 1000);
    EXPECT_EQ((std::array{r.slopes[0], r.slopes[1], r.slopes[2], r.overallSlope}),
              (std::array{2.0f, 9.0f, 9.0f, 6.0f}));
}

TEST(EKeyId, MakeAndCheck) {
    EXPECT_EQ(MakeEKeyId(kDay, "", 9), "AC04BBAA");
    // 10:30:45 -> t = (36000 + 10 + 8100) \ 150 = 294 = 12 * 24 + 6 -> "MG".
    const CivilDateTime morning{2025, 1, 31, 10, 30, 45};
    const auto fixed = [](double r) { return std::function<double()>([r] { return r; }); };
    EXPECT_EQ(MakeEKeyId(morning, "Qx", 13, fixed(0.5)), "9131MGQ3");
    EXPECT_EQ(MakeEKeyId(morning, "", 0, fixed(0.5)), "9131MGMM");
    EXPECT_EQ(MakeEKeyId(morning, "", 4, fixed(0.99)), "9131MGY4");
    EXPECT_EQ(MakeEKeyId(morning, "", 4, fixed(0.0)), "9131MGA4");
    std::string id = "AC04BBAA";
    EXPECT_EQ(CheckEKeyId(id, morning, fixed(0.5)), "AC04BBAA");
    for (const char* bad : {"ac04bbaa", "AC04BBA[", "AC04BBA/", "AC04BBA", "AC04BBAA0", ""}) {
        id = bad;
        EXPECT_EQ(CheckEKeyId(id, morning, fixed(0.5)), "9131MGM7") << bad;
        EXPECT_EQ(id, "9131MGM7");
    }
    id = "0Z:;<=>@"; // the signs between '9' and 'A' count as valid
    EXPECT_EQ(CheckEKeyId(id, morning), "0Z:;<=>@");
}

} // namespace
} // namespace rm27
