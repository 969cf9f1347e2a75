// The switches of r27manager. A word that holds "zirkon" (any case, inside
// any argument: "ZIRKON", "-zirkon", "/xzirkonx") turns on the extended
// mode wherever it stands and is no option; other words are passed on; Qt's
// own options (-style, -platform ...) are Qt's business. Any other option
// is refused: a mistyped switch must not start the window without it.
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
    // Why the command line was refused (English, for the terminal); empty
    // when it was not.
    QString error;
};

// args: the words after the program's name, as typed.
AppOptions ParseAppOptions(const QStringList& args);
QString UsageText();

} // namespace rm27
