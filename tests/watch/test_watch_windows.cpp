// The windows of the menu "Zobrazit", headless: chart, CSV log, frame trace.
// The CSV format, the rings and the trace's book are tested in test_watch.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <memory>

#include "csv_reader.h"
#include "link/codecs.h"
#include "mainwindow/window_test_support.h"
#include "sim/converter.h"
#include "ui/qt_serial_line.h"
#include "watch/csv_format.h"
#include "watch/tick_sample.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/frm_trace.h"
#include "watch/ui/watch_windows.h"
#include "watch/wall_time.h"

namespace rm27 {
namespace {

using test::CsvRecords;
using test::Pty;

// The converter's measurement answers, played on a pseudo-terminal.
struct InputReading {
    std::uint32_t raw = 0;
    float signal = 0.0f;
    float value = 0.0f;
};
using Reading = std::array<InputReading, 4>;

// The 123 characters of a measurement answer carrying `r`.
std::string MeasurementAnswer(const Reading& r) {
    std::string text;
    for (const InputReading& in : r) {
        text += LongToHex(static_cast<std::int32_t>(in.raw), 6) +
                sim::SingleHexMsbFirst(in.signal) + sim::SingleHexMsbFirst(0.0f) +
                sim::SingleHexMsbFirst(in.value);
    }
    return text + "00\r";
}

// A reading that differs for every k.
Reading ReadingNo(int k) {
    Reading r;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const auto n = static_cast<float>(i + 1);
        r[i].raw = 8388608u + static_cast<std::uint32_t>(1000 * (i + 1) + 7 * k);
        r[i].signal = 0.5f * n + 0.001f * static_cast<float>(k);
        r[i].value = 100.0f * n + 0.25f * static_cast<float>(k);
    }
    return r;
}

// The names the simulated sensors carry (descriptions, units, formats).
WatchHeader SensorNames() {
    WatchHeader h;
    h.deviceId = "0123RM2712";
    h.address = 1;
    h.inputs = {{{"SIMKEY01", "Load cell 500 kg", "kg", "####0.0"},
                 {"SIMKEY02", "Force sensor 10 kN", "N", "######0"},
                 {"SIMKEY03", "Load cell 2000 kg", "kg", "####0.0"},
                 {"SIMKEY04", "Force sensor 50 N", "N", "##0.000"}}};
    return h;
}

// The tick that carried ReadingNo(k), at `wallMs`.
TickSample SampleNo(int k, std::int64_t wallMs) {
    TickSample s;
    s.answered = true;
    s.monoMs = 500 * k;
    s.wallMs = wallMs;
    s.header = SensorNames();
    const Reading r = ReadingNo(k);
    for (std::size_t i = 0; i < 4; ++i) {
        s.raw[i] = static_cast<float>(r[i].raw);
        s.signal[i] = r[i].signal;
        s.value[i] = r[i].value;
    }
    return s;
}

std::string ReadText(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll().toStdString();
}

// The main window as the program builds it (not the test window of the
// main-window tests, whose tick only writes a frame).
class WatchWindows_ : public test::WindowTest {
protected:
    std::unique_ptr<FrmMain> MakeMain() {
        auto w = std::make_unique<FrmMain>(Setup());
        w->Form_Load();
        return w;
    }
    // Connected to the pty as COM1, identified as a converter at address 1
    // with the sensors of SensorNames().
    void Connect(FrmMain& w, Pty& pty) {
        EXPECT_TRUE(ConnectTo(w, pty));
        const WatchHeader names = SensorNames();
        DeviceState& st = w.state();
        st.DeviceId = names.deviceId;
        st.DeviceAddress = names.address;
        for (std::size_t i = 0; i < 4; ++i) {
            st.records[i].sensorId = names.inputs[i].sensorId;
            st.records[i].description = names.inputs[i].description;
            st.records[i].unit = names.inputs[i].unit;
            st.records[i].numberFormat = names.inputs[i].numberFormat;
        }
    }
    std::unique_ptr<FrmMain> ConnectedMain(Pty& pty) {
        auto w = MakeMain();
        Connect(*w, pty);
        return w;
    }
    // One tick of the measurement timer, one interval after `answer` came
    // (an empty text is silence).
    void Tick(FrmMain& w, Pty& pty, const std::string& answer) {
        if (!answer.empty()) {
            pty.write(answer);
            QElapsedTimer waited;
            waited.start();
            while (w.serialLine().inBufferCount() < static_cast<int>(answer.size()) &&
                   waited.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            EXPECT_EQ(w.serialLine().inBufferCount(), static_cast<int>(answer.size()));
        }
        instant.waitFor(500);
        w.tmrCasovac_Timer();
    }
};

// ------------------------------------------------------ chart via the window

TEST_F(WatchWindows_, ChartTakesOnePointPerAnsweredTickAndNoneForDashes) {
    Pty pty;
    auto w = ConnectedMain(pty);
    std::vector<TickSample> seen;
    QObject::connect(w.get(), &FrmMain::measured, [&](const TickSample& s) { seen.push_back(s); });
    Child<QAction>(*w, "mChart")->trigger();
    FrmChart* chart = w->watch().chart();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    w->session().live().tare[1] = 0.25f;

    const std::string good = MeasurementAnswer(ReadingNo(1));
    // the first tick after the start finds nothing; 122 and 124 characters
    // are no answer either
    const std::pair<std::string, std::size_t> steps[] = {
        {"", 0},           {good, 1}, {good.substr(1), 1}, {"0" + good, 1},
        {MeasurementAnswer(ReadingNo(2)), 2}};
    for (const auto& [answer, points] : steps) {
        Tick(*w, pty, answer);
        const bool dashes = answer.size() != good.size();
        EXPECT_EQ(Child<QLabel>(*w, "lblHodnota_0")->text() == QStringLiteral("-----"), dashes);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().answered, !dashes);
        chart->refreshNow();
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(chart->ring(i).size(), points) << answer.size();
            EXPECT_EQ(chart->series(i)->count(), static_cast<qsizetype>(points));
        }
    }
    EXPECT_EQ(seen.size(), 5u);
    // the value less its tare; raw and mV/V as measured
    EXPECT_EQ(seen.back().value[1], static_cast<double>(ReadingNo(2)[1].value) - 0.25);
    for (int i = 0; i < 4; ++i) {
        const InputReading want = ReadingNo(2)[static_cast<std::size_t>(i)];
        const SeriesPoint& p = chart->ring(i).back();
        EXPECT_EQ(p.raw, static_cast<float>(want.raw));
        EXPECT_EQ(p.signal, want.signal);
        EXPECT_EQ(p.value, i == 1 ? want.value - 0.25f : want.value);
        // one interval apart on the wall clock, as on the measurement's
        EXPECT_EQ(p.t - chart->ring(i).at(0).t, 3 * 500);
    }
}

// A chart fed straight with ticks: one per 500 ms from t0.
class Chart : public WatchWindows_ {
protected:
    Chart() {
        chart.resize(1000, 600);
        chart.show();
    }
    void feed(int from, int to) {
        for (int k = from; k < to; ++k)
            chart.onTick(SampleNo(k, t0 + 500 * k));
    }

    const std::int64_t t0 = 1796342419000;
    FrmChart chart{prompter};
};

TEST_F(Chart, PausedTheDataKeepComingAndShowOnResume) {
    feed(0, 3);
    chart.refreshNow();
    auto* pause = Child<QPushButton>(chart, "cmdPause");
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_TRUE(chart.paused());
    feed(3, 7);
    // Nothing is drawn while paused: no refresh is even waiting.
    EXPECT_FALSE(Child<QTimer>(chart, "tmrRefresh")->isActive());
    // another quantity while paused: the same moment, drawn anew
    Child<QComboBox>(chart, "cmbQuantity")->setCurrentIndex(1);
    EXPECT_EQ(chart.series(2)->count(), 3);
    EXPECT_EQ(chart.shownRange().second, t0 + 1000);
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_FALSE(chart.paused());
    EXPECT_EQ(chart.series(2)->count(), 7);
    EXPECT_EQ(chart.shownRange().second, t0 + 3000);
}

TEST_F(Chart, RingsStayBoundedAndTheSpanIsTheLastMinutes) {
    feed(0, 5000); // more than the rings hold
    chart.refreshNow();
    EXPECT_EQ(chart.ring(3).at(0).t,
              t0 + 500 * (5000 - static_cast<std::int64_t>(SeriesRing::kDefaultCapacity)));
    const std::pair<int, std::int64_t> spans[] = {{0, 60'000}, {1, 300'000}, {2, 1'800'000}};
    for (const auto& [index, ms] : spans) {
        Child<QComboBox>(chart, "cmbSpan")->setCurrentIndex(index);
        const auto [from, to] = chart.shownRange();
        EXPECT_EQ(to, t0 + 500 * 4999);
        EXPECT_EQ(to - from, ms);
        const auto* axis = static_cast<QDateTimeAxis*>(chart.chart()->axes(Qt::Horizontal).at(0));
        EXPECT_EQ(axis->min().toMSecsSinceEpoch(), from);
        // whatever is drawn lies inside the span
        for (const QPointF& p : chart.series(1)->points())
            ASSERT_GE(p.x(), static_cast<double>(from));
    }
}

TEST_F(Chart, AnotherConverterStartsTheLinesAfresh) {
    feed(0, 5);
    TickSample next = SampleNo(5, t0 + 2500);
    next.header.inputs[1].description = "Force sensor 20 kN";
    chart.onTick(next);
    EXPECT_EQ(chart.ring(1).size(), 6u); // the same converter: the lines go on
    EXPECT_TRUE(chart.series(1)->name().contains(QStringLiteral("20 kN")));
    next.header.tare[1] = 5; // the values go on, less a tare now
    chart.onTick(next);
    EXPECT_EQ(chart.ring(1).size(), 7u);
    EXPECT_TRUE(chart.series(1)->name().endsWith(QStringLiteral(" (NET)")));
    EXPECT_FALSE(chart.series(0)->name().endsWith(QStringLiteral(" (NET)")));
    next = SampleNo(6, t0 + 3000);
    next.header.address = 9;
    chart.onTick(next);
    chart.refreshNow();
    EXPECT_EQ(chart.ring(1).size(), 1u);
    EXPECT_EQ(chart.series(1)->count(), 1);
}

// Each quantity in its unit, on an axis per unit: kg, N, kg, N puts inputs
// 1 and 3 on the left, 2 and 4 on the right; in mV/V and DIV one axis.
TEST_F(Chart, QuantitiesAndAnAxisPerUnit) {
    feed(0, 10);
    chart.refreshNow();
    const Reading r0 = ReadingNo(0);
    const struct {
        int index;
        const char* unit;
        double first; // of input 2, sample 0
        std::size_t axes;
    } quantities[] = {
        {1, "mV/V", r0[1].signal, 1}, {2, "DIV", double(r0[1].raw), 1}, {0, "N", r0[1].value, 2}};
    for (const auto& q : quantities) {
        SCOPED_TRACE(q.unit);
        Child<QComboBox>(chart, "cmbQuantity")->setCurrentIndex(q.index);
        EXPECT_TRUE(chart.series(1)->name().endsWith(QStringLiteral("[%1]").arg(q.unit)));
        EXPECT_DOUBLE_EQ(chart.series(1)->at(0).y(), static_cast<float>(q.first));
        ASSERT_EQ(chart.yAxes().size(), q.axes);
        EXPECT_EQ(chart.yAxes().back()->titleText(), QString::fromLatin1(q.unit));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(chart.series(i)->attachedAxes().contains(chart.yAxes().back()),
                      q.axes == 1 || i % 2 == 1);
        }
    }
    EXPECT_EQ(chart.yAxes()[0]->titleText(), QStringLiteral("kg"));
    EXPECT_EQ(chart.yAxes()[0]->alignment(), Qt::AlignLeft);
    EXPECT_EQ(chart.yAxes()[1]->alignment(), Qt::AlignRight);
    EXPECT_TRUE(chart.series(2)->attachedAxes().contains(chart.yAxes()[0]));
}

TEST_F(Chart, ScaleAutomaticOrFixed) {
    feed(0, 10);
    chart.refreshNow();
    // automatic: every point of every input inside its axis, not much more
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_LE(chart.yAxis(int(i))->min(), ReadingNo(0)[i].value) << i;
        EXPECT_GE(chart.yAxis(int(i))->max(), ReadingNo(9)[i].value) << i;
    }
    const auto [lo, hi] = chart.yRange(); // input 1's, in kg as input 3's
    EXPECT_LT(hi - lo, 2.5 * (ReadingNo(9)[2].value - ReadingNo(0)[0].value));

    auto* automatic = Child<QCheckBox>(chart, "chkAutoScale");
    auto* min = Child<QDoubleSpinBox>(chart, "spnMin");
    EXPECT_FALSE(min->isEnabled());
    automatic->setChecked(false);
    EXPECT_TRUE(min->isEnabled());
    EXPECT_NEAR(min->value(), lo, 1e-3); // fixed from where it stood
    min->setValue(-5.0);
    Child<QDoubleSpinBox>(chart, "spnMax")->setValue(250.0);
    feed(10, 12);
    chart.refreshNow();
    EXPECT_EQ(chart.yRange(), std::make_pair(-5.0, 250.0));
    // "od" not below "do": not applied, and said beside the boxes
    auto* refusal = Child<QLabel>(chart, "lblScaleError");
    EXPECT_FALSE(refusal->isVisibleTo(&chart));
    min->setValue(250.0);
    EXPECT_EQ(chart.yRange(), std::make_pair(-5.0, 250.0));
    EXPECT_TRUE(refusal->isVisibleTo(&chart));
    EXPECT_EQ(refusal->text(), QStringLiteral("Hodnota „od“ musí být menší než „do“."));
    min->setValue(0.0);
    EXPECT_EQ(chart.yRange(), std::make_pair(0.0, 250.0));
    EXPECT_FALSE(refusal->isVisibleTo(&chart));
    automatic->setChecked(true);
    EXPECT_GE(chart.yRange().second, ReadingNo(11)[2].value);
}

// Where the legend shows input's entry on the chart's view: its label,
// which starts with the input's number.
QPoint LegendEntry(FrmChart& chart, int input) {
    const QString number = QStringLiteral("%1: ").arg(input + 1);
    for (QGraphicsItem* item : chart.chartView()->scene()->items()) {
        const auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text != nullptr && text->isVisible() && text->toPlainText().startsWith(number))
            return chart.chartView()->mapFromScene(text->sceneBoundingRect().center());
    }
    ADD_FAILURE() << "no legend entry " << input + 1;
    return {};
}

// A click on a legend entry hides its line, which no longer stretches its
// axis; it stays hidden, its entry dimmed. A click in the plot puts the
// cursor there, which reads the values of the nearest tick; a double click
// takes it away.
TEST_F(Chart, TheLegendHidesLinesAndTheCursorReadsTheValues) {
    feed(0, 10);
    chart.refreshNow();
    QChartView* view = chart.chartView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LegendEntry(chart, 1));
    feed(10, 12);
    chart.refreshNow();
    EXPECT_FALSE(chart.series(1)->isVisible());
    EXPECT_TRUE(chart.series(3)->isVisible());
    EXPECT_GT(chart.yAxis(1)->min(), ReadingNo(11)[1].value);
    QLegendMarker* marker = chart.chart()->legend()->markers(chart.series(1)).at(0);
    EXPECT_TRUE(marker->isVisible());
    EXPECT_LT(marker->brush().color().alphaF(), 0.5f);
    EXPECT_FALSE(chart.exportTitle().contains(chart.series(1)->name()));
    EXPECT_EQ(chart.cursorTime(), std::nullopt); // the click was the legend's
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LegendEntry(chart, 1));
    EXPECT_TRUE(chart.series(1)->isVisible());
    EXPECT_LT(chart.yAxis(1)->min(), ReadingNo(0)[1].value);

    // the tick nearest to 2.6 s is that of 2.5 s, in the quantity shown
    auto* label = Child<QLabel>(chart, "lblCursor");
    chart.setCursorTime(t0 + 2600);
    const Reading r = ReadingNo(5);
    EXPECT_TRUE(label->text().contains(QStringLiteral("1: %1 kg").arg(r[0].value, 0, 'f', 1)))
        << label->text().toStdString();
    Child<QComboBox>(chart, "cmbQuantity")->setCurrentIndex(1);
    EXPECT_TRUE(label->text().contains(QStringLiteral("2: %1 mV/V").arg(r[1].signal, 0, 'f', 3)))
        << label->text().toStdString();
    const QPoint middle =
        view->mapFromScene(chart.chart()->mapToScene(chart.chart()->plotArea().center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, middle);
    ASSERT_TRUE(chart.cursorTime().has_value());
    const auto [from, to] = chart.shownRange();
    EXPECT_NEAR(static_cast<double>(*chart.cursorTime() - from),
                static_cast<double>(to - from) / 2.0, static_cast<double>(to - from) / 50.0);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, middle);
    EXPECT_EQ(chart.cursorTime(), std::nullopt);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Kurzor: ")));
}

TEST_F(Chart, ExportsWhatItShowsAsCsvAndPng) {
    QTemporaryDir dir;
    feed(0, 300); // 150 s
    Child<QComboBox>(chart, "cmbQuantity")->setCurrentIndex(1);
    Child<QComboBox>(chart, "cmbSpan")->setCurrentIndex(0); // the last minute: 121 ticks
    for (const int filter : {1, 2}) {
        const CsvDialect dialect = filter == 1 ? kCsvComma : kCsvSemicolon;
        const QString path = dir.filePath(QStringLiteral("shown%1.csv").arg(filter));
        prompter.fileAnswers.push_back(path.toStdString());
        chart.csvDialog().filterIndex = filter;
        QTest::mouseClick(Child<QPushButton>(chart, "cmdSaveCsv"), Qt::LeftButton);
        CsvRecords records;
        ASSERT_TRUE(test::ReadCsv(ReadText(path), dialect.separator, records));
        ASSERT_EQ(records.size(), 6u + 121u);
        EXPECT_EQ(records[5],
                  (std::vector<std::string>{"time", "mvv_1", "mvv_2", "mvv_3", "mvv_4"}));
        EXPECT_EQ(records[6][0], IsoLocalTime(t0 + 500 * 179));
        EXPECT_EQ(records.back()[0], IsoLocalTime(t0 + 500 * 299));
        std::string number = records.back()[3];
        std::replace(number.begin(), number.end(), dialect.decimal, '.');
        EXPECT_NEAR(std::stod(number), ReadingNo(299)[2].signal, 1e-6);
    }
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    prompter.fileAnswers.push_back(png.toStdString());
    QTest::mouseClick(Child<QPushButton>(chart, "cmdSavePng"), Qt::LeftButton);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    // the picture under a band that names what it shows
    const QSize grabbed = chart.chartView()->size() * chart.devicePixelRatio();
    EXPECT_EQ(image.width(), grabbed.width());
    EXPECT_GT(image.height(), grabbed.height() + 3 * chart.fontMetrics().height());
    // ... and the cursor's reading last
    chart.setCursorTime(t0 + 500 * 290);
    EXPECT_TRUE(chart.exportTitle().endsWith(QLatin1Char('\n') + chart.cursorText()));
    // a cancelled dialog writes nothing, a folder that is not there says so
    QTest::mouseClick(Child<QPushButton>(chart, "cmdSavePng"), Qt::LeftButton);
    prompter.fileAnswers.push_back(dir.filePath(QStringLiteral("no/such/x.csv")).toStdString());
    QTest::mouseClick(Child<QPushButton>(chart, "cmdSaveCsv"), Qt::LeftButton);
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0].rfind("Soubor nelze uložit: ", 0), 0u);
}

// ---------------------------------------------------------------- the log

std::int64_t MsOf(const std::string& isoTime) {
    return QDateTime::fromString(QString::fromStdString(isoTime), Qt::ISODateWithMs)
        .toMSecsSinceEpoch();
}

TEST_F(WatchWindows_, LogFromTheMenuWritesHeaderAndOneRowPerAnsweredTick) {
    QTemporaryDir dir;
    for (const int filter : {1, 2}) {
        SCOPED_TRACE(filter);
        const CsvDialect dialect = filter == 1 ? kCsvComma : kCsvSemicolon;
        Pty pty;
        auto w = ConnectedMain(pty);
        const QString path = dir.filePath(QStringLiteral("log%1.csv").arg(filter));
        prompter.fileAnswers.push_back(path.toStdString());
        w->watch().logDialog().filterIndex = filter;
        auto* start = Child<QAction>(*w, "mLog");
        auto* stop = Child<QAction>(*w, "mLogStop");
        start->trigger();
        auto* indicator = Child<QLabel>(*w, "lblZaznam");
        EXPECT_EQ(indicator->parentWidget(), w->statusBar());
        EXPECT_FALSE(start->isEnabled());
        EXPECT_TRUE(stop->isEnabled());

        Tick(*w, pty, "");
        for (int k = 1; k <= 3; ++k)
            Tick(*w, pty, MeasurementAnswer(ReadingNo(k)));
        Tick(*w, pty, MeasurementAnswer(ReadingNo(4)).substr(3)); // "-----"
        EXPECT_EQ(indicator->text(), QStringLiteral("● Záznam: log%1.csv, řádků 3").arg(filter));
        stop->trigger();
        EXPECT_EQ(indicator->text(),
                  QStringLiteral("Záznam ukončen: log%1.csv, řádků 3").arg(filter));
        EXPECT_TRUE(start->isEnabled());
        Tick(*w, pty, MeasurementAnswer(ReadingNo(5)));

        // the converter read, then the ticks' numbers half a second apart
        std::string expected = CsvHeader(SensorNames(), LogColumns(), dialect);
        for (int k = 1; k <= 3; ++k)
            expected += CsvLogRow(SampleNo(k, 0), dialect);
        CsvRecords got;
        CsvRecords want;
        ASSERT_TRUE(test::ReadCsv(ReadText(path), dialect.separator, got));
        ASSERT_TRUE(test::ReadCsv(expected, dialect.separator, want));
        ASSERT_EQ(got.size(), want.size());
        const std::int64_t first = MsOf(got[6][0]);
        for (std::size_t r = 6; r < got.size(); ++r) {
            EXPECT_EQ(MsOf(got[r][0]) - first, 500 * static_cast<std::int64_t>(r - 6));
            got[r][0] = want[r][0];
        }
        EXPECT_EQ(got, want);
    }
    EXPECT_TRUE(prompter.criticals.empty());
}

TEST_F(WatchWindows_, LogStopsCleanlyAndTheMeasurementGoesOn) {
    QTemporaryDir dir;
    Pty pty;
    auto w = ConnectedMain(pty);
    Child<QAction>(*w, "mChart")->trigger();

    // a file that cannot take even the header: the log does not start
    prompter.fileAnswers.push_back("/dev/full");
    Child<QAction>(*w, "mLog")->trigger();
    EXPECT_FALSE(w->watch().log().active());
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0].rfind("Záznam do souboru /dev/full nelze začít: ", 0), 0u);
    EXPECT_TRUE(Child<QAction>(*w, "mLog")->isEnabled());

    // the folder goes away in the middle of the log
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    prompter.fileAnswers.push_back(dir.filePath(QStringLiteral("sub/log.csv")).toStdString());
    Child<QAction>(*w, "mLog")->trigger();
    ASSERT_TRUE(w->watch().log().active());
    Tick(*w, pty, "");
    Tick(*w, pty, MeasurementAnswer(ReadingNo(1)));
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("sub"))).removeRecursively());
    Tick(*w, pty, MeasurementAnswer(ReadingNo(2)));
    EXPECT_FALSE(w->watch().log().active());
    EXPECT_FALSE(Child<QAction>(*w, "mLogStop")->isEnabled());
    // said once, after the tick
    EXPECT_EQ(prompter.criticals.size(), 1u);
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter.criticals.size(), 2u);
    EXPECT_NE(prompter.criticals[1].find("byl ukončen"), std::string::npos);
    EXPECT_NE(prompter.criticals[1].find("Zapsáno řádků: 1."), std::string::npos);

    // the measurement did not notice: the tick that stopped the log and the
    // next ones still show, chart and all
    Tick(*w, pty, MeasurementAnswer(ReadingNo(3)));
    EXPECT_EQ(w->watch().chart()->ring(0).size(), 3u);
    EXPECT_EQ(Child<QLabel>(*w, "lblHodnota_0")->text().trimmed().toStdString(),
              std::to_string(ReadingNo(3)[0].raw));
    EXPECT_EQ(prompter.criticals.size(), 2u);
}

TEST_F(WatchWindows_, LogWaitsForAConverter) {
    auto w = MakeMain();
    Child<QAction>(*w, "mLog")->trigger();
    EXPECT_FALSE(w->watch().log().active());
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0], "Záznam lze začít až po načtení převodníku (Načíst).");
    EXPECT_EQ(prompter.calls.size(), 1u); // no file dialog
}

// ---------------------------------------------------------------- the trace

TEST_F(WatchWindows_, TraceShowsTheLinesFramesFromItsFirstShowing) {
    Pty pty;
    auto w = MakeMain();
    Child<QAction>(*w, "mTrace")->trigger();
    FrmTrace* trace = w->watch().trace();
    ASSERT_NE(trace, nullptr);
    Connect(*w, pty);
    const std::string answer = MeasurementAnswer(ReadingNo(1));
    Tick(*w, pty, "");
    Tick(*w, pty, answer);
    trace->takeIncoming();

    // the opening, a request, its answer joined whole, the next request
    const TraceBook& book = trace->book();
    ASSERT_EQ(book.size(), 4u);
    const std::uint64_t first = book.firstSerial();
    EXPECT_EQ(book.bySerial(first).dir, TraceDir::Note);
    EXPECT_EQ(book.bySerial(first).text.rfind("opened ", 0), 0u) << book.bySerial(first).text;
    const TraceLine& rx = book.bySerial(first + 2);
    for (const std::uint64_t tx : {first + 1, first + 3}) {
        EXPECT_EQ(book.bySerial(tx).dir, TraceDir::Tx);
        EXPECT_EQ(book.bySerial(tx).command, "MK");
    }
    EXPECT_EQ(rx.dir, TraceDir::Rx);
    EXPECT_EQ(rx.command, "MK");
    EXPECT_EQ(rx.text, answer.substr(0, answer.size() - 1) + "\\r");
    // a long answer is cut in the list; its tip shows it whole, 64 a line
    auto* list = trace->findChild<QListView*>(QStringLiteral("lstTrace"));
    const QStringList tip =
        list->model()->index(2, 0).data(Qt::ToolTipRole).toString().split(QLatin1Char('\n'));
    EXPECT_EQ(tip.size(), 2);
    EXPECT_EQ(tip.join(QString()).toStdString(), rx.text);
}

TEST_F(WatchWindows_, TraceKeepsTheLastLinesFiltersCopiesAndSaves) {
    QTemporaryDir dir;
    FrmTrace trace(prompter, nullptr, 10);
    const auto frame = [&trace](std::int64_t ms, bool sent, const char* text) {
        trace.takeMessage({ms, sent ? TraceDir::Tx : TraceDir::Rx, text});
    };
    for (int k = 0; k < 15; ++k) {
        frame(100 * k, true, k % 3 == 0 ? "$01ER05\\r" : "$01MK\\r");
        frame(100 * k + 50, false, "0A\\r");
    }
    trace.takeIncoming();
    ASSERT_EQ(trace.shownCount(), 10); // the last ten lines only
    EXPECT_EQ(trace.shownLine(0).toStdString(), "     1.000  TX  $01MK\\r");

    auto* filter = trace.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QTest::keyClicks(filter, QStringLiteral("er"));
    ASSERT_EQ(trace.shownCount(), 2); // the ER frame of 1.2 s with its answer
    EXPECT_EQ(trace.shownLine(0).toStdString(), "     1.200  TX  $01ER05\\r");
    filter->setText(QStringLiteral("-ER"));
    EXPECT_EQ(trace.shownCount(), 8);

    auto* copy = trace.findChild<QPushButton*>(QStringLiteral("cmdCopy"));
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QString::fromStdString(prompter.clipboard), trace.shownText(false));
    EXPECT_EQ(std::count(prompter.clipboard.begin(), prompter.clipboard.end(), '\n'), 8);
    auto* list = trace.findChild<QListView*>(QStringLiteral("lstTrace"));
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QString::fromStdString(prompter.clipboard), trace.shownLine(2) + QLatin1Char('\n'));

    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    prompter.fileAnswers.push_back(path.toStdString());
    QTest::mouseClick(trace.findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);
    EXPECT_EQ(QString::fromStdString(ReadText(path)), trace.shownText(false));

    // new frames join the list; an answer without its CR shows once the
    // line has been quiet for a while (rounds of the take timer)
    frame(2000, true, "$01KQ\\r");
    frame(2010, false, "0");
    filter->clear();
    for (int round = 0; round < 10 && trace.book().hasPending(); ++round)
        trace.takeIncoming();
    EXPECT_EQ(trace.shownCount(), 10);
    EXPECT_EQ(trace.shownLine(9).toStdString(), "     2.010  RX  0");

    QTest::mouseClick(trace.findChild<QPushButton*>(QStringLiteral("cmdClear")), Qt::LeftButton);
    EXPECT_EQ(trace.shownCount(), 0);
}

} // namespace
} // namespace rm27
