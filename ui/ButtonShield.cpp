#include "ui/ButtonShield.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace {

// Styles off Windows have no shield picture; this one stands in for it so that the button still shows that
// its command starts an elevated program. It is drawn at 16 pixels and at the larger sizes a high-density
// screen asks for, so that the icon picks a sharp picture at every ratio.
QPixmap DrawnShield(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    QPainterPath outline;
    outline.moveTo(8, 1);
    outline.lineTo(14, 3);
    outline.cubicTo(14, 10, 11, 13, 8, 15);
    outline.cubicTo(5, 13, 2, 10, 2, 3);
    outline.closeSubpath();
    painter.setClipPath(outline);
    painter.fillRect(0, 0, 8, 8, QColor(0x1f, 0x5f, 0xc8));
    painter.fillRect(8, 8, 8, 8, QColor(0x1f, 0x5f, 0xc8));
    painter.fillRect(8, 0, 8, 8, QColor(0xf4, 0xc4, 0x20));
    painter.fillRect(0, 8, 8, 8, QColor(0xf4, 0xc4, 0x20));
    painter.setClipping(false);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.drawPath(outline);
    return pixmap;
}

QIcon DrawnShield() {
    QIcon icon;
    for (int size : {16, 20, 24, 28, 32})
        icon.addPixmap(DrawnShield(size));
    return icon;
}

} // namespace

void SetButtonShield(QAbstractButton* button, bool on) {
    if (button == nullptr)
        return;
    if (!on) {
        button->setIcon(QIcon());
        return;
    }
    QIcon shield = button->style()->standardIcon(QStyle::SP_VistaShield, nullptr, button);
    if (shield.isNull())
        shield = DrawnShield();
    button->setIcon(shield);
}
