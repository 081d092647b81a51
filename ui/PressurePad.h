#pragma once
// The drawing area of the Pressure Test window. A stroke of the tablet's pen is drawn with a width and a
// darkness that follow the pressure received; the mouse draws at a fixed middle pressure. Strokes are painted
// into an image of the area's size, so that a stroke costs the same however long the user draws, and only
// the part a segment touched is repainted.
//
// A pen stroke may be drawn with a pressure other than the one received (the Pressure Test draws with what
// an edited curve would give); the pressure received is what the pad signals.
//
// A pen stroke belongs to the pointer that pressed: events of another pointer (a second pen, the eraser, the
// mouse) are ignored until it lifts. Every tablet event is accepted, so that Qt makes no mouse event of it
// that would draw the stroke a second time.

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>

class QPointingDevice;
class QTabletEvent;

class TPressurePad : public QWidget {
    Q_OBJECT
public:
    // The pressure at which the mouse draws.
    static constexpr double MousePressure = 0.5;
    // A stroke's width in pixels at pressure 0 and at pressure 1, and its grey at pressure 0 (it is black at
    // pressure 1); between them both follow the pressure linearly.
    static constexpr double ThinnestWidth = 1.0;
    static constexpr double ThickestWidth = 16.0;
    static constexpr int FaintestGrey = 230;

    explicit TPressurePad(QWidget* parent = nullptr);

    // What a pen stroke is drawn with: the pressure received (clamped to 0..1) goes through `feel`, whose
    // answer is clamped to 0..1 again (one that is not a number draws as the pressure received). Without
    // one, or given an empty one, strokes follow the pressure received. The mouse is not affected.
    void SetFeel(std::function<double(double)> feel);

    // Clears the strokes (a stroke in progress goes on from its next point).
    void Clear();
    // Ends a stroke in progress as a lift would; a pen stroke's end is signalled.
    void EndStroke();
    bool InPenStroke() const { return Stroke == Source::Pen; }
    // The strokes drawn so far, at the area's size (in device pixels).
    const QImage& Strokes() const { return Canvas; }

    QSize sizeHint() const override { return QSize(480, 340); }
    QSize minimumSizeHint() const override { return QSize(400, 300); }

signals:
    // A point of a pen stroke, with the pressure received clamped to 0..1 (a point whose pressure is not a
    // number draws nothing and is not signalled).
    void PenPressure(double pressure);
    // The pen stroke ended: the pen lifted, or the stroke was ended otherwise.
    void PenLifted();
    // The mouse drew.
    void MouseDrawing();

protected:
    void tabletEvent(QTabletEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Source { None, Pen, Mouse };
    bool IsStrokeDevice(const QTabletEvent* event) const;
    // Draws from the last point to `at` (a dot for a stroke's first point) at the pressure, clipped to the
    // area.
    void DrawTo(QPointF at, double pressure);
    void GrowCanvas();

    std::function<double(double)> Feel;
    QImage Canvas;
    Source Stroke = Source::None;
    const QPointingDevice* Device = nullptr; // the pen stroke's device and pointer
    int Pointer = 0;
    qint64 PointerId = -1;
    QPointF Last;
    bool HasLast = false;
};
