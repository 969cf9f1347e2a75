#include "ui/window_placement.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QSpacerItem>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace rm27 {

namespace {

QScreen* ScreenOf(const QWidget* window) {
    QScreen* screen = window->screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

} // namespace

QSize FrameExtra(const QWidget* window) {
    if (window->isVisible()) {
        const QSize known = window->frameGeometry().size() - window->size();
        if (!known.isEmpty()) return known;
    }
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    // Window managers draw title bars a little taller than Qt's own
    // metric: the text's line plus some room around it.
    const int title = std::max(style->pixelMetric(QStyle::PM_TitleBarHeight),
                               window->fontMetrics().height() + 12);
    return {2 * border, title + 2 * border};
}

QSize RoomFor(const QWidget* window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) return {};
    return screen->availableGeometry().size() - FrameExtra(window);
}

void CenterForm(QWidget* window) {
    if (window == nullptr) return;
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize room = RoomFor(window);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
    const QSize outer = window->size() + FrameExtra(window);
    window->move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                 area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

void KeepOnScreen(QWidget* window) {
    const QScreen* screen = window != nullptr ? ScreenOf(window) : nullptr;
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize outer = window->size() + FrameExtra(window);
    const QPoint at = window->isVisible() ? window->frameGeometry().topLeft() : window->pos();
    const int x = std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != at) window->move(x, y);
}

void FitToScreen(QWidget* window, QSize wanted) {
    if (window == nullptr) return;
    window->resize(wanted.boundedTo(RoomFor(window)).expandedTo(window->minimumSize()));
    CenterForm(window);
}

void KeepTitleWhole(QWidget* dialog) {
    if (dialog == nullptr) return;
    QFont title = dialog->font();
    title.setBold(true);
    // The title bar's own buttons and icon, about five text lines square.
    const int width = QFontMetrics(title).horizontalAdvance(dialog->windowTitle()) +
                      5 * dialog->fontMetrics().height();
    if (dialog->layout() == nullptr) {
        dialog->setMinimumWidth(std::max(dialog->minimumWidth(), width));
        return;
    }
    if (dialog->layout()->property("rm27TitleRoom").toInt() >= width) return;
    dialog->layout()->setProperty("rm27TitleRoom", width);
    auto* room = new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
        grid->addItem(room, grid->rowCount(), 0, 1, grid->columnCount());
    else if (auto* box = qobject_cast<QBoxLayout*>(dialog->layout()))
        box->addItem(room);
    else
        delete room;
}

void SetTopmost(QWidget* window, bool onTop) {
    if (window == nullptr) return;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    // Changing a window flag re-creates the native window, which hides it
    // and may let the window manager place it anew: put it back as it was.
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window->setGeometry(geometry);
    if (wasVisible) window->show();
}

} // namespace rm27
