#include "l10n/localizer.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <algorithm>
#include <utility>

namespace rm27 {

namespace {

// Where the English of the program's wordings is kept: the Linguist
// catalogue's context of the texts.h wordings.
constexpr const char* kTextsContext = "Texts";

struct Catalogue {
    Language language = Language::Czech;
    QTranslator* translator = nullptr; // owned by the application
    QStringList misses;
};

Catalogue& Current() {
    static Catalogue c;
    return c;
}

const QRegularExpression& CzechLetters() {
    static const QRegularExpression re(QStringLiteral(u"[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
    return re;
}

bool HasLetters(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// The catalogue's English of a wording, looked up whole; the text itself,
// noted as a miss, when it has none.
QString Translate(const QString& text, TextKind kind) {
    if (!HasLetters(text)) return text;
    Catalogue& c = Current();
    const QString english = c.translator == nullptr
                                ? QString()
                                : c.translator->translate(kTextsContext, text.toUtf8().constData());
    if (!english.isEmpty()) return english;
    if ((kind == TextKind::Program || text.contains(CzechLetters())) && !c.misses.contains(text))
        c.misses << text;
    return text;
}

} // namespace

bool ParseLanguage(const QString& word, Language* language) {
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("en")) {
        *language = Language::English;
        return true;
    }
    if (w == QLatin1String("cs") || w == QLatin1String("cz")) {
        *language = Language::Czech;
        return true;
    }
    return false;
}

Language ChooseLanguage(const QString& langOption, const QLocale& system) {
    Language chosen = Language::Czech;
    if (ParseLanguage(langOption, &chosen)) return chosen;
    switch (system.language()) {
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::C:
    case QLocale::AnyLanguage:
        return Language::Czech;
    default:
        return Language::English;
    }
}

bool InstallLanguage(Language language) {
    Catalogue& c = Current();
    if (c.translator != nullptr) {
        QCoreApplication::removeTranslator(c.translator);
        delete c.translator;
        c.translator = nullptr;
    }
    c.language = Language::Czech;
    c.misses.clear();
    if (language == Language::Czech) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/r27manager_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    c.translator = translator;
    c.language = language;
    return true;
}

Language CurrentLanguage() {
    return Current().language;
}

QString Shown(const QString& czech, TextKind kind) {
    if (Current().language == Language::Czech) return czech;
    return Translate(czech, kind);
}

Wording CurrentWording() {
    if (Current().language == Language::Czech) return {};
    return [](const char* czech) { return Shown(QString::fromUtf8(czech)).toStdString(); };
}

QString Shown(const Text& text, TextKind kind) {
    if (Current().language == Language::Czech) return QString::fromStdString(text.czech());
    return QString::fromStdString(text.render(
        [kind](const char* czech) { return Shown(QString::fromUtf8(czech), kind).toStdString(); }));
}

QString Shown(const std::string& czech, TextKind kind) {
    return Shown(QString::fromStdString(czech), kind);
}

QStringList TakeMisses() {
    return std::exchange(Current().misses, {});
}

} // namespace rm27
