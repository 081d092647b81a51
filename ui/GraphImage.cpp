#include "ui/GraphImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TGraphImage::TGraphImage(QWidget* parent) : QWidget(parent) {
    // The picture covers the whole widget, so Qt need not clear the background before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // hover moves update the point captions
    setCursor(Shape);
    SetImageSize(500, 500);
}

void TGraphImage::SetImageSize(int width, int height) {
    if (Picture.width() != width || Picture.height() != height)
        Picture = QImage(width, height, QImage::Format_RGB32);
    Picture.fill(Qt::white);
    setFixedSize(width, height);
    update();
}

void TGraphImage::SetCursor(Qt::CursorShape shape) {
    if (shape == Shape)
        return;
    Shape = shape;
    setCursor(shape);
}

void TGraphImage::Changed(const QRect& rect) {
    update(rect.intersected(Picture.rect()));
}

void TGraphImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), Picture, r);
}

void TGraphImage::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TGraphImage::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void TGraphImage::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseUp(event->button(), event->modifiers(), p.x(), p.y());
}
