#include "graph/PolylineRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Coordinates are kept inside this range before a line is walked, so the error terms cannot overflow.
constexpr int CoordinateLimit = 1 << 29;

int64_t Clamp64(int64_t v, int64_t lo, int64_t hi) {
    return std::min(std::max(v, lo), hi);
}

// A device coordinate from a continuous one: the nearest integer, halves to even, held inside the limits.
int DevicePixel(double v) {
    if (std::isnan(v))
        return 0;
    return int(std::clamp(std::nearbyint(v), double(-CoordinateLimit), double(CoordinateLimit)));
}

// Writes spans of device pixels straight into the 32-bit pixels of one image. Keeps the bounds of what it
// wrote.
class SpanWriter {
public:
    SpanWriter(QImage& image, QRgb colour, TPaintMode mode)
        : Scale(TDeviceScale::Of(image)), W(image.width()), H(image.height()), Mode(mode) {
        // The graph image is always created as Format_RGB32; the pixel writes below assume four bytes per
        // pixel, so any other format would be written past its rows.
        if (!image.isNull() && image.format() != QImage::Format_RGB32)
            throw std::invalid_argument("the graph is painted only on Format_RGB32 images");
        Bits = image.bits();
        Stride = image.bytesPerLine();
        // NOT(colour XOR pixel) == pixel XOR NOT colour, on the colour channels only.
        Value = mode == TPaintMode::Invert ? (~colour & 0x00FFFFFFu) : (colour | 0xFF000000u);
    }
    SpanWriter(const SpanWriter&) = delete;
    SpanWriter& operator=(const SpanWriter&) = delete;

    // Device columns x0 <= x1 of device row y; returns false when nothing of it lies inside the image.
    bool Span(int64_t y, int64_t x0, int64_t x1) {
        if (y < 0 || y >= H || x1 < 0 || x0 >= W || x0 > x1)
            return false;
        const int row = int(y);
        const int first = int(std::max<int64_t>(x0, 0));
        const int last = int(std::min<int64_t>(x1, W - 1));
        auto* line = reinterpret_cast<uint32_t*>(Bits + qsizetype(row) * Stride);
        if (Mode == TPaintMode::Invert) {
            for (int x = first; x <= last; ++x)
                line[x] ^= Value;
        } else {
            std::fill(line + first, line + last + 1, Value);
        }
        Left = std::min(Left, first);
        Right = std::max(Right, last);
        Top = std::min(Top, row);
        Bottom = std::max(Bottom, row);
        return true;
    }

    // Device rows y0..y1 of columns x0..x1.
    void Block(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
        for (int64_t y = std::max<int64_t>(y0, 0); y <= std::min<int64_t>(y1, H - 1); ++y)
            Span(y, x0, x1);
    }

    // The logical rectangle of what was written, clipped to the image.
    QRect Painted() const {
        if (Left > Right)
            return QRect();
        const QRect device(QPoint(Left, Top), QPoint(Right, Bottom));
        return Scale.ToLogical(device) & QRect(QPoint(0, 0), Scale.LogicalSize(QSize(W, H)));
    }

    const TDeviceScale& DeviceScale() const { return Scale; }
    int Width() const { return W; }
    int Height() const { return H; }

private:
    TDeviceScale Scale;
    int W;
    int H;
    TPaintMode Mode;
    uchar* Bits = nullptr;
    qsizetype Stride = 0;
    uint32_t Value = 0;
    int Left = std::numeric_limits<int>::max();
    int Right = std::numeric_limits<int>::min();
    int Top = std::numeric_limits<int>::max();
    int Bottom = std::numeric_limits<int>::min();
};

// Calls f(y, x0, x1) for each run of device pixels of a ring around the device point (cx, cy), rows and
// columns limited to the given ranges.
template <class F>
void ForEachRingSpan(double inner, double outer, double ratio, double cx, double cy, int64_t loX, int64_t hiX,
                     int64_t loY, int64_t hiY, F&& f) {
    const double out = outer * ratio;
    const double out2 = out * out;
    const double in2 = inner < 0 ? -1.0 : (inner * ratio) * (inner * ratio);
    // Positions far outside any image are left out before they reach the integer bounds below.
    if (!(std::abs(cx) < 4.0 * CoordinateLimit && std::abs(cy) < 4.0 * CoordinateLimit))
        return;
    const int64_t y0 = std::max(loY, int64_t(std::floor(cy - out)));
    const int64_t y1 = std::min(hiY, int64_t(std::ceil(cy + out)));
    const int64_t x0 = std::max(loX, int64_t(std::floor(cx - out)));
    const int64_t x1 = std::min(hiX, int64_t(std::ceil(cx + out)));
    for (int64_t y = y0; y <= y1; ++y) {
        const double dy = (double(y) + 0.5) - cy;
        if (dy * dy > out2)
            continue;
        int64_t start = 0;
        bool open = false;
        for (int64_t x = x0; x <= x1 + 1; ++x) {
            const double dx = (double(x) + 0.5) - cx;
            const double d2 = dx * dx + dy * dy;
            const bool inside = x <= x1 && d2 > in2 && d2 <= out2;
            if (inside && !open) {
                start = x;
                open = true;
            } else if (!inside && open) {
                f(y, start, x - 1);
                open = false;
            }
        }
    }
}

} // namespace

// ---- device scale --------------------------------------------------------------------------------------

TDeviceScale::TDeviceScale(double ratio) : R(ratio > 0 && std::isfinite(ratio) ? ratio : 1.0) {}

double DrawingRatio(double ratio) {
    return std::isfinite(ratio) ? std::max(1.0, ratio) : 1.0;
}

QImage DeviceImage(const QSize& logical, double ratio) {
    QImage image(TDeviceScale(ratio).DeviceSize(logical), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

int64_t TDeviceScale::Edge(int64_t x) const {
    return int64_t(std::floor(double(x) * R + 0.5));
}

int TDeviceScale::StrokeWidth(int width) const {
    return std::max(1, int(std::floor(double(width) * R + 0.5)));
}

int64_t TDeviceScale::StrokeStart(int64_t c, int deviceWidth) const {
    return int64_t(std::floor(Centre(c) - deviceWidth / 2.0 + 0.5));
}

QRect TDeviceScale::ToDevice(const QRect& logical) const {
    if (logical.isEmpty())
        return QRect();
    constexpr int64_t Limit = int64_t(1) << 30;
    auto at = [](int64_t v) { return int(Clamp64(v, -Limit, Limit)); };
    return QRect(
        QPoint(at(Edge(logical.left())), at(Edge(logical.top()))),
        QPoint(at(Edge(int64_t(logical.right()) + 1) - 1), at(Edge(int64_t(logical.bottom()) + 1) - 1)));
}

QRect TDeviceScale::ToLogical(const QRect& device) const {
    if (device.isEmpty())
        return QRect();
    // Rounded outwards: a device pixel on the border of two logical ones counts for both.
    auto low = [this](int v) { return int(std::floor(double(v) / R)); };
    auto high = [this](int v) { return int(std::ceil((double(v) + 1.0) / R)) - 1; };
    return QRect(QPoint(low(device.left()), low(device.top())),
                 QPoint(high(device.right()), high(device.bottom())));
}

QSize TDeviceScale::LogicalSize(const QSize& device) const {
    return QSize(int(std::llround(device.width() / R)), int(std::llround(device.height() / R)));
}

QSize TDeviceScale::DeviceSize(const QSize& logical) const {
    return QSize(int(Edge(logical.width())), int(Edge(logical.height())));
}

// ---- painting ------------------------------------------------------------------------------------------

QRect PaintSpan(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode) {
    return PaintBlock(image, x0, y, x1, y, colour, mode);
}

QRect PaintBlock(QImage& image, int x0, int y0, int x1, int y1, QRgb colour, TPaintMode mode) {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    SpanWriter writer(image, colour, mode);
    const TDeviceScale& s = writer.DeviceScale();
    writer.Block(s.Edge(x0), s.Edge(y0), s.Edge(int64_t(x1) + 1) - 1, s.Edge(int64_t(y1) + 1) - 1);
    return writer.Painted();
}

QRect PaintHorizontalLine(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode) {
    if (x0 > x1)
        std::swap(x0, x1);
    SpanWriter writer(image, colour, mode);
    const TDeviceScale& s = writer.DeviceScale();
    const int width = s.StrokeWidth(1);
    const int64_t top = s.StrokeStart(y, width);
    writer.Block(s.Edge(x0), top, s.Edge(int64_t(x1) + 1) - 1, top + width - 1);
    return writer.Painted();
}

QRect PaintVerticalLine(QImage& image, int x, int y0, int y1, QRgb colour, TPaintMode mode) {
    if (y0 > y1)
        std::swap(y0, y1);
    SpanWriter writer(image, colour, mode);
    const TDeviceScale& s = writer.DeviceScale();
    const int width = s.StrokeWidth(1);
    const int64_t left = s.StrokeStart(x, width);
    writer.Block(left, s.Edge(y0), left + width - 1, s.Edge(int64_t(y1) + 1) - 1);
    return writer.Painted();
}

TRingShape::TRingShape(double inner, double outer) : Inner(inner), Outer(outer) {
    Reach = int(std::floor(outer));
    // The ratio-1 shape around pixel 0: its centre is the device point (0.5, 0.5).
    ForEachRingSpan(inner, outer, 1.0, 0.5, 0.5, -Reach - 1, Reach + 1, -Reach - 1, Reach + 1,
                    [this](int64_t y, int64_t x0, int64_t x1) {
                        Offsets.push_back({int(y), int(x0), int(x1)});
                    });
}

QRect TRingShape::Paint(QImage& image, int cx, int cy, QRgb colour, TPaintMode mode) const {
    SpanWriter writer(image, colour, mode);
    const TDeviceScale& s = writer.DeviceScale();
    ForEachRingSpan(Inner, Outer, s.Ratio(), s.Centre(cx), s.Centre(cy), 0, writer.Width() - 1, 0,
                    writer.Height() - 1,
                    [&writer](int64_t y, int64_t x0, int64_t x1) { writer.Span(y, x0, x1); });
    return writer.Painted();
}

// ---- thick polyline ------------------------------------------------------------------------------------

void TThickPolyline::Build(const QPointF* vertices, int count, int penWidth, const QImage& image) {
    Scaled = TDeviceScale::Of(image);
    const int pen = Scaled.StrokeWidth(penWidth);
    // The pen's square covers offsets Low..High around a line pixel; a vertex goes where that square is
    // centred on the vertex's device position. At ratio 1 the shift is 0 and the vertex is only rounded.
    const int low = -((pen - 1) / 2);
    const double shift = 0.5 * Scaled.Ratio() - low - pen / 2.0;
    Device.resize(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        Device[size_t(i)] = QPoint(DevicePixel(vertices[i].x() * Scaled.Ratio() + shift),
                                   DevicePixel(vertices[i].y() * Scaled.Ratio() + shift));
    BuildDevice(image.width(), image.height(), pen);
}

void TThickPolyline::Build(const QPoint* vertices, int count, int width, int height) {
    Scaled = TDeviceScale(1.0);
    Device.resize(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        Device[size_t(i)] = QPoint(std::clamp(vertices[i].x(), -CoordinateLimit, CoordinateLimit),
                                   std::clamp(vertices[i].y(), -CoordinateLimit, CoordinateLimit));
    BuildDevice(width, height, 3);
}

void TThickPolyline::BuildDevice(int width, int height, int devicePen) {
    Low = -((devicePen - 1) / 2);
    High = Low + devicePen - 1;
    for (int r = RowMin; r <= RowMax && r < int(Rows.size()); ++r)
        Rows[r].clear();
    W = std::max(width, 0);
    H = std::max(height, 0);
    if (int(Rows.size()) < H)
        Rows.resize(H);
    RowMin = H;
    RowMax = -1;

    const int count = int(Device.size());
    for (int i = 0; i + 1 < count; ++i)
        Segment(Device[size_t(i)], Device[size_t(i) + 1]);
    if (count == 1)
        Segment(Device[0], Device[0]);
    FlushRun();

    Result.clear();
    Box = QRect();
    for (int r = RowMin; r <= RowMax; ++r) {
        auto& row = Rows[r];
        if (row.empty())
            continue;
        if (row.size() > 1)
            std::sort(row.begin(), row.end(),
                      [](const Interval& a, const Interval& b) { return a.X0 < b.X0; });
        Interval cur = row.front();
        for (size_t i = 1; i < row.size(); ++i) {
            if (row[i].X0 <= cur.X1 + 1) {
                cur.X1 = std::max(cur.X1, row[i].X1);
            } else {
                Result.push_back({r, cur.X0, cur.X1});
                cur = row[i];
            }
        }
        Result.push_back({r, cur.X0, cur.X1});
    }
    if (!Result.empty()) {
        int left = Result.front().X0, right = Result.front().X1;
        for (const TSpan& s : Result) {
            left = std::min(left, s.X0);
            right = std::max(right, s.X1);
        }
        Box = QRect(QPoint(left, Result.front().Y), QPoint(right, Result.back().Y));
    }
}

void TThickPolyline::Segment(QPoint a, QPoint b) {
    // The pen reaches beyond the line, so line pixels just outside the image still count.
    ForEachLinePixel(a, b, -High, W - 1 - Low, -High, H - 1 - Low, [this](int x, int y) {
        // Consecutive line pixels of one row form a run; the squares around a run make one rectangle.
        if (RunOpen && y == RunY && x >= RunX0 - 1 && x <= RunX1 + 1) {
            RunX0 = std::min(RunX0, x);
            RunX1 = std::max(RunX1, x);
            return;
        }
        FlushRun();
        RunOpen = true;
        RunY = y;
        RunX0 = RunX1 = x;
    });
}

void TThickPolyline::FlushRun() {
    if (RunOpen)
        Stamp(RunX0, RunX1, RunY);
    RunOpen = false;
}

void TThickPolyline::Stamp(int left, int right, int y) {
    if (right + High < 0 || left + Low >= W || y + High < 0 || y + Low >= H)
        return;
    const int x0 = std::max(left + Low, 0);
    const int x1 = std::min(right + High, W - 1);
    const int r1 = std::min(y + High, H - 1);
    for (int r = std::max(y + Low, 0); r <= r1; ++r) {
        auto& row = Rows[r];
        if (!row.empty()) {
            Interval& last = row.back();
            if (x0 <= last.X1 + 1 && x1 >= last.X0 - 1) {
                last.X0 = std::min(last.X0, x0);
                last.X1 = std::max(last.X1, x1);
                continue;
            }
        }
        row.push_back({x0, x1});
        RowMin = std::min(RowMin, r);
        RowMax = std::max(RowMax, r);
    }
}

QRect TThickPolyline::Paint(QImage& image, QRgb colour, TPaintMode mode) const {
    SpanWriter writer(image, colour, mode);
    for (const TSpan& s : Result)
        writer.Span(s.Y, s.X0, s.X1);
    // The spans were clipped to the size they were built for; an image of another size clips again.
    return writer.Painted();
}
