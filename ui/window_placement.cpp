#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace rm27 {

void CenterForm(QWidget* window) {
    if (window == nullptr) return;
    QScreen* screen = window->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
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
