// The chart as a user sees it: the program's window on a real display (the
// test runs under Xvfb) on the built-in simulated converter, "Spojit",
// "Načíst", "Zobrazit" > "Graf vstupů", a few seconds of measurement, and
// the four lines on the screen in their colours; the menu, the frame trace
// and the log's indicator there too. With RM27_SCREENSHOT_DIR set, the
// screens are kept there as PNG files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "app/simulator_host.h"
#include "support/box_watchdog.h"
#include "mainwindow/frm_main.h"
#include "ui/common_dialog.h"
#include "ui/port_map.h"
#include "ui/qt_serial_line.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/frm_trace.h"
#include "watch/ui/watch_windows.h"
#include "support/display_main.h"

namespace rm27 {
namespace {

template <class T> T* Child(QObject& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

QString ScreenshotDir() {
    const char* dir = std::getenv("RM27_SCREENSHOT_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) : QString();
}

void Keep(const QImage& image, const char* name) {
    if (!ScreenshotDir().isEmpty())
        image.save(ScreenshotDir() + QLatin1Char('/') + QLatin1String(name));
}

// A screen kept for the documentation, only when asked for (nothing is
// checked on it): every window, a menu's popup too, is on the screen and
// painted first, so the grab takes what they show now.
void KeepScreen(const QWidget& on, WId window, const char* name) {
    if (ScreenshotDir().isEmpty()) return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        (void)QTest::qWaitForWindowExposed(top, 2000);
        top->repaint();
    }
    Keep(on.screen()->grabWindow(window).toImage(), name);
}

// Pixels within a small distance of `color` (antialiasing blurs the edges).
int PixelsLike(const QImage& image, const QColor& color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                    std::abs(c.blue() - color.blue()) <
                30)
                ++n;
        }
    }
    return n;
}

// The program's window on the built-in simulated converter, shown.
class ChartOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(simulator.start(&error)) << error.toStdString();
        ports.setFixed(1, PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
        FrmMainSetup setup;
        setup.ports = &ports;
        main = std::make_unique<FrmMain>(setup);
        main->Form_Load();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get(), 10000));
    }
    void TearDown() override {
        if (main && main->serialLine().portOpen())
            QTest::mouseClick(Child<QPushButton>(*main, "cmdConnect"), Qt::LeftButton);
        simulator.stop();
    }

    test::BoxWatchdog boxes;
    SimulatorHost simulator;
    PortMap ports;
    std::unique_ptr<FrmMain> main;
};

TEST_F(ChartOnScreen, FourLinesAfterAFewSecondsOnTheSimulator) {
    FrmMain& window = *main;
    Child<QComboBox>(window, "cmbSelectPort")->setCurrentIndex(0);
    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(window, "cmdDevRead"), Qt::LeftButton);
    ASSERT_EQ(window.state().DeviceId, "0123RM2712");

    Child<QAction>(window, "mChart")->trigger();
    FrmChart* chart = window.watch().chart();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chart, 10000));
    // a few seconds of the measurement, two ticks a second
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (int i = 0; i < 4; ++i)
                if (chart->series(i)->count() < 6) return false;
            return true;
        },
        10000));
    // Until the last redraw has reached the screen: every line in its colour.
    QImage shot;
    const bool drawn = QTest::qWaitFor(
        [&] {
            shot = chart->screen()->grabWindow(chart->winId()).toImage();
            for (int i = 0; i < 4; ++i)
                if (PixelsLike(shot, chart->series(i)->pen().color()) <= 50) return false;
            return true;
        },
        5000);
    EXPECT_TRUE(drawn);
    Keep(shot, "chart.png");
    KeepScreen(window, 0, "desktop.png");
    for (int i = 0; i < 4; ++i) {
        EXPECT_GT(chart->series(i)->count(), 0) << i;
        const QColor color = chart->series(i)->pen().color();
        EXPECT_GT(PixelsLike(shot, color), 50)
            << "input " << i + 1 << " " << color.name().toStdString();
    }
    // and the cursor reads what the lines show
    chart->setCursorTime(chart->ring(0).back().t);
    // (1.0 mV/V on the 10 kN sensor of input 2)
    const QString reading = chart->findChild<QLabel*>(QStringLiteral("lblCursor"))->text();
    EXPECT_TRUE(reading.contains(QRegularExpression(QStringLiteral("2: 50\\d\\d N"))))
        << reading.toStdString();
}

TEST_F(ChartOnScreen, TheMenuTheTraceAndTheLogIndicator) {
    FrmMain& window = *main;

    // "Zobrazit" from the menu bar, as a user opens it
    QMenuBar* bar = window.menuBar();
    auto* view = Child<QMenu>(window, "mView");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(view->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, 5000));
    QStringList items;
    for (QAction* a : view->actions())
        if (!a->isSeparator()) items << a->text().remove(QLatin1Char('&'));
    EXPECT_EQ(items, (QStringList{QStringLiteral("Graf vstupů"), QStringLiteral("Komunikace"),
                                  QStringLiteral("Záznam do souboru ..."),
                                  QStringLiteral("Ukončit záznam")}));
    KeepScreen(window, 0, "menu.png");
    view->close();

    Child<QAction>(window, "mTrace")->trigger();
    FrmTrace* trace = window.watch().trace();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trace, 10000));
    trace->move(0, 0);
    Child<QComboBox>(window, "cmbSelectPort")->setCurrentIndex(0);
    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(window, "cmdDevRead"), Qt::LeftButton);

    // the log, its file chosen in the (scripted) save dialog
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zaznam.csv"));
    CommonDialog::SetDefaultRunner([&](const FileDialogRequest&) {
        FileDialogAnswer a;
        a.chosen = true;
        a.fileName = path;
        a.selectedFilter = 1;
        return a;
    });
    Child<QAction>(window, "mLog")->trigger();
    CommonDialog::SetDefaultRunner({});
    auto* indicator = Child<QLabel>(window, "lblZaznam");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return indicator->text().endsWith(QStringLiteral("řádků 3")); }, 10000))
        << indicator->text().toStdString();
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_TRUE(window.statusBar()->isVisible());
    trace->takeIncoming();
    EXPECT_GT(trace->shownCount(), 90);
    KeepScreen(window, 0, "trace_and_log.png");
    KeepScreen(*trace, trace->winId(), "trace.png");

    Child<QAction>(window, "mLogStop")->trigger();
}

} // namespace
} // namespace rm27

int main(int argc, char** argv) {
    return rm27::test::RunOnDisplay(argc, argv);
}
