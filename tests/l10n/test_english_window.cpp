// The window and its dialogs in English, headless, against the built-in
// simulated converter: connected, read, each window opened. No caption,
// tool tip, menu, title or list row may still be a Czech text of the
// catalogue or carry Czech letters, and nothing the window showed on its
// own status line went without an English entry.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/simulator_host.h"
#include "calibration/editor_model.h"
#include "catalogue_support.h"
#include "l10n/localizer.h"
#include "maintenance/ui/frm_rmu_setup.h"
#include "mainwindow/frm_main.h"
#include "support/recorder.h"
#include "ui/frm_about.h"
#include "ui/port_map.h"

namespace rm27::test {
namespace {

// Every text a window shows, with where it is.
QList<QPair<QString, QString>> TextsOf(QWidget& root) {
    QList<QPair<QString, QString>> out;
    const auto add = [&out](const QObject* o, const char* what, const QString& text) {
        if (!text.isEmpty())
            out.append({o->objectName() + QLatin1Char('.') + QLatin1String(what), text});
    };
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* w : widgets) {
        add(w, "windowTitle", w->isWindow() ? w->windowTitle() : QString());
        add(w, "toolTip", w->toolTip());
        if (auto* l = qobject_cast<QLabel*>(w)) add(l, "text", l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b, "text", b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) add(g, "title", g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w)) add(e, "placeholder", e->placeholderText());
        if (auto* m = qobject_cast<QMenu*>(w)) add(m, "title", m->title());
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < c->count(); ++i)
                add(c, "item", c->itemText(i));
        }
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                add(list, "row", list->item(i)->text());
        }
        if (auto* t = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < t->columnCount(); ++c) {
                if (const QTableWidgetItem* h = t->horizontalHeaderItem(c))
                    add(t, "heading", h->text());
            }
        }
        for (QAction* a : w->actions()) {
            add(a, "text", a->text());
            if (a->toolTip() != QString(a->text()).remove(QLatin1Char('&')))
                add(a, "toolTip", a->toolTip());
            add(a, "statusTip", a->statusTip());
        }
    }
    return out;
}

// The RMU dialog needs the window's operations.
class Window : public FrmMain {
public:
    using FrmMain::FrmMain;
    using FrmMain::operations;
};

QWidget* TopLevel(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name && top->isVisible()) return top;
    }
    return nullptr;
}

class EnglishWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallLanguage(Language::English));
        for (const TsMessage& m : ReadTs(QStringLiteral(RM27_TS_FILE))) {
            if (m.translation != m.source) czech_.insert(m.source);
        }
        ASSERT_FALSE(czech_.isEmpty());
    }
    void TearDown() override { InstallLanguage(Language::Czech); }

    // A text still in Czech: one of the catalogue's sources, or any text
    // with Czech letters.
    void expectEnglish(QWidget& window) {
        int seen = 0;
        for (const auto& [where, text] : TextsOf(window)) {
            ++seen;
            EXPECT_FALSE(czech_.contains(text) || HasCzechLetter(text))
                << window.objectName().toStdString() << " " << where.toStdString() << ": "
                << text.toStdString();
        }
        EXPECT_GT(seen, 3) << window.objectName().toStdString();
        ++windows_;
    }

    QSet<QString> czech_;
    int windows_ = 0;
};

TEST_F(EnglishWindow, TheWindowAndItsDialogsShowNoCzech) {
    SimulatorHost simulator;
    QString error;
    ASSERT_TRUE(simulator.start(&error)) << error.toStdString();
    PortMap ports;
    ports.setFixed(1, PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    Recorder prompter;
    FrmMainSetup setup;
    setup.ports = &ports;
    setup.prompter = &prompter;
    setup.commandLine = QStringLiteral("zirkon"); // the device menus and the calibration strip
    Window window(setup);
    window.Form_Load();
    window.show();

    auto* port = window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"));
    ASSERT_NE(port, nullptr);
    port->setCurrentIndex(0);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdConnect")), Qt::LeftButton);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
              QStringLiteral("Communication port open"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdDevRead")), Qt::LeftButton);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblID"))->text(),
              QStringLiteral("0123RM2712"));
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("cmdConnect"))->text(),
              QStringLiteral("Connected"));
    expectEnglish(window);

    // The watching windows.
    for (const char* action : {"mChart", "mTrace"})
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    for (const char* name : {"frmChart", "frmTrace"}) {
        QWidget* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String(name)) w = top;
        }
        ASSERT_NE(w, nullptr) << name;
        expectEnglish(*w);
    }

    // The modal ones are looked at while open, then closed.
    const auto whileOpen = [this](const QString& name,
                                  const std::function<void(QWidget&)>& more = {}) {
        QTimer::singleShot(0, [this, name, more] {
            QWidget* w = QApplication::activeModalWidget();
            ASSERT_NE(w, nullptr) << name.toStdString();
            EXPECT_EQ(w->objectName(), name);
            expectEnglish(*w);
            if (more) more(*w);
            w->close();
        });
    };
    whileOpen(QStringLiteral("frmAbout"));
    window.findChild<QAction*>(QStringLiteral("mAbout"))->trigger();

    FrmRMUSetup rmu(window.operations(), &window);
    whileOpen(QStringLiteral("frmRMUSetup"));
    rmu.exec();

    // The calibration editor, with its linearity view, over input 1. It
    // comes up after a few exchanges, inside the command's own waits.
    bool editorSeen = false;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* editor = TopLevel(QString::fromStdString(kCalibrationEditorName));
        if (editor == nullptr) {
            if (++tries > 500) {
                poll.stop();
                ADD_FAILURE() << "the calibration editor did not open";
                window.close(); // cancels the command
            }
            return;
        }
        poll.stop();
        editorSeen = true;
        editor->findChild<QAction*>(QStringLiteral("mGrafLinearity"))->trigger();
        expectEnglish(*editor);
        if (QWidget* linearity = TopLevel(QStringLiteral("frmLinearity")))
            expectEnglish(*linearity);
        else
            ADD_FAILURE() << "no linearity view";
        // "Storno" closes it without storing anything.
        editor->findChild<QPushButton*>(QStringLiteral("cmdAction_0"))->click();
    });
    poll.start(20);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdChange_0")),
                      Qt::LeftButton);
    EXPECT_TRUE(editorSeen);
    EXPECT_GE(windows_, 7);

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdConnect")), Qt::LeftButton);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
              QStringLiteral("Communication port closed."));
    const QStringList misses = TakeMisses();
    EXPECT_TRUE(misses.isEmpty()) << misses.join(QLatin1Char('\n')).toStdString();
    simulator.stop();
}

} // namespace
} // namespace rm27::test
