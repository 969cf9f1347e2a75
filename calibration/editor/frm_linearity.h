// The linearity view of the calibration editor ("&Show Linearity"): the
// curve's points, the piecewise curve through them with the end-point line
// for reference, and where the live signal sits on it; below, every point's
// deviation from the end-point and least-squares lines with the largest of
// each. It shows what the editor model computes and follows the editor:
// every change of the points redraws it.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

#include "calibration/editor_model.h"

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QTableWidget;
class QValueAxis;

namespace rm27 {

class FrmLinearity final : public QWidget {
    Q_OBJECT
public:
    explicit FrmLinearity(QWidget* parent = nullptr);

    // The editor's points, their deviations and the live signal.
    void Follow(const CalibrationEditorModel& m);
    // Only the live signal's position (on every tick of the editor's timer).
    void ShowLive(const CalibrationEditorModel& m);

    // Run when the user closes the window.
    std::function<void()> closed;

    QChart* chart() const { return chart_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Rescale(double liveX, double liveY);

    std::vector<CurveSample> samples_;
    std::string signalFormat_;
    std::string valueFormat_;
    std::string unit_;

    QChart* chart_ = nullptr;
    QChartView* chtLinearity = nullptr;
    QLineSeries* curve_ = nullptr;
    QLineSeries* endPointLine_ = nullptr;
    QScatterSeries* points_ = nullptr;
    QScatterSeries* live_ = nullptr;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    QLabel* lblLive = nullptr;
    QTableWidget* grdDeviations = nullptr;
    QLabel* lblLargestEndPoint = nullptr;
    QLabel* lblLargestLeastSquares = nullptr;
};

} // namespace rm27
