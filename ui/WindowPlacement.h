#pragma once
// Where the dialogs appear: in the middle of the screen, as their window designs ask, not over their owner
// (where Qt would put a dialog with a parent).

class QWidget;

// Places the window in the middle of its screen (the screen of the owner window, when it has one).
void CentreOnScreen(QWidget* window);
