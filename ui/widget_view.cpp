#include "ui/widget_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVariant>

#include "l10n/localizer.h"
#include "session/controls.h"
#include "ui/mnemonics.h"

namespace rm27 {

void SetBackground(QWidget* w, std::uint32_t rgb) {
    const QColor color(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                       static_cast<int>(rgb & 0xFF));
    QPalette p = w->palette();
    p.setColor(qobject_cast<QPushButton*>(w) != nullptr ? QPalette::Button : QPalette::Window,
               color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void WidgetView::registerControls(QObject* root, QTimer* timer) {
    for (QObject* o : root->findChildren<QObject*>()) {
        if (!o->objectName().isEmpty()) controls_.insert(o->objectName(), o);
    }
    timer_ = timer;
}

void WidgetView::guardControl(QObject* control, bool needsLine) {
    guarded_.insert(control);
    if (needsLine) needLine_.insert(control);
    enabled_.insert(control, true);
    applyEnabled(control);
}

void WidgetView::setBusy(bool busy) {
    busy_ = busy;
    for (QObject* o : std::as_const(guarded_))
        applyEnabled(o);
}

void WidgetView::setLineOpen(bool open) {
    if (open == lineOpen_) return;
    lineOpen_ = open;
    for (QObject* o : std::as_const(needLine_))
        applyEnabled(o);
}

namespace {

const char* const kOwnTip = "rm27OwnToolTip";
const char* const kDoubtTip = "rm27DoubtTip";

// The fields a measurement answer refreshes.
bool IsLiveField(const QString& name) {
    for (const ctl::Array& a : {ctl::lblR27Val, ctl::lblR27mVV, ctl::lblHodnota}) {
        if (name.startsWith(QString::fromLatin1(a.base) + QLatin1Char('_'))) return true;
    }
    return false;
}

} // namespace

void SetDimmed(QWidget* w, bool dimmed) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, dimmed ? QColor(0x80, 0x80, 0x80)
                                            : QApplication::palette(w).color(QPalette::WindowText));
    w->setPalette(p);
}

void WidgetView::setLiveStale(const Text& why) {
    // Said again at every tick: only a change repaints the fields.
    if (why.czech() == staleWhy_.czech()) return;
    staleWhy_ = why;
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        auto* w = qobject_cast<QWidget*>(it.value());
        if (w == nullptr || !IsLiveField(it.key())) continue;
        SetDimmed(w, !why.empty());
        composeTip(w);
    }
}

void WidgetView::composeTip(QWidget* w) {
    // The control's own tip, kept from the first time anything was added.
    QVariant own = w->property(kOwnTip);
    if (!own.isValid()) {
        own = w->toolTip();
        w->setProperty(kOwnTip, own);
    }
    QStringList parts;
    for (const QString& part : {own.toString(), w->property(kDoubtTip).toString(),
                                IsLiveField(w->objectName()) ? Shown(staleWhy_) : QString()}) {
        if (!part.isEmpty()) parts << part;
    }
    const QString tip = parts.join(QStringLiteral("\n\n"));
    // Every tick says it again; only a change is worth an event.
    if (w->toolTip() != tip) w->setToolTip(tip);
}

QObject* WidgetView::control(const std::string& name) const {
    return control(QString::fromStdString(ctl::Checked(name)));
}

void WidgetView::setEnabledOf(QObject* control, bool enabled) {
    if (control == nullptr) return;
    enabled_.insert(control, enabled);
    applyEnabled(control);
}

void WidgetView::applyEnabled(QObject* control) {
    const bool on = enabled_.value(control, true) && !(busy_ && guarded_.contains(control)) &&
                    (lineOpen_ || !needLine_.contains(control));
    if (auto* menu = qobject_cast<QMenu*>(control))
        menu->menuAction()->setEnabled(on);
    else if (auto* w = qobject_cast<QWidget*>(control))
        w->setEnabled(on);
    else if (auto* a = qobject_cast<QAction*>(control))
        a->setEnabled(on);
}

void WidgetView::clearInputRows() {
    for (int i = 0; i < kInputCount; ++i) {
        for (const ctl::Array& a : {ctl::lblR27ID, ctl::lblR27Val, ctl::lblR27Popis,
                                    ctl::lblR27Unit, ctl::lblR27Slide, ctl::lblR27mVV}) {
            if (auto* l = qobject_cast<QLabel*>(control(a(i)))) l->clear();
        }
    }
}

void WidgetView::setStatus(const Text& text) {
    status_ = text;
    if (auto* l = qobject_cast<QLabel*>(control(ctl::lblStatus))) {
        l->setText(Shown(text));
        l->repaint();
    }
}

void WidgetView::setCaption(const std::string& name, const Text& text) {
    QObject* o = control(name);
    // A display field shows values (an identifier, a reading); everything
    // else a caption is the program's own text.
    const QString t =
        Shown(text, o != nullptr && o->property(kValueField).toBool() ? TextKind::Value
                                                                      : TextKind::Program);
    if (auto* l = qobject_cast<QLabel*>(o)) {
        l->setText(t);
        l->repaint();
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->setText(KeepMnemonic(b->text(), t));
        b->repaint();
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        g->setTitle(t);
    } else if (auto* m = qobject_cast<QMenu*>(o)) {
        m->setTitle(KeepMnemonic(m->title(), t));
    } else if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(KeepMnemonic(a->text(), t));
    }
}

void WidgetView::setControlEnabled(const std::string& name, bool enabled) {
    setEnabledOf(control(name), enabled);
}

void WidgetView::setControlVisible(const std::string& name, bool visible) {
    QObject* o = control(name);
    if (auto* m = qobject_cast<QMenu*>(o))
        m->menuAction()->setVisible(visible);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setVisible(visible);
    else if (auto* a = qobject_cast<QAction*>(o))
        a->setVisible(visible);
}

void WidgetView::setInputRowColor(int row, std::uint32_t rgb) {
    if (row < 0 || row >= kInputCount) return;
    for (const ctl::Array& a : {ctl::lblHodnota, ctl::lblR27ID, ctl::lblR27mVV, ctl::lblR27Popis,
                                ctl::lblR27Slide, ctl::lblR27Unit, ctl::lblR27Val}) {
        if (auto* w = qobject_cast<QWidget*>(control(a(row)))) SetBackground(w, rgb);
    }
}

void WidgetView::setControlColor(const std::string& name, std::uint32_t rgb) {
    if (auto* w = qobject_cast<QWidget*>(control(name))) {
        SetBackground(w, rgb);
        w->repaint();
    }
}

void WidgetView::setDoubt(const std::string& name, const Text& why) {
    auto* w = qobject_cast<QWidget*>(control(name));
    if (w == nullptr) return;
    w->setProperty(kDoubtTip, why.empty() ? QString() : Shown(why));
    composeTip(w);
}

void WidgetView::setComboRows(const std::string& name, const std::vector<std::string>& rows,
                              int selected) {
    auto* combo = qobject_cast<QComboBox*>(control(name));
    if (combo == nullptr) return;
    combo->clear();
    for (const std::string& row : rows)
        combo->addItem(Shown(row, TextKind::Value));
    combo->setCurrentIndex(selected >= 0 && selected < combo->count() ? selected : -1);
}

void WidgetView::clearList(const std::string& name) {
    if (auto* list = qobject_cast<QListWidget*>(control(name))) list->clear();
}

void WidgetView::addListItem(const std::string& name, const Text& text) {
    if (auto* list = qobject_cast<QListWidget*>(control(name))) {
        list->addItem(Shown(text, TextKind::Value));
        list->repaint();
    }
}

void WidgetView::setMeasurementTimer(bool enabled) {
    if (timer_ == nullptr) return;
    if (enabled)
        timer_->start();
    else
        timer_->stop();
}

bool WidgetView::measurementTimerEnabled() const {
    return timer_ != nullptr && timer_->isActive();
}

} // namespace rm27
