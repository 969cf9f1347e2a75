#include "l10n/localizer.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <algorithm>
#include <vector>

#include "l10n/text_catalogue.h"

namespace rm27 {

namespace {

// One operation text with parts filled in, compiled once for matching.
struct Template {
    QString source;
    QRegularExpression pattern;
    QList<int> numbers;       // the placeholder each captured group stands for
    qsizetype fixedChars = 0; // longer fixed text first: the most specific wins
};

struct Catalogue {
    Language language = Language::Czech;
    QTranslator* translator = nullptr; // owned by the application
    std::vector<Template> templates;
    QStringList misses;
};

Catalogue& Current() {
    static Catalogue c;
    return c;
}

const QRegularExpression& Placeholder() {
    static const QRegularExpression re(QStringLiteral("%([1-9])"));
    return re;
}

const QRegularExpression& CzechLetters() {
    static const QRegularExpression re(QStringLiteral(u"[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
    return re;
}

bool HasLetters(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

std::vector<Template> CompileTemplates() {
    std::vector<Template> out;
    for (const char* entry : TextCatalogue()) {
        const QString source = QString::fromUtf8(entry);
        if (!source.contains(Placeholder())) continue;
        QString pattern = QStringLiteral("^");
        qsizetype fixed = 0;
        qsizetype from = 0;
        QList<int> numbers;
        auto it = Placeholder().globalMatch(source);
        while (it.hasNext()) {
            const auto m = it.next();
            numbers << m.captured(1).toInt();
            const QString part = source.mid(from, m.capturedStart() - from);
            fixed += part.size();
            pattern += QRegularExpression::escape(part) + QStringLiteral("([^\\r\\n]*?)");
            from = m.capturedEnd();
        }
        fixed += source.size() - from;
        pattern += QRegularExpression::escape(source.mid(from)) + QStringLiteral("$");
        out.push_back({source,
                       QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption),
                       numbers, fixed});
    }
    std::stable_sort(out.begin(), out.end(), [](const Template& a, const Template& b) {
        return a.fixedChars > b.fixedChars;
    });
    return out;
}

// The catalogue's English for a whole text; null when it has none.
QString Lookup(const QString& czech) {
    const Catalogue& c = Current();
    if (c.translator == nullptr) return {};
    const QString english = c.translator->translate(kTextsContext, czech.toUtf8().constData());
    return english.isEmpty() ? QString() : english;
}

QString Translate(const QString& text, TextKind kind, bool* found);

// Fills a translated template: each %n takes the n-th captured part, itself
// translated where the catalogue knows it (a nested message) and left as it
// is where it is data (a number, a path).
QString Fill(const QString& english, const Template& t, const QRegularExpressionMatch& m) {
    QString out;
    qsizetype from = 0;
    auto it = Placeholder().globalMatch(english);
    while (it.hasNext()) {
        const auto p = it.next();
        out += english.mid(from, p.capturedStart() - from);
        const qsizetype group = t.numbers.indexOf(p.captured(1).toInt());
        bool found = false;
        out += group >= 0
                   ? Translate(m.captured(static_cast<int>(group) + 1), TextKind::Value, &found)
                   : p.captured(0);
        from = p.capturedEnd();
    }
    return out + english.mid(from);
}

QString Translate(const QString& text, TextKind kind, bool* found) {
    *found = true;
    if (!HasLetters(text)) return text;
    if (const QString whole = Lookup(text); !whole.isNull()) return whole;
    for (const Template& t : Current().templates) {
        const auto m = t.pattern.match(text);
        if (!m.hasMatch()) continue;
        const QString english = Lookup(t.source);
        if (english.isNull()) break; // the template has no English yet
        return Fill(english, t, m);
    }
    // A message put together line by line (a summary, a question with
    // details under it) is translated line by line.
    if (text.contains(QLatin1Char('\n'))) {
        QStringList lines = text.split(QLatin1Char('\n'));
        bool all = true;
        for (QString& line : lines) {
            const bool cr = line.endsWith(QLatin1Char('\r'));
            if (cr) line.chop(1);
            bool ok = false;
            line = Translate(line, kind, &ok);
            all = all && ok;
            if (cr) line += QLatin1Char('\r');
        }
        *found = all;
        return lines.join(QLatin1Char('\n'));
    }
    // Notes joined into one status line, sentence after sentence.
    static const QRegularExpression sentenceEnd(QStringLiteral("(?<=\\.) (?=\\p{Lu})"));
    if (const QStringList sentences = text.split(sentenceEnd); sentences.size() > 1) {
        QStringList out;
        bool all = true;
        for (const QString& sentence : sentences) {
            bool ok = false;
            out << Translate(sentence, kind, &ok);
            all = all && ok;
        }
        *found = all;
        return out.join(QLatin1Char(' '));
    }
    *found = false;
    if (kind == TextKind::Program || text.contains(CzechLetters())) {
        Catalogue& c = Current();
        if (!c.misses.contains(text)) c.misses << text;
    }
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
    c.templates.clear();
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
    c.templates = CompileTemplates();
    return true;
}

Language CurrentLanguage() {
    return Current().language;
}

QString Shown(const QString& czech, TextKind kind) {
    if (Current().language == Language::Czech) return czech;
    bool found = false;
    return Translate(czech, kind, &found);
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

QStringList OperationTemplates() {
    QStringList out;
    for (const char* entry : TextCatalogue())
        out << QString::fromUtf8(entry);
    return out;
}

bool HasEnglish(const QString& czech) {
    if (Current().language == Language::Czech) return false;
    bool found = false;
    Translate(czech, TextKind::Program, &found);
    Current().misses.removeAll(czech);
    return found;
}

} // namespace rm27
