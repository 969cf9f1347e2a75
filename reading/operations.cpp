#include "reading/operations.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "device/converter.h"
#include "device/texts.h"
#include "link/codecs.h"
#include "link/live.h"
#include "link/memory.h"
#include "link/transact.h"
#include "reading/read_again.h"
#include "reading/texts.h"
#include "session/controls.h"
#include "session/input_checks.h"
#include "session/measurement.h"
#include "session/write_safety.h"

namespace rm27 {

const std::array<const char*, 16> kFilterRows = {
    "Stopped",
    "500 Hz ",
    "250 Hz ",
    "125 Hz ",
    "62.5 Hz ",
    "50.0 Hz ",
    "39.2 Hz ",
    "33.3 Hz ",
    "19.6 Hz /Reject 60Hz",
    "16.7 Hz /Reject 50Hz",
    "16.7 Hz /Reject 50,60Hz",
    "12.5 Hz /Reject 50,60Hz",
    "10.0 Hz /Reject 50,60Hz",
    "8.33 Hz /Reject 50,60Hz",
    "6.25 Hz /Reject 50,60Hz",
    "4.17 Hz /Reject 50,60Hz",
};

namespace {

// The reading's phases count in steps of a hundred, its status lines'
// percentages.
constexpr int kReadingSteps = 100;

void ClearInputRows(MainView& view) {
    for (const ctl::Array& a : {ctl::lblR27ID, ctl::lblR27Popis, ctl::lblR27Slide, ctl::lblR27Unit,
                                ctl::lblR27Val, ctl::lblR27mVV}) {
        for (int i = 0; i < kInputCount; ++i)
            view.setCaption(a(i), Text());
    }
}

// A pair of hex digits of a longer answer: the answer's own doubts, less a
// bad character that stands in another pair.
Doubt PairDoubt(const TextAnswer& answer, std::size_t at) {
    Doubt doubt{static_cast<std::uint8_t>(answer.doubt.bits & ~kDoubtBadCharacter.bits)};
    for (std::size_t k = at; k < at + 2 && k < answer.text.size(); ++k) {
        if (!IsHexDigit(answer.text[k])) doubt |= kDoubtBadCharacter;
    }
    return doubt;
}

void RememberFloat(Operations& ops, std::int32_t cell, const FloatAnswer& a) {
    if (a.doubt) return;
    for (std::size_t k = 0; k < a.bytes.size(); ++k)
        RememberCell(ops, cell + static_cast<std::int32_t>(k), a.bytes[k]);
}

} // namespace

std::string InputInfoText(const SensorRecord& record, std::int32_t definitionByte) {
    const std::int32_t gain = record.gainCode & 7;
    std::string text = "G" + FormatFixed(gain, "0") + "(" +
                       TrimBlanks(FormatFixed(std::ldexp(1.0, gain), "##0")) +
                       "x) DEF:" + LongToHex(definitionByte, 2) + "\r\n";
    text += "N:" + std::to_string(record.pointCount) +
            ((record.curveFlags & kCurve24Bit) != 0 ? " 24b" : " 16b") +
            ((record.curveFlags & kCurveWidePoints) != 0 ? " MBF4" : " MBF3") + "\r\n";
    text += std::string((record.curveFlags & kCurveSignalMvV) != 0 ? "IN:[mVV]" : "IN:[div]") +
            "A=" + std::to_string(record.slidingLength);
    return text;
}

std::string AddressListRow(std::int32_t address) {
    return FormatFixed(address, "000") + " [0x" + LongToHex(address, 2) + "] ";
}

std::string AddressCaptionRead(std::int32_t address) {
    return FormatFixed(address, "##0") + "  (0x" + LongToHex(address, 2) + ")";
}

std::string AddressCaptionChanged(std::int32_t address) {
    return FormatFixed(address, "##0") + "  (" + LongToHex(address, 2) + "h)";
}

namespace {

// The reading's phases, in the order they go out. Each returns false when
// the reading ends there (cancelled, or nothing to read on): a cancelled
// read stops where it is, since what it would read now is not the
// converter's answer and must not overwrite what is known.

bool IdentifyConverter(Operations& ops, std::int32_t address) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    view.setProgress(Progress::Percent(texts::reading::kLoadingPercent, 2, kReadingSteps));
    DevQuery(ops.port, address, "AUTO00", 2, kQueryTimeoutMs);
    view.setProgress(Progress::Percent(texts::reading::kScanningPercent, 10, kReadingSteps));
    const TextAnswer idAnswer =
        DevQueryChecked(ops.port, address, "@", 10, kQueryTimeoutMs, AnswerForm::Text);
    const std::string& id = idAnswer.text;
    if (ops.cancelled()) return false;
    view.setStatus(Text(texts::reading::kIdentifying));
    if (id.size() != 10) {
        ops.prompter.critical(Text(texts::reading::kNoUnitAt, address));
        return false;
    }
    if (id.compare(4, 2, "RM") != 0) {
        ops.prompter.critical(Text(texts::reading::kNoRm27At, address));
        st.DeviceId.clear();
        return false;
    }
    view.setCaption(ctl::lblID, Text::Value(id));
    st.DeviceId = id;
    st.doubts.id = idAnswer.doubt;
    ShowDoubt(view, ctl::lblID, st.doubts.id);
    st.IsRMU = id.find("RMU") != std::string::npos;
    view.setControlVisible(ctl::mRMUmain, st.IsRMU);
    return true;
}

// At the universal address the converter tells its own; everything after
// this goes to it alone.
bool ReadAddressAndFilter(Operations& ops, std::int32_t& address) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    view.setProgress(Progress::Percent(texts::reading::kReadingPercent, 12, kReadingSteps));
    const TextAnswer own =
        DevQueryChecked(ops.port, address, "ER" + LongToHex(kCellAddress, 2), 2, kQueryTimeoutMs);
    if (ops.cancelled()) return false;
    address = HexToLong(own.text);
    st.DeviceAddress = address;
    st.doubts.address = own.doubt;
    // What a write of these cells would replace, when it came cleanly.
    if (!own.doubt) RememberCell(ops, kCellAddress, address);
    view.setProgress(Progress::Percent(texts::reading::kReadingOnPercent, 15, kReadingSteps));
    view.setCaption(ctl::lblAdresa, Text::Value(AddressCaptionRead(address)));
    ShowDoubt(view, ctl::lblAdresa, st.doubts.address);

    const TextAnswer filter =
        DevQueryChecked(ops.port, address, "ER" + LongToHex(kCellFilter, 2), 2, kQueryTimeoutMs);
    if (ops.cancelled()) return false;
    st.FilterCode = HexToLong(filter.text);
    st.doubts.filter = filter.doubt;
    if (!filter.doubt) RememberCell(ops, kCellFilter, st.FilterCode);
    view.setComboRows(ctl::cmbFreq,
                      std::vector<std::string>(kFilterRows.begin(), kFilterRows.end()),
                      st.FilterCode & 15);
    ShowDoubt(view, ctl::cmbFreq, st.doubts.filter);
    return true;
}

bool ReadDefinitions(Operations& ops, std::int32_t address) {
    DeviceState& st = ops.state;
    ops.view.setProgress(Progress::Percent(texts::reading::kReadingPercent, 20, kReadingSteps));
    ops.view.setProgress(Progress::Percent(texts::reading::kDefinitionsPercent, 30, kReadingSteps));
    const TextAnswer def = DevQueryChecked(ops.port, address, "DEF", 8, kQueryTimeoutMs);
    if (ops.cancelled()) return false;
    for (int i = 0; i < kInputCount; ++i) {
        const auto at = static_cast<std::size_t>(2 * i);
        const bool usable = def.text.size() == 8;
        st.definitionBytes[i] = usable ? HexToLong(def.text.substr(at, 2)) : 255;
        st.doubts.definition[i] = usable ? PairDoubt(def, at) : kDoubtNoAnswer;
    }
    return true;
}

// K and Q of every input, the status line counting up from 30 % as it goes.
bool ReadConstants(Operations& ops, std::int32_t address) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    int p = 30;
    for (int i = 0; i < kInputCount; ++i) {
        p += 2;
        view.setProgress(Progress::Percent(texts::reading::kReadingPercent, p, kReadingSteps));
        const FloatAnswer k = MemReadFloatChecked(ops.port, address, CellK(i), kConstantTimeoutMs);
        p += 2;
        view.setProgress(Progress::Percent(texts::reading::kReadingPercent, p, kReadingSteps));
        const FloatAnswer q = MemReadFloatChecked(ops.port, address, CellQ(i), kConstantTimeoutMs);
        if (ops.cancelled()) return false;
        st.K[i] = k.value;
        st.Q[i] = q.value;
        st.doubts.K[i] = k.doubt;
        st.doubts.Q[i] = q.doubt;
        RememberFloat(ops, CellK(i), k);
        RememberFloat(ops, CellQ(i), q);
        p += 3;
        view.setProgress(Progress::Percent(texts::reading::kReadingPercent, p, kReadingSteps));
        ShowConstants(view, st, i);
        p += 2;
        view.setProgress(Progress::Percent(texts::reading::kReadingPercent, p, kReadingSteps));
    }
    return true;
}

bool ReadConfiguration(Operations& ops, std::int32_t address) {
    DeviceState& st = ops.state;
    const auto config = [&](std::int32_t cell) {
        return DevQueryChecked(ops.port, address, "ER" + LongToHex(cell, 2), 2, kQueryTimeoutMs);
    };
    const TextAnswer config29 = config(kCellConfig1);
    const TextAnswer config28 = config(kCellConfig0);
    const TextAnswer config2A = config(kCellConfig2);
    if (ops.cancelled()) return false;
    st.configBytes[1] = HexToLong(config29.text);
    st.configBytes[0] = HexToLong(config28.text);
    st.configBytes[2] = HexToLong(config2A.text);
    st.doubts.config = {config28.doubt, config29.doubt, config2A.doubt};
    ops.view.setProgress(Progress::Percent(texts::reading::kReadingPercent, 69, kReadingSteps));
    return true;
}

// Input i's record, from its eKey when the mask says one is plugged, else
// from the converter's internal copy. False when the block did not come.
bool ReadRecord(Operations& ops, std::int32_t address, int i, std::string& buffer, Doubt& image,
                std::uint32_t& colour) {
    DeviceState& st = ops.state;
    SensorRecord& rec = st.records[i];
    colour = kRgbWhite;
    if ((st.EKeyMask >> i) & 1U) {
        if (!BlockReadChecked(ops.port, buffer, address, i, 0, image).ok()) {
            ops.prompter.critical(Text(texts::reading::kEKeyBlockUnread));
            return false;
        }
        RememberBlock(ops, BlockNumber(i, 0), buffer);
        DecodeEKeyImage(buffer, rec, i, 0, ops.nowMs());
        st.sources[i] = InputSource::EKey;
        ops.view.setCaption(ctl::lblR27ID(i),
                            Text(texts::reading::kSourceEKey, TrimBlanks(rec.sensorId)));
        colour = kRgbGreen;
        return true;
    }
    if (!BlockReadChecked(ops.port, buffer, address, 4, i, image).ok()) {
        ops.prompter.critical(Text(texts::reading::kMemBlockUnread));
        return false;
    }
    RememberBlock(ops, BlockNumber(4, i), buffer);
    const Result decoded = DecodeEKeyImage(buffer, rec, 4, i, ops.nowMs());
    if (decoded.ok()) {
        st.sources[i] = InputSource::Internal;
        ops.view.setCaption(ctl::lblR27ID(i), Text(texts::reading::kSourceInternal));
        return true;
    }
    InitSensorRecord(rec, "ERR:" + std::to_string(decoded.shownNumber()), 0.0f, 0.0f, 1.0f, 1.0f,
                     10, "######0", "div", 10, false, 4, i,
                     kCurveHasCurve | kCurveWidePoints | kCurveSignalMvV, ops.clock.now(),
                     ops.nowMs());
    st.sources[i] = InputSource::InternalNA;
    ops.view.setCaption(ctl::lblR27ID(i), Text(texts::reading::kSourceInternalNA));
    colour = kRgbRed;
    return true;
}

// A tare belongs to the sensor it was taken from: on another converter, or
// with another sensor on the input, it would subtract a stranger's load.
void KeepTareOfSameSensor(Operations& ops, std::int32_t address, int i) {
    LiveValues& live = ops.live;
    const TareOwner now{ops.state.DeviceId, address, TrimBlanks(ops.state.records[i].sensorId)};
    if (live.tare[i] != 0 && !(live.tareOwner[i] == now))
        ClearTare(ops, i);
    else
        ops.view.setTare(i, TareNote(ops.state, live, i));
}

void ShowRecord(Operations& ops, int i, std::uint32_t colour) {
    const DeviceState& st = ops.state;
    const SensorRecord& rec = st.records[i];
    MainView& view = ops.view;
    view.setInputRowColor(i, colour);
    view.setCaption(ctl::lblR27Unit(i), Text::Value(TrimBlanks(rec.unit)));
    view.setCaption(ctl::lblR27Popis(i), Text::Value(TrimBlanks(rec.description)));
    view.setCaption(ctl::lblR27Slide(i), Text::Value(InputInfoText(rec, st.definitionBytes[i])));
    for (const ctl::Array& a : {ctl::lblR27ID, ctl::lblR27Unit, ctl::lblR27Popis})
        ShowDoubt(view, a(i), st.doubts.records[i]);
    ShowDoubt(view, ctl::lblR27Slide(i), st.doubts.records[i] | st.doubts.definition[i]);
    view.setControlVisible(ctl::cmdChange(i), true);
}

bool ReadRecords(Operations& ops, std::int32_t address) {
    DeviceState& st = ops.state;
    ops.view.setStatus(Text(texts::reading::kRecordsStart));
    ReadEKeyPresence(ops);
    if (ops.cancelled()) return false;
    // Without a clean mask the choice between eKey and internal copy below
    // may be the wrong one for every input.
    const Doubt fromMask = st.doubts.ekeyMask ? kDoubtDerived : Doubt{};
    for (int i = 0; i < kInputCount; ++i) {
        std::string buffer(256, '\0');
        ops.view.setProgress(Progress::Percent(texts::reading::kRecordsPercent, i, kInputCount));
        Doubt image;
        std::uint32_t colour = kRgbWhite;
        if (!ReadRecord(ops, address, i, buffer, image, colour)) return false;
        st.images[i] = buffer;
        st.doubts.records[i] = image | fromMask;
        KeepTareOfSameSensor(ops, address, i);
        ShowRecord(ops, i, colour);
    }
    return true;
}

} // namespace

bool ReadRM27(Operations& ops, std::int32_t& address) {
    if (address < 0 || address > 255 || !ops.port.line.isOpen()) return false;
    ops.live.seen.fill(false);
    ops.live.answeredMs = -1;
    if (!IdentifyConverter(ops, address) || !ReadAddressAndFilter(ops, address) ||
        !ReadDefinitions(ops, address) || !ReadConstants(ops, address) ||
        !ReadConfiguration(ops, address) || !ReadRecords(ops, address))
        return false;
    ops.view.setStatus(Text(texts::reading::kDone));
    DelayMs(ops.port, 100);
    return true;
}

void UseReadRM27(Operations& ops) {
    ops.readConverter = [&ops](std::int32_t& address) { return ReadRM27(ops, address); };
}

bool ReadAgain(Operations& ops, std::int32_t& address) {
    return ops.readConverter ? ops.readConverter(address) : ReadRM27(ops, address);
}

bool DevRead(Operations& ops, int addressIndex) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    if (!ops.port.line.isOpen()) return false;
    if (st.IsRMU) view.setControlVisible(ctl::mRMUmain, false);
    view.setStatus(Text(texts::reading::kStopping));
    StopMeasurement(ops.port, view);
    SetRawReadings(view, "?????");
    ClearInputRows(view);
    for (int i = 0; i < kInputCount; ++i) {
        st.sources[i] = InputSource::None;
        st.images[i].clear();
    }
    view.setStatus(Text(texts::reading::kReading));
    st.DeviceAddress = addressIndex;
    const bool ok = ReadAgain(ops, st.DeviceAddress);
    if (ops.cancelled()) return false;
    if (ok) {
        view.setStatus(Text(texts::reading::kStartingLive));
        StartMeasurement(ops.port, view);
        view.setStatus(Text(texts::reading::kLiveStarted));
        view.setControlEnabled(ctl::cmdReset, true);
        if (st.ExtendedMode) view.setControlEnabled(ctl::cmdAdresa, true);
        if (st.IsRMU) view.setControlVisible(ctl::mRMUmain, true);
    } else {
        view.setStatus(Text(texts::reading::kNotFound));
        StopMeasurement(ops.port, view);
    }
    return ok;
}

const char* InputSourceName(InputSource source) {
    switch (source) {
    case InputSource::EKey:
        return "eKey";
    case InputSource::Internal:
        return "Internal";
    case InputSource::InternalNA:
        return "Internal - N/A";
    case InputSource::None:
        break;
    }
    return "";
}

} // namespace rm27
