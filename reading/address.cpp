#include "reading/operations.h"

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "device/converter.h"
#include "device/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "link/transact.h"
#include "reading/texts.h"
#include "session/controls.h"
#include "session/measurement.h"
#include "session/write_safety.h"

namespace rm27 {

std::string ScanRow(const FoundConverter& found) {
    return "@0x" + LongToHex(found.address, 2) + " " + found.id + " KQ:0x" + found.kq;
}

std::int32_t ScanRowAddress(const std::string& row) {
    if (row.size() < 5 || row.compare(0, 3, "@0x") != 0) return -1;
    const std::string digits = row.substr(3, 2);
    if (!std::isxdigit(static_cast<unsigned char>(digits[0])) ||
        !std::isxdigit(static_cast<unsigned char>(digits[1])))
        return -1;
    return HexToLong(digits);
}

void ShowScanList(Operations& ops) {
    ops.view.clearList(ctl::lstCurves);
    for (const FoundConverter& found : ops.state.scanFound)
        ops.view.addListItem(ctl::lstCurves, Text::Value(ScanRow(found)));
    ops.view.setCaption(ctl::lblScanInfo,
                        Text(texts::reading::kScanFound, ops.state.scanFound.size()));
}

std::vector<FoundConverter> ScanAddresses(Operations& ops) {
    std::vector<FoundConverter> found;
    Port& port = ops.port;
    ops.view.setControlColor(ctl::cmdFindAdr, kRgbYellow);
    if (port.line.isOpen()) {
        StopMeasurement(port, ops.view);
        ops.view.clearList(ctl::lstCurves);
        // A probe's silence means that nobody is there, not a late answer.
        port.answers.forget();
        port.send("\r"); // ends whatever partial frame is on the line
        DelayMs(port, 100);
        for (std::int32_t a = kScanFirstAddress; a <= kScanLastAddress && !ops.cancelled(); ++a) {
            port.line.input();
            port.send(BuildFrame(a, "@"));
            DelayMs(port, 50);
            const std::string answer = port.line.input();
            if (!IsScanId(answer)) continue;
            port.send(BuildFrame(a, "KQ"));
            DelayMs(port, 50);
            const std::string kq = port.line.input();
            if (kq.size() != 3) continue;
            found.push_back({a, answer.substr(0, answer.size() - 1), kq.substr(0, 2)});
            ops.view.addListItem(ctl::lstCurves, Text::Value(ScanRow(found.back())));
        }
        port.answers.forget();
        ops.state.scanFound = found;
        ShowScanList(ops);
    }
    ops.view.setControlColor(ctl::cmdFindAdr, kRgbWhite);
    return found;
}

namespace {

// The scan's list follows an address change, so that a double click on it
// still reaches the converter.
void MoveScanEntry(Operations& ops, std::int32_t from, std::int32_t to) {
    bool moved = false;
    for (FoundConverter& found : ops.state.scanFound) {
        if (found.address != from) continue;
        found.address = to;
        moved = true;
    }
    if (moved) ShowScanList(ops);
}

} // namespace

void ChangeAddress(Operations& ops) {
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical(Text(texts::device::kNotConnected));
        return;
    }
    long n = 0;
    {
        // Nothing is sent before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        for (;;) {
            std::string current = std::to_string(st.DeviceAddress);
            if (current.size() < 2) current.insert(0, 2 - current.size(), '0');
            const std::string answer = ops.prompter.inputBox(
                Text(texts::reading::kAddressPrompt, current), Text(texts::reading::kAddressTitle),
                std::to_string(st.DeviceAddress));
            if (answer.empty()) return;
            n = std::lround(ValComma(answer));
            if (n >= 1 && n <= 159) break;
        }
    }
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return;
    const auto value = static_cast<std::int32_t>(n);
    GuardedWrite w;
    if (KnowCells(ops, {kCellAddress}))
        w = BeginCellsWrite(ops, journaled::kAddress, {{kCellAddress, value}}, -1);
    if (w.refused()) {
        // Nothing went out: the converter measures on at its address.
        StartMeasurement(ops.port, ops.view);
        return;
    }
    // The converter keeps answering at its old address until it restarts.
    const std::string echo = QuickWriteByte(ops, st.DeviceAddress, kCellAddress, value);
    EndCellsWrite(ops, w, true);
    if (ops.cancelled()) return;
    const std::int32_t before = st.DeviceAddress;
    st.DeviceAddress = HexToLong(echo);
    MoveScanEntry(ops, before, st.DeviceAddress);
    ops.view.setCaption(ctl::lblAdresa, Text::Value(AddressCaptionChanged(st.DeviceAddress)));
    RestartConverter(ops);
    DelayMs(ops.port, 200);
    StartMeasurement(ops.port, ops.view);
    // The restart's reading asked the converter its address: that settles
    // the write, without a frame of its own.
    SettleCells(ops, w, ConfirmFromReading(ops.cache, w));
}

} // namespace rm27
