#include "reading/operations.h"

#include <cmath>
#include <vector>

#include "link/codecs.h"
#include "link/live.h"
#include "link/memory.h"
#include "link/transact.h"
#include "reading/measurement.h"

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

constexpr std::uint32_t kRgbYellow = 0xFFFF00;

std::string Indexed(const char* control, int index) {
    return std::string(control) + "_" + std::to_string(index);
}

std::string WithPercent(const std::string& text, int percent) {
    return text + std::to_string(percent) + "%";
}

void SetRawReadings(MainView& view, const std::string& text) {
    for (int i = 0; i < kInputCount; ++i)
        view.setCaption(Indexed("lblHodnota", i), text);
}

void ClearInputRows(MainView& view) {
    for (const char* name :
         {"lblR27ID", "lblR27Popis", "lblR27Slide", "lblR27Unit", "lblR27Val", "lblR27mVV"}) {
        for (int i = 0; i < kInputCount; ++i)
            view.setCaption(Indexed(name, i), "");
    }
}

bool ReadThroughHook(Operations& ops, std::int32_t& address) {
    return ops.readConverter ? ops.readConverter(address) : ReadRM27(ops, address);
}

std::string Frame(std::int32_t address, const std::string& body) {
    return "$" + LongToHex(address, 2) + body + "\r";
}

// A 6-digit raw field or an 8-digit single sent most significant byte first.
float AnswerSingle(const std::string& text, std::size_t at) {
    return HexToSingle(ReverseHexBytes(text.substr(at, 8)), false);
}

} // namespace

bool IsFamilyId(const std::string& id) {
    return id.size() >= 6 && id.compare(4, 2, "RM") == 0;
}

bool IsScanId(const std::string& answer) {
    return answer.size() >= 7 && (answer.compare(4, 3, "RMU") == 0 ||
                                  (answer.size() >= 8 && answer.compare(4, 4, "RM27") == 0));
}

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

std::string AddressCaptionRead(std::int32_t address) {
    return FormatFixed(address, "##0") + "  (0x" + LongToHex(address, 2) + ")";
}

std::string AddressCaptionChanged(std::int32_t address) {
    return FormatFixed(address, "##0") + "  (" + LongToHex(address, 2) + "h)";
}

void ReadEKeyPresence(Operations& ops) {
    DeviceState& st = ops.state;
    if (!ops.port.line.isOpen()) {
        st.EKeyMask = 0;
        st.EKeyMaskValid = false;
        return;
    }
    ops.port.line.input();
    ops.port.line.output(Frame(st.DeviceAddress, "KQ"));
    DelayMs(ops.port.pump, 100);
    const std::string answer = ops.port.line.input();
    // One try and a fixed wait: a missing mask just means every input is
    // read from the converter's internal copy.
    st.EKeyMaskValid = answer.size() == 3;
    st.EKeyMask = st.EKeyMaskValid
                      ? static_cast<std::uint8_t>(HexToLong(answer.substr(0, 2)) & 0xFF)
                      : std::uint8_t{0};
}

bool ReadRM27(Operations& ops, std::int32_t& address) {
    Port& port = ops.port;
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    if (address < 0 || address > 255 || !port.line.isOpen()) return false;

    view.setStatus(WithPercent("Načítám ... ", 2));
    DevQuery(port, address, "AUTO00", 2, kQueryTimeoutMs);
    view.setStatus(WithPercent("Skenuji ... ", 10));
    const std::string id = DevQuery(port, address, "@", 10, kQueryTimeoutMs);
    view.setStatus("Identifikace jednotky ...");
    if (id.size() != 10) {
        ops.prompter.critical("Na adrese " + std::to_string(address) +
                              " nebyla nalezena žádná jednotka RM-27/RMU.");
        return false;
    }
    if (id.compare(4, 2, "RM") != 0) {
        ops.prompter.critical("Na adrese " + std::to_string(address) +
                              " nebyla nalezena RM-27/RMU.");
        st.DeviceId.clear();
        return false;
    }
    view.setCaption("lblID", id);
    st.DeviceId = id;
    st.IsRMU = id.find("RMU") != std::string::npos;
    view.setControlVisible("mRMUmain", st.IsRMU);

    // At the universal address the converter tells its own; everything
    // after this goes to it alone.
    view.setStatus(WithPercent("Načítání ... ", 12));
    address =
        HexToLong(DevQuery(port, address, "ER" + LongToHex(kCellAddress, 2), 2, kQueryTimeoutMs));
    st.DeviceAddress = address;
    view.setStatus(WithPercent("Čtení ... ", 15));
    view.setCaption("lblAdresa", AddressCaptionRead(address));

    st.FilterCode =
        HexToLong(DevQuery(port, address, "ER" + LongToHex(kCellFilter, 2), 2, kQueryTimeoutMs));
    view.setComboRows("cmbFreq", std::vector<std::string>(kFilterRows.begin(), kFilterRows.end()),
                      st.FilterCode & 15);

    view.setStatus(WithPercent("Načítání ... ", 20));
    view.setStatus(WithPercent("Načítání DEF kódů ... ", 30));
    const std::string def = DevQuery(port, address, "DEF", 8, kQueryTimeoutMs);
    for (int i = 0; i < kInputCount; ++i) {
        st.definitionBytes[i] =
            def.size() == 8 ? HexToLong(def.substr(static_cast<std::size_t>(2 * i), 2)) : 255;
    }

    int p = 30;
    for (int i = 0; i < kInputCount; ++i) {
        p += 2;
        view.setStatus(WithPercent("Načítání ... ", p));
        st.K[i] = MemReadFloat(port, address, CellK(i), kConstantTimeoutMs);
        p += 2;
        view.setStatus(WithPercent("Načítání ... ", p));
        st.Q[i] = MemReadFloat(port, address, CellQ(i), kConstantTimeoutMs);
        p += 3;
        view.setStatus(WithPercent("Načítání ... ", p));
        view.setCaption(Indexed("lblR38mVVK", i), FormatFixed(st.K[i], "0.0000 E+00"));
        view.setCaption(Indexed("lblR38mVVQ", i), FormatFixed(st.Q[i], "#######0"));
        p += 2;
        view.setStatus(WithPercent("Načítání ... ", p));
    }

    st.configBytes[1] =
        HexToLong(DevQuery(port, address, "ER" + LongToHex(kCellConfig1, 2), 2, kQueryTimeoutMs));
    st.configBytes[0] =
        HexToLong(DevQuery(port, address, "ER" + LongToHex(kCellConfig0, 2), 2, kQueryTimeoutMs));
    st.configBytes[2] =
        HexToLong(DevQuery(port, address, "ER" + LongToHex(kCellConfig2, 2), 2, kQueryTimeoutMs));
    view.setStatus(WithPercent("Načítání ... ", 69));

    view.setStatus("Načítám kalibrační data ...");
    ReadEKeyPresence(ops);

    for (int i = 0; i < kInputCount; ++i) {
        SensorRecord& rec = st.records[i];
        st.imageBuffer.assign(256, '\0');
        view.setStatus(WithPercent("Čtení kalibračních dat ... ", 25 * i));
        std::uint32_t colour = kRgbWhite;
        if ((st.EKeyMask >> i) & 1U) {
            if (BlockRead(port, st.imageBuffer, address, i, 0) < 0) {
                ops.prompter.critical("Error reading EKEY block");
                return false;
            }
            DecodeEKeyImage(st.imageBuffer, rec, i, 0, port.pump.nowMs());
            view.setCaption(Indexed("lblR27ID", i), "eKey " + TrimBlanks(rec.sensorId));
            colour = kRgbGreen;
        } else {
            if (BlockRead(port, st.imageBuffer, address, 4, i) < 0) {
                ops.prompter.critical("Error reading MEM block");
                return false;
            }
            const std::int32_t code = DecodeEKeyImage(st.imageBuffer, rec, 4, i, port.pump.nowMs());
            if (code == 0) {
                view.setCaption(Indexed("lblR27ID", i), "Internal");
            } else {
                InitSensorRecord(rec, "ERR:" + std::to_string(code), 0.0f, 0.0f, 1.0f, 1.0f, 10,
                                 "######0", "div", 10, false, 4, i,
                                 kCurveHasCurve | kCurveWidePoints | kCurveSignalMvV, LocalNow(),
                                 port.pump.nowMs());
                view.setCaption(Indexed("lblR27ID", i), "Internal - N/A");
                colour = kRgbRed;
            }
        }
        view.setInputRowColor(i, colour);
        view.setCaption(Indexed("lblR27Unit", i), TrimBlanks(rec.unit));
        view.setCaption(Indexed("lblR27Popis", i), TrimBlanks(rec.description));
        view.setCaption(Indexed("lblR27Slide", i), InputInfoText(rec, st.definitionBytes[i]));
        view.setControlVisible(Indexed("cmdChange", i), true);
    }
    view.setStatus("OK.");
    DelayMs(port.pump, 100);
    return true;
}

bool DevRead(Operations& ops, int addressIndex) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    if (!ops.port.line.isOpen()) return false;
    if (st.IsRMU) view.setControlVisible("mRMUmain", false);
    view.setStatus("Ukončuji měření  ...");
    StopMeasurement(ops.port, view);
    SetRawReadings(view, "?????");
    ClearInputRows(view);
    view.setStatus("Načítání ...");
    st.DeviceAddress = addressIndex;
    const bool ok = ReadThroughHook(ops, st.DeviceAddress);
    if (ok) {
        view.setStatus("Spouštím živé měření ...");
        StartMeasurement(ops.port, view);
        view.setStatus("OK, měření spuštěno ...");
        view.setControlEnabled("cmdReset", true);
        if (st.ExtendedMode) view.setControlEnabled("cmdAdresa", true);
        if (st.IsRMU) view.setControlVisible("mRMUmain", true);
    } else {
        view.setStatus("Jednotka nenalezena!");
        StopMeasurement(ops.port, view);
    }
    return ok;
}

void MeasurementTick(Operations& ops) {
    DeviceState& st = ops.state;
    MainView& view = ops.view;
    SerialLine& line = ops.port.line;
    if (!IsFamilyId(st.DeviceId) || !line.isOpen()) return;

    // A failing device is noticed by the line itself, which closes the port
    // and tells the window; here an unusable read is just a wrong length.
    const std::string text = line.input();
    if (text.size() == kMeasurementAnswerLength) {
        for (int i = 0; i < kInputCount; ++i) {
            const auto p = static_cast<std::size_t>(30 * i);
            st.raw[i] = static_cast<float>(HexToLong(text.substr(p, 6)));
            st.signal[i] = AnswerSingle(text, p + 6);
            st.thirdValue[i] = AnswerSingle(text, p + 14);
            st.value[i] = AnswerSingle(text, p + 22);
            SensorRecord& rec = st.records[i];
            view.setCaption(Indexed("lblR27mVV", i), FormatFixed(st.signal[i], "##0.000"));
            view.setCaption(
                Indexed("lblR27Val", i),
                FormatFixed(static_cast<double>(st.value[i]) - st.tare[i], rec.numberFormat));
            view.setCaption(Indexed("lblHodnota", i), FormatFixed(st.raw[i], "#######0"));
            view.setCaption(Indexed("lblHodnota", i + 4),
                            FormatFixed(static_cast<double>(st.raw[i]) / 256.0, "#####0"));
            rec.liveDiv = st.raw[i];
            if (rec.pointCount >= 1 && !TrimBlanks(rec.description).empty()) {
                UpdateSensorRecord(rec, 0, ops.port.pump.nowMs());
            }
        }
    } else {
        SetRawReadings(view, "-----");
    }
    line.output(Frame(st.DeviceAddress, "MK"));
}

void TareInput(Operations& ops, int index) {
    if (index < 0 || index >= kInputCount) return;
    ops.state.tare[index] = ops.state.value[index];
}

std::string QuickWriteByte(Operations& ops, std::int32_t address, std::int32_t location,
                           std::int32_t value) {
    ops.port.line.output("$" + LongToHex(address, 2) + "EW" + LongToHex(location, 2) +
                         LongToHex(value, 2) + "\r");
    DelayMs(ops.port.pump, 100);
    const std::string echo = ops.port.line.input().substr(0, 2);
    DelayMs(ops.port.pump, 100);
    return echo;
}

void ScanAddresses(Operations& ops) {
    Port& port = ops.port;
    ops.view.setControlColor("cmdFindAdr", kRgbYellow);
    if (port.line.isOpen()) {
        StopMeasurement(port, ops.view);
        ops.view.clearList("lstCurves");
        port.line.output("\r"); // ends whatever partial frame is on the line
        DelayMs(port.pump, 100);
        for (std::int32_t a = 1; a <= 31; ++a) {
            port.line.input();
            port.line.output(Frame(a, "@"));
            DelayMs(port.pump, 50);
            const std::string answer = port.line.input();
            if (!IsScanId(answer)) continue;
            port.line.output(Frame(a, "KQ"));
            DelayMs(port.pump, 50);
            const std::string kq = port.line.input();
            if (kq.size() != 3) continue;
            ops.view.addListItem("lstCurves", "@0x" + LongToHex(a, 2) + " " +
                                                  answer.substr(0, answer.size() - 1) + " KQ:0x" +
                                                  kq.substr(0, 2));
        }
    }
    ops.view.setControlColor("cmdFindAdr", kRgbWhite);
}

void ChangeAddress(Operations& ops) {
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical("Jednotka nepřipojena");
        return;
    }
    long n = 0;
    for (;;) {
        std::string current = std::to_string(st.DeviceAddress);
        if (current.size() < 2) current.insert(0, 2 - current.size(), '0');
        const std::string answer = ops.prompter.inputBox(
            "Actual device address is " + current +
                ". While changing address (in range 1 to 159) take care on address colision.",
            "Change device address ", std::to_string(st.DeviceAddress));
        if (answer.empty()) return;
        n = std::lround(ValComma(answer));
        if (n >= 1 && n <= 159) break;
    }
    StopMeasurement(ops.port, ops.view);
    // The converter keeps answering at its old address until it restarts.
    const std::string echo =
        QuickWriteByte(ops, st.DeviceAddress, kCellAddress, static_cast<std::int32_t>(n));
    st.DeviceAddress = HexToLong(echo);
    ops.view.setCaption("lblAdresa", AddressCaptionChanged(st.DeviceAddress));
    RestartConverter(ops);
    DelayMs(ops.port.pump, 200);
    StartMeasurement(ops.port, ops.view);
}

void RestartConverter(Operations& ops) {
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical("Jednotka nepřipojena");
        return;
    }
    StopMeasurement(ops.port, ops.view);
    SetRawReadings(ops.view, "RESET");
    // No "$" and no address: every converter on the line restarts.
    ops.port.line.output("X\r");
    DelayMs(ops.port.pump, 500);
    SetRawReadings(ops.view, "");
    ReadThroughHook(ops, st.DeviceAddress);
    StartMeasurement(ops.port, ops.view);
}

} // namespace rm27
