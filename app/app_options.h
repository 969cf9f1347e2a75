// The switches of r27manager. Every other argument is left alone: the word
// that turns on the extended mode may stand anywhere, in any case, inside
// any argument ("ZIRKON", "-zirkon", "/xzirkonx"), and Qt's own options
// (-style, -platform ...) are Qt's business.
#pragma once

#include <QString>
#include <QStringList>

namespace rm27 {

struct AppOptions {
    bool simulator = false; // a simulated converter on a pseudo-terminal as COM1
    bool logFrames = false; // every frame sent and received, on stderr
    bool help = false;
    bool version = false;
    // "--lang en" / "--lang=cs" as typed; empty: by the system locale.
    QString lang;
    bool langMissing = false; // "--lang" with no word after it
};

AppOptions ParseAppOptions(const QStringList& args);
QString UsageText();

} // namespace rm27
