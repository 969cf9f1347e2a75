// Window placement helpers shared by the program's windows and dialogs.
#pragma once

#include <QSize>

class QWidget;

namespace rm27 {

// What the window manager's frame adds around the window: known once the
// window has been shown, estimated from the style's title bar before.
QSize FrameExtra(const QWidget* window);

// The largest client size that, frame included, fits the part of the
// window's screen the task bars leave.
QSize RoomFor(const QWidget* window);

// Centre the window, frame included, in the part of its screen (or the
// primary screen) the task bars leave, with integer division as the old
// window code did. A window larger than that room is first made as small as
// the room, and never starts above or left of it, so that its title bar
// and its bottom rows can always be reached.
void CenterForm(QWidget* window);

// Moves the window, frame included, back inside the room its screen's task
// bars leave, where it fits; a window that does not fit keeps its top left.
void KeepOnScreen(QWidget* window);

// Sizes the window to `wanted` (within the room) and centres it.
void FitToScreen(QWidget* window, QSize wanted);

// A small dialog at least as wide as its title needs, the window manager's
// buttons beside it included, so that the title is not cut
// ("RM-27/R… Manager"). Works for dialogs whose layout fixes their size and
// for message boxes, whose own layout decides their width.
void KeepTitleWhole(QWidget* dialog);

// Keep the window above all others (true) or put it back among normal
// windows (false). Neither moves nor resizes it.
void SetTopmost(QWidget* window, bool onTop);

} // namespace rm27
