// What the window tests share: a headless QApplication with settings in a
// temporary folder, a recorder in place of the message boxes, a clock that
// does not wait, a pseudo-terminal standing in for a serial port, and a
// window whose reading and measurement tick put one frame on the line.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mainwindow/frm_main.h"
#include "support/recorder.h"
#include "ui/app_settings.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"

namespace rm27::test {

// Virtual time: every wait services the pending events once and moves the
// clock on at once.
class InstantPump : public EventPump {
public:
    std::int64_t nowMs() override { return now_; }
    void waitFor(std::int64_t ms) override {
        QCoreApplication::processEvents();
        now_ += std::max<std::int64_t>(ms, 1);
    }

private:
    std::int64_t now_ = 0;
};

// A raw pseudo-terminal; the program opens slavePath() like a serial port.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    QString slavePath() const { return path_; }
    void write(const std::string& text);
    // Everything the program wrote so far (non-blocking).
    std::string readAll();
    // Waits (2 s at most, a safety bound) until n characters came.
    std::string read(std::size_t n);
    // The other end goes away, as a pulled USB adapter would.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

std::size_t CountFrames(const std::string& written);

// Reading and tick each put a frame on the line, so that a second exchange
// started inside a wait is visible on the wire.
class TestWindow : public FrmMain {
public:
    using FrmMain::FrmMain;
    int reads = 0;
    bool readOk = true;
    std::function<void()> duringRead;

    void ReadRM27(std::int32_t& address, bool& ok) override;
    void tick() { tmrCasovac_Timer(); }

protected:
    bool RunMeasurementTick() override {
        port().line.output("$00MK\r");
        return false;
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    // The window's collaborators: the fixture's, and `clock` when set.
    FrmMainSetup Setup(const QString& commandLine = {});
    std::unique_ptr<TestWindow> MakeWindow(const QString& commandLine = {}) {
        return std::make_unique<TestWindow>(Setup(commandLine));
    }
    // Made and loaded, as the program starts it.
    std::unique_ptr<TestWindow> LoadedWindow(const QString& commandLine = {}) {
        auto w = MakeWindow(commandLine);
        w->Form_Load();
        return w;
    }

    template <class T> static T* Child(const QObject& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        if (c == nullptr) ADD_FAILURE() << "no control " << name;
        return c;
    }

    // Connects through COMn mapped to the device; true when the port opened.
    bool ConnectTo(FrmMain& w, const QString& device, int n = 1);
    bool ConnectTo(FrmMain& w, const Pty& pty, int n = 1) {
        return ConnectTo(w, pty.slavePath(), n);
    }

    PortMap ports;
    std::unique_ptr<AppSettings> settings;
    // "Ukončit" ends no test program: it is counted here instead.
    int quits = 0;
    Recorder prompter;
    InstantPump instant;
    WallClock* clock = nullptr;
};

} // namespace rm27::test
