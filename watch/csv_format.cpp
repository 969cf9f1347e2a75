#include "watch/csv_format.h"

#include <charconv>
#include <cmath>

#include "link/codecs.h"
#include "link/codepage.h"
#include "watch/wall_time.h"

namespace rm27 {

namespace {

constexpr char kLineEnd[] = "\r\n";

const char* ColumnPrefix(Quantity q) {
    switch (q) {
    case Quantity::Raw:
        return "raw_";
    case Quantity::Signal:
        return "mvv_";
    case Quantity::Value:
        break;
    }
    return "value_";
}

int DecimalsFor(const CsvColumn& c, const WatchHeader& h) {
    switch (c.quantity) {
    case Quantity::Raw:
        return 0;
    case Quantity::Signal:
        return kSignalDecimals;
    case Quantity::Value:
        break;
    }
    return DecimalsOf(h.inputs[static_cast<std::size_t>(c.input)].numberFormat);
}

} // namespace

std::vector<CsvColumn> LogColumns() {
    std::vector<CsvColumn> columns;
    for (int i = 0; i < kInputCount; ++i) {
        for (const Quantity q : {Quantity::Raw, Quantity::Signal, Quantity::Value})
            columns.push_back({i, q});
    }
    return columns;
}

std::string CsvNumber(double value, int decimals, char decimal) {
    if (!std::isfinite(value)) return {};
    // The shortest text that reads back as the value, then rounded as a
    // person would round that text.
    char buf[400];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    std::string digits(buf, res.ptr);
    std::string integer = digits;
    std::string fraction;
    if (const std::size_t dot = digits.find('.'); dot != std::string::npos) {
        integer = digits.substr(0, dot);
        fraction = digits.substr(dot + 1);
    }
    const auto keep = static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
    bool up = fraction.size() > keep && fraction[keep] >= '5';
    fraction.resize(keep, '0');
    std::string all = integer + fraction;
    for (std::size_t i = all.size(); up && i-- > 0;) {
        if (all[i] == '9') {
            all[i] = '0';
        } else {
            ++all[i];
            up = false;
        }
    }
    if (up) all.insert(all.begin(), '1');
    const std::size_t intLen = all.size() - keep;
    std::string out = all.substr(0, intLen);
    if (keep > 0) out += decimal + all.substr(intLen);
    if (value < 0 && out.find_first_not_of(std::string("0") + decimal) != std::string::npos)
        out.insert(out.begin(), '-');
    return out;
}

std::string CsvField(const std::string& text, const CsvDialect& dialect) {
    const std::string t = ReplaceInvalidUtf8(text);
    if (t.find_first_of(std::string("\"\r\n") + dialect.separator) == std::string::npos) return t;
    std::string out = "\"";
    for (const char c : t)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string CsvRecord(const std::vector<std::string>& fields, const CsvDialect& d) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += d.separator;
        out += CsvField(fields[i], d);
    }
    return out + kLineEnd;
}

std::string CsvHeader(const WatchHeader& h, const std::vector<CsvColumn>& columns,
                      const CsvDialect& d) {
    const std::size_t width = columns.size() + 1;
    std::vector<std::string> converter = {"converter", h.deviceId, "address",
                                          std::to_string(h.address)};
    converter.resize(std::max(width, converter.size()));
    std::vector<std::string> sensor = {"sensor"}, description = {"description"}, unit = {"unit"},
                             tare = {"tare"}, names = {"time"};
    for (const CsvColumn& c : columns) {
        const InputLabel& in = h.inputs[static_cast<std::size_t>(c.input)];
        sensor.push_back(in.sensorId);
        description.push_back(in.description);
        unit.push_back(c.quantity == Quantity::Raw      ? "DIV"
                       : c.quantity == Quantity::Signal ? "mV/V"
                                                        : in.unit);
        tare.push_back(
            c.quantity == Quantity::Value
                ? CsvNumber(h.tare[static_cast<std::size_t>(c.input)], DecimalsFor(c, h), d.decimal)
                : "");
        names.push_back(ColumnPrefix(c.quantity) + std::to_string(c.input + 1));
    }
    return CsvRecord(converter, d) + CsvRecord(sensor, d) + CsvRecord(description, d) +
           CsvRecord(unit, d) + CsvRecord(tare, d) + CsvRecord(names, d);
}

std::string CsvRow(std::int64_t wallMs, const std::vector<double>& values,
                   const std::vector<CsvColumn>& columns, const WatchHeader& header,
                   const CsvDialect& d) {
    std::string out = IsoLocalTime(wallMs);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        out += d.separator;
        if (k < values.size())
            out += CsvNumber(values[k], DecimalsFor(columns[k], header), d.decimal);
    }
    return out + kLineEnd;
}

std::string CsvLogRow(const TickSample& s, const CsvDialect& d) {
    static const std::vector<CsvColumn> columns = LogColumns();
    std::vector<double> values;
    values.reserve(columns.size());
    for (const CsvColumn& c : columns) {
        const auto i = static_cast<std::size_t>(c.input);
        values.push_back(c.quantity == Quantity::Raw      ? s.raw[i]
                         : c.quantity == Quantity::Signal ? s.signal[i]
                                                          : s.value[i]);
    }
    return CsvRow(s.wallMs, values, columns, s.header, d);
}

} // namespace rm27
