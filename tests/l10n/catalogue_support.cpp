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
