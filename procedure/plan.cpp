#include "procedure/plan.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <type_traits>

#include "procedure/texts.h"

namespace rm27 {

namespace {

using nlohmann::json;
namespace t = texts::procedure;

Text Missing(const char* key) {
    return Text(t::kPlanMissing, key);
}

// The first broken rule of the plan, or nothing.
Text Broken(const Plan& p) {
    if (p.input < 1 || p.input > 4) return Text(t::kPlanInput);
    bool rising = p.loads.size() >= 2;
    for (std::size_t k = 0; k < p.loads.size() && rising; ++k)
        rising = std::isfinite(p.loads[k]) && p.loads[k] > 0.0 &&
                 (k == 0 || p.loads[k] > p.loads[k - 1]);
    if (!rising) return Text(t::kPlanLoads);
    if (p.preloads < 0) return Text(t::kPlanPreloads);
    if (p.series.empty()) return Text(t::kPlanNoSeries);
    for (const SeriesPlan& s : p.series) {
        if (!std::isfinite(s.positionDeg)) return Missing("position_deg");
    }
    if (!(p.stability.bandMvV > 0.0) || !std::isfinite(p.stability.bandMvV) ||
        p.stability.timeMs < 0)
        return Text(t::kPlanStability);
    return {};
}

// The value at key, of the type asked for; false when absent or not one.
template <class T> bool Take(const json& object, const char* key, T& out) {
    const auto it = object.find(key);
    if (it == object.end()) return false;
    if constexpr (std::is_same_v<T, std::string>) {
        if (!it->is_string()) return false;
    } else if constexpr (std::is_integral_v<T>) {
        if (!it->is_number_integer()) return false;
    } else {
        if (!it->is_number()) return false;
    }
    out = it->get<T>();
    return true;
}

Text ReadSeries(const json& list, std::vector<SeriesPlan>& out) {
    if (!list.is_array()) return Missing("series");
    for (std::size_t k = 0; k < list.size(); ++k) {
        const json& item = list[k];
        SeriesPlan s;
        std::string word;
        if (!item.is_object() || !Take(item, "position_deg", s.positionDeg))
            return Missing("position_deg");
        if (!Take(item, "direction", word) || !DirectionFromWord(word, s.direction))
            return Text(t::kPlanDirection, k + 1);
        out.push_back(s);
    }
    return {};
}

Text ReadPlan(const json& doc, Plan& p) {
    if (!doc.is_object()) return Missing("input");
    if (!Take(doc, "input", p.input)) return Missing("input");
    if (!Take(doc, "unit", p.unit)) return Missing("unit");
    const auto loads = doc.find("loads");
    if (loads == doc.end() || !loads->is_array()) return Missing("loads");
    for (const json& load : *loads) {
        if (!load.is_number()) return Missing("loads");
        p.loads.push_back(load.get<double>());
    }
    if (doc.contains("preloads") && !Take(doc, "preloads", p.preloads)) return Missing("preloads");
    const auto series = doc.find("series");
    if (series == doc.end()) return Missing("series");
    if (Text why = ReadSeries(*series, p.series); !why.empty()) return why;
    const auto stability = doc.find("stability");
    if (stability == doc.end() || !stability->is_object() ||
        !Take(*stability, "band_mvv", p.stability.bandMvV) ||
        !Take(*stability, "time_ms", p.stability.timeMs))
        return Missing("stability");
    return Broken(p);
}

} // namespace

const char* DirectionWord(Direction d) {
    return d == Direction::Up ? "up" : "down";
}

bool DirectionFromWord(const std::string& word, Direction& d) {
    if (word == "up" || word == "down") {
        d = word == "up" ? Direction::Up : Direction::Down;
        return true;
    }
    return false;
}

PlanParse ParsePlanJson(const std::string& text) {
    PlanParse result;
    const json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) {
        result.error = Text(t::kPlanNotJson);
        return result;
    }
    result.error = ReadPlan(doc, result.plan);
    return result;
}

std::string PlanJson(const Plan& p) {
    nlohmann::ordered_json series = nlohmann::ordered_json::array();
    for (const SeriesPlan& s : p.series)
        series.push_back(
            {{"position_deg", s.positionDeg}, {"direction", DirectionWord(s.direction)}});
    const nlohmann::ordered_json doc = {
        {"input", p.input},
        {"unit", p.unit},
        {"loads", p.loads},
        {"preloads", p.preloads},
        {"series", series},
        {"stability", {{"band_mvv", p.stability.bandMvV}, {"time_ms", p.stability.timeMs}}},
    };
    return doc.dump(2) + "\n";
}

} // namespace rm27
