#include "calibration/curve.h"

#include <algorithm>
#include <cassert>
#include <charconv>

#include "calibration/texts.h"
#include "link/codecs.h"
#include "session/input_checks.h"

namespace rm27 {

const std::array<const char*, 6> kFormatRows = {"######0", "####0.0", "###0.00",
                                                "##0.000", "#0.0000", "0.00000"};
const std::array<const char*, 16> kSlideRows = {
    "Vypnuto", "2", "3", "4", "5", "6", "7", "8", "9", "10", "12", "15", "20", "30", "40", "50"};
const std::array<const char*, 16> kSlideRychlRows = {
    "Off", "2", "3", "4", "5", "6", "7", "8", "9", "10", "12", "15", "20", "30", "40", "50"};

namespace {

namespace tx = texts::calibration;

const char* const kSignalFormatDiv = "#######0";
const char* const kSignalFormatMvV = "####0.00000";

// Averaging lengths are offered as list rows; row 0 means "off", which the
// record keeps as a length of 1.
std::int32_t LengthOfRow(const std::array<const char*, 16>& rows, int index) {
    if (index < 1 || index >= static_cast<int>(rows.size())) return 1;
    return static_cast<std::int32_t>(ValComma(rows[static_cast<std::size_t>(index)]));
}

int RowOfLength(const std::array<const char*, 16>& rows, std::int32_t length) {
    if (length < 2) return 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (ValComma(rows[k]) == length) return static_cast<int>(k);
    }
    return 0;
}

} // namespace

std::string SingleText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

CurvePoint& PointTable::slot(int k) {
    assert(k >= 1 && k <= kPointSlots);
    return slots_[static_cast<std::size_t>(k)];
}

const CurvePoint& PointTable::slot(int k) const {
    assert(k >= 1 && k <= kPointSlots);
    return slots_[static_cast<std::size_t>(k)];
}

void PointTable::Clear() {
    slots_.fill(CurvePoint{});
    count_ = 0;
}

void PointTable::SortPoints() {
    // Bubbling from the end, one full sweep per slot: only a point moves,
    // and only past a larger signal, so equal signals keep their order.
    for (int pass = 1; pass <= kPointSlots; ++pass) {
        for (int k = kPointSlots; k >= 2; --k) {
            CurvePoint& a = slot(k);
            CurvePoint& b = slot(k - 1);
            if (a.state == kSlotUsed && a.signal < b.signal) std::swap(a, b);
        }
    }
}

void PointTable::CountPoints() {
    count_ =
        static_cast<int>(std::count_if(slots_.begin() + 1, slots_.end(),
                                       [](const CurvePoint& p) { return p.state != kSlotFree; }));
}

bool PointTable::CheckDuplicates(Prompter& prompter) const {
    for (int i = 1; i <= count_; ++i) {
        const CurvePoint& p = slot(i);
        int same = 0;
        for (int j = 1; j <= count_; ++j)
            same += slot(j).userValue == p.userValue ? 1 : 0;
        if (same > 1) {
            prompter.critical(Text(tx::kRepeatedValue, SingleText(p.userValue)));
            return false;
        }
        same = 0;
        for (int j = 1; j <= count_; ++j)
            same += slot(j).signal == p.signal ? 1 : 0;
        if (same > 1) {
            prompter.critical(Text(tx::kRepeatedSignal, SingleText(p.signal)));
            return false;
        }
    }
    return true;
}

void PointTable::DeletePoint(int k) {
    if (count_ < 1 || k < 1 || k > kPointSlots) return;
    for (int j = k; j < kPointSlots; ++j)
        slot(j) = slot(j + 1);
    slot(kPointSlots) = CurvePoint{};
    --count_;
}

int PointTable::FindSignal(float s) const {
    for (int k = 1; k <= count_; ++k) {
        if (slot(k).signal == s) return k;
    }
    return 0;
}

int PointTable::FindUserValue(float v) const {
    for (int k = 1; k <= count_; ++k) {
        if (slot(k).userValue == v) return k;
    }
    return 0;
}

int PointTable::FirstFreeSlot() const {
    for (int k = 1; k <= kPointSlots; ++k) {
        if (slot(k).state == kSlotFree) return k;
    }
    return 0;
}

void ShowCurve(const PointTable& points, const SensorRecord& xXx, EditorFields& fields) {
    fields.lstKrivka.clear();
    fields.lstKrivkaTips.clear();
    fields.lstKrivkaSelected = -1;
    // The counter follows every change of the table, not only the load.
    fields.label3 = std::to_string(points.count());
    const bool mvv = (xXx.curveFlags & kCurveSignalMvV) != 0;
    fields.lblLiveUnit = mvv ? "mV/V" : "div";
    fields.lblCurveSignalPopis = Text(mvv ? tx::kSignalMvV : tx::kSignalDiv);
    const char* signalFormat = mvv ? kSignalFormatMvV : kSignalFormatDiv;
    for (int k = 1; k <= points.count(); ++k) {
        const CurvePoint& p = points.slot(k);
        fields.lstKrivka.push_back(FormatFixed(p.signal, signalFormat) + "  " +
                                   FormatFixed(p.userValue, xXx.numberFormat));
        Text tip = FormatOverflow(p.signal, signalFormat);
        tip.join(FormatOverflow(p.userValue, xXx.numberFormat), Joint::LineBreak);
        fields.lstKrivkaTips.push_back(tip);
    }
    fields.cmbCurveType = mvv ? 1 : 0;
}

void LoadCalibration(PointTable& points, const SensorRecord& xXx, std::int32_t adr,
                     std::int32_t subAdr, EditorFields& fields) {
    const int n = std::clamp(xXx.pointCount, 0, kPointSlots);
    fields.label3 = std::to_string(n);
    points.Clear();
    for (int k = 1; k <= n; ++k) {
        CurvePoint& p = points.slot(k);
        p.userValue = xXx.userValues[static_cast<std::size_t>(k - 1)];
        p.signal = xXx.pointSignals[static_cast<std::size_t>(k - 1)];
        p.state = kSlotUsed;
    }
    points.setCount(n);

    fields.txtJednotka = xXx.unit;
    fields.txtKL = xXx.sheetNumber;
    fields.txtNejistota = SingleText(xXx.uncertainty);
    fields.txtPopis = xXx.description;
    fields.txtSN = xXx.serialNumber;
    fields.txtLimit = SingleText(xXx.limit);
    fields.frame2 = Text(tx::kSensorFrame, xXx.sensorId);

    const std::string format = TrimBlanks(xXx.numberFormat);
    fields.cmbFormat = 0;
    for (std::size_t k = 0; k < kFormatRows.size(); ++k) {
        if (format == kFormatRows[k]) {
            fields.cmbFormat = static_cast<int>(k);
            break;
        }
    }
    fields.cmbGain = xXx.gainCode >= 0 && xXx.gainCode < 8 ? xXx.gainCode : 0;
    fields.txtDateOfSave = xXx.dateOfSave;
    fields.txtPlatnostKalibrace = xXx.validity;
    fields.cmbSlide = RowOfLength(kSlideRows, xXx.slidingLength);
    fields.cmbSlideRychl = RowOfLength(kSlideRychlRows, xXx.fastSlidingLength);
    fields.caption = Text(tx::kEditorCaption, TrimBlanks(xXx.description), adr, subAdr);
    ShowCurve(points, xXx, fields);
}

bool TXT2XXX(PointTable& points, const EditorFields& fields, SensorRecord& xXx, Prompter& prompter,
             const CivilDateTime& now, const std::function<double()>& uniform01) {
    points.SortPoints();
    points.CountPoints();
    if (!points.CheckDuplicates(prompter)) {
        prompter.critical(Text(tx::kTwoSamePoints));
        return false;
    }
    if (points.count() < 2) {
        prompter.critical(Text(tx::kTooFewPoints));
        return false;
    }
    if (TrimBlanks(fields.txtPopis).empty()) {
        prompter.critical(Text(tx::kNoDescription));
        return false;
    }

    xXx.description = FixedText(TrimBlanks(fields.txtPopis), kDescriptionWidth);
    xXx.unit = FixedText(TrimBlanks(fields.txtJednotka), kUnitWidth);
    xXx.serialNumber = FixedText("00000000", kSerialNumberWidth);
    xXx.sheetText = FixedText("KL0000", kSheetTextWidth);
    xXx.uncertainty = 0;
    const bool formatChosen =
        fields.cmbFormat >= 0 && fields.cmbFormat < static_cast<int>(kFormatRows.size());
    xXx.numberFormat =
        FixedText(formatChosen ? kFormatRows[static_cast<std::size_t>(fields.cmbFormat)] : "",
                  kNumberFormatWidth);
    xXx.limit = 9999;
    xXx.gainCode = fields.cmbGain;
    xXx.dateOfSave = DateYYMMDD(now);
    CheckEKeyId(xXx.sensorId, now, uniform01);
    xXx.slidingLength = LengthOfRow(kSlideRows, fields.cmbSlide);
    xXx.fastSlidingLength = LengthOfRow(kSlideRychlRows, fields.cmbSlideRychl);
    // Whatever the editor shows, the eKey gets a curve in mV/V with 3-byte
    // values: bits 4 and 7 set, 3, 5 and 6 cleared; 0..2 are the converter's.
    constexpr auto kConverterBits = static_cast<std::uint8_t>(
        ~(kCurveHasCurve | kCurveWidePoints | kCurveThreeValues | kCurveSignalMvV | kCurve24Bit));
    xXx.curveFlags = static_cast<std::uint8_t>((xXx.curveFlags & kConverterBits) | kCurveHasCurve |
                                               kCurveSignalMvV);
    for (int k = 0; k < points.count(); ++k) {
        xXx.userValues[static_cast<std::size_t>(k)] = points.slot(k + 1).userValue;
        xXx.pointSignals[static_cast<std::size_t>(k)] = points.slot(k + 1).signal;
    }
    xXx.zeroOffset = 0;
    xXx.pointCount = points.count();
    return true;
}

} // namespace rm27
