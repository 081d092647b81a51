#pragma once
// The fixtures shared by the graph tests: a graph on its own in-memory surface (tests/support).

#include "graph/DrawClass.h"
#include "support/MemorySurface.h"
#include "support/Pens.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const TCaptions& c, std::ostream* os) {
    *os << "{\"" << c.Output << "\", \"" << c.Input << "\", \"" << c.PointX << "\", \"" << c.PointY
        << "\", \"" << c.PointName << "\"}";
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "(" << p.x() << ", " << p.y() << ")";
}

// Text rendering needs a GUI application; one lives for the whole test program (GraphFixture.cpp).
void EnsureGuiApp();

inline QRgb Rgb(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

// The straight default curve of a 1023 pen with thresholds near the bottom.
inline Pen LinearPen(int R = 1023) {
    return MakePen(R, 0, 0, R / 2, R / 2, R, R, R / 50, R / 100);
}

// A graph on its own surface with one pen shown; the surface may be drawn at a device pixel ratio.
struct Shown {
    explicit Shown(const Pen& pen, int size = 500, double ratio = 1.0)
        : Surface(MemorySurface::AtRatio(size, size, ratio)), Graph(Surface, 0xFFFFFFFF) {
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
