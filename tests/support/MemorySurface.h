#pragma once
// An in-memory graph surface that records the cursor shapes set and the rectangles reported as changed.

#include "graph/GraphSurface.h"

#include <vector>

class MemorySurface : public IGraphSurface {
public:
    explicit MemorySurface(int w = 500, int h = 500, QImage::Format format = QImage::Format_RGB32)
        : Img(w, h, format) {
        Img.fill(Qt::magenta);
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
