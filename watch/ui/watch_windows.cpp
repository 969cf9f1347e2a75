#include "watch/ui/watch_windows.h"
#include "watch/texts.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>

#include "ui/qt_serial_line.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/frm_trace.h"

namespace rm27 {

namespace {

void Raise(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

WatchWindows::WatchWindows(QWidget* owner, Prompter& prompter,
                           std::function<WatchHeader()> currentHeader, QtSerialLine* line)
    : QObject(owner), owner_(owner), line_(line), prompter_(prompter),
      currentHeader_(std::move(currentHeader)) {
    logDialog_.title = texts::watch::kLogTitle.czech;
    logDialog_.filter = kCsvDialogFilter;
    logDialog_.filterIndex = DefaultCsvFilterIndex();
    logDialog_.defaultExt = ".csv";
    logDialog_.initDir = QDir::currentPath().toStdString();
    logDialog_.owner = owner != nullptr ? owner->objectName().toStdString() : std::string();

    indicator_ = new QLabel(owner);
    indicator_->setObjectName(QStringLiteral("lblZaznam"));
    indicator_->hide();
}

void WatchWindows::setStale(bool stale) {
    stale_ = stale;
    if (chart_ != nullptr) chart_->setStale(stale);
}

WatchWindows::~WatchWindows() {
    log_.stop();
}

void WatchWindows::showChart() {
    if (chart_ == nullptr) {
        chart_ = new FrmChart(prompter_, owner_);
        chart_->setStale(stale_);
    }
    Raise(chart_);
}

void WatchWindows::showTrace() {
    if (trace_ == nullptr) {
        trace_ = new FrmTrace(prompter_, owner_);
        // From its first showing on, also while closed.
        if (line_ != nullptr) {
            FrmTrace* trace = trace_;
            connect(line_, &QtSerialLine::frameSeen, trace,
                    [trace](qint64 ms, bool sent, const QString& text) {
                        trace->takeMessage(
                            {ms, sent ? TraceDir::Tx : TraceDir::Rx, text.toStdString()});
                    });
            connect(line_, &QtSerialLine::lineNoted, trace, [trace](const QString& text) {
                trace->takeMessage({-1, TraceDir::Note, text.toStdString()});
            });
        }
    }
    Raise(trace_);
}

bool WatchWindows::startLog() {
    if (log_.active()) return false;
    const WatchHeader header = currentHeader_ ? currentHeader_() : WatchHeader{};
    if (header.deviceId.empty()) {
        // Without a converter there is nothing to name in the header.
        prompter_.critical(Text(texts::watch::kLogNeedsReading));
        return false;
    }
    logDialog_.fileName = QDateTime::currentDateTime()
                              .toString(QStringLiteral("'rm27_'yyyy-MM-dd_HHmmss'.csv'"))
                              .toStdString();
    if (!prompter_.showSave(logDialog_)) return false;
    const Text why =
        log_.start(logDialog_.fileName, header, DialectOfFilter(logDialog_.filterIndex));
    if (!why.empty()) {
        prompter_.critical(Text(texts::watch::kLogNotStarted, logDialog_.fileName, why));
        return false;
    }
    logDialog_.initDir =
        QFileInfo(QString::fromStdString(logDialog_.fileName)).absolutePath().toStdString();
    updateIndicator();
    Q_EMIT logChanged(true);
    return true;
}

void WatchWindows::attach(const MenuItems& items, QMainWindow& window) {
    connect(items.chart, &QAction::triggered, this, &WatchWindows::showChart);
    connect(items.trace, &QAction::triggered, this, &WatchWindows::showTrace);
    connect(items.log, &QAction::triggered, this, &WatchWindows::startLog);
    connect(items.logStop, &QAction::triggered, this, &WatchWindows::stopLog);
    connect(this, &WatchWindows::logChanged, &window, [this, items, &window](bool active) {
        items.log->setEnabled(!active);
        items.logStop->setEnabled(active);
        if (active && indicator_->parentWidget() != window.statusBar()) {
            window.statusBar()->addPermanentWidget(indicator_);
            window.statusBar()->show();
        }
    });
}

void WatchWindows::stopLog() {
    if (!log_.active()) return;
    log_.stop();
    updateIndicator();
    Q_EMIT logChanged(false);
}

void WatchWindows::onTick(const TickSample& sample) {
    if (chart_ != nullptr) chart_->onTick(sample);
    if (!log_.active() || !sample.answered) return;
    if (log_.record(sample)) {
        updateIndicator();
        return;
    }
    updateIndicator();
    Q_EMIT logChanged(false);
    // Said after the tick, not inside it: a message box waits for the user,
    // and the measurement must not.
    QTimer::singleShot(0, this, &WatchWindows::logFailed);
}

void WatchWindows::logFailed() {
    prompter_.critical(RecordingStopped(log_.path(), log_.failure(), log_.rows()));
}

void WatchWindows::updateIndicator() {
    const QString name = QFileInfo(QString::fromStdString(log_.path())).fileName();
    const QString rows = QString::number(log_.rows());
    indicator_->setText(log_.active() ? tr("● Záznam: %1, řádků %2").arg(name, rows)
                                      : tr("Záznam ukončen: %1, řádků %2").arg(name, rows));
    indicator_->setToolTip(QString::fromStdString(log_.path()));
    indicator_->show();
}

} // namespace rm27
