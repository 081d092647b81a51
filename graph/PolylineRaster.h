#pragma once
// Pixel-exact painting of the graph's figures straight into a QImage. Every figure is first turned into a
// set of row spans in which each pixel occurs once, then written in one of two modes: copy (the pixel takes
// the colour) or invert (the pixel becomes NOT(colour XOR pixel) in its red, green and blue; alpha is kept).
// Because an inverted figure touches each of its pixels exactly once, inverting it a second time restores
// the image, wherever the figures overlap each other or the grid.
//
// Coordinates are logical pixels. An image drawn for a high-density screen carries its device pixel ratio
// (QImage::devicePixelRatio) and is that many times larger; every figure is then laid out on the device
// pixels (TDeviceScale), with line widths and radii scaled to match. At ratio 1 a logical pixel is a device
// pixel and every mapping below is the identity.

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRgb>
#include <QSize>

#include <cstdint>
#include <vector>

// How the logical pixels of a picture lie on its device pixels at one device pixel ratio.
class TDeviceScale {
public:
    // A ratio that is not a positive number counts as 1.
    explicit TDeviceScale(double ratio = 1.0);
    static TDeviceScale Of(const QImage& image) { return TDeviceScale(image.devicePixelRatio()); }

    double Ratio() const { return R; }
    // The device coordinate at which logical coordinate x begins: x times the ratio, halves rounded up.
    // Logical pixel x covers the device pixels Edge(x) .. Edge(x + 1) - 1, so neighbours tile without gap.
    int64_t Edge(int64_t x) const;
    // How many device pixels a stroke `width` logical pixels wide covers: the width times the ratio,
    // rounded, at least 1. Every stroke of one width is equally wide wherever it lies.
    int StrokeWidth(int width) const;
    // The first of the `deviceWidth` device pixels of a stroke centred on logical pixel c.
    int64_t StrokeStart(int64_t c, int deviceWidth) const;
    // The centre of logical pixel c as a device coordinate.
    double Centre(int64_t c) const { return (double(c) + 0.5) * R; }
    // The device pixels of a logical rectangle, and the logical pixels a device rectangle touches.
    QRect ToDevice(const QRect& logical) const;
    QRect ToLogical(const QRect& device) const;
    // The logical size of a picture of this device size, and the device size of a logical one. Both round
    // trip exactly for ratios of 1 and more.
    QSize LogicalSize(const QSize& device) const;
    QSize DeviceSize(const QSize& logical) const;

private:
    double R = 1.0;
};

// The logical size of an image: its size divided by its device pixel ratio.
inline QSize LogicalSize(const QImage& image) {
    return TDeviceScale::Of(image).LogicalSize(image.size());
}

// The ratio a picture is drawn at for a screen of device pixel ratio `ratio`: never coarser than its logical
// pixels, so a ratio below 1, or one that is not a number, counts as 1.
double DrawingRatio(double ratio);
// An RGB32 picture of `logical` size drawn at `ratio` (as DrawingRatio gives it): TDeviceScale's device size,
// carrying the ratio; its pixels are not yet set.
QImage DeviceImage(const QSize& logical, double ratio);

// One row of pixels, columns X0..X1 inclusive.
struct TSpan {
    int Y = 0;
    int X0 = 0;
    int X1 = 0;
    bool operator==(const TSpan&) const = default;
};

enum class TPaintMode { Copy, Invert };

// Each painter below returns the logical rectangle it painted, clipped to the image (empty when nothing of
// the figure lies on it). Every painting function here takes a Format_RGB32 image (or a null one) and raises
// std::invalid_argument for any other format.

// Paints columns x0..x1 of row y (either order).
QRect PaintSpan(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode);
// Paints the rectangle of columns x0..x1 and rows y0..y1 inclusive (either order). Blocks side by side
// tile the device pixels exactly at any ratio.
QRect PaintBlock(QImage& image, int x0, int y0, int x1, int y1, QRgb colour, TPaintMode mode);
// A line one logical pixel wide: row y over columns x0..x1, or column x over rows y0..y1 (inclusive, either
// order). Across the line it is one stroke of TDeviceScale::StrokeWidth(1) device pixels, so that every line
// is equally wide at fractional ratios.
QRect PaintHorizontalLine(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode);
QRect PaintVerticalLine(QImage& image, int x, int y0, int y1, QRgb colour, TPaintMode mode);

// A circle outline around the centre of a pixel: the pixels whose centres lie at a distance d from it with
// inner < d <= outer (compared squared), both radii times the device pixel ratio. A filled disc has
// inner < 0.
class TRingShape {
public:
    TRingShape(double inner, double outer);
    // Paints the shape centred on logical pixel (cx, cy).
    QRect Paint(QImage& image, int cx, int cy, QRgb colour, TPaintMode mode) const;
    // The spans at ratio 1, relative to the centre pixel.
    const std::vector<TSpan>& Spans() const { return Offsets; }
    int Radius() const { return Reach; }

private:
    double Inner;
    double Outer;
    std::vector<TSpan> Offsets;
    int Reach = 0;
};

// A polyline drawn with a square pen: every pixel of each segment's line (the Bresenham line including both
// ends) is widened to the pen's square around it, and the union of those squares is kept as de-duplicated
// row spans clipped to the image. Building costs a few steps per pixel of the line; segments far outside the
// image are walked only over the part that can reach it.
class TThickPolyline {
public:
    // Vertices in logical pixels (fractions kept) for the given image, with a pen `penWidth` logical pixels
    // wide: the vertices are placed on the image's device pixels and the pen widened by its ratio, so that a
    // curve keeps its shape with finer steps on a high-density image. At ratio 1 a vertex is rounded to the
    // nearest pixel, halves to even.
    void Build(const QPointF* vertices, int count, int penWidth, const QImage& image);
    // Vertices in pixels of a width by height image of ratio 1, with a 3-pixel pen.
    void Build(const QPoint* vertices, int count, int width, int height);
    // Inverts (or paints) every pixel of the set once; returns the logical rectangle painted.
    QRect Paint(QImage& image, QRgb colour, TPaintMode mode) const;
    // The spans and their bounds, in device pixels.
    const std::vector<TSpan>& Spans() const { return Result; }
    QRect Bounds() const { return Box; }
    // The vertices as placed on the device pixels; the pen covers offsets PenLow()..PenHigh() around each
    // pixel of their lines, along both axes.
    const std::vector<QPoint>& DeviceVertices() const { return Device; }
    int PenLow() const { return Low; }
    int PenHigh() const { return High; }
    const TDeviceScale& Scale() const { return Scaled; }

private:
    struct Interval {
        int X0;
        int X1;
    };
    void BuildDevice(int width, int height, int devicePen);
    void Stamp(int left, int right, int y);
    void FlushRun();
    void Segment(QPoint a, QPoint b);

    TDeviceScale Scaled;
    std::vector<QPoint> Device;
    int Low = -1;
    int High = 1;
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
