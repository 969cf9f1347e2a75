// The figures a load series is judged by and the table of classes with
// their limits. The table is data the user may edit: read from and written
// to JSON or CSV; its classes are listed best first.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "l10n/text.h"

namespace rm27 {

// The five figures, in the order of the class table's columns.
enum class Figure { B, BPrime, Fc, F0, V };
inline constexpr std::array kFigures = {Figure::B, Figure::BPrime, Figure::Fc, Figure::F0,
                                        Figure::V};

// "b", "b_prime", "fc", "f0", "v": the keys of the files and the JSON.
const char* FigureName(Figure f);

// One value per figure, in % (nothing: the figure could not be formed).
using FigureSet = std::array<std::optional<double>, kFigures.size()>;
inline std::optional<double>& At(FigureSet& set, Figure f) {
    return set[static_cast<std::size_t>(f)];
}
inline const std::optional<double>& At(const FigureSet& set, Figure f) {
    return set[static_cast<std::size_t>(f)];
}

struct ClassLimits {
    std::string name;
    std::array<double, kFigures.size()> limitPct{}; // |figure| allowed, per figure
    bool operator==(const ClassLimits&) const = default;
};
using ClassTable = std::vector<ClassLimits>;

// The four classes commonly used for force-proving instruments.
ClassTable DefaultClassTable();

// The best class whose limits every figure that was formed meets (a
// figure that could not be formed does not count against any class);
// nothing when none is met, or when no figure was formed at all.
std::optional<std::string> Classify(const FigureSet& worst, const ClassTable& table);

struct ClassTableParse {
    ClassTable table;
    Text error; // empty: read
    bool ok() const { return error.empty(); }
};

// JSON (an array of objects: "class" and one key per figure) when the text
// starts with "[", else CSV under the header "class,b,b_prime,fc,f0,v".
// Every class needs a name and all five limits, none below zero.
ClassTableParse ParseClassTable(const std::string& text);
std::string ClassTableJson(const ClassTable& table);
std::string ClassTableCsv(const ClassTable& table);

} // namespace rm27
