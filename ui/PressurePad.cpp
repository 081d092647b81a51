#include "ui/PressurePad.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTabletEvent>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

bool Finite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// How far a point lies from the rectangle's centre, along the farther axis.
double Reach(QPointF p, const QRectF& box) {
    return std::max(std::abs(p.x() - box.center().x()), std::abs(p.y() - box.center().y()));
}

// The part of the segment from a to b inside the rectangle (Liang-Barsky), or nothing when it misses it. The
// segment is followed from its end nearer the rectangle, so that a point far outside (a stroke that left the
// area) costs no precision where the segment crosses the area.
std::optional<std::pair<QPointF, QPointF>> ClipSegment(QPointF a, QPointF b, const QRectF& box) {
    const bool reversed = Reach(b, box) < Reach(a, box);
    if (reversed)
        std::swap(a, b);
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    QPointF first(a.x() + t0 * dx, a.y() + t0 * dy), last(a.x() + t1 * dx, a.y() + t1 * dy);
    if (reversed)
        std::swap(first, last);
    return std::make_pair(first, last);
}

bool IsTabletDevice(const QPointingDevice* device) {
    if (!device)
        return false;
    switch (device->type()) {
    case QInputDevice::DeviceType::Stylus:
    case QInputDevice::DeviceType::Airbrush:
    case QInputDevice::DeviceType::Puck:
        return true;
    default:
        return false;
    }
}

} // namespace

TPressurePad::TPressurePad(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TabletTracking, false); // a hovering pen draws nothing, so its moves need not come
    setMinimumSize(400, 300);
    setCursor(Qt::CrossCursor);
    GrowCanvas();
}

void TPressurePad::SetFeel(std::function<double(double)> feel) {
    Feel = std::move(feel);
}

void TPressurePad::Clear() {
    Canvas.fill(Qt::white);
    update();
}

void TPressurePad::EndStroke() {
    const bool pen = Stroke == Source::Pen;
    Stroke = Source::None;
    Device = nullptr;
    HasLast = false;
    if (pen)
        emit PenLifted();
}

bool TPressurePad::IsStrokeDevice(const QTabletEvent* event) const {
    const QPointingDevice* device = event->pointingDevice();
    return device && device == Device && int(event->pointerType()) == Pointer &&
           device->uniqueId().numericId() == PointerId;
}

void TPressurePad::tabletEvent(QTabletEvent* event) {
    event->accept();
    if (!event->pointingDevice())
        return; // a stroke is known by its device
    switch (event->type()) {
    case QEvent::TabletPress:
        if (Stroke == Source::Pen && !IsStrokeDevice(event))
            return; // a second pointer while the first draws
        // The pen takes over from the mouse; a press of the stroke's own pen means its lift was lost.
        EndStroke();
        Stroke = Source::Pen;
        Device = event->pointingDevice();
        Pointer = int(event->pointerType());
        PointerId = Device->uniqueId().numericId();
        break;
    case QEvent::TabletMove:
        if (Stroke != Source::Pen || !IsStrokeDevice(event))
            return;
        break;
    case QEvent::TabletRelease:
        if (Stroke == Source::Pen && IsStrokeDevice(event))
            EndStroke();
        return;
    default:
        return;
    }
    const QPointF at = event->position();
    const double pressure = event->pressure();
    if (!Finite(at))
        return;
    if (std::isnan(pressure)) {
        // Nothing to draw with; the stroke goes on from here.
        Last = at;
        HasLast = true;
        return;
    }
    const double clamped = std::clamp(pressure, 0.0, 1.0);
    double drawn = clamped;
    if (Feel) {
        const double felt = Feel(clamped);
        if (!std::isnan(felt))
            drawn = std::clamp(felt, 0.0, 1.0);
    }
    DrawTo(at, drawn);
    emit PenPressure(clamped);
}

void TPressurePad::mousePressEvent(QMouseEvent* event) {
    event->accept();
    // A mouse event made from a tablet's pointer is the pen's own stroke, drawn by its tablet events.
    if (Stroke != Source::None || event->button() != Qt::LeftButton ||
        IsTabletDevice(event->pointingDevice()))
        return;
    if (!Finite(event->position()))
        return;
    Stroke = Source::Mouse;
    DrawTo(event->position(), MousePressure);
    emit MouseDrawing();
}

void TPressurePad::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (Stroke != Source::Mouse || IsTabletDevice(event->pointingDevice()) || !Finite(event->position()))
        return;
    DrawTo(event->position(), MousePressure);
}

void TPressurePad::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (Stroke == Source::Mouse && event->button() == Qt::LeftButton)
        EndStroke();
}

void TPressurePad::changeEvent(QEvent* event) {
    // A window that loses the focus may never see the lift of a stroke in progress.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        EndStroke();
    QWidget::changeEvent(event);
}

void TPressurePad::DrawTo(QPointF at, double pressure) {
    const double width = ThinnestWidth + (ThickestWidth - ThinnestWidth) * pressure;
    const int grey = int(std::lround(FaintestGrey * (1.0 - pressure)));
    const QPointF from = HasLast ? Last : at;
    Last = at;
    HasLast = true;

    const double reach = width / 2 + 1;
    const QRectF area = QRectF(rect()).adjusted(-reach, -reach, reach, reach);
    const auto part = ClipSegment(from, at, area);
    if (!part)
        return;
    QPainter painter(&Canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(grey, grey, grey), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (part->first == part->second)
        painter.drawPoint(part->first);
    else
        painter.drawLine(part->first, part->second);
    painter.end();
    const QRectF touched =
        QRectF(part->first, part->second).normalized().adjusted(-reach, -reach, reach, reach);
    update(touched.toAlignedRect() & rect());
}

void TPressurePad::GrowCanvas() {
    const qreal ratio = devicePixelRatioF();
    const QSize need = (QSizeF(size()) * ratio).toSize().expandedTo(Canvas.size());
    if (need == Canvas.size() && Canvas.devicePixelRatio() == ratio)
        return;
    // The strokes drawn so far stay where they are; new room is white.
    QImage grown(need, QImage::Format_RGB32);
    grown.setDevicePixelRatio(ratio);
    grown.fill(Qt::white);
    if (!Canvas.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(QPointF(0, 0), Canvas);
    }
    Canvas = std::move(grown);
}

void TPressurePad::resizeEvent(QResizeEvent* event) {
    GrowCanvas();
    QWidget::resizeEvent(event);
}

void TPressurePad::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPointF(0, 0), Canvas);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
