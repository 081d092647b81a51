#include "graph/PolylineRaster.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Coordinates are kept inside this range before a line is walked, so the error terms cannot overflow.
constexpr int CoordinateLimit = 1 << 29;

bool DirectFormat(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

// Writes spans into one image: straight into the pixels for 32-bit RGB, through QPainter otherwise.
class SpanWriter {
public:
    SpanWriter(QImage& image, QRgb colour, TPaintMode mode)
        : W(image.width()), H(image.height()), Mode(mode) {
        Direct = DirectFormat(image);
        if (Direct) {
            Bits = image.bits();
            Stride = image.bytesPerLine();
            // NOT(colour XOR pixel) == pixel XOR NOT colour, on the colour channels only.
            Value = mode == TPaintMode::Invert ? (~colour & 0x00FFFFFFu) : (colour | 0xFF000000u);
        } else {
            Painter.emplace(&image);
            Painter->setCompositionMode(mode == TPaintMode::Invert
                                            ? QPainter::RasterOp_NotSourceXorDestination
                                            : QPainter::CompositionMode_Source);
            Brush = QColor::fromRgb(colour);
        }
    }

    // Columns x0 <= x1 of row y; returns false when nothing of it lies inside the image.
    bool Span(int y, int x0, int x1) {
        if (y < 0 || y >= H || x1 < 0 || x0 >= W || x0 > x1)
            return false;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, W - 1);
        if (Direct) {
            auto* line = reinterpret_cast<uint32_t*>(Bits + qsizetype(y) * Stride);
            if (Mode == TPaintMode::Invert) {
                for (int x = x0; x <= x1; ++x)
                    line[x] ^= Value;
            } else {
                std::fill(line + x0, line + x1 + 1, Value);
            }
        } else {
            Painter->fillRect(QRect(x0, y, x1 - x0 + 1, 1), Brush);
        }
        return true;
    }

    int Width() const { return W; }
    int Height() const { return H; }

private:
    int W;
    int H;
    TPaintMode Mode;
    bool Direct = false;
    uchar* Bits = nullptr;
    qsizetype Stride = 0;
    uint32_t Value = 0;
    std::optional<QPainter> Painter; // only for formats not written directly
    QColor Brush;
};

} // namespace

void PaintSpan(QImage& image, int y, int x0, int x1, QRgb colour, TPaintMode mode) {
    SpanWriter writer(image, colour, mode);
    writer.Span(y, std::min(x0, x1), std::max(x0, x1));
}

void PaintBlock(QImage& image, int x0, int y0, int x1, int y1, QRgb colour, TPaintMode mode) {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    SpanWriter writer(image, colour, mode);
    for (int y = std::max(y0, 0); y <= std::min(y1, writer.Height() - 1); ++y)
        writer.Span(y, x0, x1);
}

TRingShape::TRingShape(double inner, double outer) {
    Reach = int(std::floor(outer));
    const double in2 = inner < 0 ? -1.0 : inner * inner;
    const double out2 = outer * outer;
    for (int dy = -Reach; dy <= Reach; ++dy) {
        int start = 0;
        bool open = false;
        for (int dx = -Reach; dx <= Reach + 1; ++dx) {
            const double d2 = double(dx) * dx + double(dy) * dy;
            const bool inside = dx <= Reach && d2 > in2 && d2 <= out2;
            if (inside && !open) {
                start = dx;
                open = true;
            } else if (!inside && open) {
                Offsets.push_back({dy, start, dx - 1});
                open = false;
            }
        }
    }
}

QRect TRingShape::Paint(QImage& image, int cx, int cy, QRgb colour, TPaintMode mode) const {
    SpanWriter writer(image, colour, mode);
    QRect box;
    for (const TSpan& s : Offsets) {
        const int64_t y = int64_t(cy) + s.Y;
        const int64_t x0 = int64_t(cx) + s.X0;
        const int64_t x1 = int64_t(cx) + s.X1;
        if (y < 0 || y >= writer.Height() || x1 < 0 || x0 >= writer.Width())
            continue;
        writer.Span(int(y), int(x0), int(x1));
        box |= QRect(QPoint(int(std::max<int64_t>(x0, 0)), int(y)),
                     QPoint(int(std::min<int64_t>(x1, writer.Width() - 1)), int(y)));
    }
    return box;
}

void TThickPolyline::Build(const QPoint* vertices, int count, int width, int height) {
    for (int r = RowMin; r <= RowMax && r < int(Rows.size()); ++r)
        Rows[r].clear();
    W = std::max(width, 0);
    H = std::max(height, 0);
    if (int(Rows.size()) < H)
        Rows.resize(H);
    RowMin = H;
    RowMax = -1;

    auto clampPoint = [](QPoint p) {
        return QPoint(std::clamp(p.x(), -CoordinateLimit, CoordinateLimit),
                      std::clamp(p.y(), -CoordinateLimit, CoordinateLimit));
    };
    for (int i = 0; i + 1 < count; ++i)
        Segment(clampPoint(vertices[i]), clampPoint(vertices[i + 1]));
    if (count == 1)
        Segment(clampPoint(vertices[0]), clampPoint(vertices[0]));
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
    // The stamp reaches one pixel beyond the line, so line pixels just outside the image still count.
    ForEachLinePixel(a, b, -1, W, -1, H, [this](int x, int y) {
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
    if (right + 1 < 0 || left - 1 >= W || y + 1 < 0 || y - 1 >= H)
        return;
    const int x0 = std::max(left - 1, 0);
    const int x1 = std::min(right + 1, W - 1);
    const int r1 = std::min(y + 1, H - 1);
    for (int r = std::max(y - 1, 0); r <= r1; ++r) {
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
    return Box & image.rect();
}
