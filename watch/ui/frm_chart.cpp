#include "watch/ui/frm_chart.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "link/codecs.h"
#include "link/ekey.h"
#include "l10n/localizer.h"
#include "watch/texts.h"
#include "watch/wall_time.h"

namespace rm27 {

const char* const kCsvDialogFilter = texts::watch::kCsvFilter.czech;

CsvDialect DialectOfFilter(int filterIndex) {
    return filterIndex == 2 ? kCsvSemicolon : kCsvComma;
}

int DefaultCsvFilterIndex() {
    return DecimalSeparator() == ',' ? 2 : 1;
}

namespace {

// A redraw costs far more than a tick; a few a second are plenty for an eye.
constexpr qint64 kRefreshGapMs = 250;
constexpr std::int64_t kSpansMs[] = {60'000, 5 * 60'000, 30 * 60'000};
constexpr std::int64_t kShortestSpanMs = 5'000;

const QColor kSeriesColors[kInputCount] = {QColor(31, 119, 180), QColor(214, 39, 40),
                                           QColor(44, 160, 44), QColor(148, 103, 189)};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

FrmChart::FrmChart(Prompter& prompter, QWidget* parent, std::size_t ringCapacity)
    : QWidget(parent, Qt::Window),
      prompter_(prompter), rings_{SeriesRing(ringCapacity), SeriesRing(ringCapacity),
                                  SeriesRing(ringCapacity), SeriesRing(ringCapacity)} {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(tr("Graf vstupů"));
    setUpDialogs();
    buildControls();
    buildChart();
    layOut();
    connectControls();

    applyScaleControls();
    updateNames();
    updateCursor();
    sinceRefresh_.start();
    const QFontMetrics fm(font());
    resize(fm.averageCharWidth() * 130, fm.lineSpacing() * 32);
}

void FrmChart::setUpDialogs() {
    // In Czech: the prompter shows them in the reader's language.
    pngDialog_.title = texts::watch::kPngTitle.czech;
    pngDialog_.filter = texts::watch::kPngFilter.czech;
    pngDialog_.defaultExt = ".png";
    pngDialog_.initDir = QDir::currentPath().toStdString();
    pngDialog_.owner = objectName().toStdString();
    csvDialog_.title = texts::watch::kCsvTitle.czech;
    csvDialog_.filter = kCsvDialogFilter;
    csvDialog_.filterIndex = DefaultCsvFilterIndex();
    csvDialog_.defaultExt = ".csv";
    csvDialog_.initDir = pngDialog_.initDir;
    csvDialog_.owner = pngDialog_.owner;
}

void FrmChart::buildControls() {
    cmbQuantity = new QComboBox(this);
    cmbQuantity->setObjectName(QStringLiteral("cmbQuantity"));
    cmbQuantity->addItems({tr("Veličina (v jednotkách)"), tr("Vstup [mV/V]"), tr("Dílky (DIV)")});
    cmbSpan = new QComboBox(this);
    cmbSpan->setObjectName(QStringLiteral("cmbSpan"));
    cmbSpan->addItems({tr("1 min"), tr("5 min"), tr("30 min")});
    chkAutoScale = new QCheckBox(tr("Automatické měřítko"), this);
    chkAutoScale->setObjectName(QStringLiteral("chkAutoScale"));
    chkAutoScale->setChecked(true);
    spnMin = new QDoubleSpinBox(this);
    spnMin->setObjectName(QStringLiteral("spnMin"));
    spnMax = new QDoubleSpinBox(this);
    spnMax->setObjectName(QStringLiteral("spnMax"));
    for (QDoubleSpinBox* s : {spnMin, spnMax}) {
        s->setRange(-1e9, 1e9);
        s->setDecimals(3);
        s->setKeyboardTracking(false);
    }
    spnMax->setValue(1.0);
    cmdPause = new QPushButton(tr("Pozastavit"), this);
    cmdPause->setObjectName(QStringLiteral("cmdPause"));
    cmdSavePng = new QPushButton(tr("PNG ..."), this);
    cmdSavePng->setObjectName(QStringLiteral("cmdSavePng"));
    cmdSavePng->setToolTip(tr("Uložit graf jako obrázek"));
    cmdSaveCsv = new QPushButton(tr("CSV ..."), this);
    cmdSaveCsv->setObjectName(QStringLiteral("cmdSaveCsv"));
    cmdSaveCsv->setToolTip(tr("Uložit zobrazená data do souboru CSV"));
    for (QPushButton* b : {cmdPause, cmdSavePng, cmdSaveCsv})
        b->setAutoDefault(false);
}

void FrmChart::buildChart() {
    chart_ = new QChart;
    chart_->setObjectName(QStringLiteral("chrInputs"));
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    axisX_ = new QDateTimeAxis;
    axisX_->setFormat(QStringLiteral("HH:mm:ss"));
    axisX_->setTickCount(6);
    axisY_ = new QValueAxis;
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (int i = 0; i < kInputCount; ++i) {
        auto* s = new QLineSeries;
        s->setObjectName(QStringLiteral("serInput_%1").arg(i));
        QPen pen(kSeriesColors[i]);
        pen.setWidthF(2.0);
        s->setPen(pen);
        chart_->addSeries(s);
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
        series_[static_cast<std::size_t>(i)] = s;
    }
    cursorSeries_ = new QLineSeries;
    cursorSeries_->setObjectName(QStringLiteral("serCursor"));
    QPen cursorPen(Qt::darkGray);
    cursorPen.setStyle(Qt::DashLine);
    cursorSeries_->setPen(cursorPen);
    chart_->addSeries(cursorSeries_);
    cursorSeries_->attachAxis(axisX_);
    cursorSeries_->attachAxis(axisY_);
    for (QLegendMarker* m : chart_->legend()->markers(cursorSeries_))
        m->setVisible(false);

    view_ = new QChartView(chart_, this);
    view_->setObjectName(QStringLiteral("chvInputs"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setToolTip(tr("Klepnutím postavíte kurzor, dvojklikem jej zrušíte"));
    view_->viewport()->installEventFilter(this);

    lblCursor = new QLabel(this);
    lblCursor->setObjectName(QStringLiteral("lblCursor"));
    lblCursor->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void FrmChart::layOut() {
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Zobrazit:"), this));
    top->addWidget(cmbQuantity);
    top->addWidget(new QLabel(tr("Úsek:"), this));
    top->addWidget(cmbSpan);
    top->addSpacing(fontMetrics().averageCharWidth() * 2);
    top->addWidget(chkAutoScale);
    top->addWidget(new QLabel(tr("od"), this));
    top->addWidget(spnMin);
    top->addWidget(new QLabel(tr("do"), this));
    top->addWidget(spnMax);
    top->addStretch(1);
    top->addWidget(cmdPause);
    top->addWidget(cmdSavePng);
    top->addWidget(cmdSaveCsv);
    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(view_, 1);
    root->addWidget(lblCursor);
}

void FrmChart::connectControls() {
    tmrRefresh = new QTimer(this);
    tmrRefresh->setSingleShot(true);
    connect(tmrRefresh, &QTimer::timeout, this, &FrmChart::refreshNow);
    connect(cmbQuantity, &QComboBox::currentIndexChanged, this, [this] {
        updateNames();
        refreshNow();
    });
    connect(cmbSpan, &QComboBox::currentIndexChanged, this, &FrmChart::refreshNow);
    connect(chkAutoScale, &QCheckBox::toggled, this, [this](bool automatic) {
        if (!automatic) {
            // Fixed from where the automatic scale stood: a small step,
            // not a jump.
            const auto [lo, hi] = yRange();
            const QSignalBlocker a(spnMin), b(spnMax);
            spnMin->setValue(lo);
            spnMax->setValue(hi);
        }
        applyScaleControls();
        refreshNow();
    });
    connect(spnMin, &QDoubleSpinBox::valueChanged, this, &FrmChart::refreshNow);
    connect(spnMax, &QDoubleSpinBox::valueChanged, this, &FrmChart::refreshNow);
    connect(cmdPause, &QPushButton::clicked, this, &FrmChart::cmdPause_Click);
    connect(cmdSavePng, &QPushButton::clicked, this, &FrmChart::cmdSavePng_Click);
    connect(cmdSaveCsv, &QPushButton::clicked, this, &FrmChart::cmdSaveCsv_Click);
}

FrmChart::~FrmChart() = default;

Quantity FrmChart::quantity() const {
    switch (cmbQuantity->currentIndex()) {
    case 1:
        return Quantity::Signal;
    case 2:
        return Quantity::Raw;
    default:
        return Quantity::Value;
    }
}

std::int64_t FrmChart::spanMs() const {
    const int i = std::clamp(cmbSpan->currentIndex(), 0, 2);
    return kSpansMs[i];
}

std::pair<double, double> FrmChart::yRange() const {
    return {axisY_->min(), axisY_->max()};
}

void FrmChart::onTick(const TickSample& sample) {
    if (!haveHeader_ || !(sample.header == header_)) {
        // Another converter's numbers do not continue this one's lines.
        if (haveHeader_ && (sample.header.deviceId != header_.deviceId ||
                            sample.header.address != header_.address)) {
            for (SeriesRing& r : rings_)
                r.clear();
            clearCursor();
        }
        header_ = sample.header;
        haveHeader_ = true;
        updateNames();
    }
    if (!sample.answered) return;
    for (std::size_t i = 0; i < rings_.size(); ++i) {
        rings_[i].push(
            {sample.wallMs, sample.raw[i], sample.signal[i], static_cast<float>(sample.value[i])});
    }
    scheduleRefresh();
}

void FrmChart::scheduleRefresh() {
    if (paused_ || !isVisible() || tmrRefresh->isActive()) return;
    tmrRefresh->start(
        static_cast<int>(std::max<qint64>(0, kRefreshGapMs - sinceRefresh_.elapsed())));
}

void FrmChart::setStale(bool stale) {
    if (stale == stale_) return;
    stale_ = stale;
    chart_->setTitle(stale ? Shown(Text(texts::watch::kChartStale)) : QString());
}

void FrmChart::refreshNow() {
    tmrRefresh->stop();
    sinceRefresh_.restart();
    const Quantity q = quantity();
    bool any = false;
    std::int64_t latest = std::numeric_limits<std::int64_t>::min();
    std::int64_t oldest = std::numeric_limits<std::int64_t>::max();
    for (const SeriesRing& r : rings_) {
        if (r.empty()) continue;
        any = true;
        latest = std::max(latest, r.back().t);
        oldest = std::min(oldest, r.at(0).t);
    }
    if (!any) {
        for (QLineSeries* s : series_)
            s->clear();
        updateCursor();
        return;
    }
    shownTo_ = paused_ ? pausedAt_ : latest;
    // Until the measurement has run for the whole span, its start is the
    // chart's left edge: the first seconds fill the width, not a sliver.
    shownFrom_ = std::max(shownTo_ - spanMs(), std::min(oldest, shownTo_ - kShortestSpanMs));
    // A lowest and a highest point per two pixels: one point per pixel,
    // as much as a line can show.
    const int buckets = std::max(50, static_cast<int>(chart_->plotArea().width()) / 2);
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    std::vector<std::pair<std::int64_t, double>> points;
    for (std::size_t i = 0; i < rings_.size(); ++i) {
        DecimateMinMax(rings_[i], q, shownFrom_, shownTo_, buckets, points);
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const auto& [t, v] : points) {
            list.append(QPointF(static_cast<double>(t), v));
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        series_[i]->replace(list);
    }
    axisX_->setRange(QDateTime::fromMSecsSinceEpoch(shownFrom_),
                     QDateTime::fromMSecsSinceEpoch(shownTo_));
    if (!chkAutoScale->isChecked()) {
        axisY_->setRange(std::min(spnMin->value(), spnMax->value()),
                         std::max(spnMin->value(), spnMax->value()));
    } else if (std::isfinite(lo)) {
        const double pad = hi > lo ? (hi - lo) * 0.05 : (lo != 0.0 ? std::fabs(lo) * 0.01 : 1.0);
        axisY_->setRange(lo - pad, hi + pad);
        axisY_->applyNiceNumbers();
    }
    updateCursor();
}

void FrmChart::applyScaleControls() {
    spnMin->setEnabled(!chkAutoScale->isChecked());
    spnMax->setEnabled(!chkAutoScale->isChecked());
}

QString FrmChart::unitOf(int input) const {
    switch (quantity()) {
    case Quantity::Signal:
        return tr("mV/V");
    case Quantity::Raw:
        return tr("DIV");
    case Quantity::Value:
        break;
    }
    return Q(header_.inputs[static_cast<std::size_t>(input)].unit);
}

void FrmChart::updateNames() {
    for (int i = 0; i < kInputCount; ++i) {
        const std::string& d = header_.inputs[static_cast<std::size_t>(i)].description;
        QString name =
            QStringLiteral("%1: %2").arg(i + 1).arg(d.empty() ? tr("Vstup %1").arg(i + 1) : Q(d));
        const QString unit = unitOf(i);
        if (!unit.isEmpty()) name += QStringLiteral(" [%1]").arg(unit);
        // Only the value is less the tare; raw and mV/V are as measured.
        if (quantity() == Quantity::Value && header_.tare[static_cast<std::size_t>(i)] != 0)
            name += QStringLiteral(" (%1)").arg(tr("NET"));
        series_[static_cast<std::size_t>(i)]->setName(name);
    }
    axisY_->setTitleText(cmbQuantity->currentText());
}

void FrmChart::cmdPause_Click() {
    paused_ = !paused_;
    cmdPause->setText(paused_ ? tr("Pokračovat") : tr("Pozastavit"));
    if (paused_) {
        // Hold the picture as it is on the screen.
        if (shownTo_ == 0 && !rings_[0].empty()) shownTo_ = rings_[0].back().t;
        pausedAt_ = shownTo_;
        tmrRefresh->stop();
    } else {
        refreshNow();
    }
}

// ----------------------------------------------------------------- cursor

void FrmChart::setCursorTime(std::int64_t t) {
    cursor_ = t;
    updateCursor();
}

void FrmChart::clearCursor() {
    cursor_.reset();
    updateCursor();
}

QString FrmChart::valueText(int input, const SeriesPoint& p) const {
    // As the main window shows the same numbers.
    std::string text;
    switch (quantity()) {
    case Quantity::Signal:
        text = FormatFixed(p.signal, "##0.000");
        break;
    case Quantity::Raw:
        text = FormatFixed(p.raw, "#######0");
        break;
    case Quantity::Value: {
        const std::string& format = header_.inputs[static_cast<std::size_t>(input)].numberFormat;
        text = FormatFixed(p.value, format.empty() ? std::string("0.000") : format);
        break;
    }
    }
    QString out = Q(TrimBlanks(text));
    const QString unit = unitOf(input);
    if (!unit.isEmpty()) out += QLatin1Char(' ') + unit;
    return out;
}

QString FrmChart::cursorText() const {
    if (!cursor_) return tr("Kurzor: klepněte do grafu");
    const std::int64_t t = *cursor_;
    QString text = tr("Kurzor %1").arg(Q(IsoLocalTime(t).substr(11)));
    for (int i = 0; i < kInputCount; ++i) {
        const SeriesRing& r = rings_[static_cast<std::size_t>(i)];
        text += QStringLiteral("   %1: ").arg(i + 1);
        if (r.empty()) {
            text += QStringLiteral("–");
            continue;
        }
        // The point nearest to the cursor.
        std::size_t k = r.lowerBound(t);
        if (k == r.size())
            k = r.size() - 1;
        else if (k > 0 && t - r.at(k - 1).t <= r.at(k).t - t)
            --k;
        text += valueText(i, r.at(k));
    }
    return text;
}

void FrmChart::updateCursor() {
    lblCursor->setText(cursorText());
    if (!cursor_) {
        cursorSeries_->clear();
        return;
    }
    const auto x = static_cast<double>(*cursor_);
    cursorSeries_->replace({QPointF(x, axisY_->min()), QPointF(x, axisY_->max())});
}

bool FrmChart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonDblClick) {
            clearCursor();
            return true;
        }
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
            auto* me = static_cast<QMouseEvent*>(event);
            if ((me->buttons() & Qt::LeftButton) != 0) {
                const QPointF inChart =
                    chart_->mapFromScene(view_->mapToScene(me->position().toPoint()));
                if (chart_->plotArea().contains(inChart)) {
                    const QPointF value = chart_->mapToValue(inChart, series_[0]);
                    setCursorTime(static_cast<std::int64_t>(std::llround(value.x())));
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshNow();
}

// ----------------------------------------------------------------- export

void FrmChart::cmdSavePng_Click() {
    if (!prompter_.showSave(pngDialog_)) return;
    const QString path = Q(pngDialog_.fileName);
    if (!view_->grab().save(path, "PNG"))
        prompter_.critical(Text(texts::watch::kImageNotSaved, pngDialog_.fileName));
}

void FrmChart::cmdSaveCsv_Click() {
    if (!prompter_.showSave(csvDialog_)) return;
    const CsvDialect dialect = DialectOfFilter(csvDialog_.filterIndex);
    const Quantity q = quantity();
    std::vector<CsvColumn> columns;
    for (int i = 0; i < kInputCount; ++i)
        columns.push_back({i, q});
    std::string text = CsvHeader(header_, columns, dialect);
    // Every answered tick puts one point into each ring, so the rings run
    // side by side; a point of another time leaves its field empty.
    const SeriesRing& first = rings_[0];
    std::vector<double> values(columns.size());
    for (std::size_t k = first.lowerBound(shownFrom_);
         k < first.size() && first.at(k).t <= shownTo_; ++k) {
        const std::int64_t t = first.at(k).t;
        for (std::size_t i = 0; i < rings_.size(); ++i) {
            const std::size_t j = rings_[i].lowerBound(t);
            values[i] = j < rings_[i].size() && rings_[i].at(j).t == t
                            ? Pick(rings_[i].at(j), q)
                            : std::numeric_limits<double>::quiet_NaN();
        }
        text += CsvRow(t, values, columns, header_, dialect);
    }
    QFile file(Q(csvDialog_.fileName));
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        prompter_.critical(Text(texts::watch::kFileNotSaved, file.errorString().toStdString()));
    }
}

} // namespace rm27
