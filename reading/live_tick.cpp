#include "reading/operations.h"

#include <optional>
#include <string>

#include "device/converter.h"
#include "link/codecs.h"
#include "link/live.h"
#include "reading/texts.h"
#include "session/controls.h"
#include "session/input_checks.h"

namespace rm27 {

namespace {

// lblR27mVV's format.
const char* const kFormatSignal = "##0.000";

// A 6-digit raw field or an 8-digit single sent most significant byte first.
float AnswerSingle(const std::string& text, std::size_t at) {
    return HexToSingle(ReverseHexBytes(text.substr(at, 8)), false);
}

} // namespace

LiveTexts LiveTextsOf(const DeviceState& st, const LiveValues& live, int i, bool whole) {
    const auto shown = whole ? FormatWhole : FormatFixed;
    const double value = static_cast<double>(live.value[i]) - live.tare[i];
    const std::string& format = st.records[i].numberFormat;
    LiveTexts t;
    // Raw readings are 24 bits: always within their formats.
    t.raw = FormatFixed(live.raw[i], "#######0");
    t.raw256 = FormatFixed(static_cast<double>(live.raw[i]) / 256.0, "#####0");
    t.signal = shown(live.signal[i], kFormatSignal);
    t.value = shown(value, format);
    t.signalOverflow = FormatOverflow(live.signal[i], kFormatSignal);
    t.valueOverflow = FormatOverflow(value, format);
    return t;
}

std::array<LiveValues::Doubts, kInputCount> MeasurementAnswerDoubts(const std::string& text) {
    std::array<LiveValues::Doubts, kInputCount> out{};
    if (text.size() != kMeasurementAnswerLength) return out;
    // Each field is judged by its own characters; the frame as a whole by
    // where its CR stands (the two status characters before it are not
    // interpreted).
    Doubt frame;
    if (text.back() != '\r' || text.find_first_of("\r\n") != text.size() - 1)
        frame = kDoubtMisframed;
    const auto field = [&](std::size_t at, std::size_t n) {
        Doubt d = frame;
        for (std::size_t k = at; k < at + n; ++k) {
            if (!IsHexDigit(text[k])) d |= kDoubtBadCharacter;
        }
        return d;
    };
    for (int i = 0; i < kInputCount; ++i) {
        const auto p = static_cast<std::size_t>(30 * i);
        out[i] = {field(p, 6), field(p + 6, 8), field(p + 14, 8), field(p + 22, 8)};
    }
    return out;
}

std::optional<MeasuredInputs> DecodeMeasurementAnswer(const std::string& text) {
    if (text.size() != kMeasurementAnswerLength) return std::nullopt;
    MeasuredInputs m;
    for (int i = 0; i < kInputCount; ++i) {
        const auto p = static_cast<std::size_t>(30 * i);
        m.raw[i] = static_cast<float>(HexToLong(text.substr(p, 6)));
        m.signal[i] = AnswerSingle(text, p + 6);
        m.third[i] = AnswerSingle(text, p + 14);
        m.value[i] = AnswerSingle(text, p + 22);
    }
    return m;
}

bool MeasurementTick(Operations& ops) {
    DeviceState& st = ops.state;
    LiveValues& live = ops.live;
    MainView& view = ops.view;
    SerialLine& line = ops.port.line;
    if (!IsFamilyId(st.DeviceId) || !line.isOpen()) return false;

    // A failing device is noticed by the line itself, which closes the port
    // and tells the window; here an unusable read is just a wrong length.
    const std::string text = line.input();
    const std::optional<MeasuredInputs> answer = DecodeMeasurementAnswer(text);
    const bool decoded = answer.has_value();
    if (decoded) {
        live.answeredMs = ops.nowMs();
        const Doubt taken = ops.port.answers.taken(ops.nowMs());
        const auto doubts = MeasurementAnswerDoubts(text);
        for (int i = 0; i < kInputCount; ++i) {
            live.raw[i] = answer->raw[i];
            live.signal[i] = answer->signal[i];
            live.third[i] = answer->third[i];
            live.value[i] = answer->value[i];
            live.seen[i] = true;
            LiveValues::Doubts& d = live.doubts[i];
            d = doubts[i];
            for (Doubt* f : {&d.raw, &d.signal, &d.third, &d.value})
                *f |= taken;
            SensorRecord& rec = st.records[i];
            const LiveTexts t = LiveTextsOf(st, live, i);
            view.setCaption(ctl::lblR27mVV(i), Text::Value(t.signal));
            view.setCaption(ctl::lblR27Val(i), Text::Value(t.value));
            view.setCaption(ctl::lblHodnota(i), Text::Value(t.raw));
            view.setCaption(ctl::lblHodnota(i + 4), Text::Value(t.raw256));
            ShowDoubt(view, ctl::lblR27mVV(i), d.signal, t.signalOverflow);
            ShowDoubt(view, ctl::lblR27Val(i), d.value, t.valueOverflow);
            ShowDoubt(view, ctl::lblHodnota(i), d.raw);
            ShowDoubt(view, ctl::lblHodnota(i + 4), d.raw);
            rec.liveDiv = live.raw[i];
            if (rec.pointCount >= 1 && !TrimBlanks(rec.description).empty()) {
                UpdateSensorRecord(rec, 0, ops.nowMs());
            }
        }
    } else {
        ops.port.answers.discarded(text);
        SetRawReadings(view, "-----");
        for (int i = 0; i < kInputCount; ++i)
            ShowDoubt(view, ctl::lblHodnota(i), {});
    }
    ops.port.ask(BuildFrame(st.DeviceAddress, "MK"), static_cast<int>(kMeasurementAnswerLength));
    return decoded;
}

Text TareNote(const DeviceState& st, const LiveValues& live, int index) {
    if (index < 0 || index >= kInputCount || live.tare[index] == 0) return {};
    const SensorRecord& rec = st.records[index];
    std::string tare = TrimBlanks(FormatWhole(live.tare[index], rec.numberFormat));
    if (const std::string unit = TrimBlanks(rec.unit); !unit.empty()) tare += " " + unit;
    return Text(texts::reading::kTareNote, tare);
}

void TareInput(Operations& ops, int index) {
    if (index < 0 || index >= kInputCount) return;
    const DeviceState& st = ops.state;
    ops.live.tare[index] = ops.live.value[index];
    ops.live.tareOwner[index] = {st.DeviceId, st.DeviceAddress,
                                 TrimBlanks(st.records[index].sensorId)};
    ops.view.setTare(index, TareNote(st, ops.live, index));
}

void ClearTare(Operations& ops, int index) {
    if (index < 0 || index >= kInputCount) return;
    ops.live.tare[index] = 0;
    ops.live.tareOwner[index] = {};
    ops.view.setTare(index, {});
}

} // namespace rm27
