// The program as a newcomer meets it: the window on a real display (the
// test runs under Xvfb), the built-in simulated converter as COM1, a click on
// "Spojit" and on "Načíst", and live values on screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/simulator_host.h"
#include "support/box_watchdog.h"
#include "mainwindow/frm_main.h"
#include "ui/port_map.h"
#include "support/display_main.h"

namespace rm27 {
namespace {

template <class T> T* Child(QWidget& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

TEST(SimulatorWindow, ConnectsReadsAndShowsLiveValues) {
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
    ASSERT_NE(port, nullptr);
    port->setCurrentIndex(0);
    EXPECT_EQ(port->currentText(), QStringLiteral("COM1: simulator"));

    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    auto* status = Child<QLabel>(window, "lblStatus");
    EXPECT_EQ(status->text(), QStringLiteral("Komunikační port otevřen"));
    EXPECT_EQ(Child<QPushButton>(window, "cmdConnect")->text().remove(QLatin1Char('&')),
              QStringLiteral("Spojeno"));

    // The read waits for the converter in nested event loops; the click
    // returns when it is done and the measurement runs.
    QTest::mouseClick(Child<QPushButton>(window, "cmdDevRead"), Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(window, "lblID")->text(), QStringLiteral("0123RM2712"));
    EXPECT_TRUE(Child<QLabel>(window, "lblR27ID_0")->text().startsWith(QStringLiteral("eKey ")));
    auto* raw = Child<QLabel>(window, "lblHodnota_0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return raw->text().trimmed().toLongLong() > 0; }, 5000))
        << raw->text().toStdString();
    EXPECT_EQ(Child<QLabel>(window, "lblR27mVV_1")->text().trimmed(), QStringLiteral("1.000"));

    QTest::mouseClick(Child<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("Komunikační port uzavřen."));
    simulator.stop();
}

} // namespace
} // namespace rm27

int main(int argc, char** argv) {
    return rm27::test::RunOnDisplay(argc, argv);
}
