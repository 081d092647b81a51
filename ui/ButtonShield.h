#pragma once
// The elevation shield on a button: the style's shield icon, set or cleared.

class QAbstractButton;

void SetButtonShield(QAbstractButton* button, bool on);
