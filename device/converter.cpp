#include "device/converter.h"

#include <cassert>

#include "device/texts.h"
#include "link/codecs.h"
#include "link/transact.h"
#include "session/controls.h"
#include "session/input_checks.h"
#include "session/measurement.h"

namespace rm27 {

void ShowDoubt(MainView& view, const std::string& control, Doubt doubt, const Text& overflow) {
    Text why = DoubtText(doubt);
    view.setDoubt(control, why.join(overflow, Joint::LineBreak));
}

void ShowConstants(MainView& view, const DeviceState& st, int i) {
    view.setCaption(ctl::lblR38mVVK(i), Text::Value(FormatFixed(st.K[i], kFormatK)));
    view.setCaption(ctl::lblR38mVVQ(i), Text::Value(FormatFixed(st.Q[i], kFormatQ)));
    ShowDoubt(view, ctl::lblR38mVVK(i), st.doubts.K[i], FormatOverflow(st.K[i], kFormatK));
    ShowDoubt(view, ctl::lblR38mVVQ(i), st.doubts.Q[i], FormatOverflow(st.Q[i], kFormatQ));
}

bool ReadConverter(Operations& ops, std::int32_t& address) {
    // The reading itself lives above this library; whoever builds the
    // session hands it in.
    assert(ops.readConverter && "no reading set for the sequences that end in one");
    return ops.readConverter ? ops.readConverter(address) : false;
}

void ReadEKeyPresence(Operations& ops) {
    DeviceState& st = ops.state;
    if (!ops.port.line.isOpen()) {
        st.EKeyMask = 0;
        st.EKeyMaskValid = false;
        return;
    }
    ops.port.flush();
    ops.port.ask(BuildFrame(st.DeviceAddress, "KQ"), 3);
    DelayMs(ops.port, 100);
    const std::string answer = ops.port.line.input();
    // One try and a fixed wait: a missing mask just means every input is
    // read from the converter's internal copy.
    st.EKeyMaskValid = answer.size() == 3;
    st.EKeyMask = st.EKeyMaskValid
                      ? static_cast<std::uint8_t>(HexToLong(answer.substr(0, 2)) & 0xFF)
                      : std::uint8_t{0};
    if (st.EKeyMaskValid) {
        st.doubts.ekeyMask = HexAnswerDoubt(answer) | ops.port.answers.taken(ops.nowMs());
    } else {
        ops.port.answers.discarded(answer);
        st.doubts.ekeyMask = kDoubtNoAnswer;
    }
}

std::string QuickWriteByte(Operations& ops, std::int32_t address, std::int32_t location,
                           std::int32_t value) {
    ops.port.ask("$" + LongToHex(address, 2) + "EW" + LongToHex(location, 2) + LongToHex(value, 2) +
                     "\r",
                 3);
    DelayMs(ops.port, 100);
    const std::string arrived = ops.port.line.input();
    // The echo is the caller's to judge; the ledger still has to know
    // whether the answer it waited for came.
    if (arrived.size() == 3)
        ops.port.answers.taken(ops.nowMs());
    else
        ops.port.answers.discarded(arrived);
    DelayMs(ops.port, 100);
    return arrived.substr(0, 2);
}

void SetRawReadings(MainView& view, const std::string& text) {
    for (int i = 0; i < kInputCount; ++i)
        view.setCaption(ctl::lblHodnota(i), Text::Value(text));
}

void RestartConverter(Operations& ops) {
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical(Text(texts::device::kNotConnected));
        return;
    }
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return;
    SetRawReadings(ops.view, "RESET");
    // No "$" and no address: every converter on the line restarts.
    ops.port.send("X\r");
    // Whatever a restarting converter still owed will never come.
    ops.port.answers.forget();
    DelayMs(ops.port, 500);
    SetRawReadings(ops.view, "");
    ReadConverter(ops, st.DeviceAddress);
    StartMeasurement(ops.port, ops.view);
}

} // namespace rm27
