#include "ui/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace rm27 {

namespace {

bool Free(const QString& text, qsizetype i, const QSet<QChar>& used) {
    return text.at(i).isLetterOrNumber() && !used.contains(text.at(i).toLower());
}

QString Marked(QString text, qsizetype i, QSet<QChar>& used) {
    used.insert(text.at(i).toLower());
    return text.insert(i, QLatin1Char('&'));
}

} // namespace

QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) continue;
        if (text.at(i + 1) != QLatin1Char('&')) return text.at(i + 1).toLower();
        ++i; // "&&" is a shown ampersand
    }
    return {};
}

QString WithMnemonic(const QString& text, QSet<QChar>& used) {
    const QChar own = MnemonicOf(text);
    if (!own.isNull()) {
        used.insert(own);
        return text;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool wordStart = i == 0 || !text.at(i - 1).isLetterOrNumber();
        if (wordStart && Free(text, i, used)) return Marked(text, i, used);
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Free(text, i, used)) return Marked(text, i, used);
    }
    return text;
}

QString KeepMnemonic(const QString& before, const QString& after) {
    const QChar letter = MnemonicOf(before);
    if (letter.isNull() || !MnemonicOf(after).isNull()) return after;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after.at(i).toLower() == letter) return QString(after).insert(i, QLatin1Char('&'));
    }
    return after;
}

void AddMnemonics(QMenu* menu) {
    QSet<QChar> used;
    const QList<QAction*> actions = menu->actions();
    // Those that have one keep it; the rest choose among what is left.
    for (QAction* a : actions)
        WithMnemonic(a->text().contains(QLatin1Char('&')) ? a->text() : QString(), used);
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        a->setText(WithMnemonic(a->text(), used));
        if (a->menu() != nullptr) AddMnemonics(a->menu());
    }
}

void AddMnemonics(QMenuBar* bar) {
    QSet<QChar> used;
    for (QAction* a : bar->actions()) {
        a->setText(WithMnemonic(a->text(), used));
        if (a->menu() != nullptr) AddMnemonics(a->menu());
    }
}

void AddMnemonics(QWidget* window, QSet<QChar> used) {
    if (auto* bar = window->findChild<QMenuBar*>()) {
        for (QAction* a : bar->actions())
            WithMnemonic(a->text(), used);
    }
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    QHash<QString, int> count;
    for (QAbstractButton* b : buttons)
        ++count[b->text()];
    for (QAbstractButton* b : buttons) {
        if (b->text().isEmpty() || count.value(b->text()) > 1 || b->text().size() < 2) continue;
        b->setText(WithMnemonic(b->text(), used));
    }
}

} // namespace rm27
