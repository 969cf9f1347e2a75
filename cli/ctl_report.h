// What r27ctl prints: the reading of the converter as aligned text or as
// one JSON object, and the live measurement as text lines or CSV rows. All
// built from the device state with the texts the window shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/device_state.h"
#include "watch/csv_format.h"

namespace rm27 {

// A value the converter may not have sent (see link/doubt.h): where it
// stands in the JSON ("K[1]", "inputs[2]"), what it is in words ("K of
// input 2"), and why.
struct DoubtNote {
    std::string key;
    std::string what;
    Doubt doubt;
};
std::vector<DoubtNote> ReadingDoubtNotes(const DeviceState& state);
// The same for the fields of the last decoded measurement answer.
std::vector<DoubtNote> LiveDoubtNotes(const LiveValues& live);
// "r27ctl: warning: K of input 2 is uncertain (no answer)", one line each.
std::string DoubtWarnings(const std::vector<DoubtNote>& notes);

// The values as the window shows them (whole where its labels cut them),
// inputs numbered 1..4, each uncertain one followed by a note at the end.
std::string ReadReportText(const DeviceState& state);
// One object, keys in English, one line, ending in a line feed. Each
// entry of "inputs" carries its input's number, 1..4. An uncertain value
// is null, and "uncertain" maps its key to the reasons ("K[1]":
// "no-answer"); a constant the window's label cannot show whole keeps its
// number and has the reason "overflow".
std::string ReadReportJson(const DeviceState& state);

// One line per decoded tick: raw, raw / 256, mV/V and value with its unit
// for each input (numbered 1..4), as the window's labels show them but
// never cut to their formats; an uncertain one is followed by "?".
std::string MonitorLine(const DeviceState& state, const LiveValues& live);
// The CSV of the window's log (watch/csv_format.h): its header for the
// converter just read, and the record of an answered tick at wall time
// wallMs (ms since the epoch).
std::string MonitorCsvHeader(const DeviceState& state, const CsvDialect& dialect);
std::string MonitorCsvRow(const DeviceState& state, const LiveValues& live, std::int64_t wallMs,
                          const CsvDialect& dialect);

} // namespace rm27
