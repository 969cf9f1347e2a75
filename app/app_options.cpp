#include "app/app_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace rm27 {

namespace {

// The options every Qt program takes (QGuiApplication, QApplication and the
// X11 platform plugin); those with a value take the next word.
const char kQtValueOptions[] = "style stylesheet platform platformpluginpath platformtheme plugin "
                               "qwindowgeometry qwindowicon qwindowtitle session display geometry "
                               "title icon name visual qmljsdebugger dialogs fontengine";
const char kQtFlagOptions[] = "widgetcount reverse nograb dograb sync testability";

void AddQtOptions(QCommandLineParser& parser) {
    for (const QString& name : QString::fromLatin1(kQtValueOptions).split(QLatin1Char(' ')))
        parser.addOption({name, QString(), QStringLiteral("value")});
    for (const QString& name : QString::fromLatin1(kQtFlagOptions).split(QLatin1Char(' ')))
        parser.addOption(QCommandLineOption(name));
}

// The option named `name` as it was typed, dashes and all.
QString TypedOption(const QStringList& words, const QString& name) {
    for (const QString& w : words) {
        const QString option = w.section(QLatin1Char('='), 0, 0);
        if (option.startsWith(QLatin1Char('-')) &&
            option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return option;
    }
    return name;
}

} // namespace

AppOptions ParseAppOptions(const QStringList& args) {
    const QCommandLineOption simulator(QStringLiteral("simulator"));
    const QCommandLineOption logFrames(QStringLiteral("log-frames"));
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("en|cs"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    // Qt's options come with one dash: "-style" is one word, not -s -t -y ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({simulator, logFrames, lang, help, version});
    AddQtOptions(parser);

    QStringList words{QStringLiteral("r27manager")};
    for (const QString& a : args) {
        if (!a.contains(QLatin1String("zirkon"), Qt::CaseInsensitive)) words << a;
    }
    AppOptions o;
    if (!parser.parse(words)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            o.error = QStringLiteral("unknown option %1 (r27manager --help lists the options)")
                          .arg(TypedOption(words, unknown.constFirst()));
        } else if (words.constLast().endsWith(QLatin1String("-lang"))) {
            o.error = QStringLiteral("--lang takes \"en\" or \"cs\"");
        } else {
            o.error = parser.errorText();
        }
        return o;
    }
    o.simulator = parser.isSet(simulator);
    o.logFrames = parser.isSet(logFrames);
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.lang = parser.value(lang);
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
