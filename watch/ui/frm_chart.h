// "Graf vstupů": the four inputs over the last 1, 5 or 30 minutes, one line
// per input named by its sensor's description, in the inputs' units, in
// mV/V or in divisions. Automatic or fixed scale, pause (the data keep
// coming and show on resume), a cursor that reads the values at a time,
// and export of what is shown as PNG or CSV.
//
// Lines of one unit share a Y axis titled with it; inputs of different
// units get axes of their own, left and right in turn (in mV/V and in
// divisions there is one). The fixed scale ("od", "do") applies to the
// first axis, that of input 1's unit, and the others keep scaling
// themselves: one range is seldom right for kilograms and newtons at once.
// A fixed scale whose "od" is not below its "do" is not applied; a note
// beside the boxes says why. A click on a legend entry hides or shows its
// line; the entry stays, dimmed. The PNG is the picture with a band above
// it naming the converter, the lines shown, the time span and the cursor's
// reading; the CSV keeps every input, hidden or not, as the data of the
// span are not the picture.
//
// Each input's points live in a ring of fixed size, so the chart's memory
// does not grow however long the measurement runs; the lines are redrawn
// at most a few times a second from a thinned copy of the ring, never
// inside the measurement tick.
#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

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
    // Of the first Y axis.
    std::pair<double, double> yRange() const;
    // The Y axis input's line is drawn against; the axes in order.
    QValueAxis* yAxis(int input) const;
    const std::vector<QValueAxis*>& yAxes() const { return axesY_; }
    bool lineShown(int input) const { return !hidden_[static_cast<std::size_t>(input)]; }
    // What the PNG's band says, one line each: converter, lines shown,
    // span, and the cursor's reading when it is set.
    QString exportTitle() const;
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
    // Hides a shown line, shows a hidden one (what a click on its legend
    // entry does).
    void toggleLine(int input);

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
    bool scaleRefused() const;
    bool findShownRange();
    void scaleAxes(const std::vector<std::pair<double, double>>& extents);
    void arrangeAxes();
    void applyLineVisibility(int input);
    void updateTitle();
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
    QLabel* lblScaleError = nullptr;
    QTimer* tmrRefresh = nullptr;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QDateTimeAxis* axisX_ = nullptr;
    std::vector<QValueAxis*> axesY_;
    QStringList axisUnits_;
    std::array<int, kInputCount> axisOf_{};
    std::array<bool, kInputCount> hidden_{};
    std::array<QLineSeries*, kInputCount> series_{};
    QLineSeries* cursorSeries_ = nullptr;
};

// The two CSV choices of a save dialog: filter 1 the comma, 2 the semicolon.
extern const char* const kCsvDialogFilter;
CsvDialect DialectOfFilter(int filterIndex);
// The regional decimal comma suggests the European choice.
int DefaultCsvFilterIndex();

} // namespace rm27
