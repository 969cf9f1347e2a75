// The program speaks Czech, its own language; English comes from a Qt
// Linguist catalogue. Widgets translate their own captions with tr(). The
// texts the operations build (Qt-free, by identity: a wording and its
// arguments, see text.h) reach the screen only through the main window's
// view, the prompter and r27ctl's terminal, and those render them here, at
// the boundary, each wording looked up whole.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <string>

#include "l10n/text.h"

namespace rm27 {

enum class Language { Czech, English };

// `--lang en|cs` wins. Otherwise a system locale whose language is Czech or
// Slovak keeps Czech (Slovak users read Czech), as does the bare "C" locale
// of a service or a script, which says nothing about the user; any other
// language gets English.
Language ChooseLanguage(const QString& langOption, const QLocale& system);
// False when the word is neither "en" nor "cs" (nor "cz").
bool ParseLanguage(const QString& word, Language* language);

// Loads the catalogue for the language and installs it for tr(). Czech needs
// none. False when the English catalogue could not be loaded.
bool InstallLanguage(Language language);
Language CurrentLanguage();

// How a wording is treated when the catalogue has no entry for it.
enum class TextKind {
    // A program text (status, message, caption): without an entry it is a
    // miss.
    Program,
    // A row or a field that may hold a value (a device id, a sensor name the
    // user typed, a number): translated when the catalogue knows it, a miss
    // only when it is plainly Czech (has Czech letters).
    Value,
};

// How r27ctl's terminal renders a text's wordings in the current language;
// empty (Czech as written) when the language is Czech.
Wording CurrentWording();

// The text in the current language.
QString Shown(const std::string& czech, TextKind kind = TextKind::Program);
QString Shown(const QString& czech, TextKind kind = TextKind::Program);
QString Shown(const Text& text, TextKind kind = TextKind::Program);

// The wordings shown in English without an entry since the last call.
QStringList TakeMisses();

} // namespace rm27
