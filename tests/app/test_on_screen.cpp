// The program as a newcomer meets it: the window on a real display (the
// test runs under Xvfb), the built-in simulated converter as COM1, a click on
// "Spojit" and on "Načíst", live values, and "Zobrazit" > "Graf vstupů"
// drawing the four lines in their colours. With RM27_SCREENSHOT_DIR set,
// the chart and the desktop are kept there as PNG files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <cstdlib>

#include "app/simulator_host.h"
#include "mainwindow/frm_main.h"
#include "support/box_watchdog.h"
#include "support/display_main.h"
#include "ui/port_map.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/watch_windows.h"

namespace rm27 {
namespace {

template <class T> T* Child(QObject& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

void Keep(const QImage& image, const char* name) {
    if (const char* dir = std::getenv("RM27_SCREENSHOT_DIR"))
        image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

// Pixels within a small distance of `color` (antialiasing blurs the edges).
int PixelsLike(const QImage& image, const QColor& color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                     std::abs(c.blue() - color.blue()) <
                 30;
        }
    }
    return n;
}

TEST(OnScreen, ConnectReadLiveValuesAndTheChart) {
    const test::BoxWatchdog boxes;
    SimulatorHost simulator;
    QString error;
    ASSERT_TRUE(simulator.start(&error)) << error.toStdString();
    PortMap ports;
    ports.setFixed(1, PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    FrmMainSetup setup;
    setup.ports = &ports;
    FrmMain window(setup);
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 10000));

    auto* port = Child<QComboBox>(window, "cmbSelectPort");
    port->setCurrentIndex(0);
    EXPECT_EQ(port->currentText(), QStringLiteral("COM1: simulator"));
    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    auto* status = Child<QLabel>(window, "lblStatus");
    EXPECT_EQ(status->text(), QStringLiteral("Komunikační port otevřen"));
    // The read waits for the converter in nested event loops; the click
    // returns when it is done and the measurement runs.
    QTest::mouseClick(Child<QPushButton>(window, "cmdDevRead"), Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(window, "lblID")->text(), QStringLiteral("0123RM2712"));
    EXPECT_TRUE(Child<QLabel>(window, "lblR27ID_0")->text().startsWith(QStringLiteral("eKey ")));
    auto* raw = Child<QLabel>(window, "lblHodnota_0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return raw->text().trimmed().toLongLong() > 0; }, 5000))
        << raw->text().toStdString();
    EXPECT_EQ(Child<QLabel>(window, "lblR27mVV_1")->text().trimmed(), QStringLiteral("1.000"));

    Child<QAction>(window, "mChart")->trigger();
    FrmChart* chart = window.watch().chart();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chart, 10000));
    // Until a few ticks have reached the screen: every line in its colour.
    QImage shot;
    const bool drawn = QTest::qWaitFor(
        [&] {
            shot = chart->screen()->grabWindow(chart->winId()).toImage();
            for (int i = 0; i < 4; ++i)
                if (chart->series(i)->count() < 3 ||
                    PixelsLike(shot, chart->series(i)->pen().color()) <= 50)
                    return false;
            return true;
        },
        10000);
    EXPECT_TRUE(drawn);
    Keep(shot, "chart.png");
    Keep(window.screen()->grabWindow(0).toImage(), "desktop.png");
    // the cursor reads what the lines show (1.0 mV/V on the 10 kN sensor of input 2)
    chart->setCursorTime(chart->ring(0).back().t);
    const QString reading = Child<QLabel>(*chart, "lblCursor")->text();
    EXPECT_TRUE(reading.contains(QRegularExpression(QStringLiteral("2: 50\\d\\d N"))))
        << reading.toStdString();

    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("Komunikační port uzavřen."));
    simulator.stop();
}

} // namespace
} // namespace rm27

int main(int argc, char** argv) {
    return rm27::test::RunOnDisplay(argc, argv);
}
