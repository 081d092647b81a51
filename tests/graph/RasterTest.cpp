// The span rasteriser behind the inverting figures: line pixels, the de-duplicated 3-pixel polyline,
// clipping, and the two ways of writing pixels.

#include "GraphFixture.h"
#include "graph/PolylineRaster.h"

#include <QPainter>

#include <chrono>
#include <cmath>
#include <random>
#include <set>

namespace {

std::vector<QPoint> LinePixels(QPoint a, QPoint b, int lo = -(1 << 29), int hi = 1 << 29) {
    std::vector<QPoint> out;
    ForEachLinePixel(a, b, lo, hi, lo, hi, [&](int x, int y) { out.emplace_back(x, y); });
    return out;
}

// The set of pixels the spans cover; fails the test when a pixel is covered twice.
std::set<std::pair<int, int>> Covered(const std::vector<TSpan>& spans) {
    std::set<std::pair<int, int>> out;
    for (const TSpan& s : spans) {
        EXPECT_LE(s.X0, s.X1);
        for (int x = s.X0; x <= s.X1; ++x)
            EXPECT_TRUE(out.insert({x, s.Y}).second) << "pixel " << x << "," << s.Y << " twice";
    }
    return out;
}

// The plain rendering of the 3-pixel polyline: a 3x3 square at every pixel of every segment, kept in a set.
std::set<std::pair<int, int>> Reference(const std::vector<QPoint>& v, int w, int h) {
    std::set<std::pair<int, int>> out;
    for (size_t i = 0; i + 1 < v.size(); ++i)
        for (const QPoint& p : LinePixels(v[i], v[i + 1]))
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (p.x() + dx >= 0 && p.x() + dx < w && p.y() + dy >= 0 && p.y() + dy < h)
                        out.insert({p.x() + dx, p.y() + dy});
    return out;
}

std::vector<QPoint> RandomPolyline(std::mt19937& rng, int count, int lo, int hi, int maxStep) {
    std::uniform_int_distribution<int> start(lo, hi), step(-maxStep, maxStep);
    std::vector<QPoint> v{QPoint(start(rng), start(rng))};
    while (int(v.size()) < count)
        v.push_back(v.back() + QPoint(step(rng), step(rng)));
    return v;
}

} // namespace

TEST(LinePixels, RunFromEndToEndOnePixelPerStepWithinHalfAPixel) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> c(-40, 40);
    for (int n = 0; n < 2000; ++n) {
        const QPoint a(c(rng), c(rng)), b(c(rng), c(rng));
        const auto px = LinePixels(a, b);
        ASSERT_FALSE(px.empty());
        EXPECT_EQ(px.front(), a);
        EXPECT_EQ(px.back(), b);
        const int dx = b.x() - a.x(), dy = b.y() - a.y();
        EXPECT_EQ(int(px.size()), std::max(std::abs(dx), std::abs(dy)) + 1);
        for (size_t i = 1; i < px.size(); ++i) {
            EXPECT_LE(std::abs(px[i].x() - px[i - 1].x()), 1);
            EXPECT_LE(std::abs(px[i].y() - px[i - 1].y()), 1);
        }
        for (const QPoint& p : px) {
            // Distance along the minor axis from the ideal line.
            if (std::abs(dx) >= std::abs(dy) && dx != 0) {
                EXPECT_LE(std::abs(p.y() - (a.y() + double(p.x() - a.x()) * dy / dx)), 0.5);
            } else if (dy != 0) {
                EXPECT_LE(std::abs(p.x() - (a.x() + double(p.y() - a.y()) * dx / dy)), 0.5);
            }
        }
    }
}

TEST(LinePixels, ClippedWalkIsTheMatchingPartOfTheFullWalk) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> c(-300, 300);
    for (int n = 0; n < 500; ++n) {
        const QPoint a(c(rng), c(rng)), b(c(rng), c(rng));
        const bool xMajor = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y());
        std::vector<QPoint> expected;
        for (const QPoint& p : LinePixels(a, b)) {
            const int major = xMajor ? p.x() : p.y();
            if (major >= -20 && major <= 50)
                expected.push_back(p);
        }
        std::vector<QPoint> clipped;
        ForEachLinePixel(a, b, -20, 50, -20, 50, [&](int x, int y) { clipped.emplace_back(x, y); });
        EXPECT_EQ(clipped, expected);
    }
}

TEST(ThickPolyline, CoversEachPixelOfThePlainRenderingExactlyOnce) {
    std::mt19937 rng(3);
    TThickPolyline raster; // reused on purpose: leftovers of an earlier build must not leak into the next
    for (int n = 0; n < 300; ++n) {
        const int w = 40 + n % 50, h = 30 + n % 37;
        // Short steps wander back over rows already drawn; long ones leave and re-enter the image.
        const auto v = RandomPolyline(rng, 2 + n % 60, -10, 90, n % 3 == 0 ? 60 : 4);
        raster.Build(v.data(), int(v.size()), w, h);
        EXPECT_EQ(Covered(raster.Spans()), Reference(v, w, h)) << "case " << n;
    }
}

TEST(ThickPolyline, TheGraphCurveMatchesThePlainRendering) {
    const std::array<std::array<QPoint, 3>, 4> cases{{
        {QPoint(12, 488), QPoint(250, 250), QPoint(488, 12)},
        {QPoint(12, 488), QPoint(488, 488), QPoint(488, 12)},
        {QPoint(12, 12), QPoint(488, 250), QPoint(12, 488)}, // turns back: two spans on many rows
        {QPoint(100, 100), QPoint(100, 100), QPoint(100, 100)},
    }};
    TThickPolyline raster;
    for (const auto& pts : cases) {
        const auto v = CurveVertices(pts);
        raster.Build(v.data(), int(v.size()), 500, 500);
        EXPECT_EQ(Covered(raster.Spans()), Reference({v.begin(), v.end()}, 500, 500));
    }
}

TEST(ThickPolyline, ContainsWhatQPainterDrawsAsAOnePixelPolyline) {
    // An independent renderer as a sanity check of the pixel placement: QPainter's aliased 1-pixel line
    // lies within one pixel of ours, so the 3-pixel pen covers all of it.
    const auto v = CurveVertices({QPoint(12, 488), QPoint(140, 160), QPoint(488, 12)});
    QImage img(500, 500, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        painter.setPen(QPen(Qt::black, 0));
        painter.drawPolyline(v.data(), int(v.size()));
    }
    TThickPolyline raster;
    raster.Build(v.data(), int(v.size()), 500, 500);
    const auto covered = Covered(raster.Spans());
    int dark = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 500; ++x)
            if (Rgb(img, x, y) != 0xFFFFFF) {
                ++dark;
                EXPECT_TRUE(covered.count({x, y})) << x << "," << y;
            }
    EXPECT_GT(dark, 450);
}

TEST(ThickPolyline, FarOutsideVerticesAreClippedQuickly) {
    const std::vector<QPoint> v{QPoint(-500000000, 250), QPoint(500000000, 250),
                                QPoint(500000000, -400000000)};
    TThickPolyline raster;
    const auto t0 = std::chrono::steady_clock::now();
    raster.Build(v.data(), int(v.size()), 500, 500);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(100));
    ASSERT_EQ(raster.Spans().size(), 3u);
    for (const TSpan& s : raster.Spans()) {
        EXPECT_EQ(s.X0, 0);
        EXPECT_EQ(s.X1, 499);
    }
    EXPECT_EQ(raster.Bounds(), QRect(0, 249, 500, 3));
}

TEST(PaintModes, InvertIsNotColourXorPixelAndUndoesItself) {
    QImage img(8, 1, QImage::Format_RGB32);
    const QRgb start[8] = {0xFFFFFF, 0xD0D0D0, 0x000000, 0xA0A0A0, 0xFF0000, 0x008000, 0x123456, 0xFEDCBA};
    for (int x = 0; x < 8; ++x)
        img.setPixel(x, 0, start[x] | 0xFF000000);
    const QImage before = img.copy();
    PaintSpan(img, 0, 7, 0, 0xFF0000, TPaintMode::Invert);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(img.pixel(x, 0), (~(0xFF0000u ^ start[x]) & 0xFFFFFFu) | 0xFF000000u) << x;
    }
    EXPECT_EQ(Rgb(img, 0, 0), 0xFF0000u); // on white a figure shows in its own colour
    PaintSpan(img, 0, 0, 7, 0xFF0000, TPaintMode::Invert);
    EXPECT_EQ(img, before);
}

TEST(PaintModes, DirectWritesAgreeWithQPainterRasterOp) {
    QImage direct(20, 20, QImage::Format_RGB32);
    direct.fill(QColor(0x12, 0x9A, 0xD0));
    QImage painted = direct.copy();
    PaintBlock(direct, 3, 4, 15, 9, 0x008000, TPaintMode::Invert);
    {
        QPainter painter(&painted);
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.fillRect(QRect(3, 4, 13, 6), QColor(0x00, 0x80, 0x00));
    }
    EXPECT_EQ(direct, painted);
}

TEST(PaintModes, AnImageOfAnotherFormatIsRefusedUntouched) {
    // Four bytes per pixel are written; an image of three would be written past its rows.
    QImage rgb888(30, 30, QImage::Format_RGB888);
    rgb888.fill(QColor(0xD0, 0xD0, 0xD0));
    const QImage before = rgb888.copy();
    EXPECT_THROW(PaintBlock(rgb888, -5, -5, 12, 40, 0x0000FF, TPaintMode::Invert), std::invalid_argument);
    EXPECT_THROW(TRingShape(2.5, 4.5).Paint(rgb888, 15, 15, 0x000000, TPaintMode::Invert),
                 std::invalid_argument);
    EXPECT_EQ(rgb888, before);
    QImage none;
    EXPECT_NO_THROW(PaintSpan(none, 0, 0, 5, 0x000000, TPaintMode::Copy))
        << "a null image has nothing to paint";
}

TEST(RingShape, IsSymmetricAndSpansTheGivenReach) {
    const TRingShape point(2.5, 4.5), handle(1.5, 3.5), disc(-1, 2.5);
    for (const TRingShape* shape : {&point, &handle, &disc}) {
        std::set<std::pair<int, int>> px;
        for (const TSpan& s : shape->Spans())
            for (int x = s.X0; x <= s.X1; ++x)
                px.insert({x, s.Y});
        for (const auto& [x, y] : px) {
            EXPECT_TRUE(px.count({-x, y}) && px.count({x, -y}) && px.count({y, x}));
            EXPECT_LE(std::max(std::abs(x), std::abs(y)), shape->Radius());
        }
        EXPECT_TRUE(px.count({shape->Radius(), 0}));
    }
    EXPECT_EQ(point.Radius(), 4);
    EXPECT_EQ(handle.Radius(), 3);
    // The outlines are hollow, the disc is not.
    auto has = [](const TRingShape& s, int x, int y) {
        for (const TSpan& sp : s.Spans())
            if (sp.Y == y && sp.X0 <= x && x <= sp.X1)
                return true;
        return false;
    };
    EXPECT_FALSE(has(point, 0, 0));
    EXPECT_FALSE(has(point, 2, 0));
    EXPECT_TRUE(has(point, 3, 0));
    EXPECT_FALSE(has(handle, 1, 1));
    EXPECT_TRUE(has(handle, 2, 0));
    EXPECT_TRUE(has(disc, 0, 0));
}

TEST(RingShape, PaintsOnlyInsideTheImageAndReportsThatPart) {
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QRect r = TRingShape(2.5, 4.5).Paint(img, 0, 0, 0x000000, TPaintMode::Invert);
    EXPECT_EQ(r, QRect(0, 0, 5, 5));
    EXPECT_TRUE(TRingShape(2.5, 4.5).Paint(img, -100, 5, 0x000000, TPaintMode::Invert).isEmpty());
}
