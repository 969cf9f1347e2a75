#include "calibration/clb_file.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "calibration/curve.h"
#include "calibration/texts.h"
#include "link/codepage.h"
#include "session/device_state.h"
#include "session/input_checks.h"

namespace rm27 {

namespace {

namespace tx = texts::calibration;

// Key names. They are the file format: never rename one.
const char* const kProgram = "Program";
const char* const kSensorId = "SensorId";
const char* const kDescription = "Description";
const char* const kUnit = "Unit";
const char* const kNumberFormat = "NumberFormat";
const char* const kGainCode = "GainCode";
const char* const kSlidingLength = "SlidingLength";
const char* const kFastSlidingLength = "FastSlidingLength";
const char* const kCurveFlags = "CurveFlags";
const char* const kLimit = "Limit";
const char* const kZeroOffset = "ZeroOffset";
const char* const kSerialNumber = "SerialNumber";
const char* const kSheetText = "SheetText";
const char* const kSheetNumber = "SheetNumber";
const char* const kUncertainty = "Uncertainty";
const char* const kDateOfSave = "DateOfSave";
const char* const kValidity = "Validity";
const char* const kInput = "Input";
const char* const kAdr = "Adr";
const char* const kSubAdr = "SubAdr";
const char* const kPoints = "Points";

std::string SignalKey(int k) {
    return "Signal" + std::to_string(k);
}
std::string ValueKey(int k) {
    return "Value" + std::to_string(k);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Reads the keys of one group, remembering the first refusal.
class GroupReader {
public:
    explicit GroupReader(const ClbGroup& group) : group_(group) {}

    bool ok() const { return error_.empty(); }
    const Text& error() const { return error_; }

    std::string text(const char* key, std::size_t width) {
        const std::string* value = need(key);
        return value == nullptr ? std::string() : FixedText(TrimBlanks(*value), width);
    }
    // A number the record keeps as a single, within what `check` lets
    // its place in the eKey hold.
    float single(const std::string& key, InputCheck (*check)(double, const Text&)) {
        const std::string* value = need(key);
        if (value == nullptr) return 0;
        double number = 0;
        if (!ParseNumber(*value, number)) {
            fail(Text(tx::kKeyNotNumber, Quoted(key), Quoted(*value)));
            return 0;
        }
        if (const InputCheck c = check(number, Text::Value(key)); !c) {
            fail(Text(tx::kKeyOutOfRange, Quoted(key), Quoted(*value), c.range()));
            return 0;
        }
        return static_cast<float>(number);
    }
    std::int32_t whole(const char* key, int lo, int hi) {
        const std::string* value = need(key);
        if (value == nullptr) return 0;
        double number = 0;
        if (!ParseNumber(*value, number)) {
            fail(Text(tx::kKeyNotNumber, Quoted(key), Quoted(*value)));
            return 0;
        }
        if (number != std::floor(number) || number < lo || number > hi) {
            fail(Text(tx::kKeyNotWhole, Quoted(key), lo, hi, Quoted(*value)));
            return 0;
        }
        return static_cast<std::int32_t>(number);
    }
    void fail(Text message) {
        if (error_.empty()) error_ = std::move(message);
    }

private:
    const std::string* need(const std::string& key) {
        if (!ok()) return nullptr;
        const std::string* value = group_.find(key);
        if (value == nullptr) fail(Text(tx::kKeyMissing, Quoted(key)));
        return value;
    }

    const ClbGroup& group_;
    Text error_;
};

} // namespace

const std::string* ClbGroup::find(const std::string& key) const {
    for (const auto& [k, v] : keys) {
        if (k == key) return &v;
    }
    return nullptr;
}

int InputOfBlock(int adr, int subAdr) {
    return (adr < kInputCount ? adr : subAdr) + 1;
}

ClbGroup CalibrationGroup(const std::string& name, const SensorRecord& rec,
                          const std::string& program) {
    ClbGroup g;
    g.name = name;
    auto add = [&](const std::string& key, std::string value) {
        g.keys.emplace_back(key, std::move(value));
    };
    add(kProgram, program);
    add(kSensorId, TrimBlanks(rec.sensorId));
    add(kDescription, TrimBlanks(rec.description));
    add(kUnit, TrimBlanks(rec.unit));
    add(kNumberFormat, TrimBlanks(rec.numberFormat));
    add(kGainCode, std::to_string(rec.gainCode));
    add(kSlidingLength, std::to_string(rec.slidingLength));
    add(kFastSlidingLength, std::to_string(rec.fastSlidingLength));
    add(kCurveFlags, std::to_string(rec.curveFlags));
    add(kLimit, SingleText(rec.limit));
    add(kZeroOffset, SingleText(rec.zeroOffset));
    add(kSerialNumber, TrimBlanks(rec.serialNumber));
    add(kSheetText, TrimBlanks(rec.sheetText));
    add(kSheetNumber, TrimBlanks(rec.sheetNumber));
    add(kUncertainty, SingleText(rec.uncertainty));
    add(kDateOfSave, TrimBlanks(rec.dateOfSave));
    add(kValidity, TrimBlanks(rec.validity));
    add(kInput, std::to_string(InputOfBlock(rec.adr, rec.subAdr)));
    add(kAdr, std::to_string(rec.adr));
    add(kSubAdr, std::to_string(rec.subAdr));
    const int count = std::clamp(rec.pointCount, 0, kMaxPoints);
    add(kPoints, std::to_string(count));
    for (int k = 1; k <= count; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        add(SignalKey(k), SingleText(rec.pointSignals[i]));
        add(ValueKey(k), SingleText(rec.userValues[i]));
    }
    return g;
}

const ClbGroup* PickCalibrationGroup(const std::vector<ClbGroup>& groups,
                                     const std::string& preferred) {
    for (const std::string& name : {preferred, kClbMenuGroup}) {
        for (const ClbGroup& g : groups) {
            if (!name.empty() && g.name == name) return &g;
        }
    }
    return groups.size() == 1 ? &groups.front() : nullptr;
}

bool CalibrationFromGroup(const ClbGroup& group, SensorRecord& rec, int maxPoints, Text& error) {
    GroupReader in(group);
    SensorRecord r = rec;
    r.sensorId = in.text(kSensorId, kSensorIdWidth);
    r.description = in.text(kDescription, kDescriptionWidth);
    r.unit = in.text(kUnit, kUnitWidth);
    r.numberFormat = in.text(kNumberFormat, kNumberFormatWidth);
    r.gainCode = in.whole(kGainCode, 0, 7);
    // One byte each in the eKey.
    r.slidingLength = in.whole(kSlidingLength, 0, 255);
    r.fastSlidingLength = in.whole(kFastSlidingLength, 0, 255);
    r.curveFlags = static_cast<std::uint8_t>(in.whole(kCurveFlags, 0, 255));
    r.limit = in.single(kLimit, CheckDeviceFloat);
    r.zeroOffset = in.single(kZeroOffset, CheckSingle);
    r.serialNumber = in.text(kSerialNumber, kSerialNumberWidth);
    r.sheetText = in.text(kSheetText, kSheetTextWidth);
    r.sheetNumber = in.text(kSheetNumber, kSheetNumberWidth);
    r.uncertainty = in.single(kUncertainty, CheckPercent);
    r.dateOfSave = in.text(kDateOfSave, kDateWidth);
    r.validity = in.text(kValidity, kDateWidth);
    const std::int32_t count = in.whole(kPoints, 0, kMaxPoints);
    if (in.ok() && (count < 2 || count > maxPoints)) {
        in.fail(Text(tx::kPointCount, Quoted(kPoints), count, maxPoints));
    }
    for (int k = 1; in.ok() && k <= count; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        r.pointSignals[i] = in.single(SignalKey(k), CheckDeviceFloat);
        r.userValues[i] = in.single(ValueKey(k), CheckDeviceFloat);
        // The editor compares singles exactly; so does this.
        for (int j = 1; in.ok() && j < k; ++j) {
            const auto o = static_cast<std::size_t>(j - 1);
            if (r.pointSignals[o] == r.pointSignals[i]) {
                in.fail(Text(tx::kKeyRepeats, Quoted(SignalKey(k)), SingleText(r.pointSignals[i]),
                             Quoted(SignalKey(j))));
            } else if (r.userValues[o] == r.userValues[i]) {
                in.fail(Text(tx::kKeyRepeats, Quoted(ValueKey(k)), SingleText(r.userValues[i]),
                             Quoted(ValueKey(j))));
            }
        }
    }
    if (!in.ok()) {
        error = in.error();
        return false;
    }
    r.pointCount = count;
    rec = r;
    return true;
}

bool ClbTextAsUtf8(const std::string& bytes, std::string& text, Text& error) {
    static const std::string kBom = "\xEF\xBB\xBF";
    const bool marked = bytes.compare(0, kBom.size(), kBom) == 0;
    const std::string body = marked ? bytes.substr(kBom.size()) : bytes;
    const auto lineOf = [&](std::size_t at) {
        return std::count(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    };
    const std::size_t invalid = FirstInvalidUtf8(body);
    if (invalid == std::string::npos) {
        text = body;
        return true;
    }
    if (marked) {
        error = Text(tx::kBadUtf8, lineOf(invalid));
        return false;
    }
    const std::size_t undefined = FirstUndefinedCp1250(body);
    if (undefined != std::string::npos) {
        error = Text(tx::kNotCp1250, lineOf(undefined), CodePointText(body.substr(undefined, 1)));
        return false;
    }
    text = Cp1250ToUtf8(body);
    return true;
}

} // namespace rm27
