// The readings file of a load series: CSV, one row per reading in the
// order taken, under exactly the header
//   series,position_deg,direction,kind,load,signal_mvv,value
// series counting from 1, direction "up"/"down", kind "zero-before",
// "load" or "zero-after" (a zero reading has load 0), the signal in mV/V
// and the value in the input's unit (empty when the converter gave none).
// A step taken again gives a second row; the later one counts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "l10n/text.h"

#include "procedure/plan.h"

namespace rm27 {

enum class ReadingKind { ZeroBefore, Load, ZeroAfter };

const char* ReadingKindWord(ReadingKind k);

struct Reading {
    int series = 1;
    double positionDeg = 0.0;
    Direction direction = Direction::Up;
    ReadingKind kind = ReadingKind::Load;
    double load = 0.0;
    double signalMvV = 0.0;
    double value = 0.0; // NaN: none
    bool operator==(const Reading&) const;
};

extern const char* const kReadingsHeader;

// One row, with its line end; numbers in the shortest form that reads
// back to the same double.
std::string ReadingRow(const Reading& r);

struct ReadingsParse {
    std::vector<Reading> readings;
    int errorLine = 0; // counting from 1; 0: the whole text was read
    Text error;        // what is wrong on that line
    bool ok() const { return errorLine == 0; }
};

// Every line must be the header (the first) or a complete row: seven
// fields, the words above, numbers in full (no blanks, no decimal comma).
// A series keeps its position and direction, and the series come in
// order: a row belongs to the series of the row before or to the next one.
// An empty last line is allowed; the file may end in the middle of a
// series (a run that was cut short).
ReadingsParse ParseReadings(const std::string& text);

// Appends rows to a readings file as they are taken, each flushed to the
// disk before append() returns, so a crash of the program or the machine
// loses no reading taken. A new or empty file gets the header first.
class ReadingsWriter {
public:
    ReadingsWriter() = default;
    ~ReadingsWriter();
    ReadingsWriter(const ReadingsWriter&) = delete;
    ReadingsWriter& operator=(const ReadingsWriter&) = delete;

    // False with the reason in error.
    bool open(const std::string& path, Text& error);
    bool append(const Reading& r, Text& error);
    void close();

private:
    bool put(const std::string& text, Text& error);

    std::FILE* file_ = nullptr;
    std::string path_;
};

} // namespace rm27
