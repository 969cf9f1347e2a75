// The window's side of getting a lost port back: the switch in the
// program's menu (remembered in the settings), the look once a second
// while a device is wanted back, and the status bar's note of which one.
// Whether it is back, reopening it and reading again are the connection's.
#pragma once

#include <QObject>

#include <functional>

#include "session/connection.h"
#include "session/reconnect.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QTimer;

namespace rm27 {

class AppSettings;

class ReconnectSwitch : public QObject {
    Q_OBJECT
public:
    // The switch goes into `menu` before `before`; the note into the
    // window's status bar, which comes with the first watch.
    ReconnectSwitch(Connection& connection, AppSettings& settings, QMenu& menu, QAction& before,
                    QMainWindow& window);

    // Hands the connection its policy: `device` names the port to wait for
    // when the line is lost (asked then, not now).
    void start(std::function<LineReconnect()> device);
    bool watching() const { return connection_.watching(); }
    // After anything that changes whether a device is wanted back.
    void update();
    // Called each time a look finds the port back and open again.
    void onBack(std::function<void()> back) { back_ = std::move(back); }

public Q_SLOTS:
    // Reopens the port when its device is back (the timer's slot).
    void look();
    // The switch (checked: on), remembered.
    void switched(bool on);

private:
    Connection& connection_;
    AppSettings& settings_;
    QMainWindow& window_;
    QAction* switch_ = nullptr; // mReconnect
    QTimer* timer_ = nullptr;   // tmrReconnect
    QLabel* note_ = nullptr;    // lblReconnect
    std::function<void()> back_;
};

} // namespace rm27
