#pragma once
// An in-memory graph surface that records the cursor shapes set and the rectangles reported as changed.

#include "graph/GraphSurface.h"
#include "graph/PolylineRaster.h"

#include <vector>

class MemorySurface : public IGraphSurface {
public:
    explicit MemorySurface(int w = 500, int h = 500) : Img(w, h, QImage::Format_RGB32) {
        Img.fill(Qt::magenta);
    }
    // A surface of this logical size drawn at a device pixel ratio, as for a high-density screen.
    static MemorySurface AtRatio(int w, int h, double ratio) {
        MemorySurface s(0, 0);
        s.Img = DeviceImage(QSize(w, h), ratio);
        s.Img.fill(Qt::magenta);
        return s;
    }

    QImage& Image() override { return Img; }
    void SetCursor(Qt::CursorShape shape) override { Cursors.push_back(shape); }
    void Changed(const QRect& rect) override { Rects.push_back(rect); }

    Qt::CursorShape Cursor() const { return Cursors.empty() ? Qt::BlankCursor : Cursors.back(); }
    QRect ChangedUnion() const {
        QRect u;
        for (const QRect& r : Rects)
            u |= r;
        return u;
    }

    QImage Img;
    std::vector<Qt::CursorShape> Cursors;
    std::vector<QRect> Rects;
};
