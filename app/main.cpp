// r27manager: the RM-27/RMU Manager desktop program.
#include <QApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>

#include "app/app_options.h"
#include "app/simulator_host.h"
#include "l10n/localizer.h"
#include "mainwindow/frm_main.h"
#include "ui/build_info.h"
#include "ui/port_map.h"

int main(int argc, char** argv) {
    // The words as the user typed them, before Qt takes its own options out.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const rm27::AppOptions options = rm27::ParseAppOptions(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "r27manager: %s\n", options.error.toLocal8Bit().constData());
        return 2;
    }
    if (options.help) {
        std::fputs(rm27::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("r27manager (%s) %s\n", rm27::build::kProgramTitle, rm27::build::kVersionText);
        return 0;
    }

    rm27::Language language = rm27::Language::Czech;
    if (!options.lang.isEmpty() && !rm27::ParseLanguage(options.lang, &language)) {
        std::fputs("r27manager: --lang takes \"en\" or \"cs\"\n", stderr);
        return 2;
    }

    QApplication app(argc, argv);
    language = rm27::ChooseLanguage(options.lang, QLocale::system());
    if (!rm27::InstallLanguage(language))
        std::fputs("r27manager: the English catalogue is missing, staying in Czech\n", stderr);
    QApplication::setApplicationName(QStringLiteral("r27manager"));
    QApplication::setApplicationVersion(QString::fromLatin1(rm27::build::kVersionText));
    // One look on every platform, and one whose buttons show the colours
    // the window gives them (the green of an open port).
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    if (options.logFrames) QLoggingCategory::setFilterRules(QStringLiteral("rm27.wire.debug=true"));

    rm27::PortMap ports;
    rm27::SimulatorHost simulator;
    if (options.simulator) {
        QString error;
        if (!simulator.start(&error)) {
            QMessageBox::critical(
                nullptr, QString::fromUtf8(rm27::build::kProgramTitle),
                QCoreApplication::translate("main", "Simulátor nelze spustit: %1").arg(error));
            return 1;
        }
        ports.setFixed(1, rm27::PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    }

    rm27::FrmMainSetup setup;
    setup.commandLine = args.join(QLatin1Char(' '));
    setup.ports = &ports;
    int rc = 0;
    {
        rm27::FrmMain window(setup);
        window.Form_Load();
        window.show();
        rc = app.exec();
    }
    simulator.stop();
    return rc;
}
