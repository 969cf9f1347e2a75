// frmRMUSetup headless on the simulator's virtual time: what its rows show,
// what its buttons and its close box do, and that it cannot store twice.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "maintenance/ui/frm_rmu_setup.h"
#include "maintenance_rig.h"
#include "support/qt_environment.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_maintenance_ui"));

sim::ConverterSetup Rmu() {
    sim::ConverterSetup setup;
    setup.variant = sim::Variant::RMU;
    return setup;
}

class RmuDialog : public test::MaintenanceRig {
protected:
    RmuDialog() : MaintenanceRig(Rmu()) { read(); }
    template <class T> static T* Child(const QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        if (c == nullptr) ADD_FAILURE() << "no control " << name;
        return c;
    }
};

TEST_F(RmuDialog, ShowsTheRowsOfTheRecords) {
    state.records[2].auxSingle = 1234567.0f;
    state.records[2].numberFormat = "##0.000 ";
    FrmRMUSetup dlg(ops);
    EXPECT_EQ(Child<QLabel>(dlg, "lblnpopis_3")->text(),
              QStringLiteral("Vstup4> Internal: Force sensor 50 N                 [N     ]"));
    // A limit its format cuts: the row as the format gives it, whole in the tip.
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_2")->text(), QStringLiteral("567.000 "));
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_2")->toolTip(),
              QStringLiteral("Hodnota se nevejde do formátu ##0.000: 1234567.000"));
    EXPECT_TRUE(Child<QLineEdit>(dlg, "txtnlim_0")->toolTip().isEmpty());
    // The system's fixed font, whatever other fonts the machine has.
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_1")->font().family(),
              QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
}

TEST_F(RmuDialog, OkStoresTheChangeOnceAndCloses) {
    FrmRMUSetup dlg(ops);
    dlg.show();
    Child<QLineEdit>(dlg, "txtnlim_1")->setText(QStringLiteral("12,5"));
    QString infoDuringStore;
    bool stillOpen = false;
    // In the middle of the write: the user clicks everything there is.
    line.after(1000, [&] {
        infoDuringStore = Child<QLabel>(dlg, "lblninfo")->text();
        dlg.cmdOK_Click();
        dlg.cmdCancel_Click();
        dlg.close();
        stillOpen = dlg.isVisible() && dlg.storing();
    });
    QTest::mouseClick(Child<QPushButton>(dlg, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(infoDuringStore, QStringLiteral("Ukládání nastavení 2/4 ..."));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(Child<QLabel>(dlg, "lblninfo")->text().isEmpty());
    // input 2's eKey, once, then the restart, once
    EXPECT_EQ(writtenBlocks(), test::Frames{"20"});
    EXPECT_EQ(sent().size(), sent("KW").size() + 1);
    EXPECT_EQ(sent().back(), "$00X\r");
    EXPECT_EQ(state.records[1].auxSingle, 12.5f);
}

TEST_F(RmuDialog, ARefusedLimitSendsNothingAndKeepsTheRowsToBePutRight) {
    FrmRMUSetup dlg(ops);
    dlg.show();
    Child<QLineEdit>(dlg, "txtnlim_1")->setText(QStringLiteral("1e40"));
    auto* ok = Child<QPushButton>(dlg, "cmdOK");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(view.criticals[0].rfind("Limit vstupu 2: hodnotu 1e+40", 0), 0u);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_1")->text(), QStringLiteral("1e40"));
    EXPECT_TRUE(sent().empty());
}

TEST_F(RmuDialog, CancelEscapeAndTheCloseBoxStoreNothing) {
    const std::function<void(FrmRMUSetup&)> ways[] = {
        [](FrmRMUSetup& d) {
            QTest::mouseClick(Child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
        },
        [](FrmRMUSetup& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](FrmRMUSetup& d) { d.close(); },
    };
    for (const auto& way : ways) {
        FrmRMUSetup dlg(ops);
        dlg.show();
        Child<QLineEdit>(dlg, "txtnlim_0")->setText(QStringLiteral("99"));
        way(dlg);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(state.records[0].auxSingle, 0.0f);
    }
}

} // namespace
} // namespace rm27
