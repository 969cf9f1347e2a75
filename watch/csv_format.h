// The CSV that the log, the chart's export and `r27ctl monitor --csv`
// write. Every record has the same number of fields:
//
//   converter,0123RM2712,address,1,,,,,,,,,
//   sensor,<id 1>,<id 1>,<id 1>,<id 2>,...        each input's three columns
//   description,<text 1>,<text 1>,<text 1>,...
//   unit,DIV,mV/V,<unit 1>,DIV,mV/V,<unit 2>,...
//   tare,,,<tare 1>,,,<tare 2>,...                 0 for a value as measured
//   time,raw_1,mvv_1,value_1,raw_2,mvv_2,value_2,...
//   2026-12-04T10:15:02.500,8391213,0.500012,12.50,...
//
// Inputs are numbered 1..4 as the window's columns. Time is ISO 8601 local
// time with milliseconds; raw in divisions, mV/V with six decimals, the
// value (less the tare of the header, as shown) and the tare with the
// decimals of the sensor's display format; a number that is not finite
// leaves its field empty. Records end in CR LF; a field holding the
// separator, a quote or a line break is quoted, quotes doubled. Text is
// UTF-8 (eKey texts are decoded from the sensors' code page when read; a
// byte of a garbled identification that is no UTF-8 is written as U+FFFD).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "watch/series_ring.h"
#include "watch/tick_sample.h"

namespace rm27 {

struct CsvDialect {
    char separator = ',';
    char decimal = '.';
};
// The two a spreadsheet reads without asking: "," with a decimal point, or
// ";" with a decimal comma (the European one).
inline constexpr CsvDialect kCsvComma{',', '.'};
inline constexpr CsvDialect kCsvSemicolon{';', ','};

inline constexpr int kSignalDecimals = 6;

struct CsvColumn {
    int input = 0; // 0..3
    Quantity quantity = Quantity::Value;
};

// Raw, mV/V and value of each input in turn: the log's columns.
std::vector<CsvColumn> LogColumns();

// value rounded half away from zero on its shortest decimal text, with
// exactly `decimals` digits after `decimal`; "" when not finite.
std::string CsvNumber(double value, int decimals, char decimal);
// text as one field: quoted when it must be.
std::string CsvField(const std::string& text, const CsvDialect& dialect);
// fields as one record, ending in CR LF.
std::string CsvRecord(const std::vector<std::string>& fields, const CsvDialect& dialect);

// The six header records.
std::string CsvHeader(const WatchHeader& header, const std::vector<CsvColumn>& columns,
                      const CsvDialect& dialect);
// One record: the time, then values[k] for columns[k].
std::string CsvRow(std::int64_t wallMs, const std::vector<double>& values,
                   const std::vector<CsvColumn>& columns, const WatchHeader& header,
                   const CsvDialect& dialect);
// The log's record of an answered tick.
std::string CsvLogRow(const TickSample& sample, const CsvDialect& dialect);

} // namespace rm27
