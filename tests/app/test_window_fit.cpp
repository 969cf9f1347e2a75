// The windows on a laptop: a 1366 x 768 screen less a task bar (the test
// runs under Xvfb on a 1366 x 728 screen). Every window of the program, in
// both languages and both modes, before and after a reading: it lies on the
// screen with its title bar, every visible control is in sight without
// scrolling, and no caption is cut. In English, no caption, tool tip, menu,
// title or list row may still be a Czech text of the catalogue or carry
// Czech letters, and nothing the window showed went without an English
// entry.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>

#include <string>
#include <tuple>

#include "l10n/catalogue_support.h"
#include "l10n/localizer.h"
#include "support/window_tour.h"
#include "ui/window_placement.h"
#include "support/display_main.h"

namespace rm27::test {
namespace {

QRect InWindow(const QWidget& w) {
    return {w.mapTo(w.window(), QPoint(0, 0)), w.size()};
}

// The part of `w` its ancestors leave in sight (a scroll area's viewport
// cuts what is scrolled away).
QRect InSight(const QWidget& w) {
    QRect r = InWindow(w);
    for (const QWidget* p = w.parentWidget(); p != nullptr && !p->isWindow(); p = p->parentWidget())
        r &= InWindow(*p);
    return r;
}

// The width a caption needs, the widest of its lines; 0 for rich text.
int TextWidth(const QWidget& w, QString text) {
    if (Qt::mightBeRichText(text)) return 0;
    text.remove(QLatin1Char('&'));
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, w.fontMetrics().horizontalAdvance(line));
    return widest;
}

void ExpectNothingCut(const QWidget& w, const std::string& where) {
    const std::string name = where + " " + w.objectName().toStdString();
    EXPECT_EQ(InSight(w), InWindow(w)) << name << " is not wholly in sight";
    if (const auto* l = qobject_cast<const QLabel*>(&w)) {
        if (l->wordWrap() || l->text().isEmpty()) return;
        const int room = l->contentsRect().width() - 2 * l->margin() - std::max(0, l->indent());
        EXPECT_LE(TextWidth(w, l->text()), room) << name << ": \"" << l->text().toStdString()
                                                 << "\" is cut";
    } else if (const auto* b = qobject_cast<const QAbstractButton*>(&w)) {
        EXPECT_LE(TextWidth(w, b->text()), b->width() - 4)
            << name << ": \"" << b->text().toStdString() << "\" is cut";
    }
}

void ExpectFits(QWidget& window, const std::string& stage) {
    QApplication::processEvents();
    const QRect area = window.screen()->availableGeometry();
    const QRect outer(window.pos(), window.size() + FrameExtra(&window));
    EXPECT_TRUE(area.contains(outer))
        << stage << ": the window with its frame " << outer.width() << "x" << outer.height()
        << "+" << outer.x() << "+" << outer.y() << " is not inside the screen";
    for (const QWidget* c : window.findChildren<QWidget*>()) {
        if (!c->isVisible() || c->window() != &window) continue;
        if (qobject_cast<const QLabel*>(c) != nullptr || qobject_cast<const QAbstractButton*>(c) ||
            c->inherits("QComboBox") || c->inherits("QLineEdit") ||
            c->inherits("QAbstractItemView"))
            ExpectNothingCut(*c, stage);
    }
    if (qobject_cast<QDialog*>(&window) != nullptr) {
        // A small dialog does not cut its title.
        QFont bold = window.font();
        bold.setBold(true);
        EXPECT_GE(window.width(), QFontMetrics(bold).horizontalAdvance(window.windowTitle()))
            << stage << ": the title \"" << window.windowTitle().toStdString() << "\" is cut";
    }
    if (auto* client = window.findChild<QScrollArea*>(QStringLiteral("frmMainScroll"))) {
        // The main window grows with what a reading shows rather than scroll.
        EXPECT_FALSE(client->verticalScrollBar()->isVisible()) << stage;
        EXPECT_FALSE(client->horizontalScrollBar()->isVisible()) << stage;
    }
    if (auto* points = window.findChild<QTableWidget*>(QStringLiteral("lstKrivka"))) {
        // All the points a curve may hold, in sight at once.
        EXPECT_GE(points->viewport()->height(), 9 * points->verticalHeader()->defaultSectionSize())
            << stage;
    }
}

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

// A text still in Czech: one of the catalogue's sources, or any text with
// Czech letters.
void ExpectEnglish(QWidget& window, const std::string& stage, const QSet<QString>& czech) {
    int seen = 0;
    for (const auto& [where, text] : TextsOf(window)) {
        ++seen;
        EXPECT_FALSE(czech.contains(text) || HasCzechLetter(text))
            << stage << " " << where.toStdString() << ": " << text.toStdString();
    }
    EXPECT_GT(seen, 3) << stage;
}

using Case = std::tuple<Language, const char*>;

class WindowFit : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { ASSERT_TRUE(InstallLanguage(std::get<0>(GetParam()))); }
    void TearDown() override { InstallLanguage(Language::Czech); }
};

TEST_P(WindowFit, EveryWindowFitsALaptopScreen) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1366, 728));
    const bool english = std::get<0>(GetParam()) == Language::English;
    QSet<QString> czech;
    for (const TsMessage& m : ReadTs(QStringLiteral(RM27_TS_FILE)))
        if (m.translation != m.source) czech.insert(m.source);
    ASSERT_FALSE(czech.isEmpty());
    int windows = 0;
    TourWindows(QString::fromLatin1(std::get<1>(GetParam())),
                [&](QWidget& w, const std::string& stage) {
                    ExpectFits(w, stage);
                    ++windows;
                    if (english && stage == "read") {
                        EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmdConnect"))
                                      ->text()
                                      .remove('&'),
                                  QStringLiteral("Connected"));
                    }
                    if (english) ExpectEnglish(w, stage, czech);
                });
    EXPECT_GE(windows, 8);
    const QStringList misses = TakeMisses();
    EXPECT_TRUE(!english || misses.isEmpty()) << misses.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndModes, WindowFit,
                         ::testing::Combine(::testing::Values(Language::Czech, Language::English),
                                            ::testing::Values("", "zirkon")));

} // namespace
} // namespace rm27::test

int main(int argc, char** argv) {
    return rm27::test::RunOnDisplay(argc, argv);
}
