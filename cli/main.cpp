// r27ctl: the RM-27/RMU Manager's operations on the converter from a
// terminal, for scripts, tests and the operator without a screen.
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "app/simulator_host.h"
#include "calibration/files/certificate_pdf.h"
#include "calibration/files/qt_calibration_files.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_options.h"
#include "cli/ctl_runner.h"
#include "cli/texts.h"
#include "l10n/localizer.h"
#include "link/codecs.h"
#include "session/journal.h"
#include "ui/app_paths.h"
#include "ui/app_settings.h"
#include "ui/build_info.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_serial_line.h"

namespace {

// The signal that asked the program to end (0: none), and a pipe that wakes
// the event loop for it: a handler may do no more than that.
volatile std::sig_atomic_t gSignal = 0;
int gSignalPipe[2] = {-1, -1};

void OnStopSignal(int signal) {
    gSignal = signal;
    const int saved = errno;
    const char byte = 1;
    if (::write(gSignalPipe[1], &byte, 1) < 0) {
        // The pipe is full: a wake-up is pending already.
    }
    errno = saved;
}

// Killed with the port open, the program would leave its lock behind, and
// the port would look busy to the next one. So the signals that end a
// program from a terminal or a session end it in order: the running command
// is cancelled (its waits end, no further frame goes out) and the port is
// closed. A reader that closes the pipe is no reason to be killed either:
// the write fails instead, and the monitor ends quietly. A file size limit
// is a full disk to whoever writes: the write fails, the file is cut back.
void InstallStopHandlers() {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal";
    }
}

// A text of r27ctl's own in the language it speaks.
std::string Said(const rm27::Text& text) {
    return text.render(rm27::CurrentWording());
}

// A command cut short by a signal ends as a shell reports a killed program;
// the monitor, which runs until it is stopped, with 0.
int StatusAfterSignal(const rm27::CtlOptions& options, int status) {
    if (gSignal == 0 || options.command == "monitor") return status;
    std::cerr << "r27ctl: " << Said(rm27::Text(rm27::texts::cli::kInterrupted, SignalName(gSignal)))
              << std::endl;
    return 128 + gSignal;
}

int ListPorts(const rm27::PortMap& ports) {
    int listed = 0;
    for (int n = 1; n <= rm27::kPortCount; ++n) {
        const rm27::PortDevice device = ports.device(n);
        if (device.path.isEmpty()) continue;
        std::cout << ports.entryText(n).toStdString() << "  " << device.path.toStdString() << "\n";
        ++listed;
    }
    if (listed == 0)
        std::cerr << "r27ctl: " << Said(rm27::Text(rm27::texts::cli::kNoSerialDevices))
                  << std::endl;
    return rm27::kExitOk;
}

// COMn as --port names it; a device path takes COM1 (the simulator's too).
int ChosenComPort(const rm27::CtlOptions& options, rm27::PortMap& ports) {
    if (options.port.empty() || options.simulator) return 1;
    const int n = rm27::ComPortNumber(options.port);
    if (n != 0) return n;
    const QString path = QString::fromStdString(options.port);
    ports.setFixed(1, rm27::PortDevice{path, QFileInfo(path).fileName()});
    return 1;
}

// Opens COMn as the window does; false with the reason said.
bool OpenPort(rm27::QtSerialLine& line, int comPort, const QString& devicePath) {
    if (line.openPort(comPort)) return true;
    const std::string why =
        (devicePath.isEmpty() ? std::string() : devicePath.toStdString() + ": ") +
        line.lastError().toStdString();
    std::cerr << Said(rm27::Text(rm27::texts::cli::kPortNotOpened, why)) << std::endl;
    // What stands in the way, when it is known: the program holding the
    // port, a lock left behind, the group to join.
    if (!line.openHint().empty()) std::cerr << Said(line.openHint()) << std::endl;
    return false;
}

// Runs the command on the open line; its exit status.
int RunCommand(const rm27::CtlOptions& options, rm27::QtSerialLine& line, const QString& devicePath,
               rm27::BackupStore& backups, const rm27::Journal& journal, bool& leftUnfinished) {
    rm27::QtEventPump pump;
    rm27::TerminalAnswers answers;
    answers.in = &std::cin;
    answers.interactive = ::isatty(STDIN_FILENO) != 0;
    rm27::CtlRunner runner(line, pump, options, std::cout, std::cerr, answers);
    runner.view().setWording(rm27::CurrentWording());
    runner.ops().backups = &backups;
    runner.session().journal() = journal;
    rm27::QtCalibrationFileStore calibrationFiles;
    rm27::QtCertificatePrinter certificates;
    runner.calibrationTools() = {&calibrationFiles, &certificates,
                                 std::string(rm27::build::kProgramTitle) + " " +
                                     rm27::build::kVersionText};
    // The line's loss cancels whatever runs: its waits end at once and the
    // command unwinds, instead of sitting out every time-out on a dead port.
    QObject::connect(&line, &rm27::QtSerialLine::lineLost,
                     [&runner](const QString& reason) { runner.lineLost(reason.toStdString()); });
    // A signal does the same, once the event loop hears of it.
    QSocketNotifier signalled(gSignalPipe[0], QSocketNotifier::Read);
    signalled.setEnabled(gSignalPipe[0] >= 0);
    QObject::connect(&signalled, &QSocketNotifier::activated, [&runner] {
        char bytes[16];
        while (::read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        runner.interrupt();
    });
    runner.setStopRequested([] { return gSignal != 0; });
    if (options.command == "monitor") {
        runner.setOutputFd(STDOUT_FILENO);
        // The same device file, as it was mapped when the monitor started:
        // the port list is not read again, so the number cannot wander to
        // another adapter meanwhile.
        runner.setReconnect(rm27::LineReconnect{
            devicePath.toStdString(), [devicePath] { return rm27::PortMap::present(devicePath); },
            [&line](std::string& why) {
                if (line.openPort(line.commPort())) return true;
                why = Said(line.openHint());
                return false;
            }});
    }
    const int status = runner.run();
    leftUnfinished = runner.leftUnfinished();
    return status;
}

// The application the command needs, in the language it speaks.
std::unique_ptr<QCoreApplication> MakeApplication(const rm27::CtlOptions& options, int& argc,
                                                  char** argv) {
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
    // Chosen as the window chooses: the option, else the system's language.
    rm27::InstallLanguage(
        rm27::ChooseLanguage(QString::fromStdString(options.lang), QLocale::system()));
    if (options.logFrames) QLoggingCategory::setFilterRules(QStringLiteral("rm27.wire.debug=true"));
    return app;
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
    // Before anything is said: a refusal speaks the language chosen, too.
    const std::unique_ptr<QCoreApplication> app = MakeApplication(options, argc, argv);
    const rm27::Wording wording = rm27::CurrentWording();
    if (const auto status =
            rm27::RunOfflineProcedureCommand(options, std::cout, std::cerr, wording))
        return *status;

    // The window's numbering of the ports, with the user's overrides from
    // the window's own settings.
    rm27::PortMap ports;
    rm27::AppSettings settings(QString::fromUtf8(rm27::build::kProgramTitle));
    ports.refresh(&settings.store());

    // The window's backups: listed without a converter, kept by every write.
    const std::string backupFolder = rm27::BackupFolder().toStdString();
    rm27::FolderBackupStore backups(backupFolder);
    if (const auto status = rm27::RunOfflineMaintenanceCommand(options, backups, backupFolder,
                                                               std::cout, std::cerr, wording))
        return *status;
    const rm27::Journal journal(rm27::JournalPath().toStdString());
    if (const auto status =
            rm27::RunOfflineJournalCommand(options, journal, std::cout, std::cerr, wording))
        return *status;

    // Refused at once, not after the port was opened and the converter read.
    if (const auto status = rm27::CheckInputFile(options, std::cerr, wording)) return *status;

    rm27::SimulatorHost simulator;
    if (options.simulator) {
        QString error;
        if (!simulator.start(&error)) {
            std::cerr << Said(rm27::Text(rm27::texts::cli::kSimulatorNotStarted,
                                         error.toStdString()))
                      << std::endl;
            return rm27::kExitPort;
        }
        ports.setFixed(1, rm27::PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
    }
    if (options.command == "ports") return ListPorts(ports);

    const int comPort = ChosenComPort(options, ports);
    InstallStopHandlers();
    rm27::QtSerialLine line(ports);
    const QString devicePath = ports.device(comPort).path;
    if (!OpenPort(line, comPort, devicePath)) return rm27::kExitPort;
    bool leftUnfinished = false;
    const int status =
        gSignal != 0 ? rm27::kExitOk
                     : RunCommand(options, line, devicePath, backups, journal, leftUnfinished);
    line.setPortOpen(false);
    simulator.stop();
    // A write cut short by the signal has said what it left: its status is
    // that of any write that failed.
    return leftUnfinished ? status : StatusAfterSignal(options, status);
}
