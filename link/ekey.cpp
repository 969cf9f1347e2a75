#include "link/ekey.h"

#include "link/codecs.h"
#include "link/codepage.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <random>

namespace rm27 {

namespace {

// Image layout (byte offsets).
constexpr std::size_t kOffGain = 4;
constexpr std::size_t kOffDecimals = 40;
constexpr std::size_t kOffUnit = 41;
constexpr std::size_t kOffFastLength = 47;
constexpr std::size_t kOffSlidingLength = 48;
constexpr std::size_t kOffDate = 49;
constexpr std::size_t kOffValidity = 55;
constexpr std::size_t kOffLimit = 73;
constexpr std::size_t kOffZeroOffset = 78;
constexpr std::size_t kOffAuxSingle = 82;
constexpr std::size_t kOffKRI = 96;
constexpr std::size_t kOffFlags = 99;
constexpr std::size_t kOffCount = 100;
constexpr std::size_t kOffPoints = 104;
constexpr std::size_t kBlockSize = 256;
constexpr std::size_t kMinImageSize = 255;

// The header is 104 bytes and the size the converter is told leaves out the
// 32 bytes of the text fields: size = 72 + count * 2w.
constexpr std::int32_t kSizeBase = 72;

std::int64_t PosMod(std::int64_t a, std::int64_t m) {
    return ((a % m) + m) % m;
}

int Byte(const std::string& image, std::size_t offset) {
    return static_cast<unsigned char>(image[offset]);
}

void AppendByte(std::string& out, std::int64_t value) {
    out.push_back(static_cast<char>(static_cast<unsigned char>(value & 0xFF)));
}

// A byte of a count or length: out-of-range values saturate rather than wrap,
// so a long average stays long.
std::int64_t ClampByte(std::int64_t value) {
    return std::clamp<std::int64_t>(value, 0, 255);
}

// Appends the bytes of a hex text. A text of the wrong length (the codecs
// give "" for a NaN) becomes zero bytes, so every later field keeps its
// offset; zero bytes read back as the value 0.
void AppendHexBytes(std::string& out, const std::string& hex, std::size_t byteCount) {
    if (hex.size() != 2 * byteCount) {
        out.append(byteCount, '\0');
        return;
    }
    for (std::size_t k = 0; k < byteCount; ++k) {
        AppendByte(out, HexToLong(hex.substr(2 * k, 2)));
    }
}

std::string HexOfBytes(const std::string& image, std::size_t offset, std::size_t byteCount) {
    std::string hex;
    for (std::size_t k = 0; k < byteCount; ++k) {
        hex += LongToHex(Byte(image, offset + k), 2);
    }
    return hex;
}

// Narrowing that stays defined for values beyond the range of a single.
float ToSingle(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -kMax) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

int PointValueWidth(std::uint8_t flags) {
    return (flags & kCurveWidePoints) != 0 ? 4 : 3;
}

// Points of perPoint bytes that fit between the header and the end of the block.
std::int64_t MaxPoints(std::int64_t perPoint) {
    return static_cast<std::int64_t>(kBlockSize - kOffPoints) / perPoint;
}

// The converter shows the user value with as many decimals as the image
// says; the program keeps a display format text.
std::string FormatForDecimals(int decimals) {
    switch (decimals) {
    case 1:
        return "####0.0";
    case 2:
        return "###0.00";
    case 3:
        return "##0.000";
    case 4:
        return "#0.0000";
    case 5:
        return "0.00000";
    default:
        return "######0";
    }
}

// The elapsed time is left alone on purpose: the live update stamps each
// reading with the time the update before it stored, so the first trend
// after a re-read takes its first stamp from the update before the re-read.
void ResetAveraging(SensorRecord& rec) {
    rec.averagedValue = 0;
    rec.window.assign(kResetWindowSize, 0.0f);
    rec.windowSum = 0;
    rec.windowPos = 0;
    ClearTrendSums(rec);
}

double ClockUniform01() {
    static std::mt19937_64 generator(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

// 'A'..'Y'.
char RandomLetter(const std::function<double()>& uniform01) {
    double r = uniform01 ? uniform01() : 0.0;
    if (!(r >= 0.0)) { // also NaN
        r = 0.0;
    }
    r = std::min(r, 1.0);
    return static_cast<char>('A' + static_cast<int>(std::nearbyint(24.0 * r)));
}

// The texts of an image as the builder writes them, each at its width in
// characters: in memory UTF-8, in the image one Windows-1250 byte each.
struct ImageTexts {
    std::string description;
    std::string unit;
    std::string numberFormat;
    std::string validity;
    std::string sensorId;
};

ImageTexts TextsToWrite(const SensorRecord& rec) {
    return {FixedText(TrimBlanks(rec.description), kDescriptionWidth),
            FixedText(TrimBlanks(rec.unit), kUnitWidth),
            FixedText(rec.numberFormat, kNumberFormatWidth), FixedText(rec.validity, kDateWidth),
            FixedText(rec.sensorId, kSensorIdWidth)};
}

bool EncodeTexts(const ImageTexts& texts, ImageTexts& bytes) {
    return Utf8ToCp1250(texts.description, bytes.description) &&
           Utf8ToCp1250(texts.unit, bytes.unit) &&
           Utf8ToCp1250(texts.numberFormat, bytes.numberFormat) &&
           Utf8ToCp1250(texts.validity, bytes.validity) &&
           Utf8ToCp1250(texts.sensorId, bytes.sensorId);
}

// The decimals count from the end of the 8-character field, so the blanks
// that pad a shorter format are counted too; formatPad takes them off again
// (1 for the usual 7-character formats).
std::int64_t DecimalsByte(const std::string& format, int formatPad) {
    const auto dot = format.find('.');
    if (dot == std::string::npos) return 0;
    return ClampByte(static_cast<std::int64_t>(kNumberFormatWidth - (dot + 1)) - formatPad);
}

std::string TextAt(const std::string& image, std::size_t offset, std::size_t width) {
    return Cp1250ToUtf8(image.substr(offset, width));
}

} // namespace

CivilDateTime LocalTime(std::int64_t secondsSinceEpoch) {
    const auto when = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return CivilDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}

CivilDateTime LocalNow() {
    return LocalTime(static_cast<std::int64_t>(std::time(nullptr)));
}

std::string DateYYMMDD(const CivilDateTime& d) {
    std::string text;
    for (int part : {d.year, d.month, d.day}) {
        const auto v = PosMod(part, 100);
        text.push_back(static_cast<char>('0' + v / 10));
        text.push_back(static_cast<char>('0' + v % 10));
    }
    return text;
}

std::string FixedText(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, CharacterOffset(text, width));
    out.append(width - CharacterCount(out), ' ');
    return out;
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Result BuildEKeyImage(std::string& image, SensorRecord& rec, int formatPad,
                      const CivilDateTime& today) {
    const auto refused = [](ResultCode code) { return Result::Of(ResultOf::Build, code); };
    // The builder never writes a third value per point.
    const auto flags = static_cast<std::uint8_t>(rec.curveFlags & ~kCurveThreeValues);
    const int w = PointValueWidth(flags);
    if (rec.pointCount < 2) {
        return refused(ResultCode::TooFewPoints);
    }
    if (rec.pointCount > MaxPoints(2 * w)) {
        return refused(ResultCode::TooManyPoints);
    }
    if ((flags & kCurveHasCurve) == 0) {
        return refused(ResultCode::NoCurveFlag);
    }
    const ImageTexts texts = TextsToWrite(rec);
    ImageTexts bytes;
    if (!EncodeTexts(texts, bytes)) {
        return refused(ResultCode::UnencodableText);
    }
    const int count = rec.pointCount;

    std::string out = "FSN";
    AppendByte(out, 1); // format version
    AppendByte(out, rec.gainCode);
    out.append(3, '\0');
    out += bytes.description;

    AppendByte(out, DecimalsByte(bytes.numberFormat, formatPad));

    out += bytes.unit;
    AppendByte(out, ClampByte(rec.fastSlidingLength));
    AppendByte(out, ClampByte(rec.slidingLength));
    out += DateYYMMDD(today);
    out += bytes.validity;
    out += bytes.sensorId;
    for (int b : {0x91, 0xC3, 0x4F, 0x80}) { // -100000 as a 4-byte device float
        AppendByte(out, b);
    }
    AppendHexBytes(out, FloatToDevHex(rec.limit, 4), 4);
    AppendByte(out, 0x81);
    AppendHexBytes(out, SingleToHex(rec.zeroOffset), 4);
    AppendHexBytes(out, SingleToHex(rec.auxSingle), 4);
    out.append(10, '\0');
    out += "KRI";
    AppendByte(out, flags);
    AppendByte(out, count);
    out.append(3, '\0');
    for (int k = 0; k < count; ++k) {
        AppendHexBytes(out, FloatToDevHex(rec.pointSignals[k], w), w);
        AppendHexBytes(out, FloatToDevHex(rec.userValues[k], w), w);
    }

    image = std::move(out);
    rec.description = texts.description;
    rec.unit = texts.unit;
    rec.curveFlags = flags;
    return Result::Of(ResultOf::Build, ResultCode::Ok, kSizeBase + count * 2 * w);
}

std::string UnencodableEKeyCharacter(const SensorRecord& rec) {
    const ImageTexts texts = TextsToWrite(rec);
    for (const std::string* text :
         {&texts.description, &texts.unit, &texts.numberFormat, &texts.validity, &texts.sensorId}) {
        if (std::string c = FirstUnencodableCharacter(*text); !c.empty()) return c;
    }
    return {};
}

Result BuildEKeyImage(std::string& image, SensorRecord& rec, int formatPad) {
    return BuildEKeyImage(image, rec, formatPad, LocalNow());
}

Result DecodeEKeyImage(const std::string& image, SensorRecord& rec, int adr, int subAdr,
                       std::int64_t nowMs) {
    const auto result = [](ResultCode code) { return Result::Of(ResultOf::Decode, code); };
    if (image.size() < kMinImageSize) {
        return result(ResultCode::Short);
    }
    ResetAveraging(rec);
    rec.restart = true;
    if (image.compare(0, 3, "FSN") != 0) {
        return result(ResultCode::NoFsn);
    }
    rec.gainCode = Byte(image, kOffGain) & 7;
    rec.description = FixedText(
        TrimBlanks(TextAt(image, kImageDescriptionOffset, kDescriptionWidth)), kDescriptionWidth);
    rec.numberFormat = FixedText(FormatForDecimals(Byte(image, kOffDecimals)), kNumberFormatWidth);
    rec.unit = FixedText(TrimBlanks(TextAt(image, kOffUnit, kUnitWidth)), kUnitWidth);
    // An unset length (0) is taken as 10 readings.
    const int fast = Byte(image, kOffFastLength);
    const int sliding = Byte(image, kOffSlidingLength);
    rec.fastSlidingLength = fast < 1 ? 10 : fast;
    rec.slidingLength = sliding < 1 ? 10 : sliding;
    rec.dateOfSave = TextAt(image, kOffDate, kDateWidth);
    rec.validity = TextAt(image, kOffValidity, kDateWidth);
    rec.sensorId = TextAt(image, kImageIdOffset, kSensorIdWidth);
    rec.limit = ToSingle(DevHexToFloat(HexOfBytes(image, kOffLimit, 4)));
    rec.zeroOffset = HexToSingle(HexOfBytes(image, kOffZeroOffset, 4));
    rec.auxSingle = HexToSingle(HexOfBytes(image, kOffAuxSingle, 4));

    if (TrimBlanks(image.substr(kOffKRI, 3)) != "KRI") {
        return result(ResultCode::NoKri);
    }
    rec.curveFlags = static_cast<std::uint8_t>(Byte(image, kOffFlags));
    if ((rec.curveFlags & kCurveHasCurve) == 0) {
        return result(ResultCode::NoCurveFlag);
    }
    const int w = PointValueWidth(rec.curveFlags);
    const int perPoint = (rec.curveFlags & kCurveThreeValues) != 0 ? 3 * w : 2 * w;
    const int count = Byte(image, kOffCount);
    if (count < 2 || count > kMaxPoints) {
        return result(ResultCode::BadCount);
    }
    // Every point, its skipped third value included, must lie inside the
    // block and inside the text we were given: a count the block cannot hold
    // is a corrupt image, not a short curve.
    const std::size_t end = std::min(image.size(), kBlockSize);
    if (kOffPoints + static_cast<std::size_t>(count * perPoint) > end) {
        return result(ResultCode::BadCount);
    }
    std::size_t offset = kOffPoints;
    for (int k = 0; k < count; ++k) {
        rec.pointSignals[k] = ToSingle(DevHexToFloat(HexOfBytes(image, offset, w)));
        rec.userValues[k] = ToSingle(DevHexToFloat(HexOfBytes(image, offset + w, w)));
        offset += static_cast<std::size_t>(perPoint);
    }

    rec.pointCount = count;
    rec.factor = 1;
    rec.serialNumber = std::string(kSerialNumberWidth, ' ');
    rec.sheetText = std::string(kSheetTextWidth, ' ');
    rec.sheetNumber = std::string(kSheetNumberWidth, ' ');
    rec.uncertainty = 0;
    rec.auxValue = 0;
    PrepareSlopes(rec, nowMs);
    if (rec.limit == 0) {
        rec.limit = rec.userValues[count - 1];
    }
    rec.maximum = -1000000;
    rec.minimum = 1000000;
    rec.adr = adr;
    rec.subAdr = subAdr;
    return result(ResultCode::Ok);
}

void InitSensorRecord(SensorRecord& rec, const std::string& description, float signal0,
                      float value0, float signal1, float value1, int slidingLength,
                      const std::string& numberFormat, const std::string& unit,
                      int fastSlidingLength, bool noEKey, int adr, int subAdr,
                      std::uint8_t curveFlags, const CivilDateTime& today, std::int64_t nowMs) {
    ResetAveraging(rec);
    rec.pointCount = 0;
    rec.noEKey = noEKey;
    rec.description = FixedText(description, kDescriptionWidth);
    rec.numberFormat = FixedText(numberFormat, kNumberFormatWidth);
    rec.unit = FixedText(unit, kUnitWidth);
    rec.slidingLength = slidingLength;
    rec.fastSlidingLength = fastSlidingLength;
    rec.curveFlags = curveFlags;
    rec.adr = adr;
    rec.subAdr = subAdr;
    rec.zeroOffset = 0;
    rec.factor = 1;
    rec.restart = true;
    rec.sheetText = std::string(kSheetTextWidth, ' ');
    rec.serialNumber = std::string(kSerialNumberWidth, ' ');
    rec.sheetNumber = std::string(kSheetNumberWidth, ' ');
    rec.uncertainty = 0;
    rec.limit = value1;
    rec.auxValue = std::bit_cast<std::int32_t>(value1);
    rec.dateOfSave = DateYYMMDD(today);
    rec.validity = DateYYMMDD(today);
    rec.pointSignals[0] = signal0;
    rec.userValues[0] = value0;
    rec.pointSignals[1] = signal1;
    rec.userValues[1] = value1;
    rec.pointCount = 2;
    PrepareSlopes(rec, nowMs); // does nothing for equal signals
}

void ClearTrendSums(SensorRecord& rec) {
    rec.trendN = 0;
    rec.trendSumT = 0;
    rec.trendSumT2 = 0;
    rec.trendSumY = 0;
    rec.trendSumTY = 0;
}

void PrepareSlopes(SensorRecord& rec, std::int64_t nowMs) {
    if (rec.pointSignals[0] == rec.pointSignals[1] || rec.pointCount < 2) {
        return;
    }
    const int count =
        std::min<std::int32_t>(rec.pointCount, static_cast<std::int32_t>(kCurveSlots));
    for (int k = 0; k + 1 < count; ++k) {
        const float ds = rec.pointSignals[k + 1] - rec.pointSignals[k];
        if (ds != 0) {
            rec.slopes[k] = (rec.userValues[k + 1] - rec.userValues[k]) / ds;
        }
    }
    // Above the last point the last segment goes on.
    rec.slopes[count - 1] = rec.slopes[count - 2];
    const float span = rec.pointSignals[count - 1] - rec.pointSignals[0];
    if (span != 0) {
        rec.overallSlope = (rec.userValues[count - 1] - rec.userValues[0]) / span;
    }
    rec.preparationTime = static_cast<double>(nowMs);
}

std::string MakeEKeyId(const CivilDateTime& d, const std::string& hint, int kind) {
    return MakeEKeyId(d, hint, kind, ClockUniform01);
}

std::string MakeEKeyId(const CivilDateTime& d, const std::string& hint, int kind,
                       const std::function<double()>& uniform01) {
    // Letters that cannot be mistaken for digits or for each other on a label.
    static constexpr char kLetters[] = "ABCDEFHJKNPRSTUWXY";
    static constexpr std::int64_t kLetterCount = 18;
    static constexpr char kHex[] = "0123456789ABCDEF";

    // A leap second counts as second 59: the id must stay within '0'..'Z'.
    const std::int64_t hour = std::clamp(d.hour, 0, 23);
    const std::int64_t minute = std::clamp(d.minute, 0, 59);
    const std::int64_t second = std::clamp(d.second, 0, 59);

    std::string id;
    id += kHex[PosMod(static_cast<std::int64_t>(d.year) - 2000, 16)];
    id += kHex[PosMod(d.month, 16)];
    const auto day = PosMod(d.day, 100);
    id += static_cast<char>('0' + day / 10);
    id += static_cast<char>('0' + day % 10);

    if (kind == 9) {
        // Time of day to the second in base 18, least significant first.
        std::int64_t s = hour * 3600 + minute * 60 + second;
        for (int k = 0; k < 4; ++k) {
            id += kLetters[s % kLetterCount];
            s /= kLetterCount;
        }
        return id;
    }
    const std::int64_t t = (hour * 3600 + minute / 3 + second * 180) / 150;
    id += static_cast<char>('A' + t / 24);
    id += static_cast<char>('A' + t % 24);
    id += hint.empty() ? RandomLetter(uniform01) : hint[0];
    id += kind == 0 ? RandomLetter(uniform01) : static_cast<char>('0' + PosMod(kind, 10));
    return id;
}

std::string CheckEKeyId(std::string& id, const CivilDateTime& now) {
    return CheckEKeyId(id, now, ClockUniform01);
}

std::string CheckEKeyId(std::string& id, const CivilDateTime& now,
                        const std::function<double()>& uniform01) {
    if (CharacterCount(id) != kSensorIdWidth) {
        id = "~0000000";
    }
    const bool valid = std::all_of(id.begin(), id.end(), [](char c) {
        const int code = static_cast<unsigned char>(c);
        return code >= '0' && code <= 'Z';
    });
    if (!valid) {
        id = MakeEKeyId(now, "", 7, uniform01);
    }
    return id;
}

} // namespace rm27
