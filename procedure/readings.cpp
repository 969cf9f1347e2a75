#include "procedure/readings.h"

#include "procedure/csv_lines.h"
#include "procedure/texts.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace rm27 {

const char* const kReadingsHeader = "series,position_deg,direction,kind,load,signal_mvv,value";

namespace {

constexpr ReadingKind kKinds[] = {ReadingKind::ZeroBefore, ReadingKind::Load,
                                  ReadingKind::ZeroAfter};

std::string Number(double v) {
    if (!std::isfinite(v)) return {};
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

bool ParseNumber(const std::string& text, double& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(out);
}

bool ParseSeries(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && out >= 1;
}

namespace t = texts::procedure;

Text AtLine(int line, const Text& what) {
    return Text(t::kOnLine, line, what);
}

// The reading of one row, or the reason it is none.
Text ParseRow(const std::string& line, int number, Reading& r) {
    const std::vector<std::string> f = CsvFields(line);
    if (f.size() != 7) return AtLine(number, Text(t::kFieldCount, f.size()));
    if (!ParseSeries(f[0], r.series)) return AtLine(number, Text(t::kNotASeries, f[0]));
    for (const std::size_t k : {1u, 4u, 5u}) {
        double& target = k == 1 ? r.positionDeg : k == 4 ? r.load : r.signalMvV;
        if (!ParseNumber(f[k], target)) return AtLine(number, Text(t::kNotANumber, f[k]));
    }
    r.value = NAN;
    if (!f[6].empty() && !ParseNumber(f[6], r.value))
        return AtLine(number, Text(t::kNotANumber, f[6]));
    if (!DirectionFromWord(f[2], r.direction)) return AtLine(number, Text(t::kBadDirection, f[2]));
    bool known = false;
    for (const ReadingKind k : kKinds) {
        if (f[3] != ReadingKindWord(k)) continue;
        r.kind = k;
        known = true;
    }
    if (!known) return AtLine(number, Text(t::kBadKind, f[3]));
    return {};
}

bool Continues(const std::vector<Reading>& before, const Reading& r) {
    if (before.empty()) return r.series == 1;
    const Reading& last = before.back();
    if (r.series == last.series + 1) return true;
    return r.series == last.series && r.positionDeg == last.positionDeg &&
           r.direction == last.direction;
}

} // namespace

const char* ReadingKindWord(ReadingKind k) {
    switch (k) {
    case ReadingKind::ZeroBefore:
        return "zero-before";
    case ReadingKind::ZeroAfter:
        return "zero-after";
    case ReadingKind::Load:
        break;
    }
    return "load";
}

bool Reading::operator==(const Reading& o) const {
    const bool sameValue = value == o.value || (std::isnan(value) && std::isnan(o.value));
    return series == o.series && positionDeg == o.positionDeg && direction == o.direction &&
           kind == o.kind && load == o.load && signalMvV == o.signalMvV && sameValue;
}

std::string ReadingRow(const Reading& r) {
    return std::to_string(r.series) + "," + Number(r.positionDeg) + "," +
           DirectionWord(r.direction) + "," + ReadingKindWord(r.kind) + "," + Number(r.load) + "," +
           Number(r.signalMvV) + "," + Number(r.value) + "\n";
}

ReadingsParse ParseReadings(const std::string& text) {
    ReadingsParse result;
    ForEachLine(text, [&result](const std::string& line, int number) {
        Text why;
        if (number == 1) {
            if (line != kReadingsHeader)
                why = AtLine(number, Text(t::kHeaderMustBe, kReadingsHeader));
        } else {
            Reading r;
            why = ParseRow(line, number, r);
            if (why.empty() && !Continues(result.readings, r))
                why = AtLine(number, Text(t::kSeriesOutOfOrder, r.series));
            if (why.empty()) result.readings.push_back(r);
        }
        if (why.empty()) return true;
        result.errorLine = number;
        result.error = why;
        result.readings.clear();
        return false;
    });
    return result;
}

ReadingsWriter::~ReadingsWriter() {
    close();
}

bool ReadingsWriter::open(const std::string& path, Text& error) {
    close();
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_) {
        error = Text(t::kReadingsNotOpened, path, Text::Value(std::strerror(errno)));
        return false;
    }
    path_ = path;
    std::fseek(file_, 0, SEEK_END);
    if (std::ftell(file_) == 0) return put(std::string(kReadingsHeader) + "\n", error);
    return true;
}

bool ReadingsWriter::append(const Reading& r, Text& error) {
    return put(ReadingRow(r), error);
}

bool ReadingsWriter::put(const std::string& text, Text& error) {
    errno = 0;
    const bool ok = file_ && std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                    std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    if (!ok)
        error =
            Text(t::kReadingsNotWritten, path_, Text::Value(std::strerror(errno ? errno : EIO)));
    return ok;
}

void ReadingsWriter::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

} // namespace rm27
