// Every window of the program in turn, as a user opens them on the built-in
// simulated converter: the main window before and after "Spojit" and
// "Načíst", the chart, the frame trace, the about box, the RMU dialog, and
// the calibration editor over input 1 with its linearity view. Each is
// handed to the visitor while it is open; what the tests then check (no
// Czech left in English, every control on the screen) is theirs.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "app/simulator_host.h"
#include "calibration/editor_model.h"
#include "maintenance/ui/frm_rmu_setup.h"
#include "mainwindow/frm_main.h"
#include "support/recorder.h"
#include "ui/port_map.h"

namespace rm27::test {

// The stages the visitor is told: "unread", "read", then each window's
// object name.
using WindowVisitor = std::function<void(QWidget& window, const std::string& stage)>;

class TouredWindow : public FrmMain {
public:
    using FrmMain::FrmMain;
    using FrmMain::operations;
};

inline QWidget* VisibleTopLevel(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name && top->isVisible()) return top;
    }
    return nullptr;
}

// Opens the modal window that comes up next, once it is up: visits it and
// closes it.
inline void VisitNextModal(const WindowVisitor& visit) {
    QTimer::singleShot(0, [visit] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        visit(*w, w->objectName().toStdString());
        w->close();
    });
}

// The editor comes up after a few exchanges, inside the command's own
// waits: looked for until it shows (a bounded number of times).
inline void VisitEditor(TouredWindow& window, const WindowVisitor& visit) {
    bool seen = false;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* editor = VisibleTopLevel(QString::fromStdString(kCalibrationEditorName));
        if (editor == nullptr) {
            if (++tries > 500) {
                poll.stop();
                ADD_FAILURE() << "the calibration editor did not open";
                window.close(); // cancels the command
            }
            return;
        }
        poll.stop();
        seen = true;
        editor->findChild<QAction*>(QStringLiteral("mGrafLinearity"))->trigger();
        visit(*editor, editor->objectName().toStdString());
        if (QWidget* linearity = VisibleTopLevel(QStringLiteral("frmLinearity")))
            visit(*linearity, "frmLinearity");
        else
            ADD_FAILURE() << "no linearity view";
        // "Storno" closes it without storing anything.
        editor->findChild<QPushButton*>(QStringLiteral("cmdAction_0"))->click();
    });
    poll.start(20);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdChange_0")),
                      Qt::LeftButton);
    EXPECT_TRUE(seen);
}

inline void TourWindows(const QString& commandLine, const WindowVisitor& visit) {
    SimulatorHost simulator;
    QString error;
    ASSERT_TRUE(simulator.start(&error)) << error.toStdString();
    PortMap ports;
    ports.setFixed(1, PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    Recorder prompter;
    FrmMainSetup setup;
    setup.ports = &ports;
    setup.prompter = &prompter;
    setup.commandLine = commandLine;
    TouredWindow window(setup);
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 10000));
    visit(window, "unread");

    window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdConnect")), Qt::LeftButton);
    // The read waits for the converter in nested event loops; the click
    // returns when it is done.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdDevRead")), Qt::LeftButton);
    visit(window, "read");

    for (const char* action : {"mChart", "mTrace"})
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    for (const char* name : {"frmChart", "frmTrace"}) {
        QWidget* w = VisibleTopLevel(QLatin1String(name));
        ASSERT_NE(w, nullptr) << name;
        visit(*w, name);
        w->close();
    }
    VisitNextModal(visit);
    window.findChild<QAction*>(QStringLiteral("mAbout"))->trigger();
    FrmRMUSetup rmu(window.operations(), &window);
    VisitNextModal(visit);
    rmu.exec();
    VisitEditor(window, visit);

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdConnect")), Qt::LeftButton);
    visit(window, "closed");
    simulator.stop();
}

} // namespace rm27::test
