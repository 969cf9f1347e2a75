// What the main window's menu "Zobrazit" opens: the chart of the inputs,
// the frame trace and the CSV log, with the log's indicator for the status
// bar. Fed by the main window's tick signal; knows nothing of the protocol.
// The windows are made on first use and live as long as this object.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "session/prompter.h"
#include "watch/csv_log.h"
#include "watch/tick_sample.h"

class QAction;
class QLabel;
class QMainWindow;
class QWidget;

namespace rm27 {

class QtSerialLine;

class FrmChart;
class FrmTrace;

class WatchWindows final : public QObject {
    Q_OBJECT
public:
    // owner: the main window (parent of the windows); currentHeader: what
    // the device state names now, for a log started between ticks.
    // line: the serial line whose frames the trace shows (none: no frames).
    WatchWindows(QWidget* owner, Prompter& prompter, std::function<WatchHeader()> currentHeader,
                 QtSerialLine* line = nullptr);
    ~WatchWindows() override;

    FrmChart* chart() const { return chart_; }
    FrmTrace* trace() const { return trace_; }
    const CsvLog& log() const { return log_; }
    // "objectName lblZaznam": what the log does, for the status bar.
    QLabel* indicator() const { return indicator_; }
    FileDialogSpec& logDialog() { return logDialog_; }

    // The menu items that open these and start and stop the log. The log's
    // two follow whether a log runs; its indicator joins the window's
    // status bar with the first log and stays.
    struct MenuItems {
        QAction* chart = nullptr;
        QAction* trace = nullptr;
        QAction* log = nullptr;
        QAction* logStop = nullptr;
    };
    void attach(const MenuItems& items, QMainWindow& window);

    void showChart();
    void showTrace();
    // Asks for the file and starts the log; false when cancelled or refused.
    bool startLog();
    void stopLog();

public Q_SLOTS:
    void onTick(const rm27::TickSample& sample);
    // The values are no longer live (or live again): the chart says so.
    void setStale(bool stale);

Q_SIGNALS:
    void logChanged(bool active);

private:
    void updateIndicator();
    void logFailed();

    QWidget* owner_;
    QtSerialLine* line_;
    Prompter& prompter_;
    std::function<WatchHeader()> currentHeader_;
    FrmChart* chart_ = nullptr;
    bool stale_ = false;
    FrmTrace* trace_ = nullptr;
    CsvLog log_;
    FileDialogSpec logDialog_;
    QLabel* indicator_ = nullptr;
};

} // namespace rm27
