#pragma once
// An in-memory graph surface and the fixtures shared by the graph tests.

#include "graph/DrawClass.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

inline void PrintTo(const TCaptions& c, std::ostream* os) {
    *os << "{\"" << c.Output << "\", \"" << c.Input << "\", \"" << c.PointX << "\", \"" << c.PointY
        << "\", \"" << c.PointName << "\"}";
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "(" << p.x() << ", " << p.y() << ")";
}

// Records the cursor shapes set and the rectangles reported as changed.
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

// Text rendering needs a GUI application; one lives for the whole test program (GraphFixture.cpp).
void EnsureGuiApp();

inline QRgb Rgb(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

// A pen of resolution R with the given curve and thresholds.
inline Pen MakePen(int R, int p1x, int p1y, int p2x, int p2y, int p3x, int p3y, int upper, int lower) {
    Pen p;
    p.ButtonName = "Tip";
    p.PressureResolution = R;
    p.P1X = p1x;
    p.P1Y = p1y;
    p.P2X = p2x;
    p.P2Y = p2y;
    p.P3X = p3x;
    p.P3Y = p3y;
    p.UpperThreshold = upper;
    p.LowerThreshold = lower;
    return p;
}

// The straight default curve of a 1023 pen with thresholds near the bottom.
inline Pen LinearPen(int R = 1023) {
    return MakePen(R, 0, 0, R / 2, R / 2, R, R, R / 50, R / 100);
}

// A graph on its own surface with one pen shown.
struct Shown {
    explicit Shown(const Pen& pen, int size = 500) : Surface(size, size), Graph(Surface, 0xFFFFFFFF) {
        EnsureGuiApp();
        Graph.SetPens({pen});
        Graph.ShowPen(0);
    }
    void Down(int x, int y) { Graph.MouseDown(Qt::LeftButton, {}, x, y); }
    void Move(int x, int y) { Graph.MouseMove(Qt::LeftButton, {}, x, y); }
    void Up() { Graph.MouseUp(Qt::LeftButton, {}, 0, 0); }
    void Drag(QPoint from, QPoint to) {
        Down(from.x(), from.y());
        Move(to.x(), to.y());
        Up();
    }
    Pen P() const { return Graph.GetPens()[0]; }
    QPoint Point(int i) const { return Graph.GetPoints()[size_t(i)]; }

    MemorySurface Surface;
    TDrawClass Graph;
};
