// The windows of the menu "Zobrazit", headless: chart, CSV log, frame trace.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListView>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/simulator_host.h"
#include "csv_reader.h"
#include "reading/operations.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "ui/qt_serial_line.h"
#include "watch/csv_format.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/frm_trace.h"
#include "watch/ui/watch_windows.h"
#include "watch/wall_time.h"
#include "watch_test_support.h"

namespace rm27 {
namespace {

using test::CsvRecords;
using test::MeasurementAnswer;
using test::Pty;
using test::ReadingNo;

std::string ReadText(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll().toStdString();
}

double Number(std::string text, char decimal) {
    for (char& c : text)
        if (c == decimal) c = '.';
    return std::stod(text);
}

// The tick that carried ReadingNo(k), at `wallMs`.
TickSample SampleNo(int k, std::int64_t wallMs) {
    TickSample s;
    s.answered = true;
    s.monoMs = 500 * k;
    s.wallMs = wallMs;
    s.header = test::SensorNames();
    const test::Reading r = ReadingNo(k);
    for (std::size_t i = 0; i < 4; ++i) {
        s.raw[i] = static_cast<float>(r[i].raw);
        s.signal[i] = r[i].signal;
        s.value[i] = r[i].value;
    }
    return s;
}

class WatchWindows_ : public test::WatchWindowTest {};

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

    const std::string good1 = MeasurementAnswer(ReadingNo(1));
    const std::string good2 = MeasurementAnswer(ReadingNo(2));
    struct Step {
        std::string answer;
        std::size_t points;
        bool dashes;
    };
    // the first tick after the start finds nothing; 122 and 124 characters
    // are no answer either
    const Step steps[] = {{"", 0, true},
                          {good1, 1, false},
                          {good1.substr(1), 1, true},
                          {"0" + good1, 1, true},
                          {good2, 2, false}};
    for (const Step& s : steps) {
        Tick(*w, pty, s.answer);
        EXPECT_EQ(Child<QLabel>(*w, "lblHodnota_0")->text() == QStringLiteral("-----"), s.dashes);
        chart->refreshNow();
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(chart->ring(i).size(), s.points) << s.answer.size();
            EXPECT_EQ(chart->series(i)->count(), static_cast<qsizetype>(s.points));
        }
    }
    ASSERT_EQ(seen.size(), 5u);
    const bool answered[] = {false, true, false, false, true};
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(seen[k].answered, answered[k]) << k;
    for (int i = 0; i < 4; ++i) {
        const test::InputReading want = ReadingNo(2)[static_cast<std::size_t>(i)];
        const SeriesPoint& p = chart->ring(i).back();
        EXPECT_EQ(p.raw, static_cast<float>(want.raw));
        EXPECT_EQ(p.signal, want.signal);
        EXPECT_EQ(p.value, want.value);
        // one interval apart on the wall clock, as on the measurement's
        EXPECT_EQ(p.t - chart->ring(i).at(0).t, 3 * 500);
    }
    EXPECT_EQ(test::CountFrames(pty.readAll()), 5u);
    EXPECT_EQ(chart->series(0)->name(), QStringLiteral("1: Load cell 500 kg [kg]"));
}

// A chart fed straight with ticks: one per 500 ms from t0.
class Chart : public ::testing::Test {
protected:
    void SetUp() override {
        chart = std::make_unique<FrmChart>(prompter, nullptr, SeriesRing::kDefaultCapacity);
        chart->resize(1000, 600);
        chart->show();
    }
    TickSample sample(int k) const { return SampleNo(k, t0 + 500 * k); }
    void feed(int from, int to) {
        for (int k = from; k < to; ++k)
            chart->onTick(sample(k));
    }
    template <class T> T* child(const char* name) {
        T* c = chart->findChild<T*>(QString::fromLatin1(name));
        if (c == nullptr) ADD_FAILURE() << "no control " << name;
        return c;
    }

    test::Recorder prompter;
    const std::int64_t t0 = 1796342419000;
    std::unique_ptr<FrmChart> chart;
};

TEST_F(Chart, PausedTheDataKeepComingAndShowOnResume) {
    feed(0, 3);
    chart->refreshNow();
    EXPECT_EQ(chart->series(2)->count(), 3);
    auto* pause = child<QPushButton>("cmdPause");
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_TRUE(chart->paused());
    EXPECT_EQ(pause->text().remove(QLatin1Char('&')), QStringLiteral("Pokračovat"));
    EXPECT_EQ(chart->chart()->title(), QStringLiteral("Pozastaveno"));
    feed(3, 7);
    // Nothing is drawn while paused: no refresh is even waiting.
    EXPECT_FALSE(child<QTimer>("tmrRefresh")->isActive());
    EXPECT_EQ(chart->ring(2).size(), 7u);
    EXPECT_EQ(chart->series(2)->count(), 3);
    // another quantity while paused: the same moment, drawn anew
    child<QComboBox>("cmbQuantity")->setCurrentIndex(1);
    EXPECT_EQ(chart->series(2)->count(), 3);
    EXPECT_EQ(chart->shownRange().second, t0 + 1000);

    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_FALSE(chart->paused());
    EXPECT_EQ(pause->text().remove(QLatin1Char('&')), QStringLiteral("Pozastavit"));
    EXPECT_EQ(chart->chart()->title(), QString());
    EXPECT_EQ(chart->series(2)->count(), 7);
    EXPECT_EQ(chart->shownRange().second, t0 + 3000);
    // and unpaused, a tick asks for its drawing
    feed(7, 8);
    EXPECT_TRUE(child<QTimer>("tmrRefresh")->isActive());
}

TEST_F(Chart, RingsStayBoundedAndTheSpanIsTheLastMinutes) {
    // a long run: 30 minutes at 2 ticks a second are all there, no more
    feed(0, 5000);
    chart->refreshNow();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chart->ring(i).size(), SeriesRing::kDefaultCapacity);
        EXPECT_EQ(chart->ring(i).at(0).t,
                  t0 + 500 * (5000 - static_cast<std::int64_t>(SeriesRing::kDefaultCapacity)));
    }
    struct SpanCase {
        int index;
        std::int64_t ms;
    };
    for (const SpanCase c : {SpanCase{0, 60'000}, SpanCase{1, 300'000}, SpanCase{2, 1'800'000}}) {
        child<QComboBox>("cmbSpan")->setCurrentIndex(c.index);
        const auto [from, to] = chart->shownRange();
        EXPECT_EQ(to, t0 + 500 * 4999);
        EXPECT_EQ(to - from, c.ms);
        const auto* axis = static_cast<QDateTimeAxis*>(chart->chart()->axes(Qt::Horizontal).at(0));
        EXPECT_EQ(axis->min().toMSecsSinceEpoch(), from);
        // whatever is drawn lies inside the span
        for (const QPointF& p : chart->series(1)->points())
            ASSERT_GE(p.x(), static_cast<double>(from));
    }
}

TEST_F(Chart, AnotherConverterStartsTheLinesAfresh) {
    feed(0, 5);
    TickSample resensed = sample(5);
    resensed.header.inputs[1].description = "Force sensor 20 kN";
    chart->onTick(resensed);
    EXPECT_EQ(chart->ring(1).size(), 6u); // the same converter: the lines go on
    EXPECT_TRUE(chart->series(1)->name().contains(QStringLiteral("20 kN")));
    TickSample tared = resensed;
    tared.header.tare[1] = 5; // the values go on, less a tare now
    chart->onTick(tared);
    EXPECT_EQ(chart->ring(1).size(), 7u);
    EXPECT_TRUE(chart->series(1)->name().endsWith(QStringLiteral(" (NET)")));
    EXPECT_FALSE(chart->series(0)->name().endsWith(QStringLiteral(" (NET)")));
    TickSample other = sample(6);
    other.header.address = 9;
    chart->onTick(other);
    chart->refreshNow();
    EXPECT_EQ(chart->ring(1).size(), 1u);
    EXPECT_EQ(chart->series(1)->count(), 1);
}

TEST_F(Chart, QuantityAndScale) {
    feed(0, 10);
    chart->refreshNow();
    auto* quantity = child<QComboBox>("cmbQuantity");
    struct Case {
        int index;
        const char* unit;
        double first; // of input 2, sample 0
    };
    const test::Reading r0 = ReadingNo(0);
    for (const Case c : {Case{1, "mV/V", r0[1].signal}, Case{2, "DIV", double(r0[1].raw)},
                         Case{0, "N", r0[1].value}}) {
        quantity->setCurrentIndex(c.index);
        EXPECT_TRUE(chart->series(1)->name().endsWith(QStringLiteral("[%1]").arg(c.unit)))
            << chart->series(1)->name().toStdString();
        EXPECT_DOUBLE_EQ(chart->series(1)->at(0).y(), static_cast<float>(c.first));
    }
    // automatic: every point of every input inside its axis, not much more
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(chart->yAxis(i)->min(), ReadingNo(0)[i].value) << i;
        EXPECT_GE(chart->yAxis(i)->max(), ReadingNo(9)[i].value) << i;
    }
    auto [lo, hi] = chart->yRange(); // input 1's, in kg as input 3's
    EXPECT_LT(hi - lo, 2.5 * (ReadingNo(9)[2].value - ReadingNo(0)[0].value));

    auto* automatic = child<QCheckBox>("chkAutoScale");
    auto* min = child<QDoubleSpinBox>("spnMin");
    auto* max = child<QDoubleSpinBox>("spnMax");
    EXPECT_FALSE(min->isEnabled());
    automatic->setChecked(false);
    EXPECT_TRUE(min->isEnabled());
    EXPECT_NEAR(min->value(), lo, 1e-3); // fixed from where it stood
    min->setValue(-5.0);
    max->setValue(250.0);
    EXPECT_EQ(chart->yRange(), std::make_pair(-5.0, 250.0));
    feed(10, 12);
    chart->refreshNow();
    EXPECT_EQ(chart->yRange(), std::make_pair(-5.0, 250.0));
    // "od" not below "do": not applied, and said beside the boxes
    auto* refusal = child<QLabel>("lblScaleError");
    EXPECT_FALSE(refusal->isVisibleTo(chart.get()));
    for (const double from : {300.0, 250.0}) {
        min->setValue(from);
        EXPECT_EQ(chart->yRange(), std::make_pair(-5.0, 250.0)) << from;
        EXPECT_TRUE(refusal->isVisibleTo(chart.get())) << from;
    }
    EXPECT_EQ(refusal->text(), QStringLiteral("Hodnota „od“ musí být menší než „do“."));
    min->setValue(0.0);
    EXPECT_EQ(chart->yRange(), std::make_pair(0.0, 250.0));
    EXPECT_FALSE(refusal->isVisibleTo(chart.get()));
    automatic->setChecked(true);
    EXPECT_GE(chart->yRange().second, ReadingNo(11)[2].value);
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

TEST_F(Chart, AnAxisPerUnitAndLinesHiddenFromTheLegend) {
    feed(0, 10);
    chart->refreshNow();
    const auto onAxis = [&](int input, QValueAxis* axis) {
        return chart->series(input)->attachedAxes().contains(axis);
    };
    // kg, N, kg, N: inputs 1 and 3 on the left, 2 and 4 on the right
    ASSERT_EQ(chart->yAxes().size(), 2u);
    QValueAxis* kg = chart->yAxes()[0];
    QValueAxis* newton = chart->yAxes()[1];
    EXPECT_EQ(kg->titleText(), QStringLiteral("kg"));
    EXPECT_EQ(newton->titleText(), QStringLiteral("N"));
    EXPECT_EQ(kg->alignment(), Qt::AlignLeft);
    EXPECT_EQ(newton->alignment(), Qt::AlignRight);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(onAxis(i, i % 2 == 0 ? kg : newton)) << i;
        EXPECT_FALSE(onAxis(i, i % 2 == 0 ? newton : kg)) << i;
    }
    // in mV/V one axis holds them all
    child<QComboBox>("cmbQuantity")->setCurrentIndex(1);
    ASSERT_EQ(chart->yAxes().size(), 1u);
    EXPECT_EQ(chart->yAxes()[0]->titleText(), QStringLiteral("mV/V"));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(onAxis(i, chart->yAxes()[0])) << i;
    child<QComboBox>("cmbQuantity")->setCurrentIndex(0);
    ASSERT_EQ(chart->yAxes().size(), 2u);

    // a click on input 2's legend entry hides its line, which no longer
    // stretches the newton axis; it stays hidden, its entry dimmed
    QChartView* view = chart->chartView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LegendEntry(*chart, 1));
    EXPECT_FALSE(chart->series(1)->isVisible());
    feed(10, 12);
    chart->refreshNow();
    EXPECT_FALSE(chart->series(1)->isVisible());
    EXPECT_TRUE(chart->series(3)->isVisible());
    EXPECT_GT(chart->yAxis(1)->min(), ReadingNo(11)[1].value);
    QLegendMarker* marker = chart->chart()->legend()->markers(chart->series(1)).at(0);
    EXPECT_TRUE(marker->isVisible());
    EXPECT_LT(marker->brush().color().alphaF(), 0.5f);
    EXPECT_FALSE(chart->exportTitle().contains(chart->series(1)->name()));
    EXPECT_EQ(chart->cursorTime(), std::nullopt); // the click was the legend's
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LegendEntry(*chart, 1));
    EXPECT_TRUE(chart->series(1)->isVisible());
    EXPECT_LT(chart->yAxis(1)->min(), ReadingNo(0)[1].value);
}

TEST_F(Chart, CursorReadsTheValuesAtATime) {
    feed(0, 10);
    chart->refreshNow();
    auto* label = child<QLabel>("lblCursor");
    EXPECT_EQ(chart->cursorTime(), std::nullopt);
    // the tick nearest to 2.6 s is that of 2.5 s
    chart->setCursorTime(t0 + 2600);
    const QString text = label->text();
    EXPECT_TRUE(
        text.startsWith(QString::fromStdString("Kurzor " + IsoLocalTime(t0 + 2600).substr(11))))
        << text.toStdString();
    const test::Reading r = ReadingNo(5);
    EXPECT_TRUE(text.contains(QStringLiteral("1: %1 kg").arg(r[0].value, 0, 'f', 1)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("4: %1 N").arg(r[3].value, 0, 'f', 3)));
    child<QComboBox>("cmbQuantity")->setCurrentIndex(1);
    EXPECT_TRUE(label->text().contains(QStringLiteral("2: %1 mV/V").arg(r[1].signal, 0, 'f', 3)))
        << label->text().toStdString();

    // a click in the plot puts the cursor there, a double click takes it away
    QChartView* view = chart->chartView();
    const QRectF plot = chart->chart()->plotArea();
    const QPoint middle = view->mapFromScene(chart->chart()->mapToScene(plot.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, middle);
    ASSERT_TRUE(chart->cursorTime().has_value());
    const auto [from, to] = chart->shownRange();
    EXPECT_NEAR(static_cast<double>(*chart->cursorTime() - from),
                static_cast<double>(to - from) / 2.0, static_cast<double>(to - from) / 50.0);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, middle);
    EXPECT_EQ(chart->cursorTime(), std::nullopt);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Kurzor: ")));
}

TEST_F(Chart, ExportsWhatItShowsAsCsvAndPng) {
    QTemporaryDir dir;
    feed(0, 300); // 150 s
    child<QComboBox>("cmbQuantity")->setCurrentIndex(1);
    child<QComboBox>("cmbSpan")->setCurrentIndex(0); // the last minute: 121 ticks
    for (const int filter : {1, 2}) {
        const CsvDialect dialect = filter == 1 ? kCsvComma : kCsvSemicolon;
        const QString path = dir.filePath(QStringLiteral("shown%1.csv").arg(filter));
        prompter.fileAnswers.push_back(path.toStdString());
        chart->csvDialog().filterIndex = filter;
        QTest::mouseClick(child<QPushButton>("cmdSaveCsv"), Qt::LeftButton);
        CsvRecords records;
        ASSERT_TRUE(test::ReadCsv(ReadText(path), dialect.separator, records));
        ASSERT_EQ(records.size(), 6u + 121u);
        for (const auto& r : records)
            ASSERT_EQ(r.size(), 5u) << r[0];
        EXPECT_EQ(records[3], (std::vector<std::string>{"unit", "mV/V", "mV/V", "mV/V", "mV/V"}));
        EXPECT_EQ(records[5],
                  (std::vector<std::string>{"time", "mvv_1", "mvv_2", "mvv_3", "mvv_4"}));
        EXPECT_EQ(records[6][0], IsoLocalTime(t0 + 500 * 179));
        EXPECT_EQ(records.back()[0], IsoLocalTime(t0 + 500 * 299));
        EXPECT_NEAR(Number(records.back()[3], dialect.decimal), ReadingNo(299)[2].signal, 1e-6);
    }
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    prompter.fileAnswers.push_back(png.toStdString());
    QTest::mouseClick(child<QPushButton>("cmdSavePng"), Qt::LeftButton);
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    // the picture under a band that names what it shows
    const QSize grabbed = chart->chartView()->size() * chart->devicePixelRatio();
    EXPECT_EQ(image.width(), grabbed.width());
    EXPECT_GT(image.height(), grabbed.height() + 3 * chart->fontMetrics().height());
    chart->setCursorTime(t0 + 500 * 290);
    const QStringList title = chart->exportTitle().split(QLatin1Char('\n'));
    const std::string from = IsoLocalTime(t0 + 500 * 179);
    const std::string to = IsoLocalTime(t0 + 500 * 299);
    ASSERT_EQ(title.size(), 4);
    EXPECT_EQ(title[0], QStringLiteral("Převodník 0123RM2712, adresa 1"));
    EXPECT_EQ(title[1], QStringLiteral("Vstupy: ") + chart->series(0)->name() +
                            QStringLiteral("; ") + chart->series(1)->name() + QStringLiteral("; ") +
                            chart->series(2)->name() + QStringLiteral("; ") +
                            chart->series(3)->name());
    EXPECT_EQ(title[2].toStdString(),
              "Úsek: " + from.substr(0, 10) + " " + from.substr(11, 8) + " – " + to.substr(11, 8));
    EXPECT_EQ(title[3], chart->cursorText());
    // a cancelled dialog writes nothing, a folder that is not there says so
    QTest::mouseClick(child<QPushButton>("cmdSavePng"), Qt::LeftButton);
    prompter.fileAnswers.push_back(dir.filePath(QStringLiteral("no/such/x.csv")).toStdString());
    QTest::mouseClick(child<QPushButton>("cmdSaveCsv"), Qt::LeftButton);
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0].rfind("Soubor nelze uložit: ", 0), 0u);
}

// ---------------------------------------------------------------- the log

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
        Child<QAction>(*w, "mLog")->trigger();
        auto* indicator = Child<QLabel>(*w, "lblZaznam");
        ASSERT_TRUE(w->watch().log().active());
        EXPECT_FALSE(indicator->isHidden());
        EXPECT_EQ(indicator->parentWidget(), w->statusBar());
        EXPECT_FALSE(Child<QAction>(*w, "mLog")->isEnabled());
        EXPECT_TRUE(Child<QAction>(*w, "mLogStop")->isEnabled());

        Tick(*w, pty, "");
        for (int k = 1; k <= 3; ++k)
            Tick(*w, pty, MeasurementAnswer(ReadingNo(k)));
        Tick(*w, pty, MeasurementAnswer(ReadingNo(4)).substr(3)); // "-----"
        EXPECT_EQ(indicator->text(), QStringLiteral("● Záznam: log%1.csv, řádků 3").arg(filter));

        CsvRecords records;
        ASSERT_TRUE(test::ReadCsv(ReadText(path), dialect.separator, records));
        ASSERT_EQ(records.size(), 6u + 3u);
        for (const auto& r : records)
            ASSERT_EQ(r.size(), 13u) << r[0];
        EXPECT_EQ(records[0][1], "0123RM2712");
        EXPECT_EQ(records[2][1], "Load cell 500 kg");
        EXPECT_EQ(records[3][12], "N");
        std::int64_t previous = 0;
        for (int k = 1; k <= 3; ++k) {
            const auto& row = records[5 + static_cast<std::size_t>(k)];
            ASSERT_EQ(row.size(), 13u);
            const QDateTime t =
                QDateTime::fromString(QString::fromStdString(row[0]), Qt::ISODateWithMs);
            ASSERT_TRUE(t.isValid()) << row[0];
            if (previous != 0) {
                EXPECT_EQ(t.toMSecsSinceEpoch() - previous, 500);
            }
            previous = t.toMSecsSinceEpoch();
            // the tick's numbers, as the format writes them
            CsvRecords want;
            ASSERT_TRUE(test::ReadCsv(CsvLogRow(SampleNo(k, 0), dialect), dialect.separator, want));
            EXPECT_EQ(std::vector<std::string>(row.begin() + 1, row.end()),
                      std::vector<std::string>(want[0].begin() + 1, want[0].end()));
        }
        Child<QAction>(*w, "mLogStop")->trigger();
        EXPECT_FALSE(w->watch().log().active());
        EXPECT_EQ(indicator->text(),
                  QStringLiteral("Záznam ukončen: log%1.csv, řádků 3").arg(filter));
        EXPECT_TRUE(Child<QAction>(*w, "mLog")->isEnabled());
        Tick(*w, pty, MeasurementAnswer(ReadingNo(5)));
        EXPECT_EQ(w->watch().log().rows(), 3);
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
    const QString path = dir.filePath(QStringLiteral("sub/log.csv"));
    prompter.fileAnswers.push_back(path.toStdString());
    Child<QAction>(*w, "mLog")->trigger();
    ASSERT_TRUE(w->watch().log().active());
    Tick(*w, pty, "");
    Tick(*w, pty, MeasurementAnswer(ReadingNo(1)));
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("sub"))).removeRecursively());
    Tick(*w, pty, MeasurementAnswer(ReadingNo(2)));
    EXPECT_FALSE(w->watch().log().active());
    EXPECT_EQ(w->watch().log().stopReason(), LogStop::Vanished);
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
    EXPECT_EQ(test::CountFrames(pty.readAll()), 4u);
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

// As the serial line writes a frame into its log.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text)
        out += c == '\r' ? std::string("\\r") : std::string(1, c);
    return out;
}

TEST_F(WatchWindows_, TraceShowsAReadsFramesInOrder) {
    // What a read sends and receives, on the simulator's virtual time.
    sim::Bus bus;
    bus.add(sim::ConverterSetup{});
    sim::VirtualLine line(bus);
    test::Recorder user;
    Session session(line, line, user, user);
    ASSERT_TRUE(session.run([](Operations& ops) { ASSERT_TRUE(DevRead(ops, 0)); }));
    std::vector<std::string> frames;
    for (const sim::SentFrame& f : line.sent())
        frames.push_back(Escaped(f.text));
    ASSERT_EQ(frames.size(), 45u);

    // The same read by the window, in real time on the built-in simulator.
    SimulatorHost simulator;
    QString error;
    ASSERT_TRUE(simulator.start(&error)) << error.toStdString();
    auto w = MakeMain(true);
    Child<QAction>(*w, "mTrace")->trigger();
    FrmTrace* trace = w->watch().trace();
    ASSERT_NE(trace, nullptr);
    ports.setFixed(1, PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    Child<QComboBox>(*w, "cmbSelectPort")->setCurrentIndex(0);
    w->cmdConnect_Click();
    ASSERT_TRUE(w->serialLine().portOpen());
    w->cmdDevRead_Click();
    ASSERT_EQ(w->state().DeviceId, "0123RM2712");
    trace->takeIncoming();
    simulator.stop();

    const TraceBook& book = trace->book();
    ASSERT_GE(book.size(), 1u + 2 * 45u);
    const TraceLine& opened = book.bySerial(book.firstSerial());
    EXPECT_EQ(opened.dir, TraceDir::Note);
    EXPECT_EQ(opened.text.rfind("opened ", 0), 0u) << opened.text;
    std::vector<std::string> sent;
    std::string received;
    std::int64_t last = 0;
    TraceDir previous = TraceDir::Rx;
    for (std::uint64_t s = book.firstSerial() + 1; s < book.endSerial(); ++s) {
        const TraceLine& l = book.bySerial(s);
        if (l.dir == TraceDir::Tx && l.command == "MK") break;
        ASSERT_NE(l.dir, TraceDir::Note) << l.text;
        // every request has its one answer, joined from the pieces it came in
        ASSERT_NE(l.dir, previous) << l.text;
        previous = l.dir;
        EXPECT_GE(l.ms, last);
        last = l.ms;
        if (l.dir == TraceDir::Tx) {
            sent.push_back(l.text);
        } else {
            EXPECT_EQ(l.command, sent.back().size() > 3 ? CommandOf(sent.back()) : "");
            EXPECT_EQ(l.text.substr(l.text.size() - 2), "\\r");
            received += l.text;
        }
    }
    EXPECT_EQ(sent, frames);
    EXPECT_EQ(received, Escaped(line.received()));

    // a block's answer is cut in the list; its tip shows it whole
    auto* list = trace->findChild<QListView*>(QStringLiteral("lstTrace"));
    for (int row = 0; row < trace->shownCount(); ++row) {
        const TraceLine& l = book.bySerial(book.firstSerial() + static_cast<std::uint64_t>(row));
        if (l.dir != TraceDir::Rx || l.command != "KB") continue;
        const QStringList tip =
            list->model()->index(row, 0).data(Qt::ToolTipRole).toString().split(QLatin1Char('\n'));
        EXPECT_EQ(tip.size(), 9); // 512 hex digits and \r, 64 a line
        EXPECT_EQ(tip.join(QString()).toStdString(), l.text);
        break;
    }

    // shown as text, with the time in seconds
    EXPECT_EQ(trace->shownLine(1).toStdString().substr(10), "  TX  $00AUTO00\\r");
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
    // the last ten lines only
    EXPECT_EQ(trace.book().size(), 10u);
    ASSERT_EQ(trace.shownCount(), 10);
    EXPECT_EQ(trace.shownLine(0).toStdString(), "     1.000  TX  $01MK\\r");
    EXPECT_EQ(trace.shownLine(9).toStdString(), "     1.450  RX  0A\\r");
    auto* list = trace.findChild<QListView*>(QStringLiteral("lstTrace"));
    EXPECT_EQ(list->model()->index(9, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("0A\\r"));

    auto* filter = trace.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QTest::keyClicks(filter, QStringLiteral("er"));
    ASSERT_EQ(trace.shownCount(), 2); // the ER frame of 1.2 s with its answer
    EXPECT_EQ(trace.shownLine(0).toStdString(), "     1.200  TX  $01ER05\\r");
    filter->setText(QStringLiteral("-ER"));
    EXPECT_EQ(trace.shownCount(), 8);

    QTest::mouseClick(trace.findChild<QPushButton*>(QStringLiteral("cmdCopy")), Qt::LeftButton);
    EXPECT_EQ(QString::fromStdString(prompter.clipboard), trace.shownText(false));
    EXPECT_EQ(std::count(prompter.clipboard.begin(), prompter.clipboard.end(), '\n'), 8);
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);
    QTest::mouseClick(trace.findChild<QPushButton*>(QStringLiteral("cmdCopy")), Qt::LeftButton);
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
