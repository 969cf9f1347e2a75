// r27ctl: the RM-27/RMU Manager's operations on the converter from a
// terminal, for scripts, tests and the operator without a screen.
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/simulator_host.h"
#include "calibration/files/certificate_pdf.h"
#include "calibration/files/qt_calibration_files.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_options.h"
#include "cli/ctl_runner.h"
#include "link/codecs.h"
#include "ui/app_paths.h"
#include "ui/app_settings.h"
#include "ui/build_info.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_serial_line.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) {
    gStop = 1;
}

// Without SA_RESTART nothing blocks past the signal for long: the event
// loop's wait resumes with what is left of its (at most 500 ms) timeout.
void InstallStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int ListPorts(const rm27::PortMap& ports) {
    int listed = 0;
    for (int n = 1; n <= rm27::kPortCount; ++n) {
        const rm27::PortDevice device = ports.device(n);
        if (device.path.isEmpty()) continue;
        std::cout << ports.entryText(n).toStdString() << "  " << device.path.toStdString() << "\n";
        ++listed;
    }
    if (listed == 0) std::cerr << "r27ctl: no serial devices found" << std::endl;
    return rm27::kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const rm27::CtlParse parsed = rm27::ParseCtlArgs(args);
    if (!parsed.ok()) {
        std::cerr << "r27ctl: " << parsed.error << "\nTry 'r27ctl --help'." << std::endl;
        return rm27::kExitUsage;
    }
    const rm27::CtlOptions& options = parsed.options;
    if (options.help) {
        std::cout << parsed.helpText;
        return rm27::kExitOk;
    }
    if (options.version) {
        std::cout << "r27ctl (" << rm27::build::kProgramTitle << ") " << rm27::build::kVersionText
                  << "\n";
        return rm27::kExitOk;
    }
    if (const auto status = rm27::RunOfflineProcedureCommand(options, std::cout, std::cerr))
        return *status;

    // The certificate's PDF needs fonts, and fonts a QGuiApplication; a
    // terminal tool shows nothing on a screen, so it takes the offscreen
    // platform whatever the desktop would offer (or lack).
    std::unique_ptr<QCoreApplication> app;
    if (options.command == "certificate") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("r27ctl"));
    if (options.logFrames) QLoggingCategory::setFilterRules(QStringLiteral("rm27.wire.debug=true"));

    // The window's numbering of the ports, with the user's overrides from
    // the window's own settings.
    rm27::PortMap ports;
    rm27::AppSettings settings(QString::fromUtf8(rm27::build::kProgramTitle));
    ports.refresh(&settings.store());

    // The window's backups: listed without a converter, kept by every write.
    const std::string backupFolder = rm27::BackupFolder().toStdString();
    rm27::FolderBackupStore backups(backupFolder);
    if (const auto status = rm27::RunOfflineMaintenanceCommand(options, backups, backupFolder,
                                                               std::cout, std::cerr))
        return *status;

    rm27::SimulatorHost simulator;
    if (options.simulator) {
        QString error;
        if (!simulator.start(&error)) {
            std::cerr << "Simulátor nelze spustit: " << error.toStdString() << std::endl;
            return rm27::kExitPort;
        }
        ports.setFixed(1, rm27::PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    }
    if (options.command == "ports") return ListPorts(ports);

    int comPort = 1;
    if (!options.port.empty() && !options.simulator) {
        comPort = rm27::ComPortNumber(options.port);
        if (comPort == 0) {
            const QString path = QString::fromStdString(options.port);
            comPort = 1;
            ports.setFixed(comPort, rm27::PortDevice{path, QFileInfo(path).fileName()});
        }
    }

    rm27::QtSerialLine line(ports);
    line.setCommPort(comPort);
    line.setSettings(QStringLiteral("9600,n,8,1"));
    const QString devicePath = ports.device(comPort).path;
    if (!line.setPortOpen(true)) {
        std::cerr << "Nelze otevřít komunikační port ("
                  << (devicePath.isEmpty() ? std::string() : devicePath.toStdString() + ": ")
                  << line.lastError().toStdString() << ")" << std::endl;
        // Which group the user must join, when that is why.
        const QString hint = line.permissionHint();
        if (!hint.isEmpty()) std::cerr << hint.toStdString() << std::endl;
        return rm27::kExitPort;
    }
    rm27::QtEventPump pump;
    rm27::TerminalAnswers answers;
    answers.in = &std::cin;
    answers.interactive = ::isatty(STDIN_FILENO) != 0;
    rm27::CtlRunner runner(line, pump, options, std::cout, std::cerr, answers);
    runner.ops().backups = &backups;
    rm27::QtCalibrationFileStore calibrationFiles;
    rm27::QtCertificatePrinter certificates;
    runner.calibrationTools() = {&calibrationFiles, &certificates,
                                 std::string(rm27::build::kProgramTitle) + " " +
                                     rm27::build::kVersionText};
    // The line's loss cancels whatever runs: its waits end at once and the
    // command unwinds, instead of sitting out every time-out on a dead port.
    QObject::connect(&line, &rm27::QtSerialLine::lineLost,
                     [&runner](const QString& reason) { runner.lineLost(reason.toStdString()); });
    if (options.command == "monitor") {
        InstallStopHandlers();
        runner.setStopRequested([] { return gStop != 0; });
        // The same device file, as it was mapped when the monitor started:
        // the port list is not read again, so the number cannot wander to
        // another adapter meanwhile.
        runner.setReconnect(rm27::LineReconnect{
            devicePath.toStdString(), [devicePath] { return rm27::PortMap::present(devicePath); },
            [&line](std::string& why) {
                line.clearError();
                if (line.setPortOpen(true)) return true;
                why = line.permissionHint().toStdString();
                return false;
            }});
    }
    const int status = runner.run();
    line.setPortOpen(false);
    simulator.stop();
    return status;
}
