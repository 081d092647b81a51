#pragma once
// Pixel-exact painting of the graph's figures straight into a QImage. Every figure is first turned into a
// set of row spans in which each pixel occurs once, then written in one of two modes: copy (the pixel takes
// the colour) or invert (the pixel becomes NOT(colour XOR pixel) in its red, green and blue; alpha is kept).
// Because an inverted figure touches each of its pixels exactly once, inverting it a second time restores
// the image, wherever the figures overlap each other or the grid.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <vector>

// One row of pixels, columns X0..X1 inclusive.
struct TSpan {
    int Y = 0;
    int X0 = 0;
    int X1 = 0;
    bool operator==(const TSpan&) const = default;
};

enum class TPaintMode { Copy, Invert };

// Paints columns x0..x1 of row y (either order), clipped to the image. 32-bit RGB formats are written
// directly, any other format through QPainter with the same result.
void PaintSpan(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode);
// Paints the rectangle of columns x0..x1 and rows y0..y1 inclusive (either order), clipped.
void PaintBlock(QImage& image, int x0, int y0, int x1, int y1, QRgb colour, TPaintMode mode);

// A circle outline as spans relative to its centre pixel: the pixels whose distance from the centre d
// satisfies inner < d <= outer (compared squared). A filled disc has inner < 0.
class TRingShape {
public:
    TRingShape(double inner, double outer);
    // Paints the shape centred on (cx, cy); returns the painted rectangle, clipped to the image.
    QRect Paint(QImage& image, int cx, int cy, QRgb colour, TPaintMode mode) const;
    const std::vector<TSpan>& Spans() const { return Offsets; }
    int Radius() const { return Reach; }

private:
    std::vector<TSpan> Offsets;
    int Reach = 0;
};

// The polyline drawn with a 3-pixel pen: every pixel of each segment's line (the Bresenham line including
// both ends) is widened to the 3 by 3 square around it, and the union of those squares is kept as
// de-duplicated row spans clipped to the image. Building costs a few steps per pixel of the line; segments
// far outside the image are walked only over the part that can reach it.
class TThickPolyline {
public:
    void Build(const QPoint* vertices, int count, int width, int height);
    // Inverts (or paints) every pixel of the set once; returns their bounding rectangle (empty when none).
    QRect Paint(QImage& image, QRgb colour, TPaintMode mode) const;
    const std::vector<TSpan>& Spans() const { return Result; }
    QRect Bounds() const { return Box; }

private:
    struct Interval {
        int X0;
        int X1;
    };
    void Stamp(int left, int right, int y);
    void FlushRun();
    void Segment(QPoint a, QPoint b);

    int W = 0;
    int H = 0;
    std::vector<std::vector<Interval>> Rows; // per image row, the intervals collected so far
    int RowMin = 0;                          // touched rows RowMin..RowMax
    int RowMax = -1;
    std::vector<TSpan> Result;
    QRect Box;
    bool RunOpen = false; // the run of line pixels on one row not yet stamped
    int RunY = 0;
    int RunX0 = 0;
    int RunX1 = 0;
};

// Calls f(x, y) for every pixel of the line from a to b, both ends included: one pixel per step along the
// longer axis, the other coordinate rounded to the nearest pixel with halves away from a. Only steps whose
// major coordinate lies in lo..hi are visited (the caller's clip range for that axis).
// Coordinates must lie within +-2^29 so that the error terms fit in 64 bits.
template <class F> void ForEachLinePixel(QPoint a, QPoint b, int loX, int hiX, int loY, int hiY, F&& f) {
    const int64_t dx = int64_t(b.x()) - a.x();
    const int64_t dy = int64_t(b.y()) - a.y();
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t n = xMajor ? adx : ady;
    if (n == 0) {
        f(a.x(), a.y());
        return;
    }
    const int64_t minorLength = xMajor ? ady : adx;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t major0 = xMajor ? a.x() : a.y();
    const int64_t minor0 = xMajor ? a.y() : a.x();
    const int64_t lo = xMajor ? loX : loY;
    const int64_t hi = xMajor ? hiX : hiY;
    // Steps k = 0..n put the major coordinate at major0 + majorStep * k; keep those inside lo..hi.
    int64_t k0 = majorStep > 0 ? lo - major0 : major0 - hi;
    int64_t k1 = majorStep > 0 ? hi - major0 : major0 - lo;
    if (k0 < 0)
        k0 = 0;
    if (k1 > n)
        k1 = n;
    if (k0 > k1)
        return;
    // The minor offset at step k is floor((2 k minorLength + n) / 2n): k * minorLength / n rounded, halves
    // away from a. It is carried as quotient and remainder from step k0 on.
    const int64_t twoN = 2 * n;
    const int64_t grow = 2 * minorLength;
    const int64_t start = 2 * k0 * minorLength + n;
    int64_t q = start / twoN;
    int64_t r = start % twoN;
    for (int64_t k = k0; k <= k1; ++k) {
        const int major = int(major0 + majorStep * k);
        const int minor = int(minor0 + minorStep * q);
        if (xMajor)
            f(major, minor);
        else
            f(minor, major);
        r += grow;
        if (r >= twoN) {
            r -= twoN;
            ++q;
        }
    }
}
