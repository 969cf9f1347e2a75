#include "app/app_options.h"

namespace rm27 {

AppOptions ParseAppOptions(const QStringList& args) {
    AppOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--lang")) {
            if (i + 1 < args.size())
                o.lang = args[++i];
            else
                o.langMissing = true;
        } else if (a.startsWith(QLatin1String("--lang=")))
            o.lang = a.mid(7);
        else if (a == QLatin1String("--simulator"))
            o.simulator = true;
        else if (a == QLatin1String("--log-frames"))
            o.logFrames = true;
        else if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            o.help = true;
        else if (a == QLatin1String("--version"))
            o.version = true;
    }
    return o;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: r27manager [options] [words]\n"
        "Sets up and watches RM-27 and RMU measuring converters on a serial line.\n"
        "\n"
        "Options:\n"
        "  --simulator    serve a simulated converter (address 1) on a pseudo-terminal\n"
        "                 and offer it as COM1\n"
        "  --log-frames   print every frame sent and received (logging category rm27.wire)\n"
        "  --lang en|cs   the language of the window: English or Czech (default: Czech\n"
        "                 when the system's language is Czech or Slovak or not set,\n"
        "                 else English)\n"
        "  --version      print the version and exit\n"
        "  -h, --help     print this text and exit\n"
        "\n"
        "Other words are passed on; one containing \"zirkon\" (any case) turns on the\n"
        "extended mode with the device menus and the calibration strip.\n"
        "Qt's own options (-style, -platform, ...) are accepted as usual.\n");
}

} // namespace rm27
