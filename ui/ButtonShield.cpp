#include "ui/ButtonShield.h"

#include <QAbstractButton>
#include <QIcon>
#include <QStyle>

void SetButtonShield(QAbstractButton* button, bool on) {
    if (button == nullptr)
        return;
    button->setIcon(on ? button->style()->standardIcon(QStyle::SP_VistaShield, nullptr, button) : QIcon());
}
