#pragma once
// Keeps menu entries enabled exactly when a control is: each change of the control's enabled state is
// passed on to the entries.

#include <QList>

class QAction;
class QWidget;

void FollowEnabled(QWidget* control, const QList<QAction*>& actions);
