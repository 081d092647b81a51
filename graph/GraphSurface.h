#pragma once
// What the graph draws on: an image it paints into, a cursor it sets, and a note of which rectangles of the
// image changed so that the owner repaints only those. The main window's graph widget implements it; the
// tests use an in-memory one.

#include <QImage>
#include <QRect>
#include <Qt>

class IGraphSurface {
public:
    virtual ~IGraphSurface() = default;
    // The image to paint on, of Format_RGB32; its current width and height are read at every operation.
    // An image for a high-density screen carries its device pixel ratio: its size divided by the ratio is
    // the graph's size in logical pixels, and the graph draws on every device pixel.
    virtual QImage& Image() = 0;
    // Qt::CrossCursor, Qt::SplitVCursor or Qt::PointingHandCursor. Called on every hover move, so an
    // implementation may skip setting a shape that is already shown.
    virtual void SetCursor(Qt::CursorShape shape) = 0;
    // A rectangle of the image in logical pixels (already clipped to it) whose pixels were painted. One
    // operation may report several rectangles; the owner repaints their union, e.g. with one
    // QWidget::update(rect) per call.
    virtual void Changed(const QRect& rect) = 0;
};
