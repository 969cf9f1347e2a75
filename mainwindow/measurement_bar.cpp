#include "mainwindow/measurement_bar.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "l10n/localizer.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace ts = texts::session;

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

MeasurementBar::MeasurementBar(QMainWindow& window, QAction& start, Hooks hooks)
    : QObject(&window), start_(start), hooks_(std::move(hooks)) {
    label_ = NamedLabel("lblMereni", &window);
    written_ = NamedLabel("lblZapsano", &window);
    button_ = new QPushButton(&window);
    button_->setObjectName(QStringLiteral("cmdMereni"));
    button_->hide();
    connect(button_, &QPushButton::clicked, this, &MeasurementBar::offerClicked);

    stale_ = new QTimer(this);
    stale_->setObjectName(QStringLiteral("tmrStale"));
    stale_->setSingleShot(true);
    // Just past the limit, so that the look finds the value over it.
    stale_->setInterval(static_cast<int>(kStaleAfterMs) + 1);
    connect(stale_, &QTimer::timeout, this, &MeasurementBar::staleTimeout);

    // Permanent: the measurement's state is always there to be read.
    QStatusBar* bar = window.statusBar();
    bar->addPermanentWidget(written_);
    bar->addPermanentWidget(label_);
    bar->addPermanentWidget(button_);
    bar->show();
}

void MeasurementBar::refresh() {
    const MeasurementFacts facts = hooks_.facts();
    const MeasurementIndicator m = DescribeMeasurement(facts);
    const QString text = Shown(m.text);
    if (label_->text() != text) label_->setText(text);

    offer_ = m.offer;
    hooks_.offerStart(offer_ == MeasurementOffer::Start);
    if (offer_ == MeasurementOffer::None) {
        button_->hide();
    } else {
        const QString caption = Shown(
            Text(offer_ == MeasurementOffer::Start ? ts::kStartMeasurement : ts::kCancelCommand));
        if (button_->text() != caption) button_->setText(caption);
        button_->show();
    }

    // Nothing read, nothing shown that could pass for live.
    const bool fresh = !facts.converterRead || hooks_.fresh();
    Text why;
    if (!fresh) {
        why = facts.lastAnswer.empty() ? Text(ts::kStaleNever)
                                       : Text(ts::kStaleSince, facts.lastAnswer);
    }
    hooks_.showStale(why);
}

void MeasurementBar::answered() {
    stale_->start();
    refresh();
}

void MeasurementBar::confirm(const Text& text) {
    written_->setText(Shown(text));
}

void MeasurementBar::offerClicked() {
    if (offer_ == MeasurementOffer::Start)
        start_.trigger();
    else if (offer_ == MeasurementOffer::Cancel && hooks_.cancel)
        hooks_.cancel();
    refresh();
}

} // namespace rm27
