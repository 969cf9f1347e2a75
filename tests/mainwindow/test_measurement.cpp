// Measurement start and stop, and the rule of one exchange at a time: no
// click, tick or message box may start a second exchange inside a wait.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class MeasurementTest : public WindowTest {
protected:
    void SetRaw(TestWindow& w, const QString& text) {
        for (int i = 0; i < 4; ++i)
            w.setCaption("lblHodnota_" + std::to_string(i), Text::Value(text.toStdString()));
    }
    void ExpectRawEmpty(TestWindow& w) {
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(
                Child<QLabel>(w, ("lblHodnota_" + std::to_string(i)).c_str())->text().isEmpty());
    }
    QTimer* Timer(TestWindow& w) { return Child<QTimer>(w, "tmrCasovac"); }
};

TEST_F(MeasurementTest, StartWithThePortClosedLeavesTheTimerOff) {
    auto w = MakeWindow();
    w->Form_Load();
    SetRaw(*w, QStringLiteral("123"));
    w->StartMeasurement();
    EXPECT_FALSE(Timer(*w)->isActive());
    ExpectRawEmpty(*w);
}

TEST_F(MeasurementTest, StartDropsWhatWaitsAndRunsTheTimer) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    pty.write("stale");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->serialLine().inBufferCount() >= 5; }, 2000));
    ASSERT_EQ(w->serialLine().inBufferCount(), 5);
    w->StartMeasurement();
    EXPECT_EQ(w->serialLine().inBufferCount(), 0);
    EXPECT_TRUE(Timer(*w)->isActive());
    EXPECT_EQ(Timer(*w)->interval(), 500);
}

// The scan's list: Enter or a double click on a converter selects its
// address and reads it; a row that names no address does nothing.
TEST_F(MeasurementTest, AConverterChosenInTheScanListIsSelectedAndRead) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    auto* list = Child<QListWidget>(*w, "lstCurves");
    list->addItem(QStringLiteral("@0x1F 0123RM2712 KQ:0x03"));
    list->addItem(QStringLiteral("nothing here"));
    list->setCurrentRow(1);
    emit list->itemActivated(list->currentItem());
    EXPECT_EQ(w->reads, 0);
    list->setCurrentRow(0);
    emit list->itemActivated(list->currentItem());
    EXPECT_EQ(w->reads, 1);
    EXPECT_EQ(Child<QComboBox>(*w, "cmbSelectAdr")->currentIndex(), 31);
    EXPECT_EQ(pty.read(5), "$1F@\r");
}

TEST_F(MeasurementTest, ReadSavesTheAddressAndBracketsTheExchange) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(7);
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(3);
    EXPECT_TRUE(pty.readAll().empty()); // choosing an address sends nothing
    bool timerOffDuringRead = false;
    w->duringRead = [&] { timerOffDuringRead = !Timer(*w)->isActive(); };
    w->cmdDevRead_Click();
    EXPECT_EQ(w->reads, 1);
    EXPECT_TRUE(timerOffDuringRead);
    EXPECT_EQ(pty.read(5), "$03@\r");
    EXPECT_EQ(settings->GetSetting("MRU", "AddressIndex"), QStringLiteral("3"));
    EXPECT_TRUE(Timer(*w)->isActive());
    EXPECT_TRUE(Child<QPushButton>(*w, "cmdReset")->isEnabled());
    EXPECT_EQ(Child<QLabel>(*w, "lblStatus")->text(), QStringLiteral("OK, měření spuštěno ..."));

    w->readOk = false;
    w->cmdDevRead_Click();
    EXPECT_FALSE(Timer(*w)->isActive());
    EXPECT_EQ(Child<QLabel>(*w, "lblStatus")->text(), QStringLiteral("Jednotka nenalezena!"));
}

} // namespace
} // namespace rm27::test
