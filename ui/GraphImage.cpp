#include "ui/GraphImage.h"

#include "graph/PolylineRaster.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

// The logical pixel under the pointer. On a high-density screen the position has fractions; the pixel is
// the one that holds it (at ratio 1 the position is whole and is the pixel).
QPoint PixelAt(const QMouseEvent* event) {
    const QPointF p = event->position();
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

} // namespace

TGraphImage::TGraphImage(QWidget* parent) : QWidget(parent), Ratio(DrawingRatio(devicePixelRatioF())) {
    // The picture covers the whole widget, so Qt need not clear the background before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // hover moves update the point captions
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Shape);
    SetImageSize(500, 500);
}

void TGraphImage::SetImageSize(int width, int height) {
    Logical = QSize(width, height);
    if (Picture.size() != TDeviceScale(Ratio).DeviceSize(Logical) || Picture.devicePixelRatio() != Ratio)
        Picture = DeviceImage(Logical, Ratio);
    Picture.fill(Qt::white);
    setFixedSize(width, height);
    update();
}

void TGraphImage::SetDeviceRatio(double ratio) {
    ratio = DrawingRatio(ratio);
    if (ratio == Ratio)
        return;
    Ratio = ratio;
    SetImageSize(Logical.width(), Logical.height());
    emit RatioChanged();
}

void TGraphImage::FollowScreen() {
    SetDeviceRatio(devicePixelRatioF());
}

namespace {

bool IsTab(const QKeyEvent* key) {
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}
bool Forward(const QKeyEvent* key) {
    return key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
}

} // namespace

bool TGraphImage::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Tab and Shift+Tab would move the focus on before keyPressEvent sees them; here they step the
        // handles first, and move the focus on only past the last or the first.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsTab(key) && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            bool handled = false;
            emit NextHandle(Forward(key), handled);
            if (handled)
                return true;
        }
        break;
    }
    case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
        FollowScreen();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TGraphImage::showEvent(QShowEvent* event) {
    // The window may open on another screen than the one the widget was made for.
    FollowScreen();
    QWidget::showEvent(event);
}

void TGraphImage::SetCursor(Qt::CursorShape shape) {
    if (shape == Shape)
        return;
    Shape = shape;
    setCursor(shape);
}

void TGraphImage::Changed(const QRect& rect) {
    // At a fractional ratio a logical pixel's edge can fall inside a device pixel, which the repaint of the
    // logical rectangle might leave out: take one pixel more on each side.
    const bool fractional = Ratio != std::floor(Ratio);
    update((fractional ? rect.adjusted(-1, -1, 1, 1) : rect).intersected(QRect(QPoint(0, 0), Logical)));
}

void TGraphImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const TDeviceScale scale(Ratio);
    for (const QRect& r : event->region()) {
        // The picture's device pixels under the logical rectangle, drawn onto exactly those of the screen.
        const QRect source = scale.ToDevice(r).intersected(Picture.rect());
        const QRectF target(QPointF(source.topLeft()) / Ratio, QSizeF(source.size()) / Ratio);
        painter.drawImage(target, Picture, source);
    }
}

void TGraphImage::mousePressEvent(QMouseEvent* event) {
    const QPoint p = PixelAt(event);
    emit MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TGraphImage::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = PixelAt(event);
    emit MouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void TGraphImage::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = PixelAt(event);
    emit MouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void TGraphImage::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        emit MoveHandle(-step, 0);
        return;
    case Qt::Key_Right:
        emit MoveHandle(step, 0);
        return;
    case Qt::Key_Up:
        emit MoveHandle(0, -step);
        return;
    case Qt::Key_Down:
        emit MoveHandle(0, step);
        return;
    case Qt::Key_Escape: {
        bool handled = false;
        emit LeaveHandle(handled);
        if (handled)
            return;
        break;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (event->modifiers() & Qt::ControlModifier) {
            focusNextPrevChild(Forward(event));
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

// The widget draws no focus frame of its own (the graph marks the handle), so the base class's repaint of
// the whole widget on a focus change is left out.
void TGraphImage::focusInEvent(QFocusEvent* event) {
    emit FocusEntered(event->reason());
}

void TGraphImage::focusOutEvent(QFocusEvent* event) {
    emit FocusLeft(event->reason());
}
