// Window placement helpers shared by the program's windows and dialogs.
#pragma once

class QWidget;

namespace rm27 {

// Centre the window on the screen it is on (or the primary screen), frame
// included, with integer division as the old window code did.
void CenterForm(QWidget* window);

// Keep the window above all others (true) or put it back among normal
// windows (false). Neither moves nor resizes it.
void SetTopmost(QWidget* window, bool onTop);

} // namespace rm27
