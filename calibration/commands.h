// The main window's calibration commands, written once for the window,
// r27ctl and the tests: the zero and the slope of an input (Q and K in the
// converter's memory), the measuring filter, and the calibration editor run
// that stores an edited curve in an input's eKey.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "calibration/editor_model.h"
#include "link/result.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

// SetmVVKQ and WriteFilter end Ok (constant in memory, read back, "LT"
// sent, measurement running), NotConfirmed (written and "LT" sent, but the
// cells read back other values, or could not be read back: a message said
// which), NotRun (no such button, or the command was cancelled),
// ZeroEntered ("nemuze to byt nula": nothing written, measurement left
// stopped) or Refused (a check refused the value: reading equal to Q, a K
// or an entered mV/V no single holds, or the operator said No to a span
// that small; nothing written, measurement running again).

// The twelve "0", "2" and "x" buttons. Index 0..3: the zero of input
// index from its live reading; 4..7: the slope of input index - 4 against a
// 2 mV/V reference; 8..11: the slope of input index - 8 against a value the
// user enters. A slope is checked before it goes out, and one taken over
// fewer than 1000 divisions is asked about first (No preselected).
Result SetmVVKQ(Operations& ops, int index);

// After their steps, both read back the cells they wrote (the measurement
// stopped for it once more) and say so when the converter does not hold
// what was sent: an echo proves nothing about where a byte was stored.

// "Zápis" beside the filter list: filterCode is the row chosen (0..15).
// Nothing happens (NotRun) for a code outside 0..15 (no row chosen yet).
Result WriteFilter(Operations& ops, int filterCode);

// What an editing run came to.
struct CalibrationRun {
    EditorTag tag = EditorTag::None; // how the editor was left; None when cancelled
    Result built;                    // BuildEKeyImage's, carrying the size; Ok, size 0, when
                                     // nothing was built
    Result writeResult;              // BlockWrite's, when it ran
    std::string image;               // the image sent, when one was built
    // The store with its journal entry (none when nothing was sent: no
    // image, or the block's old content or the journal was not to be had),
    // checked against the reading that follows it.
    GuardedWrite write;
    WriteCheckResult checkResult = WriteCheckResult::NotReadAgain;
    bool stored() const {
        return tag == EditorTag::Store && built.size() > 0 && !write.refused() && writeResult.ok();
    }
};

// Runs the editor for one input (0..3) with the measurement going on, and
// stores the edited record in the block it came from (the input's eKey or
// the converter's internal copy).
CalibrationRun DoCalibration(Operations& ops, int input, CalibrationEditor& editor);

// "Změnit": the eKey presence, the editing run, then the window's read
// action ("Načíst"), which readAction carries out; a stored record is then
// checked against what the reading found in its block.
CalibrationRun ChangeCalibration(Operations& ops, int input, CalibrationEditor& editor,
                                 const std::function<void(Operations&)>& readAction);

} // namespace rm27
