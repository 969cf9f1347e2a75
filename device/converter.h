// The steps on the converter that the window's reading, the calibration
// commands and the maintenance all take: the reading that ends a sequence,
// the eKey presence, the plain one-byte write, and how a value and its
// doubt go onto a label. They speak to the user only through the view.
#pragma once

#include <cstdint>
#include <string>

#include "l10n/text.h"
#include "link/doubt.h"
#include "session/device_state.h"
#include "session/main_view.h"
#include "session/operations.h"

namespace rm27 {

// Tells the view that a control's value is uncertain (its reason in the
// operator's words), or certain again for an empty doubt. `overflow` is
// what FormatFixed cut off the value's text (FormatOverflow), said in the
// same tool tip: the caption keeps the cut text.
void ShowDoubt(MainView& view, const std::string& control, Doubt doubt, const Text& overflow = {});

// The display formats of K and Q (lblR38mVVK, lblR38mVVQ).
inline const std::string kFormatK = "0.0000 E+00";
inline const std::string kFormatQ = "#######0";
// K and Q of an input into their labels, with what is held against them.
void ShowConstants(MainView& view, const DeviceState& state, int input);

// The read the sequences that end in a reading use: ops.readConverter,
// which the front end or the rig sets (the reading's ReadRM27, or the
// window's own). False, with nothing sent, when none was set.
bool ReadConverter(Operations& ops, std::int32_t& address);
// Which inputs have an eKey plugged ("KQ"), into the state's mask.
void ReadEKeyPresence(Operations& ops);

// Plain one-byte memory write; result the first two characters of the echo.
std::string QuickWriteByte(Operations& ops, std::int32_t address, std::int32_t location,
                           std::int32_t value);

// The raw labels of the four inputs, all one text: "?????" while reading,
// "-----" without an answer, "RESET" during the restart.
void SetRawReadings(MainView& view, const std::string& text);

// Restart every converter on the line ("X" + CR), then read again.
void RestartConverter(Operations& ops);

} // namespace rm27
