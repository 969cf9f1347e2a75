// "Graf vstupů": the four inputs over the last 1, 5 or 30 minutes, one line
// per input named by its sensor's description, in the inputs' units, in
// mV/V or in divisions. Automatic or fixed scale, pause (the data keep
// coming and show on resume), a cursor that reads the values at a time,
// and export of what is shown as PNG or CSV.
//
// Each input's points live in a ring of fixed size, so the chart's memory
// does not grow however long the measurement runs; the lines are redrawn
// at most a few times a second from a thinned copy of the ring, never
// inside the measurement tick.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

#include "session/prompter.h"
#include "watch/csv_format.h"
#include "watch/series_ring.h"
#include "watch/tick_sample.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTimer;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace rm27 {

class FrmChart final : public QWidget {
    Q_OBJECT
public:
    FrmChart(Prompter& prompter, QWidget* parent = nullptr,
             std::size_t ringCapacity = SeriesRing::kDefaultCapacity);
    ~FrmChart() override;

    const SeriesRing& ring(int input) const { return rings_[static_cast<std::size_t>(input)]; }
    QLineSeries* series(int input) const { return series_[static_cast<std::size_t>(input)]; }
    QChart* chart() const { return chart_; }
    QChartView* chartView() const { return view_; }
    Quantity quantity() const;
    std::int64_t spanMs() const;
    bool paused() const { return paused_; }
    // The shown time range [first, second].
    std::pair<std::int64_t, std::int64_t> shownRange() const { return {shownFrom_, shownTo_}; }
    std::pair<double, double> yRange() const;
    std::optional<std::int64_t> cursorTime() const { return cursor_; }
    QString cursorText() const;
    FileDialogSpec& pngDialog() { return pngDialog_; }
    FileDialogSpec& csvDialog() { return csvDialog_; }

    // Draws what the rings hold now (also what the refresh timer does).
    void refreshNow();
    // No answer has refreshed the values for a while: the chart says so in
    // its title until one does.
    void setStale(bool stale);
    bool stale() const { return stale_; }

public Q_SLOTS:
    void onTick(const rm27::TickSample& sample);
    // Cursor at wall time t (ms since the epoch); nothing clears it.
    void setCursorTime(std::int64_t t);
    void clearCursor();
    void cmdPause_Click();
    void cmdSavePng_Click();
    void cmdSaveCsv_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpDialogs();
    void buildControls();
    void buildChart();
    void layOut();
    void connectControls();
    void scheduleRefresh();
    void applyScaleControls();
    void updateNames();
    void updateCursor();
    QString unitOf(int input) const;
    QString valueText(int input, const SeriesPoint& p) const;

    Prompter& prompter_;
    std::array<SeriesRing, kInputCount> rings_;
    WatchHeader header_;
    bool haveHeader_ = false;
    bool paused_ = false;
    bool stale_ = false;
    std::int64_t pausedAt_ = 0;
    std::int64_t shownFrom_ = 0;
    std::int64_t shownTo_ = 0;
    std::optional<std::int64_t> cursor_;
    QElapsedTimer sinceRefresh_;
    FileDialogSpec pngDialog_;
    FileDialogSpec csvDialog_;

    QComboBox* cmbQuantity = nullptr;
    QComboBox* cmbSpan = nullptr;
    QCheckBox* chkAutoScale = nullptr;
    QDoubleSpinBox* spnMin = nullptr;
    QDoubleSpinBox* spnMax = nullptr;
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdSavePng = nullptr;
    QPushButton* cmdSaveCsv = nullptr;
    QLabel* lblCursor = nullptr;
    QTimer* tmrRefresh = nullptr;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QDateTimeAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    std::array<QLineSeries*, kInputCount> series_{};
    QLineSeries* cursorSeries_ = nullptr;
};

// The two CSV choices of a save dialog: filter 1 the comma, 2 the semicolon.
extern const char* const kCsvDialogFilter;
CsvDialect DialectOfFilter(int filterIndex);
// The regional decimal comma suggests the European choice.
int DefaultCsvFilterIndex();

} // namespace rm27
