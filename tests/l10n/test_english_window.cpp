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

#include "catalogue_support.h"
#include "l10n/localizer.h"
#include "support/recorder.h"
#include "support/window_tour.h"

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
    // The device menus and the calibration strip show in the extended mode.
    TourWindows(QStringLiteral("zirkon"), [this](QWidget& w, const std::string& stage) {
        if (stage == "read") {
            EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblID"))->text(),
                      QStringLiteral("0123RM2712"));
            EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmdConnect"))->text().remove('&'),
                      QStringLiteral("Connected"));
        }
        if (stage == "closed") {
            EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                      QStringLiteral("Communication port closed."));
            return;
        }
        expectEnglish(w);
    });
    EXPECT_GE(windows_, 8);
    const QStringList misses = TakeMisses();
    EXPECT_TRUE(misses.isEmpty()) << misses.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace rm27::test
