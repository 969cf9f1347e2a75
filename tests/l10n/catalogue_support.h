// Reading the translation catalogue for the catalogue checks.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace rm27::test {

struct TsMessage {
    QString context;
    QString source;
    QString translation;
    bool finished = false; // no type="unfinished" / "vanished" / "obsolete"
};

// The messages of a Linguist .ts file; empty when it cannot be read.
std::vector<TsMessage> ReadTs(const QString& path);

// Whether the text has a letter only Czech (or Slovak) spelling uses.
bool HasCzechLetter(const QString& text);

// The %1..%9 placeholders of a text, sorted, each once.
QStringList Placeholders(const QString& text);

} // namespace rm27::test
