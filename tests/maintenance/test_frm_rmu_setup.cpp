// frmRMUSetup headless on the simulator's virtual time: what it shows, what
// its buttons and its close box do, and that it cannot store twice.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "maintenance/ui/frm_rmu_setup.h"
#include "reading/operations.h"
#include "support/qt_environment.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_maintenance_ui"));

class RmuDialog : public test::SimRig {
protected:
    RmuDialog() {
        sim::ConverterSetup setup;
        setup.variant = sim::Variant::RMU;
        bus.add(setup);
        EXPECT_TRUE(DevRead(ops, 1));
        firstFrame = line.sent().size();
    }
    template <class T> static T* Child(const QWidget& w, const QString& name) {
        T* c = w.findChild<T*>(name);
        if (c == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
        return c;
    }
    std::vector<std::string> sentSince() const {
        std::vector<std::string> out;
        for (std::size_t i = firstFrame; i < line.sent().size(); ++i)
            out.push_back(line.sent()[i].text);
        return out;
    }
    std::size_t firstFrame = 0;
};

TEST_F(RmuDialog, ShowsTheRowsOfTheRecords) {
    state.records[3].auxSingle = -1.5f;
    state.records[2].auxSingle = 1234567.0f;
    state.records[2].numberFormat = "##0.000 ";
    FrmRMUSetup dlg(ops);
    EXPECT_EQ(dlg.objectName(), QStringLiteral("frmRMUSetup"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Nastaven9 jednotky RMU"));
    EXPECT_TRUE(dlg.isModal());
    EXPECT_EQ(Child<QGroupBox>(dlg, "Frame1")->title(), QStringLiteral("Uživatelské limity"));
    EXPECT_EQ(Child<QPushButton>(dlg, "cmdOK")->text().remove('&'), QStringLiteral("OK/Uložit"));
    EXPECT_EQ(Child<QPushButton>(dlg, "cmdCancel")->text().remove('&'), QStringLiteral("Zavřít"));
    EXPECT_EQ(Child<QLabel>(dlg, "lblnpopis_0")->text(),
              QStringLiteral("Vstup1> Internal: Load cell 500 kg                  [kg    ]"));
    EXPECT_EQ(Child<QLabel>(dlg, "lblnpopis_3")->text(),
              QStringLiteral("Vstup4> Internal: Force sensor 50 N                 [N     ]"));
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_0")->text(), QStringLiteral("    0.0 "));
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_3")->text(), QStringLiteral(" -1.500 "));
    // A limit its format cuts: the row as the format gives it, whole in the tip.
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_2")->text(), QStringLiteral("567.000 "));
    EXPECT_EQ(Child<QLineEdit>(dlg, "txtnlim_2")->toolTip(),
              QStringLiteral("Hodnota se nevejde do formátu ##0.000: 1234567.000"));
    EXPECT_TRUE(Child<QLineEdit>(dlg, "txtnlim_3")->toolTip().isEmpty());
    // The system's fixed font, whatever other fonts the machine has.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < 4; ++i) {
        auto* box = Child<QLineEdit>(dlg, QStringLiteral("txtnlim_%1").arg(i));
        EXPECT_EQ(box->font().family(), fixed.family()) << i;
    }
    EXPECT_TRUE(Child<QLabel>(dlg, "lblninfo")->text().isEmpty());
}

TEST_F(RmuDialog, OkStoresTheChangeOnceAndCloses) {
    FrmRMUSetup dlg(ops);
    dlg.show();
    Child<QLineEdit>(dlg, "txtnlim_1")->setText(QStringLiteral("12,5"));
    auto* ok = Child<QPushButton>(dlg, "cmdOK");
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
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(infoDuringStore, QStringLiteral("Ukládání nastavení 2/4 ..."));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(Child<QLabel>(dlg, "lblninfo")->text().isEmpty());

    const auto sent = sentSince();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "$00X\r"), 1);
    EXPECT_EQ(sent.back(), "$00X\r");
    EXPECT_EQ(sent.front().substr(0, 7), "$01KW20"); // input 2's eKey, once
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& f) { return f.substr(0, 9) == "$01KW2000"; }),
              1);
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
    EXPECT_TRUE(sentSince().empty());
}

TEST_F(RmuDialog, CancelEscapeAndTheCloseBoxStoreNothing) {
    const std::function<void(FrmRMUSetup&)> ways[] = {
        [](FrmRMUSetup& d) {
            QTest::mouseClick(d.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
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
        EXPECT_TRUE(sentSince().empty());
        EXPECT_EQ(state.records[0].auxSingle, 0.0f);
    }
}

} // namespace
} // namespace rm27
