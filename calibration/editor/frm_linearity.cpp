#include "calibration/editor/frm_linearity.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "l10n/localizer.h"
#include "link/codecs.h"
#include "ui/window_placement.h"

namespace rm27 {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Trimmed(double value, const std::string& format) {
    return TrimBlanks(FormatFixed(value, format));
}

// A long heading on two lines, broken at the blank nearest its middle, so
// that the table fits the window without scrolling.
QString Heading(const Text& text) {
    QString h = Shown(text);
    if (h.size() <= 16) return h;
    int best = -1;
    for (int i = 0; i < h.size(); ++i) {
        if (h[i] == QLatin1Char(' ') &&
            (best < 0 || std::abs(i - h.size() / 2) < std::abs(best - h.size() / 2)))
            best = i;
    }
    if (best > 0) h[best] = QLatin1Char('\n');
    return h;
}

} // namespace

FrmLinearity::FrmLinearity(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLinearity"));
    setWindowTitle(tr("Linearita kalibrační křivky"));

    chart_ = new QChart;
    chart_->setObjectName(QStringLiteral("chart"));
    curve_ = new QLineSeries(chart_);
    curve_->setName(tr("Křivka"));
    endPointLine_ = new QLineSeries(chart_);
    endPointLine_->setName(tr("Přímka krajních bodů"));
    QPen dashed(Qt::gray);
    dashed.setStyle(Qt::DashLine);
    dashed.setWidthF(1.5);
    endPointLine_->setPen(dashed);
    points_ = new QScatterSeries(chart_);
    points_->setName(tr("Body"));
    points_->setMarkerSize(9);
    live_ = new QScatterSeries(chart_);
    live_->setName(tr("Živý signál"));
    live_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    live_->setMarkerSize(12);
    live_->setColor(Qt::red);
    axisX_ = new QValueAxis(chart_);
    axisY_ = new QValueAxis(chart_);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{endPointLine_, curve_, points_, live_}) {
        chart_->addSeries(s);
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }
    chart_->legend()->setAlignment(Qt::AlignBottom);

    chtLinearity = new QChartView(chart_, this);
    chtLinearity->setObjectName(QStringLiteral("chtLinearity"));
    chtLinearity->setRenderHint(QPainter::Antialiasing);
    chtLinearity->setMinimumSize(560, 320);

    lblLive = new QLabel(this);
    lblLive->setObjectName(QStringLiteral("lblLive"));
    grdDeviations = new QTableWidget(this);
    grdDeviations->setObjectName(QStringLiteral("grdDeviations"));
    grdDeviations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDeviations->verticalHeader()->setVisible(false);
    grdDeviations->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdDeviations->setMinimumHeight(200);
    lblLargestEndPoint = new QLabel(this);
    lblLargestEndPoint->setObjectName(QStringLiteral("lblLargestEndPoint"));
    QFont bold = lblLargestEndPoint->font();
    bold.setBold(true);
    lblLargestEndPoint->setFont(bold);
    lblLargestLeastSquares = new QLabel(this);
    lblLargestLeastSquares->setObjectName(QStringLiteral("lblLargestLeastSquares"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chtLinearity, 3);
    layout->addWidget(lblLive);
    layout->addWidget(grdDeviations, 2);
    layout->addWidget(lblLargestEndPoint);
    layout->addWidget(lblLargestLeastSquares);
    FitToScreen(this, {900, 780});
}

void FrmLinearity::Follow(const CalibrationEditorModel& m) {
    const LinearityReport report = m.CurveLinearity();
    const LinearityTexts texts = m.CurveLinearityTexts();
    samples_ = report.points;
    const bool mvv = (m.xXx.curveFlags & kCurveSignalMvV) != 0;
    signalFormat_ = mvv ? "####0.00000" : "#######0";
    valueFormat_ =
        TrimBlanks(m.xXx.numberFormat).empty() ? kFormatRows[0] : TrimBlanks(m.xXx.numberFormat);
    unit_ = TrimBlanks(m.fields.txtJednotka);

    QList<QPointF> points;
    for (const CurveSample& s : samples_)
        points.append(QPointF(s.signal, s.value));
    points_->replace(points);
    QList<QPointF> line;
    if (report.valid) {
        const CurveSample& a = samples_.front();
        const CurveSample& b = samples_.back();
        line = {QPointF(a.signal, a.value), QPointF(b.signal, b.value)};
    }
    endPointLine_->replace(line);
    axisX_->setTitleText(Shown(texts.headers[1]));
    axisY_->setTitleText(Shown(texts.headers[2]));

    grdDeviations->clear();
    grdDeviations->setColumnCount(static_cast<int>(texts.headers.size()));
    grdDeviations->setRowCount(static_cast<int>(texts.rows.size()));
    for (std::size_t c = 0; c < texts.headers.size(); ++c) {
        grdDeviations->setHorizontalHeaderItem(static_cast<int>(c),
                                               new QTableWidgetItem(Heading(texts.headers[c])));
    }
    for (std::size_t r = 0; r < texts.rows.size(); ++r) {
        for (std::size_t c = 0; c < texts.rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(Q(texts.rows[r][c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDeviations->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    const auto mark = [&](int row, int column) {
        if (row < 0) return;
        if (QTableWidgetItem* item = grdDeviations->item(row, column)) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
    };
    mark(report.largestEndPoint, 3);
    mark(report.largestEndPoint, 4);
    mark(report.largestLeastSquares, 5);
    mark(report.largestLeastSquares, 6);
    lblLargestEndPoint->setText(report.valid
                                    ? Shown(texts.largestEndPoint)
                                    : tr("Linearitu nelze určit: křivka potřebuje alespoň dva body "
                                         "s různým signálem."));
    lblLargestLeastSquares->setText(Shown(texts.largestLeastSquares));
    ShowLive(m);
}

void FrmLinearity::ShowLive(const CalibrationEditorModel& m) {
    const double x = m.LiveSignal();
    const double y = CurveValueAt(samples_, x);
    // The curve as the converter extends it, out to the live signal.
    std::vector<double> xs;
    for (const CurveSample& s : samples_)
        xs.push_back(s.signal);
    if (std::isfinite(y)) xs.push_back(x);
    std::sort(xs.begin(), xs.end());
    QList<QPointF> curve;
    if (samples_.size() >= 2) {
        for (double at : xs)
            curve.append(QPointF(at, CurveValueAt(samples_, at)));
    }
    curve_->replace(curve);
    live_->clear();
    if (std::isfinite(y)) {
        live_->append(x, y);
        QString text = tr("Živý signál: %1 → %2")
                           .arg(Q(Trimmed(x, signalFormat_)), Q(Trimmed(y, valueFormat_)));
        if (!unit_.empty()) text += QLatin1Char(' ') + Q(unit_);
        lblLive->setText(text);
    } else {
        lblLive->setText(QString());
    }
    Rescale(x, y);
}

void FrmLinearity::Rescale(double liveX, double liveY) {
    if (samples_.empty()) {
        axisX_->setRange(0, 1);
        axisY_->setRange(0, 1);
        return;
    }
    double x0 = samples_.front().signal, x1 = x0;
    double y0 = samples_.front().value, y1 = y0;
    for (const CurveSample& s : samples_) {
        x0 = std::min(x0, s.signal);
        x1 = std::max(x1, s.signal);
        y0 = std::min(y0, s.value);
        y1 = std::max(y1, s.value);
    }
    if (std::isfinite(liveY)) {
        x0 = std::min(x0, liveX);
        x1 = std::max(x1, liveX);
        y0 = std::min(y0, liveY);
        y1 = std::max(y1, liveY);
    }
    const auto pad = [](double& lo, double& hi) {
        const double margin = hi > lo ? (hi - lo) * 0.05 : std::max(std::fabs(lo), 1.0) * 0.05;
        lo -= margin;
        hi += margin;
    };
    pad(x0, x1);
    pad(y0, y1);
    axisX_->setRange(x0, x1);
    axisY_->setRange(y0, y1);
    axisX_->applyNiceNumbers();
    axisY_->applyNiceNumbers();
}

void FrmLinearity::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (closed) closed();
}

} // namespace rm27
