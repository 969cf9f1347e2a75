#include "mainwindow/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "calibration/commands.h"
#include "calibration/editor/frm_qel_calibration.h"
#include "l10n/localizer.h"
#include "link/transact.h"
#include "maintenance/eeprom.h"
#include "maintenance/ekey_bin.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/ui/frm_rmu_setup.h"
#include "maintenance/write_undo.h"
#include "mainwindow/measurement_bar.h"
#include "mainwindow/reconnect_switch.h"
#include "mainwindow/texts.h"
#include "reading/operations.h"
#include "session/controls.h"
#include "session/measurement.h"
#include "ui/app_paths.h"
#include "ui/app_settings.h"
#include "ui/build_info.h"
#include "ui/frm_about.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_prompter.h"
#include "ui/qt_serial_line.h"
#include "ui/window_placement.h"
#include "watch/ui/watch_windows.h"

namespace rm27 {

namespace {

const QString kSection = QStringLiteral("MRU");
const QString kPortKey = QStringLiteral("COMPortIndex");
const QString kAddressKey = QStringLiteral("AddressIndex");
namespace tx = texts::mainwindow;

// A seam the window was given, or else one it makes and owns.
template <class Made, class Seam, class... Args>
Seam* GivenOr(Seam* given, std::unique_ptr<Seam>& own, Args&&... args) {
    if (given != nullptr) return given;
    own = std::make_unique<Made>(std::forward<Args>(args)...);
    return own.get();
}

} // namespace

// ---------------------------------------------------------------- creation

FrmMain::FrmMain(const FrmMainSetup& setup, QWidget* parent)
    : QMainWindow(parent), commandLine_(setup.commandLine), quit_(setup.quit) {
    setObjectName(QStringLiteral("frmMain"));
    const QString title = QString::fromUtf8(build::kProgramTitle);

    ports_ = GivenOr<PortMap>(setup.ports, ownPorts_);
    settings_ = GivenOr<AppSettings>(setup.settings, ownSettings_, title);
    rawPrompter_ = GivenOr<QtPrompter>(setup.prompter, ownPrompter_, this, title);
    pump_ = GivenOr<QtEventPump>(setup.pump, ownPump_);

    comSerial = new QtSerialLine(*ports_, this);
    comSerial->setObjectName(QStringLiteral("comSerial"));
    comSerial->setSettings(QString::fromLatin1(kLineSettings));
    session_ = std::make_unique<Session>(*comSerial, *pump_, *this, *rawPrompter_, setup.clock,
                                         setup.random);
    // Through the window's own reading, which the tests replace.
    session_->ops().readConverter = [this](std::int32_t& address) {
        bool ok = false;
        ReadRM27(address, ok);
        return ok;
    };
    backups_ = std::make_unique<FolderBackupStore>(BackupFolder().toStdString());
    session_->ops().backups = backups_.get();
    session_->journal() = Journal(JournalPath().toStdString());
    // Each write said as it starts and as it ends, also inside a long command.
    session_->journal().observe([this](const JournalEntry& e) {
        if (measurementBar_ != nullptr) measurementBar_->confirm(WriteConfirmation(e));
    });
    connection_ = std::make_unique<Connection>(*session_, ConnectionHooks());
    guardListener_ = guard().subscribe([this] { OnGuardChanged(); });
    // Queued: the line reports its loss from inside QSerialPort's own error
    // handling, which must finish before a message box spins the loop.
    connect(
        comSerial, &QtSerialLine::lineLost, this,
        [this](const QString& reason) {
            view_.setLineOpen(false);
            connection_->lineLost(reason.toStdString());
            ShowMeasurement();
        },
        Qt::QueuedConnection);

    BuildWindow();
    AttachStatusBar();

    // The state of a window just created: nothing to read before a port
    // is open, and the device commands only after a reading.
    connect(cmbSelectPort, &QComboBox::currentTextChanged, this, &FrmMain::cmbSelectPort_Click);
    connect(cmbSelectAdr, &QComboBox::currentIndexChanged, this, &FrmMain::cmbSelectAdr_Click);
    SetBackground(cmdConnect, kRgbWhite);
    for (const std::string& c : {ctl::cmdDevRead, ctl::cmdReset, ctl::cmdAdresa, ctl::cmbSelectAdr})
        setControlEnabled(c, false);
    cmdAdresa->setVisible(false);
    tmrCasovac->stop();
    ShowMeasurement();
}

// The helpers the window hands its status bar: the reconnection, the
// watch windows' indicator and the measurement's.
void FrmMain::AttachStatusBar() {
    reconnect_ = new ReconnectSwitch(*connection_, *settings_, *mApp, *mExit, *this);
    // The lost port is read again at the address last read.
    reconnect_->start([this] {
        // The path as mapped, not as QSerialPort names it ("ttyUSB0").
        const QString path = ports_->device(comSerial->commPort()).path;
        return LineReconnect{path.toStdString(), [path] { return PortMap::present(path); },
                             [this](std::string&) { return OpenLine(); }, comSerial->commPort()};
    });
    watch_ = new WatchWindows(
        this, FrmMain::prompter(), [this] { return HeaderOf(state(), session_->live()); },
        comSerial);
    connect(this, &FrmMain::measured, watch_, &WatchWindows::onTick);
    watch_->attach({mChart, mTrace, mLog, mLogStop}, *this);
    reconnect_->onBack([this] { CloseLostLineBox(); });
    measurementBar_ = new MeasurementBar(
        *this, *mMereni,
        {[this] { return CurrentFacts(); },
         [this] { return LiveFresh(session_->live(), comSerial->portOpen(), pump_->nowMs()); },
         [this](const Text& why) {
             view_.setLiveStale(why);
             watch_->setStale(!why.empty());
         },
         [this] {
             if (connection_->cancelCommand()) setStatus(Text(tx::kCancelledByUser));
         },
         [this](bool on) { view_.setEnabledOf(mMereni, on); }});
}

FrmMain::~FrmMain() {
    // Widgets die with the QObject tree after this body; nothing of theirs
    // may call back into a half-destroyed window.
    tmrCasovac->stop();
    delete reconnect_;
    reconnect_ = nullptr;
    guard().unsubscribe(guardListener_);
    disconnect(comSerial, nullptr, this, nullptr);
    if (comSerial->portOpen()) comSerial->setPortOpen(false);
}

// ------------------------------------------------------ start-up and close

void FrmMain::Form_Load() {
    // The window starts idle: the measurement stop of a closed port.
    for (int i = 0; i < 4; ++i)
        lblHodnota[i]->clear();
    tmrCasovac->stop();
    startupPausePending_ = true;
    if (isVisible()) RunStartupPause();

    firstActivation_ = true;
    // Formed for compatibility only: nothing reads or writes the file.
    configFilePath_ = QCoreApplication::applicationDirPath() + QDir::separator() +
                      QStringLiteral("r27manager.cfg");
    setWindowTitle(QString::fromUtf8(build::kProgramTitle) + QStringLiteral(" v") +
                   QString::fromLatin1(build::kVersionText));
    FillPortList();
    FillAddressList();
    session_->dialogs() =
        MaintenanceDialogs(QDir::currentPath().toStdString(), BackupFolder().toStdString(),
                           objectName().toStdString());
    ClearInputRows();
    ApplyMode();
    // Sized and centred once the mode has given the window its height.
    FitToScreen(this, sizeHint());
}

void FrmMain::FillPortList() {
    ports_->refresh(&settings_->store());
    cmbSelectPort->clear();
    for (int n = 1; n <= kPortCount; ++n) {
        if (!ports_->device(n).path.isEmpty()) {
            cmbSelectPort->addItem(ports_->entryText(n));
            continue;
        }
        // The numbers stay where they always were; one without a device
        // says so rather than failing only when "Spojit" is pressed.
        cmbSelectPort->addItem(ports_->entryText(n) + QLatin1Char(' ') + tr("(bez zařízení)"));
        const int row = cmbSelectPort->count() - 1;
        cmbSelectPort->setItemData(row, QColor(Qt::gray), Qt::ForegroundRole);
        cmbSelectPort->setItemData(row, tr("Za tímto číslem nestojí žádné sériové zařízení"),
                                   Qt::ToolTipRole);
    }
    cmbSelectPort->setCurrentIndex(settings_->GetIndex(kSection, kPortKey, cmbSelectPort->count()));
    cmbSelectPort_Click();
}

void FrmMain::FillAddressList() {
    // The position in the list is the address.
    const QSignalBlocker quiet(cmbSelectAdr);
    cmbSelectAdr->clear();
    cmbSelectAdr->addItem(tr("0-Default"));
    for (int n = 1; n <= 255; ++n)
        cmbSelectAdr->addItem(QString::fromStdString(AddressListRow(n)));
    cmbSelectAdr->setCurrentIndex(
        settings_->GetIndex(kSection, kAddressKey, cmbSelectAdr->count()));
}

void FrmMain::ApplyMode() {
    // Read once: the mode holds for the whole run.
    const bool extended = commandLine_.toLower().contains(QLatin1String("zirkon"));
    state().ExtendedMode = extended;
    mDevice->menuAction()->setVisible(extended);
    mRMUmain->menuAction()->setVisible(extended);
    calibrationStrip_->setVisible(extended);
    // A write, as the device menu's are: only in the extended mode.
    mppmRestore->setVisible(extended);
    if (extended) {
        // The save stands beside the load it makes undoable.
        mSaveEE->setVisible(true);
        cmdAdresa->setVisible(true);
    } else {
        setControlEnabled(ctl::cmdAdresa, false);
    }
}

void FrmMain::RunStartupPause() {
    if (!startupPausePending_) return;
    startupPausePending_ = false;
    DelayMs(*pump_, kMeasurementIntervalMs);
}

void FrmMain::Form_Activate() {
    if (!firstActivation_) return;
    firstActivation_ = false;
    for (int row = 0; row < 4; ++row)
        SetInputRowColor(row, kRgbWhite);
}

bool FrmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QMainWindow::event(e);
}

void FrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (startupPausePending_) QTimer::singleShot(0, this, &FrmMain::RunStartupPause);
    // Polishing on the way to the screen may have changed the frame's
    // margins or the headings' fonts.
    AlignLowerColumns();
}

void FrmMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    ScaleFieldsToRoom();
}

void FrmMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // After the children have taken the new style or font.
    if (e->type() == QEvent::StyleChange || e->type() == QEvent::FontChange)
        QTimer::singleShot(0, this, &FrmMain::AlignLowerColumns);
}

void FrmMain::closeEvent(QCloseEvent* e) {
    if (!MayDropCalibration()) {
        e->ignore();
        return;
    }
    if (busy()) {
        // A command is half-way through: cancel it, and close once it has
        // unwound (the connection comes back here).
        connection_->end(Connection::Ending::Close);
        e->ignore();
        return;
    }
    // Nothing may open the port again on the way out.
    connection_->closePort();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) w->close();
    }
    e->accept();
}

void FrmMain::mExit_Click() {
    // At once, without the closing steps: even a running measurement or a
    // command in a wait does not hold the program. A command is cancelled
    // and unwinds first (its waits end at once, nothing more is sent);
    // quitting from inside its wait would leave every later wait returning
    // at once, that is spinning.
    if (!MayDropCalibration()) return;
    connection_->end(Connection::Ending::Exit);
}

bool FrmMain::MayDropCalibration() {
    // Asked once: the editor, closed by the cancelled command, does not ask
    // again.
    if (frmQELCalibration_ == nullptr || !frmQELCalibration_->isVisible()) return true;
    return frmQELCalibration_->model().MayLeave();
}

void FrmMain::Quit() {
    if (quit_)
        quit_();
    else
        QCoreApplication::exit(0);
}

void FrmMain::mMereni_Click() {
    RunCommand([](Operations& ops) { rm27::StartMeasurement(ops.port, ops.view); });
}

void FrmMain::mAbout_Click() {
    if (frmAbout_ == nullptr) frmAbout_ = new FrmAbout(this);
    frmAbout_->exec();
}

// ------------------------------------------------------------- connection

void FrmMain::cmbSelectPort_Click() {
    // "COM12: ttyUSB0": the number from the 4th character on.
    const int n = ReadNumberLiteral(cmbSelectPort->currentText().mid(3));
    if (n >= 1 && n <= kPortCount) state().PortNumber = n;
    // Another port chosen: the user no longer waits for the lost one.
    connection_->portChosen();
}

bool FrmMain::OpenLine() {
    if (!comSerial->openPort(state().PortNumber)) {
        // A refusal the user can mend says how, before any box about it, so
        // that it stands there while the box is read.
        if (!comSerial->openHint().empty()) setStatus(comSerial->openHint());
        return false;
    }
    view_.setLineOpen(true);
    settings_->SaveSetting(kSection, kPortKey, QString::number(cmbSelectPort->currentIndex()));
    return true;
}

void FrmMain::ShowLostLine(const QString& reason) {
    // Not a command: the box exchanges nothing, and an adapter that comes
    // back while nobody is at the screen to close the box must still be
    // reopened and read by the watch (the controls are modal-blocked
    // meanwhile, so nothing else can start).
    lostLine_ = Text(tx::kLineLost, Text::Value(reason.toStdString()));
    prompter().critical(*lostLine_);
    lostLine_.reset();
}

void FrmMain::CloseLostLineBox() {
    if (!lostLine_) return;
    const Text lost = *lostLine_;
    // The line is back: a box still saying it is lost would be wrong, and
    // would wait for a click nobody needs to give.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->isVisible() && box->text() == Shown(lost)) box->done(0);
    }
    setStatus(Text(lost).join(view_.status(), Joint::Space));
}

// ----------------------------------------------------------- reconnecting

bool FrmMain::watchingForDevice() const {
    return reconnect_->watching();
}

void FrmMain::tmrReconnect_Timer() {
    reconnect_->look();
}

void FrmMain::ListSerialPorts() {
    // A search renumbers the ports: the lost one is no longer "the same".
    connection_->closePort();
    ports_->refresh(&settings_->store());
    cmbSelectPort->clear();
    for (const int n : comSerial->openablePorts(kPortCount))
        cmbSelectPort->addItem(ports_->entryText(n));
    if (cmbSelectPort->count() > 0) {
        cmbSelectPort->setCurrentIndex(0);
        cmbSelectPort_Click();
    }
}

// ------------------------------------------------------------ measurement

void FrmMain::tmrCasovac_Timer() {
    using TickResult = Connection::Tick::Result;
    const Connection::Tick tick = connection_->tick();
    // The windows watching the inputs see the ticks that asked the
    // converter, not those that found nothing to ask.
    if (tick.result == TickResult::Decoded) {
        lastAnswer_ = ClockTime(operations().clock.now());
        measurementBar_->answered();
    } else {
        ShowMeasurement();
    }
    if (tick.result == TickResult::NotAsked) return;
    const std::int64_t mono = pump_->nowMs();
    Q_EMIT measured(SampleOf(state(), session_->live(), tick.result == TickResult::Decoded, mono,
                             wallAnchor_.wallMs(mono)));
}

void FrmMain::DevReadAction(Operations& ops) {
    if (!comSerial->portOpen()) return;
    // Remembered here rather than at connect: the address that was last
    // read is the one worth offering next time.
    settings_->SaveSetting(kSection, kAddressKey, QString::number(cmbSelectAdr->currentIndex()));
    connection_->read(ops, cmbSelectAdr->currentIndex());
}

// ----------------------------------------------------------------- commands

// The buttons and menu items that start an exchange, each its operation
// run as a command of the guard (CommandStarters connects them).
// clang-format off
void FrmMain::cmdConnect_Click() { connection_->connectOrDisconnect(); }
void FrmMain::cmdFindPorts_Click() { connection_->run([this](Operations&) { ListSerialPorts(); }); }
void FrmMain::cmdDevRead_Click() { RunCommand([this](Operations& ops) { DevReadAction(ops); }); }
void FrmMain::cmdFindAdr_Click() { RunCommand(ScanAddresses); }
void FrmMain::cmdAdresa_Click() { RunCommand(ChangeAddress); }
void FrmMain::cmdReset_Click() { RunCommand(RestartConverter); }
void FrmMain::cmdSetmVVKQ_Click(int index) { RunCommand([index](Operations& ops) { SetmVVKQ(ops, index); }); }
void FrmMain::cmdGain_Click() { RunCommand([this](Operations& ops) { WriteFilter(ops, cmbFreq->currentIndex()); }); }
void FrmMain::cmdCopyEKEY_Ext2Int_Click(int index) { RunCommand([index](Operations& ops) { CopyEKeyExtToInt(ops, index); }); }
void FrmMain::mCopy14_Click() { RunCommand(CopyEKey1To4); }
void FrmMain::mRestoreEKey_Click() { RunCommand(RestoreEKey); }
void FrmMain::mppmSave_Click() { connection_->run([i = ekeyMenuInput_](Operations& ops) { SaveEKeyBin(ops, i); }); }
void FrmMain::mppmRestore_Click() { RunCommand([i = ekeyMenuInput_](Operations& ops) { RestoreEKeyBin(ops, i); }); }
void FrmMain::mUndo_Click() { RunCommand([](Operations& ops) { UndoWrite(ops, 0); }); }
void FrmMain::mIniteKey_Click() { RunCommand([](Operations& ops) { InitEKeys(ops, EKeyInitVariant::R27); }); }
void FrmMain::mIniteKeyDavro_Click() { RunCommand([](Operations& ops) { InitEKeys(ops, EKeyInitVariant::Davro); }); }
void FrmMain::mLoadEE_Click() { RunCommand([](Operations& ops) { LoadEeprom(ops); }); }
void FrmMain::mSaveEE_Click() { RunCommand([](Operations& ops) { SaveEeprom(ops); }); }
void FrmMain::mRMUset_Click() { RunCommand([this](Operations& ops) { RunRmuSetup(ops, this); }); }
// Tare from the next measurement on; not a command, as it sends nothing.
void FrmMain::lblR27Val_DblClick(int index) { TareInput(operations(), index); }

void FrmMain::StartMeasurement() { rm27::StartMeasurement(port(), *this); }
void FrmMain::StopMeasurement() { rm27::StopMeasurement(port(), *this); }
bool FrmMain::RunMeasurementTick() { return MeasurementTick(operations()); }
void FrmMain::ReadRM27(std::int32_t& address, bool& ok) { ok = rm27::ReadRM27(operations(), address); }
// clang-format on

void FrmMain::lstCurves_Click() {
    const QListWidgetItem* item = lstCurves->currentItem();
    const std::int32_t address =
        item != nullptr ? ScanRowAddress(item->text().toStdString()) : -1;
    if (address < 0 || address >= cmbSelectAdr->count()) return;
    cmbSelectAdr->setCurrentIndex(address);
    cmdDevRead_Click();
}

void FrmMain::cmdChange_Click(int index) {
    RunCommand([this, index](Operations& ops) {
        ChangeCalibration(ops, index, CalibrationEditorWindow(),
                          [this](Operations& o) { DevReadAction(o); });
    });
}

void FrmMain::DoCalibration(int input) {
    RunCommand([this, input](Operations& ops) {
        rm27::DoCalibration(ops, input, CalibrationEditorWindow());
    });
}

CalibrationEditor& FrmMain::CalibrationEditorWindow() {
    if (frmQELCalibration_ == nullptr) {
        // A window of its own that dies with the main window.
        frmQELCalibration_ = new FrmQELCalibration(operations(), this);
    }
    return *frmQELCalibration_;
}

bool FrmMain::busy() const {
    return session_->guard().commandRunning();
}

bool FrmMain::RunCommand(const std::function<void(Operations&)>& fn) {
    return connection_->runOnLine(fn);
}

Connection::Hooks FrmMain::ConnectionHooks() {
    Connection::Hooks h;
    h.mayInterruptWrite = [this] { return MayInterruptWrite(); };
    h.end = [this](Connection::Ending how) {
        if (how == Connection::Ending::Exit)
            Quit();
        else
            QTimer::singleShot(0, this, &QWidget::close);
    };
    h.tellLineLost = [this](const std::string& reason) {
        ShowLostLine(QString::fromStdString(reason));
    };
    // Past the command's own prompter, which a cancelled command silences.
    h.tellUnfinished = [this](const Journal& journal, const JournalEntry& e) {
        rawPrompter_->critical(UnfinishedText(journal, e));
    };
    h.offerWayBack = [this] { OfferWayBack(); };
    // Through the window's own tick, which the tests replace.
    h.measure = [this](Operations&) { return RunMeasurementTick(); };
    h.read = DevRead;
    h.openPort = [this] { return OpenLine(); };
    h.closePort = [this] {
        comSerial->setPortOpen(false);
        view_.setLineOpen(false);
    };
    h.watchChanged = [this] {
        if (reconnect_ != nullptr) reconnect_->update();
    };
    h.tellReconnect = [this](const Text& text) { setStatus(text); };
    return h;
}

bool FrmMain::MayInterruptWrite() {
    // Asked past the command's own prompter: a command cancelled meanwhile
    // would swallow the question.
    return rawPrompter_->question(Text(tx::kInterruptWrite).then(Text(tx::kInterruptLeavesMix)),
                                  MessageAnswer::No);
}

void FrmMain::OfferWayBack() {
    std::vector<WayBack> ways;
    session_->run([&ways](Operations& ops) { ways = AskWayBack(ops); });
    for (const WayBack& way : ways)
        RunCommand([way](Operations& ops) { RunWayBack(ops, way); });
}

void FrmMain::OnGuardChanged() {
    const bool now = busy();
    if (now != wasBusy_) {
        wasBusy_ = now;
        view_.setBusy(now);
        if (!now) lastCommand_ = runningCommand_;
        Q_EMIT busyChanged(now);
    }
    ShowMeasurement();
}

void FrmMain::ShowMeasurement() {
    if (measurementBar_ != nullptr) measurementBar_->refresh();
}

MeasurementFacts FrmMain::CurrentFacts() const {
    MeasurementFacts f;
    f.lineOpen = comSerial->portOpen();
    f.lineLost = connection_->lineWasLost();
    f.converterRead = IsFamilyId(session_->state().DeviceId);
    // A command holding the line keeps the ticks from asking.
    f.timerOn = view_.measurementTimerEnabled() && session_->guard().tickAllowed();
    f.commandRunning = busy();
    f.commandWrites = session_->guard().writing();
    f.lastAnswer = lastAnswer_;
    f.lastCommand = f.commandRunning ? runningCommand_ : lastCommand_;
    return f;
}



} // namespace rm27
