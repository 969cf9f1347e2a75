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
#include <QPainter>
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
#include "ui/mnemonics.h"

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

// "2026-12-04 10:15:02 – 10:16:02": the date once when both ends share it.
QString SpanText(std::int64_t from, std::int64_t to) {
    const std::string a = IsoLocalTime(from);
    const std::string b = IsoLocalTime(to);
    const std::string left = a.substr(0, 10) + ' ' + a.substr(11, 8);
    const std::string right =
        a.compare(0, 10, b, 0, 10) == 0 ? b.substr(11, 8) : b.substr(0, 10) + ' ' + b.substr(11, 8);
    return QStringLiteral("%1 – %2").arg(Q(left), Q(right));
}

// The chart's picture under a white band that holds `title`.
QImage WithTitleBand(const QImage& chart, const QString& title, const QFont& font) {
    const qreal dpr = chart.devicePixelRatio();
    const QFontMetrics fm(font);
    const int pad = fm.averageCharWidth();
    const int width = qRound(chart.width() / dpr);
    const QRect text = fm.boundingRect(QRect(pad, pad, width - 2 * pad, 1 << 20),
                                       Qt::AlignLeft | Qt::TextWordWrap, title);
    const int band = text.height() + 2 * pad;
    QImage out(chart.width(), chart.height() + qRound(band * dpr), QImage::Format_RGB32);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(text, Qt::AlignLeft | Qt::TextWordWrap, title);
    painter.drawImage(QPointF(0, band), chart);
    return out;
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
    AddMnemonics(this);

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
    lblScaleError = new QLabel(tr("Hodnota „od“ musí být menší než „do“."), this);
    lblScaleError->setObjectName(QStringLiteral("lblScaleError"));
    lblScaleError->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblScaleError->setVisible(false);
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
    chart_->addAxis(axisX_, Qt::AlignBottom);
    for (int i = 0; i < kInputCount; ++i) {
        auto* s = new QLineSeries;
        s->setObjectName(QStringLiteral("serInput_%1").arg(i));
        QPen pen(kSeriesColors[i]);
        pen.setWidthF(2.0);
        s->setPen(pen);
        chart_->addSeries(s);
        s->attachAxis(axisX_);
        series_[static_cast<std::size_t>(i)] = s;
        for (QLegendMarker* m : chart_->legend()->markers(s))
            connect(m, &QLegendMarker::clicked, this, [this, i] { toggleLine(i); });
    }
    cursorSeries_ = new QLineSeries;
    cursorSeries_->setObjectName(QStringLiteral("serCursor"));
    QPen cursorPen(Qt::darkGray);
    cursorPen.setStyle(Qt::DashLine);
    cursorSeries_->setPen(cursorPen);
    chart_->addSeries(cursorSeries_);
    cursorSeries_->attachAxis(axisX_);
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
    top->addWidget(lblScaleError);
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
    tmrRefresh->setObjectName(QStringLiteral("tmrRefresh"));
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
    for (QDoubleSpinBox* s : {spnMin, spnMax}) {
        connect(s, &QDoubleSpinBox::valueChanged, this, [this] {
            applyScaleControls();
            refreshNow();
        });
    }
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
    return {axesY_.front()->min(), axesY_.front()->max()};
}

QValueAxis* FrmChart::yAxis(int input) const {
    return axesY_[static_cast<std::size_t>(axisOf_[static_cast<std::size_t>(input)])];
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
    updateTitle();
}

void FrmChart::updateTitle() {
    QStringList parts;
    if (paused_) parts << tr("Pozastaveno");
    if (stale_) parts << Shown(Text(texts::watch::kChartStale));
    chart_->setTitle(parts.join(QStringLiteral(" – ")));
}

bool FrmChart::findShownRange() {
    bool any = false;
    std::int64_t latest = std::numeric_limits<std::int64_t>::min();
    std::int64_t oldest = std::numeric_limits<std::int64_t>::max();
    for (const SeriesRing& r : rings_) {
        if (r.empty()) continue;
        any = true;
        latest = std::max(latest, r.back().t);
        oldest = std::min(oldest, r.at(0).t);
    }
    if (!any) return false;
    shownTo_ = paused_ ? pausedAt_ : latest;
    // Until the measurement has run for the whole span, its start is the
    // chart's left edge: the first seconds fill the width, not a sliver.
    shownFrom_ = std::max(shownTo_ - spanMs(), std::min(oldest, shownTo_ - kShortestSpanMs));
    return true;
}

void FrmChart::refreshNow() {
    tmrRefresh->stop();
    sinceRefresh_.restart();
    if (!findShownRange()) {
        for (QLineSeries* s : series_)
            s->clear();
        updateCursor();
        return;
    }
    // A lowest and a highest point per two pixels: one point per pixel,
    // as much as a line can show.
    const int buckets = std::max(50, static_cast<int>(chart_->plotArea().width()) / 2);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::pair<double, double>> extents(axesY_.size(), {inf, -inf});
    std::vector<std::pair<std::int64_t, double>> points;
    for (std::size_t i = 0; i < rings_.size(); ++i) {
        DecimateMinMax(rings_[i], quantity(), shownFrom_, shownTo_, buckets, points);
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        // A hidden line does not stretch its axis.
        auto& [lo, hi] = extents[static_cast<std::size_t>(axisOf_[i])];
        for (const auto& [t, v] : points) {
            list.append(QPointF(static_cast<double>(t), v));
            if (hidden_[i]) continue;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        series_[i]->replace(list);
    }
    axisX_->setRange(QDateTime::fromMSecsSinceEpoch(shownFrom_),
                     QDateTime::fromMSecsSinceEpoch(shownTo_));
    scaleAxes(extents);
    updateCursor();
}

void FrmChart::scaleAxes(const std::vector<std::pair<double, double>>& extents) {
    const bool fixed = !chkAutoScale->isChecked();
    for (std::size_t k = 0; k < axesY_.size(); ++k) {
        QValueAxis* axis = axesY_[k];
        if (fixed && k == 0) {
            // A refused scale leaves the axis where it stood.
            if (!scaleRefused()) axis->setRange(spnMin->value(), spnMax->value());
            continue;
        }
        const auto [lo, hi] = extents[k];
        if (!std::isfinite(lo)) continue;
        const double pad = hi > lo ? (hi - lo) * 0.05 : (lo != 0.0 ? std::fabs(lo) * 0.01 : 1.0);
        axis->setRange(lo - pad, hi + pad);
        axis->applyNiceNumbers();
    }
}

void FrmChart::applyScaleControls() {
    spnMin->setEnabled(!chkAutoScale->isChecked());
    spnMax->setEnabled(!chkAutoScale->isChecked());
    lblScaleError->setVisible(scaleRefused());
}

bool FrmChart::scaleRefused() const {
    return !chkAutoScale->isChecked() && !(spnMin->value() < spnMax->value());
}

void FrmChart::arrangeAxes() {
    // Inputs of one unit share an axis, in the order of their first input.
    QStringList units;
    std::array<int, kInputCount> axisOf{};
    for (int i = 0; i < kInputCount; ++i) {
        const QString unit = unitOf(i);
        qsizetype k = units.indexOf(unit);
        if (k < 0) {
            units.append(unit);
            k = units.size() - 1;
        }
        axisOf[static_cast<std::size_t>(i)] = static_cast<int>(k);
    }
    if (units != axisUnits_ || axisOf != axisOf_ || axesY_.empty()) {
        for (QValueAxis* axis : axesY_) {
            for (QAbstractSeries* s : chart_->series())
                if (s->attachedAxes().contains(axis)) s->detachAxis(axis);
            chart_->removeAxis(axis);
            delete axis;
        }
        axesY_.clear();
        for (qsizetype k = 0; k < units.size(); ++k) {
            auto* axis = new QValueAxis;
            chart_->addAxis(axis, k % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
            axesY_.push_back(axis);
        }
        axisUnits_ = units;
        axisOf_ = axisOf;
        for (std::size_t i = 0; i < series_.size(); ++i)
            series_[i]->attachAxis(axesY_[static_cast<std::size_t>(axisOf_[i])]);
        cursorSeries_->attachAxis(axesY_.front());
    }
    for (std::size_t k = 0; k < axesY_.size(); ++k) {
        const QString& unit = axisUnits_[static_cast<qsizetype>(k)];
        axesY_[k]->setTitleText(unit.isEmpty() ? cmbQuantity->currentText() : unit);
    }
}

void FrmChart::toggleLine(int input) {
    hidden_[static_cast<std::size_t>(input)] = !hidden_[static_cast<std::size_t>(input)];
    applyLineVisibility(input);
    refreshNow();
}

void FrmChart::applyLineVisibility(int input) {
    const bool hidden = hidden_[static_cast<std::size_t>(input)];
    QLineSeries* s = series_[static_cast<std::size_t>(input)];
    s->setVisible(!hidden);
    const qreal alpha = hidden ? 0.3 : 1.0;
    for (QLegendMarker* m : chart_->legend()->markers(s)) {
        // The entry stays, dimmed, so that the line can be brought back.
        m->setVisible(true);
        QColor colour = kSeriesColors[input];
        colour.setAlphaF(static_cast<float>(alpha));
        m->setBrush(colour);
        m->setPen(QPen(colour));
        QColor label = chart_->legend()->labelColor();
        label.setAlphaF(static_cast<float>(alpha));
        m->setLabelBrush(label);
    }
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
    arrangeAxes();
    for (int i = 0; i < kInputCount; ++i)
        applyLineVisibility(i);
}

void FrmChart::cmdPause_Click() {
    paused_ = !paused_;
    cmdPause->setText(KeepMnemonic(cmdPause->text(), paused_ ? tr("Pokračovat") : tr("Pozastavit")));
    if (paused_) {
        // Hold the picture as it is on the screen.
        if (shownTo_ == 0 && !rings_[0].empty()) shownTo_ = rings_[0].back().t;
        pausedAt_ = shownTo_;
        tmrRefresh->stop();
    } else {
        refreshNow();
    }
    updateTitle();
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
    const QValueAxis* axis = axesY_.front();
    cursorSeries_->replace({QPointF(x, axis->min()), QPointF(x, axis->max())});
}

bool FrmChart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport()) {
        const QEvent::Type type = event->type();
        const bool pressOrDrag = type == QEvent::MouseButtonPress || type == QEvent::MouseMove;
        if (type == QEvent::MouseButtonDblClick || pressOrDrag) {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPointF inChart =
                chart_->mapFromScene(view_->mapToScene(me->position().toPoint()));
            // Outside the plot (the legend's entries) the chart has the click.
            const bool inPlot = chart_->plotArea().contains(inChart);
            if (type == QEvent::MouseButtonDblClick && inPlot) {
                clearCursor();
                return true;
            }
            if (pressOrDrag && inPlot && (me->buttons() & Qt::LeftButton) != 0) {
                const QPointF value = chart_->mapToValue(inChart, series_[0]);
                setCursorTime(static_cast<std::int64_t>(std::llround(value.x())));
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
    const QImage image = WithTitleBand(view_->grab().toImage(), exportTitle(), font());
    if (!image.save(path, "PNG"))
        prompter_.critical(Text(texts::watch::kImageNotSaved, pngDialog_.fileName));
}

QString FrmChart::exportTitle() const {
    const std::string id = TrimBlanks(header_.deviceId);
    QStringList shown;
    for (int i = 0; i < kInputCount; ++i)
        if (!hidden_[static_cast<std::size_t>(i)])
            shown << series_[static_cast<std::size_t>(i)]->name();
    QStringList lines;
    lines << tr("Převodník %1, adresa %2")
                 .arg(id.empty() ? QStringLiteral("–") : Q(id))
                 .arg(header_.address);
    lines << tr("Vstupy: %1").arg(shown.join(QStringLiteral("; ")));
    lines << tr("Úsek: %1").arg(SpanText(shownFrom_, shownTo_));
    if (cursor_) lines << cursorText();
    return lines.join(QLatin1Char('\n'));
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
