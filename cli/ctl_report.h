// What r27ctl prints: the reading of the converter as aligned text or as
// one JSON object, and the live measurement as text lines or CSV rows. All
// built from the device state with the texts the window shows.
#pragma once

#include <cstdint>
#include <string>

#include "session/device_state.h"
#include "watch/csv_format.h"

namespace rm27 {

std::string ReadReportText(const DeviceState& state);
// One object, keys in English, one line, ending in a line feed.
std::string ReadReportJson(const DeviceState& state);

// One line per decoded tick: raw, raw / 256, mV/V and value with its unit
// for each input, as the window's labels show them.
std::string MonitorLine(const DeviceState& state);
// The CSV of the window's log (watch/csv_format.h): its header for the
// converter just read, and the record of an answered tick at wall time
// wallMs (ms since the epoch).
std::string MonitorCsvHeader(const DeviceState& state, const CsvDialect& dialect);
std::string MonitorCsvRow(const DeviceState& state, std::int64_t wallMs, const CsvDialect& dialect);

// text as a JSON string literal. Text that is not valid UTF-8 (an eKey
// written by an older tool in a legacy code page) is read as Latin-1, so
// the output is always valid JSON.
std::string JsonString(const std::string& text);

} // namespace rm27
