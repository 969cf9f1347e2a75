#include "catalogue_support.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace rm27::test {

std::vector<TsMessage> ReadTs(const QString& path) {
    std::vector<TsMessage> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return out;
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage message;
    // Text of <source>/<translation>; a carriage return is written as
    // <byte value="xd"/> inside them.
    QString* into = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                message = TsMessage{context, {}, {}, true};
            } else if (name == QLatin1String("source")) {
                into = &message.source;
            } else if (name == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                message.finished = type.isEmpty();
                into = &message.translation;
            } else if (name == QLatin1String("byte") && into != nullptr) {
                *into += QChar(xml.attributes().value(QLatin1String("value")).toInt(nullptr, 16));
            }
        } else if (xml.isCharacters() && into != nullptr) {
            *into += xml.text();
        } else if (xml.isEndElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("source") || name == QLatin1String("translation"))
                into = nullptr;
            else if (name == QLatin1String("message"))
                out.push_back(message);
        }
    }
    if (xml.hasError()) out.clear();
    return out;
}

QStringList StringLiterals(const QString& s) {
    QStringList out;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('/')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('\'')) {
            // A character literal, or a digit separator (1'000): either way
            // no text is inside.
            if (i + 2 < n && s[i + 1] == QLatin1Char('\\'))
                i += 3;
            else if (i + 2 < n && s[i + 2] == QLatin1Char('\''))
                i += 2;
        } else if (c == QLatin1Char('"')) {
            QString text;
            for (++i; i < n && s[i] != QLatin1Char('"'); ++i) {
                if (s[i] != QLatin1Char('\\') || i + 1 >= n) {
                    text += s[i];
                    continue;
                }
                const QChar e = s[++i];
                if (e == QLatin1Char('n'))
                    text += QLatin1Char('\n');
                else if (e == QLatin1Char('r'))
                    text += QLatin1Char('\r');
                else if (e == QLatin1Char('t'))
                    text += QLatin1Char('\t');
                else
                    text += e;
            }
            out << text;
        }
    }
    return out;
}

bool HasCzechLetter(const QString& text) {
    static const QRegularExpression czech(QStringLiteral(u"[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
    return text.contains(czech);
}

QStringList Placeholders(const QString& text) {
    static const QRegularExpression re(QStringLiteral("%[1-9]"));
    QStringList out;
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured(0);
    out.sort();
    out.removeDuplicates();
    return out;
}

} // namespace rm27::test
