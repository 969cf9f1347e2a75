// The sensor record and its 256-byte eKey image: the calibration that travels
// with a sensor in its own small memory, and the converter's internal copy of
// it per input. Also the 8-character sensor identifier.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/result.h"

namespace rm27 {

// A wall-clock date and time as the operator reads it (local time).
struct CivilDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Local time from the system clock.
CivilDateTime LocalNow();
// A time of the system's clock (seconds since the epoch) in local time.
CivilDateTime LocalTime(std::int64_t secondsSinceEpoch);

// "YYMMDD": two-digit year, month and day, as the eKey stores its dates.
std::string DateYYMMDD(const CivilDateTime& d);

// Fixed text widths of the record (and, where they travel, of the image),
// in characters; in the image each character is one byte.
inline constexpr std::size_t kSensorIdWidth = 8;
// Bytes 61..68 of an image hold the eKey's sensor identifier, bytes 8..39
// its description.
inline constexpr std::size_t kImageIdOffset = 61;
inline constexpr std::size_t kImageDescriptionOffset = 8;
inline constexpr std::size_t kDescriptionWidth = 32;
inline constexpr std::size_t kUnitWidth = 6;
inline constexpr std::size_t kNumberFormatWidth = 8;
inline constexpr std::size_t kSerialNumberWidth = 16;
inline constexpr std::size_t kSheetTextWidth = 20;
inline constexpr std::size_t kSheetNumberWidth = 8;
inline constexpr std::size_t kDateWidth = 6;

// text left-aligned in exactly `width` characters (UTF-8 code points, not
// bytes): blank-padded, or cut between two characters.
std::string FixedText(const std::string& text, std::size_t width);
// text without leading and trailing blanks (only ' '; other bytes stay).
std::string TrimBlanks(const std::string& text);

// Curve flag bits (SensorRecord::curveFlags); other bits are carried along.
// kCurveHasCurve must be set: an image without it is refused when read.
// kCurveWidePoints: each point value takes 4 bytes instead of 3.
// kCurveThreeValues: a third, unused value per point in the image.
// kCurveSignalMvV: the curve's signal is mV/V; clear: converter divisions.
// kCurve24Bit: shown as "24b" (clear: "16b") in an input's info line; the
// program does nothing else with it.
inline constexpr std::uint8_t kCurveHasCurve = 0x80;
inline constexpr std::uint8_t kCurveWidePoints = 0x40;
inline constexpr std::uint8_t kCurveThreeValues = 0x20;
inline constexpr std::uint8_t kCurveSignalMvV = 0x10;
inline constexpr std::uint8_t kCurve24Bit = 0x08;

inline constexpr std::size_t kCurveSlots = 41; // indices 0..40
inline constexpr std::int32_t kMaxPoints = 40; // what a record may claim
inline constexpr std::size_t kResetWindowSize = 21;

// mV/V = (divisions - zero) * scale, one entry per gain code 0..7.
struct GainEntry {
    float scale = 0;
    float zero = 0;
    bool operator==(const GainEntry&) const = default;
};

// One sensor: what its eKey holds plus the running state of the live
// measurement. Texts are UTF-8, kept at their fixed width in characters,
// left-aligned and blank-padded. A default-constructed record has every
// number 0.
struct SensorRecord {
    bool newSample = false; // a reading was processed since the flag was cleared
    bool restart = false;   // the next live update restarts the averaging
    std::string sensorId = std::string(kSensorIdWidth, ' ');
    bool noEKey = false;    // the input has no eKey memory
    float liveDiv = 0;      // last raw reading, converter divisions
    float liveMvV = 0;      // last reading in mV/V
    float liveSelected = 0; // the one of the two the curve is drawn against
    float userValue = 0;    // averaged reading through the curve
    float zeroOffset = 0;
    float netValue = 0; // (userValue - zeroOffset) * factor
    std::int16_t factor = 0;
    float maximum = 0;
    float minimum = 0;
    float trend = 0; // user units per second; 999999 when undefined
    std::array<GainEntry, 8> gainTable{};
    std::array<float, kCurveSlots> pointSignals{};
    std::array<float, kCurveSlots> userValues{};
    std::array<float, kCurveSlots> slopes{}; // slope of the segment starting at each point
    std::int32_t pointCount = 0;
    // Sliding average: a ring of slidingLength readings (the vector holds one
    // spare entry) with a running sum.
    float averagedValue = 0;
    std::vector<float> window = std::vector<float>(kResetWindowSize, 0.0f);
    float windowSum = 0;
    std::int32_t windowPos = 0;
    std::int32_t slidingLength = 0;
    bool trendReady = false;
    std::int32_t fastSlidingLength = 0; // readings per trend line
    // Least-squares sums of the current trend window (t in seconds).
    float trendN = 0;
    float trendSumT = 0;
    float trendSumT2 = 0;
    float trendSumY = 0;
    float trendSumTY = 0;
    float overallSlope = 0; // first to last point of the curve
    // Milliseconds of the caller's monotonic clock. Kept as double: a single
    // has a 24-bit mantissa and would lose whole milliseconds after a few
    // hours of uptime, which would wreck the trend's time base.
    double elapsedTime = 0;     // into the current trend window
    double preparationTime = 0; // last PrepareSlopes; start of the trend window
    std::uint8_t curveFlags = 0;
    float limit = 0;
    std::int32_t auxValue = 0;
    std::int32_t gainCode = 0; // 0..7
    std::string description = std::string(kDescriptionWidth, ' ');
    std::string unit = std::string(kUnitWidth, ' ');
    std::string numberFormat = std::string(kNumberFormatWidth, ' ');
    std::string serialNumber = std::string(kSerialNumberWidth, ' ');
    float uncertainty = 0;
    std::string sheetText = std::string(kSheetTextWidth, ' ');
    std::string sheetNumber = std::string(kSheetNumberWidth, ' ');
    std::string dateOfSave = std::string(kDateWidth, ' '); // "YYMMDD"
    std::string validity = std::string(kDateWidth, ' ');
    // Block the record came from and goes back to (block = adr * 32 + subAdr):
    // adr n / subAdr 0 for the eKey of input n, adr 4 / subAdr n for the
    // converter's internal copy of input n.
    std::int32_t adr = 0;
    std::int32_t subAdr = 0;
    float auxSingle = 0;

    bool operator==(const SensorRecord&) const = default;
};

// Builds the eKey image of rec into image: a byte string (one char per byte)
// that ends after the last point; the rest of the 256-byte block is not part
// of it. Its Ok result carries the size 72 + count * 2w (the image length
// less 32), w = 4 with
// kCurveWidePoints, else 3. formatPad corrects the decimals byte for the
// converter's display (1 normally). As a side effect the record's
// description and unit are trimmed and re-padded and kCurveThreeValues is
// cleared in its flags (the builder never writes a third value).
// A record that could not be read back is refused instead, with nothing
// changed: TooFewPoints for fewer than 2 points, TooManyPoints for more
// than 25 points of 3 bytes or 19 of 4 bytes (this also keeps the size
// within 255), NoCurveFlag when bit 7 of the curve flags is clear,
// UnencodableText when a text it writes holds a
// character the sensors' code page cannot hold (see UnencodableEKeyCharacter).
// The texts (description, unit, number format, validity, identifier) are
// written in Windows-1250, one byte per character.
Result BuildEKeyImage(std::string& image, SensorRecord& rec, int formatPad,
                      const CivilDateTime& today);
Result BuildEKeyImage(std::string& image, SensorRecord& rec, int formatPad);

// The first character of the texts BuildEKeyImage would write for rec
// (after trimming and cutting them to their widths) that Windows-1250
// cannot hold, as UTF-8; empty when every one can. Every writer of
// an image built from what a user typed asks this before its first frame,
// so that the refusal can name the character.
std::string UnencodableEKeyCharacter(const SensorRecord& rec);

// Decodes an eKey image (at least 255 characters; the block is 256) into rec,
// which then carries adr/subAdr as the block it came from. Its texts are
// read as Windows-1250 into UTF-8; every byte maps (see Cp1250ToUtf8), so
// building the record again writes the same text bytes. Result Ok, Short,
// NoFsn, NoKri, NoCurveFlag or BadCount. The averaging and the trend sums are reset (the elapsed
// time is kept) and the restart flag set before the "FSN" check; fields read
// before a failing check keep their new values, the rest of the record its
// old contents. nowMs is the monotonic clock that becomes the preparation
// time.
Result DecodeEKeyImage(const std::string& image, SensorRecord& rec, int adr, int subAdr,
                       std::int64_t nowMs);

// The default record: a straight line through (signal0, value0) and
// (signal1, value1), used when an input has no usable image. limit becomes
// value1 and auxValue its bit pattern; dates of save and validity are today.
// Sensor identifier, gain code, gain table, maximum, minimum and the elapsed
// time are left as they were.
void InitSensorRecord(SensorRecord& rec, const std::string& description, float signal0,
                      float value0, float signal1, float value1, int slidingLength,
                      const std::string& numberFormat, const std::string& unit,
                      int fastSlidingLength, bool noEKey, int adr, int subAdr,
                      std::uint8_t curveFlags, const CivilDateTime& today, std::int64_t nowMs);

// Segment slopes, overall slope and preparation time (= nowMs). Does nothing
// when the first two signals are equal or the record has fewer than 2 points;
// a segment whose two signals are equal keeps its old slope.
void PrepareSlopes(SensorRecord& rec, std::int64_t nowMs);

// Empty the least-squares sums of the trend (count and the four sums).
void ClearTrendSums(SensorRecord& rec);

// A new 8-character sensor identifier from date and time: kind 9 encodes the
// time of day to the second; any other kind ends with the first character of
// hint and the digit kind mod 10, with random letters for an empty hint or
// kind 0. uniform01 must return values in [0, 1); the overload without it
// uses a generator seeded from the clock.
std::string MakeEKeyId(const CivilDateTime& d, const std::string& hint, int kind);
std::string MakeEKeyId(const CivilDateTime& d, const std::string& hint, int kind,
                       const std::function<double()>& uniform01);

// Keeps id when it is 8 characters from '0' to 'Z'; otherwise replaces it
// with a new one (kind 7). Returns id.
std::string CheckEKeyId(std::string& id, const CivilDateTime& now);
std::string CheckEKeyId(std::string& id, const CivilDateTime& now,
                        const std::function<double()>& uniform01);

} // namespace rm27
