#include "cli/ctl_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "device/converter.h"
#include "link/codecs.h"
#include "link/codepage.h"
#include "reading/operations.h"

namespace rm27 {

namespace {

// Characters on the terminal, not bytes: descriptions may carry accents.
std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t w = CharacterCount(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

// Rows of cells, each column as wide as its widest cell, two blanks apart.
std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], CharacterCount(row[c]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? Pad(row[c], widths[c] + 2) : row[c];
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string Hex2(std::int32_t value) {
    return LongToHex(value, 2);
}

std::string SourceOf(const DeviceState& st, int input) {
    return InputSourceName(st.sources[input]);
}

std::string OneLine(const std::string& info) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t crlf = info.find("\r\n", at);
        out += info.substr(at, crlf == std::string::npos ? std::string::npos : crlf - at);
        if (crlf == std::string::npos) return out;
        out += "  ";
        at = crlf + 2;
    }
}

std::string GainText(const SensorRecord& rec) {
    const int code = rec.gainCode & 7;
    return std::to_string(code) + " (" + std::to_string(1 << code) + "x)";
}

// The constants are singles in the converter; printed as such they read
// 1e-07, not 1.0000000116860974e-07. A silent converter leaves NaN, which
// JSON has no word for.
std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<float>(value));
    return std::string(buf, res.ptr);
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string InputText(int i) {
    return "input " + std::to_string(i + 1);
}

// Keys and texts of the four inputs' entries.
std::string Indexed(const char* key, int i) {
    return std::string(key) + "[" + std::to_string(i) + "]";
}

} // namespace

std::vector<DoubtNote> ReadingDoubtNotes(const DeviceState& st) {
    const DeviceState::ReadingDoubts& d = st.doubts;
    std::vector<DoubtNote> notes;
    const auto add = [&notes](std::string key, std::string what, Doubt doubt) {
        if (doubt) notes.push_back({std::move(key), std::move(what), doubt});
    };
    add("id", "the identification", d.id);
    add("address", "the address", d.address);
    add("filterCode", "the filter", d.filter);
    for (int i = 0; i < kInputCount; ++i)
        add(Indexed("definition", i), "the definition byte of " + InputText(i), d.definition[i]);
    for (int i = 0; i < kInputCount; ++i) {
        add(Indexed("K", i), "K of " + InputText(i), d.K[i]);
        add(Indexed("Q", i), "Q of " + InputText(i), d.Q[i]);
    }
    const char* const kCells[] = {"28h", "29h", "2Ah"};
    for (int k = 0; k < 3; ++k)
        add(Indexed("configBytes", k), std::string("configuration byte ") + kCells[k],
            d.config[static_cast<std::size_t>(k)]);
    add("ekeyMask", "the eKey mask", d.ekeyMask);
    for (int i = 0; i < kInputCount; ++i)
        add(Indexed("inputs", i), "the record of " + InputText(i), d.records[i]);
    return notes;
}

std::vector<DoubtNote> LiveDoubtNotes(const LiveValues& live) {
    std::vector<DoubtNote> notes;
    for (int i = 0; i < kInputCount; ++i) {
        const LiveValues::Doubts& d = live.doubts[i];
        const std::string in = " of " + InputText(i);
        if (d.raw) notes.push_back({Indexed("raw", i), "the raw reading" + in, d.raw});
        if (d.signal) notes.push_back({Indexed("mvv", i), "the mV/V" + in, d.signal});
        if (d.value) notes.push_back({Indexed("value", i), "the value" + in, d.value});
    }
    return notes;
}

std::string DoubtWarnings(const std::vector<DoubtNote>& notes) {
    std::string out;
    for (const DoubtNote& n : notes)
        out += "r27ctl: warning: " + n.what + " is uncertain (" + DoubtWords(n.doubt) + ")\n";
    return out;
}

std::string ReadReportText(const DeviceState& st) {
    const int row = st.FilterCode & 15;
    std::string config;
    const char* const kConfigNames[] = {"28h:", "29h:", "2Ah:"};
    for (std::size_t i = 0; i < st.configBytes.size(); ++i)
        config += (i ? " " : "") + std::string(kConfigNames[i]) + Hex2(st.configBytes[i]);
    std::string def;
    for (int i = 0; i < kInputCount; ++i)
        def += (i ? " " : "") + Hex2(st.definitionBytes[i]);

    std::string out = Table({
        {"Converter", st.DeviceId},
        {"Variant", st.IsRMU ? "RMU" : "RM-27"},
        {"Address", TrimBlanks(AddressCaptionRead(st.DeviceAddress))},
        {"Filter", std::to_string(row) + "  " + kFilterRows[static_cast<std::size_t>(row)]},
        {"DEF", def},
        {"Config", config},
        {"eKey mask", st.EKeyMaskValid ? "0x" + Hex2(st.EKeyMask) : "-- (no answer)"},
    });

    std::vector<std::vector<std::string>> inputs = {{"Input", "Source", "Identifier", "Description",
                                                     "Unit", "Format", "Gain", "Points", "K", "Q"}};
    std::vector<std::vector<std::string>> infos = {{"Input", "Information"}};
    for (int i = 0; i < kInputCount; ++i) {
        const SensorRecord& rec = st.records[i];
        // Whole: a constant too wide for the window's label is not cut here.
        inputs.push_back({std::to_string(i + 1), SourceOf(st, i), TrimBlanks(rec.sensorId),
                          TrimBlanks(rec.description), TrimBlanks(rec.unit),
                          TrimBlanks(rec.numberFormat), GainText(rec),
                          std::to_string(rec.pointCount),
                          TrimBlanks(FormatWhole(st.K[i], kFormatK)),
                          TrimBlanks(FormatWhole(st.Q[i], kFormatQ))});
        infos.push_back(
            {std::to_string(i + 1), OneLine(InputInfoText(rec, st.definitionBytes[i]))});
    }
    std::string notes;
    for (const DoubtNote& n : ReadingDoubtNotes(st))
        notes += "Note: " + n.what + " is uncertain: " + DoubtWords(n.doubt) + "\n";
    return out + "\n" + Table(inputs) + "\n" + Table(infos) + (notes.empty() ? "" : "\n" + notes);
}

namespace {

// Key by key, the doubts' names, and "overflow" for a constant the
// window's label shows cut (the JSON has the number whole).
std::vector<std::pair<std::string, std::string>> UncertainReasons(const DeviceState& st) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const DoubtNote& n : ReadingDoubtNotes(st))
        out.emplace_back(n.key, DoubtNames(n.doubt));
    const auto overflow = [&out](const std::string& key) {
        const auto it = std::find_if(out.begin(), out.end(),
                                     [&key](const auto& entry) { return entry.first == key; });
        if (it == out.end())
            out.emplace_back(key, "overflow");
        else
            it->second += ",overflow";
    };
    for (int i = 0; i < kInputCount; ++i) {
        if (!FitsFormat(st.K[i], kFormatK)) overflow(Indexed("K", i));
        if (!FitsFormat(st.Q[i], kFormatQ)) overflow(Indexed("Q", i));
    }
    return out;
}

} // namespace

std::string ReadReportJson(const DeviceState& st) {
    const DeviceState::ReadingDoubts& d = st.doubts;
    // An uncertain value is null; "uncertain" says why.
    const auto v = [](Doubt doubt, std::string json) {
        return doubt ? std::string("null") : std::move(json);
    };
    std::vector<std::string> def, k, q, config, inputs;
    for (int i = 0; i < kInputCount; ++i) {
        def.push_back(v(d.definition[i], std::to_string(st.definitionBytes[i])));
        k.push_back(v(d.K[i], JsonNumber(st.K[i])));
        q.push_back(v(d.Q[i], JsonNumber(st.Q[i])));
    }
    for (std::size_t c = 0; c < st.configBytes.size(); ++c)
        config.push_back(v(d.config[c], std::to_string(st.configBytes[c])));
    for (int i = 0; i < kInputCount; ++i) {
        const SensorRecord& rec = st.records[i];
        const Doubt r = d.records[i];
        inputs.push_back(
            "{\"input\":" + std::to_string(i + 1) +
            ",\"source\":" + v(r, JsonString(SourceOf(st, i))) +
            ",\"identifier\":" + v(r, JsonString(TrimBlanks(rec.sensorId))) +
            ",\"description\":" + v(r, JsonString(TrimBlanks(rec.description))) +
            ",\"unit\":" + v(r, JsonString(TrimBlanks(rec.unit))) +
            ",\"format\":" + v(r, JsonString(TrimBlanks(rec.numberFormat))) +
            ",\"gain\":" + v(r, std::to_string(rec.gainCode & 7)) +
            ",\"points\":" + v(r, std::to_string(rec.pointCount)) + ",\"info\":" +
            v(r | d.definition[i], JsonString(InputInfoText(rec, st.definitionBytes[i]))) + "}");
    }
    std::string uncertain;
    for (const auto& [key, reasons] : UncertainReasons(st))
        uncertain += (uncertain.empty() ? "" : ",") + JsonString(key) + ":" + JsonString(reasons);
    const auto row = static_cast<std::size_t>(st.FilterCode & 15);
    return "{\"id\":" + v(d.id, JsonString(st.DeviceId)) +
           ",\"address\":" + v(d.address, std::to_string(st.DeviceAddress)) +
           ",\"isRmu\":" + v(d.id, st.IsRMU ? "true" : "false") +
           ",\"filterCode\":" + v(d.filter, std::to_string(st.FilterCode)) +
           ",\"filter\":" + v(d.filter, JsonString(kFilterRows[row])) +
           ",\"definition\":" + JsonArray(def) + ",\"K\":" + JsonArray(k) +
           ",\"Q\":" + JsonArray(q) + ",\"configBytes\":" + JsonArray(config) +
           ",\"ekeyMask\":" + v(d.ekeyMask, std::to_string(st.EKeyMask)) +
           ",\"ekeyMaskValid\":" + (st.EKeyMaskValid ? "true" : "false") +
           ",\"inputs\":" + JsonArray(inputs) + ",\"uncertain\":{" + uncertain + "}}\n";
}

std::string MonitorLine(const DeviceState& st, const LiveValues& live) {
    std::string line;
    for (int i = 0; i < kInputCount; ++i) {
        const LiveTexts t = LiveTextsOf(st, live, i, true);
        const LiveValues::Doubts& d = live.doubts[i];
        const auto mark = [](Doubt doubt) { return doubt ? "?" : ""; };
        if (i > 0) line += " |";
        line += " " + std::to_string(i + 1) + ": " + t.raw + mark(d.raw) + " " + t.raw256 +
                mark(d.raw) + " " + t.signal + mark(d.signal) + " mV/V " + t.value + mark(d.value);
        const std::string unit = TrimBlanks(st.records[i].unit);
        if (!unit.empty()) line += " " + unit;
    }
    return line.substr(1) + "\n";
}

std::string MonitorCsvHeader(const DeviceState& st, const CsvDialect& dialect) {
    // r27ctl takes no tare: every value is as measured.
    return CsvHeader(HeaderOf(st, LiveValues{}), LogColumns(), dialect);
}

std::string MonitorCsvRow(const DeviceState& st, const LiveValues& live, std::int64_t wallMs,
                          const CsvDialect& dialect) {
    return CsvLogRow(SampleOf(st, live, true, wallMs, wallMs), dialect);
}

} // namespace rm27
