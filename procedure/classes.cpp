#include "procedure/classes.h"

#include "procedure/csv_lines.h"
#include "procedure/texts.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace rm27 {

namespace {

// A limit met to the last few digits is met: the figures come out of
// divisions and must not fail a class on rounding.
constexpr double kSlack = 1e-9;

std::string CsvHeader() {
    std::string header = "class";
    for (const Figure f : kFigures)
        header += std::string(",") + FigureName(f);
    return header;
}

bool Limit(const std::string& text, double& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(out) && out >= 0.0;
}

namespace t = texts::procedure;

// A class without its name or one of its limits, in the JSON's k-th
// object or on the CSV's line k.
Text BadClass(bool json, std::size_t k) {
    return Text(json ? t::kBadClassItem : t::kBadClassLine, k);
}

ClassTableParse ParseJson(const std::string& text) {
    ClassTableParse result;
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_array()) {
        result.error = Text(t::kClassesNotJson);
        return result;
    }
    for (std::size_t k = 0; k < doc.size(); ++k) {
        const nlohmann::json& item = doc[k];
        ClassLimits c;
        bool ok = item.is_object() && item.contains("class") && item["class"].is_string();
        if (ok) c.name = item["class"].get<std::string>();
        for (const Figure f : kFigures) {
            const char* key = FigureName(f);
            ok = ok && item.contains(key) && item[key].is_number();
            double& limit = c.limitPct[static_cast<std::size_t>(f)];
            if (ok) limit = item[key].get<double>();
            ok = ok && std::isfinite(limit) && limit >= 0.0;
        }
        if (!ok || c.name.empty()) {
            result.error = BadClass(true, k + 1);
            return result;
        }
        result.table.push_back(c);
    }
    return result;
}

ClassTableParse ParseCsv(const std::string& text) {
    ClassTableParse result;
    ForEachLine(text, [&result](const std::string& line, int number) {
        if (number == 1) {
            if (line != CsvHeader()) result.error = Text(t::kClassesHeader, CsvHeader());
            return result.ok();
        }
        const std::vector<std::string> f = CsvFields(line);
        ClassLimits c;
        bool ok = f.size() == kFigures.size() + 1 && !f[0].empty();
        for (std::size_t k = 0; ok && k < kFigures.size(); ++k)
            ok = Limit(f[k + 1], c.limitPct[k]);
        if (!ok) {
            result.error = BadClass(false, static_cast<std::size_t>(number));
            return false;
        }
        c.name = f[0];
        result.table.push_back(c);
        return true;
    });
    return result;
}

std::string Number(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

} // namespace

const char* FigureName(Figure f) {
    switch (f) {
    case Figure::B:
        return "b";
    case Figure::BPrime:
        return "b_prime";
    case Figure::Fc:
        return "fc";
    case Figure::F0:
        return "f0";
    case Figure::V:
        break;
    }
    return "v";
}

ClassTable DefaultClassTable() {
    // Limits in % of b, b', fc, f0, v.
    return {
        {"00", {0.05, 0.025, 0.025, 0.012, 0.07}},
        {"0.5", {0.10, 0.05, 0.05, 0.025, 0.15}},
        {"1", {0.20, 0.10, 0.10, 0.05, 0.30}},
        {"2", {0.40, 0.20, 0.20, 0.10, 0.50}},
    };
}

std::optional<std::string> Classify(const FigureSet& worst, const ClassTable& table) {
    bool formed = false;
    for (const auto& value : worst)
        formed = formed || value.has_value();
    if (!formed) return std::nullopt;
    for (const ClassLimits& c : table) {
        bool met = true;
        for (std::size_t k = 0; k < worst.size() && met; ++k) {
            if (worst[k]) met = std::fabs(*worst[k]) <= c.limitPct[k] * (1.0 + kSlack);
        }
        if (met) return c.name;
    }
    return std::nullopt;
}

ClassTableParse ParseClassTable(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    ClassTableParse result =
        first != std::string::npos && text[first] == '[' ? ParseJson(text) : ParseCsv(text);
    if (result.ok() && result.table.empty()) result.error = Text(t::kClassesEmpty);
    return result;
}

std::string ClassTableJson(const ClassTable& table) {
    nlohmann::ordered_json doc = nlohmann::ordered_json::array();
    for (const ClassLimits& c : table) {
        nlohmann::ordered_json item = {{"class", c.name}};
        for (const Figure f : kFigures)
            item[FigureName(f)] = c.limitPct[static_cast<std::size_t>(f)];
        doc.push_back(item);
    }
    return doc.dump(2) + "\n";
}

std::string ClassTableCsv(const ClassTable& table) {
    std::string out = CsvHeader() + "\n";
    for (const ClassLimits& c : table) {
        out += c.name;
        for (const double limit : c.limitPct)
            out += "," + Number(limit);
        out += "\n";
    }
    return out;
}

} // namespace rm27
