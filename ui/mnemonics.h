// Keyboard access to menus and buttons without touching their wordings:
// an "&" goes before a letter of each caption, so Alt and that letter
// reach it. The visible text stays as it is (the letter is only
// underlined), so every caption and its translation keep their wording.
#pragma once

#include <QSet>
#include <QString>

class QAbstractButton;
class QMenu;
class QMenuBar;
class QWidget;

namespace rm27 {

// `text` with an "&" before its first letter not in `used` (word starts
// first), that letter then added to `used`; unchanged when it already has
// one or no letter is free.
QString WithMnemonic(const QString& text, QSet<QChar>& used);

// The letter a caption's mnemonic marks (lower case), a null QChar if none.
QChar MnemonicOf(const QString& text);

// A caption that replaces one with a mnemonic keeps its letter when it has it.
QString KeepMnemonic(const QString& before, const QString& after);

// The menu bar's titles, then each menu's items, each menu on its own.
void AddMnemonics(QMenuBar* bar);
void AddMnemonics(QMenu* menu);

// The push buttons of `window` whose caption is unique there, avoiding the
// letters the menu bar (if any) already took.
void AddMnemonics(QWidget* window, QSet<QChar> used = {});

} // namespace rm27
