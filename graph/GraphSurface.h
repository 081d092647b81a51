#pragma once
// What the graph draws on: an image it paints into, a cursor it sets, and a note of which rectangle of the
// image changed so that the owner repaints only that. The main window's graph widget implements it; the
// tests use an in-memory one.

#include <QImage>
#include <QRect>
#include <Qt>

class IGraphSurface {
public:
    virtual ~IGraphSurface() = default;
    // The image to paint on; its current width and height are read at every operation.
    virtual QImage& Image() = 0;
    // Qt::CrossCursor, Qt::SplitVCursor or Qt::PointingHandCursor.
    virtual void SetCursor(Qt::CursorShape shape) = 0;
    // The rectangle of the image that was painted since the last call.
    virtual void Changed(const QRect& rect) = 0;
};
