// frmMain: the program's only top-level window. It owns the serial port
// (comSerial), the measurement timer (tmrCasovac) and the program-wide
// device state, shows the converter's four inputs, and is the view and the
// message-box host of every operation on the converter.
//
// One exchange at a time: every handler that starts an exchange runs as a
// command of the session's guard (RunCommand) and is refused while another
// command runs; the controls that would start one are disabled meanwhile,
// and the measurement tick runs only while no command holds the line.
// Closing the window, "Ukončit" and the loss of the line cancel the
// running command.
#pragma once

#include <QHash>
#include <QFont>
#include <QMainWindow>
#include <QPoint>
#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/line.h"
#include "reading/operations.h"
#include "session/connection.h"
#include "session/device_state.h"
#include "session/main_view.h"
#include "session/measurement_status.h"
#include "session/operations.h"
#include "session/reconnect.h"
#include "ui/widget_view.h"
#include "watch/tick_sample.h"
#include "watch/wall_time.h"

class QAction;
class QComboBox;
class QFrame;
class QGridLayout;
class QLayout;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace rm27 {

class AppSettings;
class CalibrationEditor;
class FrmAbout;
class FrmQELCalibration;
class MeasurementBar;
class PortMap;
class ReconnectSwitch;
class QtSerialLine;
class WatchWindows;

// What the window plugs into its seams. Anything left null is created by
// the window itself: the real settings store, port map, message boxes,
// Qt event loop and the system's clock and random source.
struct FrmMainSetup {
    // The program's arguments after its name, joined by blanks: the
    // extended mode is read from it.
    QString commandLine;
    PortMap* ports = nullptr;
    AppSettings* settings = nullptr;
    Prompter* prompter = nullptr;
    EventPump* pump = nullptr;
    WallClock* clock = nullptr;
    RandomSource* random = nullptr;
    // How "Ukončit" ends the program; empty: QCoreApplication::exit(0).
    std::function<void()> quit;
};

class FrmMain : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit FrmMain(const FrmMainSetup& setup = {}, QWidget* parent = nullptr);
    ~FrmMain() override;

    // A control that starts an exchange with the converter, or changes the
    // line under one, and its handler. The window connects these controls
    // from this table alone and keeps exactly them disabled while a
    // command runs, so a starter cannot be wired and left unguarded.
    struct CommandStarter {
        QString control;
        std::function<void(FrmMain&)> handler;
        // Its command talks to the converter: the control is disabled, and
        // the command refused at once, while the port is closed.
        bool needsLine = true;
    };
    static const std::vector<CommandStarter>& CommandStarters();

    // ---- program-wide state and the seams
    Session& session() { return *session_; }
    DeviceState& state() { return session_->state(); }
    CommandGuard& guard() { return session_->guard(); }
    QtSerialLine& serialLine() { return *comSerial; }
    Port& port() { return session_->port(); }
    EventPump& pump() { return *pump_; }
    PortMap& portMap() { return *ports_; }
    AppSettings& settings() { return *settings_; }
    // The boxes of the operations (quiet once a command is cancelled).
    Prompter& prompter() { return session_->ops().prompter; }
    // The file dialog of the EEPROM image files, preset at start-up.
    FileDialogSpec& eepromDialog() { return session_->dialogs().eeprom; }
    // The chart, the frame trace and the CSV log of the menu "Zobrazit".
    WatchWindows& watch() { return *watch_; }
    // Folder of the program + "r27manager.cfg"; formed at start-up, unused.
    const QString& ConfigFilePath() const { return configFilePath_; }

    // ---- start-up, activation
    // Window load: captions, lists, remembered choices, mode. The 500 ms
    // measurement stop of the start-up runs once the window is on screen,
    // so that the window itself shows at once.
    void Form_Load();
    // First activation paints the input rows white; later ones do nothing.
    void Form_Activate();

    // ---- operations other windows and the operations call
    void StartMeasurement();
    void StopMeasurement();
    void SetInputRowColor(int row, std::uint32_t rgb) { view_.setInputRowColor(row, rgb); }
    // Empties ID, value, description, unit, information and mV/V of rows 0..3.
    void ClearInputRows() { view_.clearInputRows(); }
    // Lists the ports COM1..COM15 that open with "9600,n,8,1".
    void ListSerialPorts();
    // Identifies and reads the converter at `address` (updated to the
    // converter's own address); ok only when all four inputs were read.
    virtual void ReadRM27(std::int32_t& address, bool& ok);
    // Runs the calibration editor for one input (0..3) and stores the
    // edited curve in its eKey; a command of its own.
    void DoCalibration(int input);
    // The editor window, created on first use and kept (hidden) after.
    FrmQELCalibration* calibrationEditorWindow() const { return frmQELCalibration_; }

    // ---- reconnecting
    // After the line was lost, the window watches for the same device to
    // come back (tmrReconnect, once a second) and then reopens the port and
    // repeats the last reading. Ends when the user connects, disconnects,
    // picks another port or searches the ports, or turns the switch
    // mReconnect off (remembered in the settings).
    bool watchingForDevice() const;

    // ---- commands
    // Runs fn as a command of the guard: refused (false) while another one
    // runs, and at once with a message while the port is closed. Afterwards
    // carries out what arrived meanwhile: the exit, the close, the message
    // about a lost line.
    bool RunCommand(const std::function<void(Operations&)>& fn);
    // The status bar's account of the measurement.
    MeasurementBar& measurementBar() { return *measurementBar_; }
    bool busy() const;

    // ---- MainView, shown by the widgets (ui/widget_view.h)
    void setStatus(const Text& text) override { view_.setStatus(text); }
    void setCaption(const std::string& control, const Text& text) override {
        view_.setCaption(control, text);
    }
    void setControlEnabled(const std::string& control, bool enabled) override {
        view_.setControlEnabled(control, enabled);
    }
    void setControlVisible(const std::string& control, bool visible) override {
        view_.setControlVisible(control, visible);
    }
    void setInputRowColor(int row, std::uint32_t rgb) override { SetInputRowColor(row, rgb); }
    void setControlColor(const std::string& control, std::uint32_t rgb) override {
        view_.setControlColor(control, rgb);
    }
    void setDoubt(const std::string& control, const Text& why) override {
        view_.setDoubt(control, why);
    }
    void setComboRows(const std::string& control, const std::vector<std::string>& rows,
                      int selected) override {
        view_.setComboRows(control, rows, selected);
    }
    void clearList(const std::string& control) override { view_.clearList(control); }
    void addListItem(const std::string& control, const Text& text) override {
        view_.addListItem(control, text);
    }
    // The NET mark beside the value, its tip the tare subtracted.
    void setTare(int input, const Text& note) override;
    void setMeasurementTimer(bool enabled) override { view_.setMeasurementTimer(enabled); }
    bool measurementTimerEnabled() const override { return view_.measurementTimerEnabled(); }

Q_SIGNALS:
    // A command started (true) or ended (false).
    void busyChanged(bool busy);
    // After every measurement tick that read the line and asked again,
    // answered or not ("-----").
    void measured(const rm27::TickSample& sample);

public Q_SLOTS:
    void cmdConnect_Click();
    void cmdFindPorts_Click();
    void cmbSelectPort_Click();
    void cmbSelectAdr_Click() {}
    void cmbSelectAdr_Change() {}
    void cmdDevRead_Click();
    void tmrCasovac_Timer();
    void cmdFindAdr_Click();
    void cmdAdresa_Click();
    void cmdReset_Click();
    void cmdSetmVVKQ_Click(int index);
    void cmdGain_Click();
    void cmdChange_Click(int index);
    void cmdCopyEKEY_Ext2Int_Click(int index);
    void mCopy14_Click();
    void mRestoreEKey_Click();
    void mUndo_Click();
    void mIniteKey_Click();
    void mIniteKeyDavro_Click();
    void mLoadEE_Click();
    void mSaveEE_Click();
    void mRMUset_Click();
    void mAbout_Click();
    // "Spustit měření": the measurement the last command left stopped.
    void mMereni_Click();
    // Once a second while watching: reopens the port when its device is back.
    void tmrReconnect_Timer();
    // Ends the program at once; a running command is cancelled first.
    void mExit_Click();
    // The popup MEKEY's items, for the input it was opened over.
    void mppmSave_Click();
    void mppmRestore_Click();
    // A converter of the scan's list chosen: its address selected and read.
    void lstCurves_Click();
    // Right button: the popup MEKEY at the mouse; other buttons nothing.
    void lblR27Slide_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos);
    // Right button: the popup mTare ("Zrušit táru") at the mouse.
    void lblR27Val_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos);
    // Tare: from the next measurement on, the input shows value - this value.
    void lblR27Val_DblClick(int index);

protected:
    // The operations on the converter, bound to this window's line, state
    // and boxes; readings go through the overridable ReadRM27.
    Operations& operations() { return session_->ops(); }
    // One measurement tick, run by tmrCasovac_Timer outside any sequence;
    // true when the converter's answer decoded.
    virtual bool RunMeasurementTick();
    // The calibration editor the commands drive: frmQELCalibration.
    virtual CalibrationEditor& CalibrationEditorWindow();
    // "Načíst" inside a running command: the read at the address chosen.
    void DevReadAction(Operations& ops);

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // ---- controls (object names as in the comments of BuildWindow)
    QGroupBox* fraSelectPortDevice = nullptr;
    QComboBox* cmbSelectPort = nullptr;
    QPushButton* cmdConnect = nullptr;
    QComboBox* cmbSelectAdr = nullptr;
    QPushButton* cmdDevRead = nullptr;
    QLabel* lblID = nullptr;
    QLabel* lblAdresa = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdAdresa = nullptr;
    QPushButton* cmdFindPorts = nullptr;
    QPushButton* cmdFindAdr = nullptr;
    QListWidget* lstCurves = nullptr;
    QLabel* lblScanInfo = nullptr;

    QGroupBox* fraMereni = nullptr;
    QFrame* Picture1_0 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblStatus = nullptr;
    std::array<QLabel*, 4> lblR27ID{};
    std::array<QLabel*, 4> lblR27Popis{};
    std::array<QLabel*, 4> lblR27mVV{};
    std::array<QLabel*, 4> lblR27Val{};
    std::array<QLabel*, 4> lblR27Unit{};
    std::array<QLabel*, 4> lblR27Net{};
    std::array<QLabel*, 4> lblR27Slide{};
    std::array<QPushButton*, 4> cmdChange{};

    std::array<QLabel*, 8> lblHodnota{};
    std::array<QPushButton*, 4> cmdCopyEKEY_Ext2Int{};
    std::array<QLabel*, 4> lblR38mVVK{};
    std::array<QLabel*, 4> lblR38mVVQ{};
    std::array<QPushButton*, 12> cmdSetmVVKQ{};
    QComboBox* cmbFreq = nullptr;
    QPushButton* cmdGain = nullptr;

    QMenu* mApp = nullptr;
    QAction* mAbout = nullptr;
    QAction* mExit = nullptr;
    QAction* mMereni = nullptr;
    QMenu* mDevice = nullptr;
    QAction* mSaveEE = nullptr;
    QAction* mLoadEE = nullptr;
    QAction* mIniteKey = nullptr;
    QAction* mIniteKeyDavro = nullptr;
    QAction* mCopy14 = nullptr;
    QAction* mRestoreEKey = nullptr;
    QAction* mUndo = nullptr;
    QMenu* MEKEY = nullptr;
    QAction* mppmSave = nullptr;
    QAction* mppmRestore = nullptr;
    int ekeyMenuInput_ = 0; // the input MEKEY was opened over
    QMenu* mTare = nullptr;
    QAction* mClearTare = nullptr;
    int tareMenuInput_ = 0; // the input mTare was opened over
    QMenu* mRMUmain = nullptr;
    QAction* mRMUset = nullptr;
    QMenu* mView = nullptr;
    QAction* mChart = nullptr;
    QAction* mTrace = nullptr;
    QAction* mLog = nullptr;
    QAction* mLogStop = nullptr;

    QTimer* tmrCasovac = nullptr;
    QtSerialLine* comSerial = nullptr;

    // The switch mReconnect, its timer tmrReconnect and the note
    // lblReconnect of the device waited for.
    ReconnectSwitch* reconnect_ = nullptr;
    MeasurementBar* measurementBar_ = nullptr;

private:
    void BuildWindow();
    void AttachStatusBar();
    QWidget* BuildConnectionFrame();
    QWidget* BuildMeasurementFrame();
    QWidget* BuildLowerPanel();
    QLayout* BuildScanList(QWidget* frame);
    void BuildMenus();
    void RegisterControls();
    void ConnectStarters();
    void AlignLowerColumns();
    void ScaleFieldsToRoom();
    void ApplyFieldScale(double scale);
    void GrowToContent();

    // Opens PortNumber with the line's settings; false (closed, a hint on
    // the status line when the user can mend it) when it would not.
    bool OpenLine();
    void ShowLostLine(const QString& reason);
    void RunStartupPause();
    // The start-up steps of Form_Load.
    void FillPortList();
    void FillAddressList();
    void ApplyMode();
    void OnGuardChanged();
    // The measurement indicator, the values' freshness and the start
    // command's state said again.
    void ShowMeasurement();
    MeasurementFacts CurrentFacts() const;
    // The box about a lost line closes itself once the line is back.
    void CloseLostLineBox();
    // How this window runs commands and ends (see session/connection.h).
    Connection::Hooks ConnectionHooks();
    // Closing while a command writes: the operator decides (No: the write
    // goes on); true when the program may go on to close.
    bool MayInterruptWrite();
    // Closing or "Ukončit" while the calibration editor holds points not
    // stored: the operator decides; true when they may go.
    bool MayDropCalibration();
    // What a command left half written, offered the way back (run as
    // commands of their own).
    void OfferWayBack();
    void Quit();

    std::unique_ptr<PortMap> ownPorts_;
    std::unique_ptr<AppSettings> ownSettings_;
    std::unique_ptr<Prompter> ownPrompter_;
    std::unique_ptr<EventPump> ownPump_;
    PortMap* ports_ = nullptr;
    AppSettings* settings_ = nullptr;
    EventPump* pump_ = nullptr;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<FolderBackupStore> backups_;
    int guardListener_ = 0;

    QString commandLine_;
    QString configFilePath_;
    FrmAbout* frmAbout_ = nullptr;
    FrmQELCalibration* frmQELCalibration_ = nullptr;
    WatchWindows* watch_ = nullptr;
    // The wall time of the ticks runs on the measurement's own clock.
    WallAnchor wallAnchor_;

    bool firstActivation_ = false;
    bool startupPausePending_ = false;
    Prompter* rawPrompter_ = nullptr; // the prompter the session's cancellable one wraps
    std::function<void()> quit_;
    bool wasBusy_ = false;
    // The caption of the control whose command runs, and of the one that
    // ran last ("Hledat"); "" for a command no control started.
    std::string runningCommand_;
    std::string lastCommand_;
    // When the last measurement answer came ("10:15:02"), "" none yet.
    std::string lastAnswer_;
    // The box about a lost line while it is open: its text, which goes to
    // the status line when the line's return closes the box.
    std::optional<Text> lostLine_;

    WidgetView view_;
    QGridLayout* tableGrid_ = nullptr;
    QWidget* lowerPanel_ = nullptr;
    QWidget* calibrationStrip_ = nullptr;
    QVBoxLayout* lowerLayout_ = nullptr;
    // The value fields, their fonts and heights in lines as built:
    // the fonts grow from these with the room the window gives them.
    struct ScaledField {
        QLabel* label;
        QFont font;
        int lines;
    };
    std::vector<ScaledField> scaledFields_;
    int baseWidth_ = 0;
    QSize scaledFor_; // the room the fields were last scaled for
    double fieldScale_ = 1.0;
};

} // namespace rm27
