// What the operator is told of the live measurement at any moment: whether
// values are coming, since when none came, and why none come. The window
// shows it in its status bar next to the command it offers (start the
// measurement, or stop a command that only reads); a value the ticks have
// not refreshed for a while is shown as stale rather than as live.
#pragma once

#include <cstdint>
#include <string>

#include "l10n/text.h"
#include "link/ekey.h"
#include "session/device_state.h"

namespace rm27 {

// A value older than this no longer counts as live: three measurement
// intervals, so that one lost answer does not make the window flicker.
inline constexpr std::int64_t kStaleAfterMs = 1500;

// Whether the values of the last decoded answer are live at `nowMs` (the
// pump's clock): the line is open and an answer came within kStaleAfterMs.
bool LiveFresh(const LiveValues& live, bool lineOpen, std::int64_t nowMs);

struct MeasurementFacts {
    bool lineOpen = false;
    bool lineLost = false;      // closed by the loss of the line, not by hand
    bool converterRead = false; // a converter was read since the port opened
    bool timerOn = false;
    bool commandRunning = false;
    bool commandWrites = false;
    // The time of the last decoded answer as shown ("10:15:02"), "" none.
    std::string lastAnswer;
    // The operator's name of the command that runs, or else ended last
    // ("Hledat"), "" none.
    std::string lastCommand;
};

enum class MeasurementOffer {
    None,
    Start,  // "Spustit měření": line open, converter read, timer off
    Cancel, // "Přerušit": a command runs that writes nothing
};

struct MeasurementIndicator {
    Text text;
    MeasurementOffer offer = MeasurementOffer::None;
};

MeasurementIndicator DescribeMeasurement(const MeasurementFacts& facts);

// "10:15:02".
std::string ClockTime(const CivilDateTime& t);

// A write for the status bar: what it writes where while it runs; once
// its outcome is known, how it ended and when ("10:15:02").
struct JournalEntry;
Text WriteConfirmation(const JournalEntry& entry);

} // namespace rm27
