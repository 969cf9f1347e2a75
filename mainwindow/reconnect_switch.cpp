#include "mainwindow/reconnect_switch.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "l10n/localizer.h"
#include "mainwindow/texts.h"
#include "ui/app_settings.h"

namespace rm27 {

namespace {

const QString kSection = QStringLiteral("Connection");
const QString kKey = QStringLiteral("Reconnect");
namespace tx = texts::mainwindow;

} // namespace

ReconnectSwitch::ReconnectSwitch(Connection& connection, AppSettings& settings, QMenu& menu,
                                 QAction& before, QMainWindow& window)
    : QObject(&window), connection_(connection), settings_(settings), window_(window) {
    switch_ = new QAction(Shown(Text(tx::kReconnectSwitch)), &window);
    switch_->setObjectName(QStringLiteral("mReconnect"));
    switch_->setToolTip(Shown(Text(tx::kReconnectSwitchTip)));
    switch_->setStatusTip(Shown(Text(tx::kReconnectSwitchTip)));
    switch_->setCheckable(true);
    // In the program's menu, between "O aplikaci" and "Ukončit".
    menu.insertAction(&before, switch_);
    menu.insertSeparator(&before);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("tmrReconnect"));
    timer_->setInterval(kReconnectPollMs);

    note_ = new QLabel(&window);
    note_->setObjectName(QStringLiteral("lblReconnect"));
    note_->hide();
}

void ReconnectSwitch::start(std::function<LineReconnect()> device) {
    switch_->setChecked(
        ReadNumberLiteral(settings_.GetSetting(kSection, kKey, QStringLiteral("1"))) != 0);
    connect(switch_, &QAction::toggled, this, &ReconnectSwitch::switched);
    connect(timer_, &QTimer::timeout, this, &ReconnectSwitch::look);
    connection_.setReconnect(ReconnectPolicy{switch_->isChecked(), std::move(device), {}, {}});
}

void ReconnectSwitch::switched(bool on) {
    if (switch_->isChecked() != on) switch_->setChecked(on);
    settings_.SaveSetting(kSection, kKey, on ? QStringLiteral("1") : QStringLiteral("0"));
    connection_.setReconnecting(on);
}

void ReconnectSwitch::update() {
    if (!watching()) {
        timer_->stop();
        note_->hide();
        return;
    }
    if (!timer_->isActive()) timer_->start();
    const LineReconnect lost = connection_.lostPort();
    note_->setText(
        Shown(Text(tx::kReconnectWaiting, "COM" + std::to_string(lost.port), lost.device)));
    // The status bar comes with the first watch (or log) and stays.
    QStatusBar* bar = window_.statusBar();
    if (note_->parentWidget() != bar) bar->addWidget(note_);
    bar->show();
    note_->show();
}

void ReconnectSwitch::look() {
    // A reason the port will not open is on the status line already.
    std::string why;
    const Connection::Reconnect r = connection_.lookForLostPort(why);
    if (r == Connection::Reconnect::NotWatching) timer_->stop();
    const bool back = r == Connection::Reconnect::Opened || r == Connection::Reconnect::Read ||
                      r == Connection::Reconnect::Unread || r == Connection::Reconnect::OtherConverter;
    if (back && back_) back_();
}

} // namespace rm27
