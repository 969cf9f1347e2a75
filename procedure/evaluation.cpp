#include "procedure/evaluation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

namespace rm27 {

namespace {

using Opt = std::optional<double>;

// One series as its rows left it: a later row for the same reading
// replaces an earlier one (a step taken again).
struct Series {
    int number = 0;
    double positionDeg = 0.0;
    Direction direction = Direction::Up;
    Opt zeroBefore, zeroAfter;
    std::map<double, double> signalAt; // load -> signal

    Opt x(double load) const {
        const auto it = signalAt.find(load);
        if (!zeroBefore || it == signalAt.end()) return std::nullopt;
        return it->second - *zeroBefore;
    }
};

std::vector<Series> Group(const std::vector<Reading>& readings) {
    std::vector<Series> out;
    for (const Reading& r : readings) {
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const Series& s) { return s.number == r.series; });
        if (it == out.end()) {
            out.push_back({r.series, r.positionDeg, r.direction, {}, {}, {}});
            it = out.end() - 1;
        }
        if (r.kind == ReadingKind::ZeroBefore) it->zeroBefore = r.signalMvV;
        if (r.kind == ReadingKind::ZeroAfter) it->zeroAfter = r.signalMvV;
        if (r.kind == ReadingKind::Load) it->signalAt[r.load] = r.signalMvV;
    }
    return out;
}

Opt Ratio(double num, double den) {
    if (den == 0.0 || !std::isfinite(num / den)) return std::nullopt;
    return 100.0 * num / den;
}

// The least-squares polynomial c1 F + ... + cd F^d (no constant) through
// the points; empty when there are not more points than d or they do not
// fix it. Solved on F scaled to 1 at its largest, where the normal
// equations stay well conditioned.
std::vector<double> Fit(const std::vector<std::pair<double, double>>& points, int d) {
    const auto n = static_cast<std::size_t>(d);
    if (points.size() <= n) return {};
    double scale = 0.0;
    for (const auto& p : points)
        scale = std::max(scale, std::fabs(p.first));
    if (scale == 0.0) return {};
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    for (const auto& [f, x] : points) {
        const double u = f / scale;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                m[i][j] += std::pow(u, static_cast<double>(i + j + 2));
            m[i][n] += std::pow(u, static_cast<double>(i + 1)) * x;
        }
    }
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r) {
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
        }
        if (std::fabs(m[pivot][col]) < 1e-12) return {};
        std::swap(m[col], m[pivot]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == col) continue;
            const double factor = m[r][col] / m[col][col];
            for (std::size_t c = col; c <= n; ++c)
                m[r][c] -= factor * m[col][c];
        }
    }
    std::vector<double> coefficients(n);
    for (std::size_t i = 0; i < n; ++i)
        coefficients[i] = m[i][n] / m[i][i] / std::pow(scale, static_cast<double>(i + 1));
    return coefficients;
}

double Polynomial(const std::vector<double>& c, double f) {
    double sum = 0.0;
    for (std::size_t i = 0; i < c.size(); ++i)
        sum += c[i] * std::pow(f, static_cast<double>(i + 1));
    return sum;
}

// The series the figures are formed from.
struct Roles {
    std::vector<const Series*> reference; // first "up" series per position
    const Series* first = nullptr;        // b': the first two "up" series in
    const Series* second = nullptr;       // the first series' position
    // v: each "down" series with the last "up" series in its position before it.
    std::vector<std::pair<const Series*, const Series*>> reversals;
};

Roles RolesOf(const std::vector<Series>& all) {
    Roles roles;
    for (std::size_t k = 0; k < all.size(); ++k) {
        const Series& s = all[k];
        const auto samePlace = [&](const Series* o) { return o->positionDeg == s.positionDeg; };
        if (s.direction == Direction::Down) {
            for (std::size_t j = k; j-- > 0;) {
                if (all[j].direction != Direction::Up || !samePlace(&all[j])) continue;
                roles.reversals.emplace_back(&s, &all[j]);
                break;
            }
            continue;
        }
        if (std::none_of(roles.reference.begin(), roles.reference.end(), samePlace))
            roles.reference.push_back(&s);
        if (s.positionDeg != all.front().positionDeg) continue;
        if (!roles.first)
            roles.first = &s;
        else if (!roles.second)
            roles.second = &s;
    }
    return roles;
}

// X-bar, b and b' at one load.
void Spread(const Roles& roles, StepFigures& step) {
    std::vector<double> xs;
    for (const Series* s : roles.reference) {
        if (const Opt x = s->x(step.load)) xs.push_back(*x);
    }
    if (xs.empty()) return;
    double sum = 0.0;
    for (const double x : xs)
        sum += x;
    step.deflection = sum / static_cast<double>(xs.size());
    if (xs.size() >= 2) {
        const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
        step.b = Ratio(*hi - *lo, *step.deflection);
    }
    if (roles.first && roles.second) {
        const Opt x1 = roles.first->x(step.load), x2 = roles.second->x(step.load);
        if (x1 && x2) step.bPrime = Ratio(std::fabs(*x2 - *x1), (*x1 + *x2) / 2.0);
    }
}

// v at one load: the largest over the "down" series.
void Reversibility(const Roles& roles, Opt xN, StepFigures& step) {
    if (!xN) return;
    for (const auto& [down, up] : roles.reversals) {
        const Opt xd = down->x(step.load), xu = up->x(step.load);
        if (!xd || !xu) continue;
        const Opt v = Ratio(std::fabs(*xd - *xu), *xN);
        if (v && (!step.v || *v > *step.v)) step.v = v;
    }
}

void Interpolation(Evaluation& e) {
    std::vector<std::pair<double, double>> points;
    for (const StepFigures& s : e.steps) {
        if (s.deflection) points.emplace_back(s.load, *s.deflection);
    }
    e.coefficients = Fit(points, e.degree);
    if (e.coefficients.empty()) return;
    for (StepFigures& s : e.steps) {
        if (!s.deflection) continue;
        const double xa = Polynomial(e.coefficients, s.load);
        s.fc = Ratio(*s.deflection - xa, xa);
    }
}

void Keep(Opt& worst, const Opt& value) {
    if (value && (!worst || std::fabs(*value) > std::fabs(*worst))) worst = value;
}

void Worst(Evaluation& e) {
    for (const StepFigures& s : e.steps) {
        Keep(At(e.worst, Figure::B), s.b);
        Keep(At(e.worst, Figure::BPrime), s.bPrime);
        Keep(At(e.worst, Figure::Fc), s.fc);
        Keep(At(e.worst, Figure::V), s.v);
    }
    for (const Opt& f0 : e.f0)
        Keep(At(e.worst, Figure::F0), f0);
    for (const Figure f : kFigures) {
        if (!At(e.worst, f)) e.missing.emplace_back(FigureName(f));
    }
}

} // namespace

Evaluation Evaluate(const std::vector<Reading>& readings, int degree, const ClassTable& classes) {
    Evaluation e;
    e.degree = std::clamp(degree, kMinDegree, kMaxDegree);
    const std::vector<Series> all = Group(readings);
    std::set<double> loads;
    for (const Series& s : all) {
        for (const auto& entry : s.signalAt)
            loads.insert(entry.first);
    }
    const Roles roles = RolesOf(all);
    for (const double load : loads) {
        e.steps.push_back({load, {}, {}, {}, {}, {}});
        Spread(roles, e.steps.back());
    }
    const Opt xN = e.steps.empty() ? std::nullopt : e.steps.back().deflection;
    // The largest load has no reversibility: the "down" series turns there.
    for (std::size_t k = 0; k + 1 < e.steps.size(); ++k)
        Reversibility(roles, xN, e.steps[k]);
    Interpolation(e);
    for (const Series& s : all) {
        e.f0.push_back(s.zeroBefore && s.zeroAfter && xN ? Ratio(*s.zeroAfter - *s.zeroBefore, *xN)
                                                         : std::nullopt);
    }
    Worst(e);
    e.className = Classify(e.worst, classes);
    return e;
}

std::string EvaluationJson(const Evaluation& e) {
    using Json = nlohmann::ordered_json;
    const auto value = [](const Opt& v) { return v ? Json(*v) : Json(nullptr); };
    Json steps = Json::array();
    for (const StepFigures& s : e.steps) {
        steps.push_back({{"load", s.load},
                         {"deflection", value(s.deflection)},
                         {"b", value(s.b)},
                         {"b_prime", value(s.bPrime)},
                         {"fc", value(s.fc)},
                         {"v", value(s.v)}});
    }
    Json f0 = Json::array(), worst = Json::object();
    for (const Opt& v : e.f0)
        f0.push_back(value(v));
    for (const Figure f : kFigures)
        worst[FigureName(f)] = value(At(e.worst, f));
    const Json doc = {{"steps", steps},
                      {"f0", f0},
                      {"worst", worst},
                      {"degree", e.degree},
                      {"coefficients", e.coefficients},
                      {"class", e.className ? Json(*e.className) : Json(nullptr)},
                      {"missing", e.missing}};
    return doc.dump(2) + "\n";
}

} // namespace rm27
