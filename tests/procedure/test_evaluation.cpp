// The evaluation of load series: a table worked out by hand, the figures
// that cannot be formed, and whole plans run on the simulator's load cell,
// where the faults put into the cell must come out of the figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "procedure/evaluation.h"
#include "procedure/walk.h"
#include "sim/converter.h"
#include "support/hand_series.h"

namespace rm27 {
namespace {

std::vector<Reading> HandSeries(const std::function<bool(const Reading&)>& keep = {}) {
    const ReadingsParse parsed = ParseReadings(test::kHandSeriesCsv);
    EXPECT_TRUE(parsed.ok()) << parsed.error.czech();
    std::vector<Reading> out;
    std::copy_if(parsed.readings.begin(), parsed.readings.end(), std::back_inserter(out),
                 [&](const Reading& r) { return !keep || keep(r); });
    return out;
}

void ExpectFigure(const std::optional<double>& got, std::optional<double> want, const char* what) {
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (want) {
        EXPECT_NEAR(*got, *want, 1e-8) << what;
    }
}

TEST(Evaluation, HandComputedSeries) {
    const Evaluation e = Evaluate(HandSeries(), 1, DefaultClassTable());
    ASSERT_EQ(e.steps.size(), 2u);
    struct Want {
        double load, deflection, b, bPrime, fc;
        std::optional<double> v;
    };
    const Want want[] = {{10, 0.999, 0.200200200, 0.199800200, 0.040056078, 0.150225338},
                         {20, 1.997, 0.300450676, 0.0, -0.010014020, std::nullopt}};
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(want[k].load);
        EXPECT_EQ(e.steps[k].load, want[k].load);
        ExpectFigure(e.steps[k].deflection, want[k].deflection, "X-bar");
        ExpectFigure(e.steps[k].b, want[k].b, "b");
        ExpectFigure(e.steps[k].bPrime, want[k].bPrime, "b'");
        ExpectFigure(e.steps[k].fc, want[k].fc, "fc");
        ExpectFigure(e.steps[k].v, want[k].v, "v");
    }
    ASSERT_EQ(e.f0.size(), 4u);
    const double f0[] = {0.050075113, 0.0, 0.095142714, 0.0};
    for (std::size_t k = 0; k < 4; ++k)
        ExpectFigure(e.f0[k], f0[k], "f0");
    const double worst[] = {0.300450676, 0.199800200, 0.040056078, 0.095142714, 0.150225338};
    for (const Figure f : kFigures)
        ExpectFigure(At(e.worst, f), worst[static_cast<int>(f)], FigureName(f));
    ASSERT_EQ(e.coefficients.size(), 1u);
    EXPECT_NEAR(e.coefficients[0], 0.09986, 1e-12);
    EXPECT_EQ(e.className, "2");
    EXPECT_TRUE(e.missing.empty());

    // Each figure alone keeps the series out of a class whose limit it
    // passes, and a figure right at its limit meets it.
    for (const Figure f : kFigures) {
        SCOPED_TRACE(FigureName(f));
        ClassLimits tight{"tight", {}}, loose{"loose", {}};
        for (const Figure g : kFigures) {
            tight.limitPct[static_cast<int>(g)] = std::fabs(*At(e.worst, g));
            loose.limitPct[static_cast<int>(g)] = 1.0;
        }
        EXPECT_EQ(Classify(e.worst, {tight, loose}), "tight");
        tight.limitPct[static_cast<int>(f)] *= 0.999;
        EXPECT_EQ(Classify(e.worst, {tight, loose}), "loose");
    }
}

TEST(Evaluation, FiguresThatCannotBeFormedAreMissing) {
    struct Case {
        const char* what;
        std::vector<int> series; // of the hand series
        int degree;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"one series", {1}, 1, {"b", "b_prime", "v"}},
        {"one series per position, none down", {1, 3}, 1, {"b_prime", "v"}},
        {"two in a position, no second position", {1, 2}, 1, {"b", "v"}},
        {"down without an up series in its position", {1, 2, 4}, 1, {"b", "v"}},
        {"a degree the two loads cannot fix", {1, 2, 3, 4}, 2, {"fc"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Evaluation e =
            Evaluate(HandSeries([&](const Reading& r) {
                         return std::count(c.series.begin(), c.series.end(), r.series) > 0;
                     }),
                     c.degree, DefaultClassTable());
        EXPECT_EQ(e.missing, c.missing);
        for (const std::string& name : c.missing) {
            const Figure f = *std::find_if(kFigures.begin(), kFigures.end(),
                                           [&](Figure g) { return name == FigureName(g); });
            EXPECT_FALSE(At(e.worst, f).has_value()) << name;
        }
        EXPECT_EQ(e.coefficients.empty(), c.degree == 2);
        // What could be formed still classifies.
        EXPECT_TRUE(e.className.has_value());
    }
}

// The plan a laboratory would run: 10 loads, three positions rising, and
// a falling series after the first position's second rising one.
Plan LabPlan() {
    Plan p;
    p.unit = "kN";
    for (int k = 1; k <= 10; ++k)
        p.loads.push_back(100.0 * k);
    p.preloads = 2;
    p.series = {{0, Direction::Up},
                {0, Direction::Up},
                {0, Direction::Down},
                {120, Direction::Up},
                {240, Direction::Up}};
    return p;
}

// Walks the plan on input 1 of a simulated converter carrying the cell,
// each reading 30 s after the load was put on, as the converter reports it.
std::vector<Reading> RunOnCell(const Plan& plan, const sim::LoadCellSpec& spec) {
    sim::Converter converter{sim::ConverterSetup{}};
    sim::LoadCell& cell = converter.attachLoadCell(0, spec);
    Walk walk(plan);
    std::vector<Reading> readings;
    double t = 0.0;
    while (!walk.done()) {
        const Step& step = walk.current();
        cell.mount(t, step.positionDeg);
        cell.applyLoad(t += 1000.0, step.load);
        t += 30000.0;
        if (step.kind == StepKind::Preload) cell.applyLoad(t, 0.0);
        const sim::MeasuredInput m = converter.measure(0, t);
        if (step.takesReading()) readings.push_back(walk.readingOf(m.signalMvV, m.value));
        walk.complete();
    }
    return readings;
}

TEST(Evaluation, FindsTheFaultsOfTheSimulatedCell) {
    sim::LoadCellSpec faulty;
    faulty.nominalLoad = 1000.0;
    faulty.nonLinearity = 0.002;
    faulty.hysteresis = 0.001;
    faulty.positionEffect = 0.0004;
    const Evaluation e = Evaluate(RunOnCell(LabPlan(), faulty), 2, DefaultClassTable());
    ASSERT_TRUE(e.missing.empty());
    // The cell reads hysteresis x nominal output high at half load on the
    // way down: v there is 100 x hysteresis %.
    EXPECT_NEAR(*At(e.worst, Figure::V), 100.0 * faulty.hysteresis, 10.0 * faulty.hysteresis);
    // Sensitivities 1 + p, 1 - p/2, 1 - p/2 at 0, 120 and 240 degrees.
    EXPECT_NEAR(*At(e.worst, Figure::B), 150.0 * faulty.positionEffect,
                15.0 * faulty.positionEffect);
    // The parabola's deviation from its chord at half load, over its
    // nominal output, is the non-linearity.
    ASSERT_EQ(e.coefficients.size(), 2u);
    const double a = e.coefficients[0] * 1000.0, b = e.coefficients[1] * 1000.0 * 1000.0;
    EXPECT_NEAR(-b / (4.0 * (a + b)), faulty.nonLinearity, 0.1 * faulty.nonLinearity);

    const Evaluation perfect = Evaluate(RunOnCell(LabPlan(), {}), 1, DefaultClassTable());
    EXPECT_TRUE(perfect.missing.empty());
    EXPECT_EQ(perfect.className, "00");
    EXPECT_NE(e.className, "00");
}

} // namespace
} // namespace rm27
