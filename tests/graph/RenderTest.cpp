// What the graph paints: the grid, the corner items of ShowPen, the moving figures and their erasure by
// drawing them again, and the rectangles reported for repainting.

#include "GraphFixture.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <random>

namespace {

constexpr QRgb Band = 0xF0E0D0; // a background unlike any colour of the graph itself

struct Render : ::testing::Test {
    void SetUp() override { EnsureGuiApp(); }
};

std::vector<int> GridLines(int size) {
    std::vector<int> lines;
    const int step = (size - 24) / 6;
    for (int i = 0; i <= 6; ++i)
        lines.push_back(12 + i * step);
    return lines;
}

void ExpectGrid(const QImage& img) {
    const int W = img.width(), H = img.height();
    const auto cols = GridLines(W), rows = GridLines(H);
    for (int i = 0; i <= 6; ++i) {
        const QRgb c = i == 0 || i == 6 ? 0x000000 : 0xD0D0D0;
        // Vertical lines run over rows 12 .. H-13, one short of the area's bottom edge; the horizontal ones
        // over columns 12 .. W-13. (On a 300-pixel image the seventh line of each direction lands on
        // row or column 288 = H-12, the area's far edge.)
        EXPECT_EQ(Rgb(img, cols[i], 13), c) << "column " << cols[i];
        EXPECT_EQ(Rgb(img, cols[i], H - 13), c) << "column " << cols[i];
        EXPECT_EQ(Rgb(img, cols[i], H - 11), Band) << "column " << cols[i];
        EXPECT_EQ(Rgb(img, cols[i], 11), Band);
        EXPECT_EQ(Rgb(img, 13, rows[i]), c) << "row " << rows[i];
        EXPECT_EQ(Rgb(img, W - 13, rows[i]), c) << "row " << rows[i];
        EXPECT_EQ(Rgb(img, W - 11, rows[i]), Band);
        if (rows[6] < H - 12) {
            EXPECT_EQ(Rgb(img, cols[i], H - 12), Band);
            EXPECT_EQ(Rgb(img, W - 12, rows[i]), Band);
        }
    }
    // Between the lines and in the strip the truncated step leaves before the area's far edge: white.
    EXPECT_EQ(Rgb(img, cols[1] + 1, rows[1] + 1), 0xFFFFFFu);
    for (int x = cols[6] + 1; x < W - 12; ++x)
        EXPECT_EQ(Rgb(img, x, H / 2 + 1), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 0, 0), Band);
    EXPECT_EQ(Rgb(img, W - 1, H - 1), Band);
    EXPECT_EQ(Rgb(img, 5, H / 2), Band);
}

int CountColour(const QImage& img, QRgb c, QRect area = QRect()) {
    if (area.isNull())
        area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += Rgb(img, x, y) == c;
    return n;
}

// Pixels that differ between two images all lie inside the rectangles reported.
void ExpectReported(const QImage& before, const QImage& after, const std::vector<QRect>& rects) {
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                bool inside = false;
                for (const QRect& r : rects)
                    inside = inside || r.contains(x, y);
                ASSERT_TRUE(inside) << "unreported change at " << x << "," << y;
            }
    for (const QRect& r : rects)
        EXPECT_TRUE(after.rect().contains(r)) << "rect outside the image";
}

} // namespace

TEST_F(Render, GridAt500And300Pixels) {
    EXPECT_EQ(GridLines(500), (std::vector<int>{12, 91, 170, 249, 328, 407, 486}));
    EXPECT_EQ(GridLines(300), (std::vector<int>{12, 58, 104, 150, 196, 242, 288}));
    for (int size : {500, 300}) {
        MemorySurface s(size, size);
        TDrawClass g(s, Band);
        g.DrawGrid();
        ExpectGrid(s.Img);
        // The band is all but the white area, less the closing lines where they land on its edge.
        const int onEdge = GridLines(size)[6] == size - 12 ? 2 * (size - 24) : 0;
        EXPECT_EQ(CountColour(s.Img, Band), size * size - (size - 24) * (size - 24) - onEdge);
        ASSERT_EQ(s.Rects.size(), 1u);
        EXPECT_EQ(s.Rects[0], s.Img.rect());
    }
}

TEST_F(Render, CreatingTheGraphDrawsNothingAndShowsTheCrossHair) {
    MemorySurface s;
    const QImage before = s.Img.copy();
    TDrawClass g(s, Band);
    EXPECT_EQ(s.Img, before);
    EXPECT_EQ(s.Cursors, std::vector<Qt::CursorShape>{Qt::CrossCursor});
    EXPECT_EQ(g.GetSelectedPen(), -1);
    EXPECT_EQ(g.GetCaptions(), TCaptions{});
    EXPECT_TRUE(g.GetThresholdLimiter() && g.GetPointLimiter() && !g.GetMiddlePointLimiter());
}

TEST_F(Render, ShowPenMinusOneIsTheBareGrid) {
    MemorySurface s, grid;
    TDrawClass g(s, Band), bare(grid, Band);
    g.SetPens({LinearPen()});
    g.ShowPen(0);
    g.ShowPen(-1);
    bare.DrawGrid();
    EXPECT_EQ(s.Img, grid.Img);
    EXPECT_EQ(g.GetSelectedPen(), -1);
    EXPECT_EQ(CountColour(s.Img, 0xA0A0A0), 0);
}

TEST_F(Render, ShowPenDrawsCornerLabelsAndCircles) {
    // Points, curve and thresholds kept well away from the corners.
    MemorySurface s;
    TDrawClass g(s, Band);
    g.SetPens({MakePen(1023, 300, 300, 500, 600, 700, 700, 600, 500)});
    g.ShowPen(0);
    EXPECT_EQ(g.GetSelectedPen(), 0);
    const QImage& img = s.Img;
    // "[0,0]" from (17, 474), the resolution label from (436, 17): grey text on opaque white cells as high as
    // the 9-pixel face's lines. The faces differ between systems, so the cells' widths come from the face:
    // "[0,0]" as wide as its text, the resolution label as many columns as are opaque before the grid line.
    QFont face = QGuiApplication::font();
    face.setPixelSize(9);
    const QFontMetrics metrics(face);
    const int h = metrics.height();
    const QRect low(17, 474, metrics.horizontalAdvance(QStringLiteral("[0,0]")), h);
    const auto opaqueColumn = [&](int x) {
        const QRect column(x, 17, 1, h);
        return CountColour(img, 0xA0A0A0, column) + CountColour(img, 0xFFFFFF, column) == h;
    };
    int w = 0;
    while (436 + w < 486 && opaqueColumn(436 + w))
        ++w;
    const QRect high(436, 17, w, h);
    EXPECT_GT(CountColour(img, 0xA0A0A0, low), 8);
    EXPECT_GT(CountColour(img, 0xA0A0A0, high), 20);
    EXPECT_EQ(CountColour(img, 0xA0A0A0, low) + CountColour(img, 0xFFFFFF, low), low.width() * low.height());
    EXPECT_EQ(CountColour(img, 0xA0A0A0, high) + CountColour(img, 0xFFFFFF, high),
              high.width() * high.height());
    EXPECT_EQ(CountColour(img, 0xA0A0A0), CountColour(img, 0xA0A0A0, low) + CountColour(img, 0xA0A0A0, high));
    // The resolution label stays clear of the closing grid line (the corner mark's disc covers its top).
    for (int y = 16; y < 40; ++y)
        EXPECT_EQ(Rgb(img, 486, y), 0x000000u) << y;
    // Corner marks: black outline of radius 3 over a white disc, centred on the area's corners.
    for (const QPoint c : {QPoint(12, 488), QPoint(488, 12)}) {
        EXPECT_EQ(Rgb(img, c.x() + 3, c.y()), 0x000000u);
        EXPECT_EQ(Rgb(img, c.x() - 3, c.y()), 0x000000u);
        EXPECT_EQ(Rgb(img, c.x(), c.y() + 3), 0x000000u);
        EXPECT_EQ(Rgb(img, c.x(), c.y()), 0xFFFFFFu);
        EXPECT_EQ(Rgb(img, c.x() + 1, c.y() + 1), 0xFFFFFFu);
        EXPECT_EQ(Rgb(img, c.x() + 4, c.y()), Band);
        EXPECT_EQ(Rgb(img, c.x(), c.y() + 4), Band);
    }
}

TEST_F(Render, TheResolutionLabelReadsTheResolutionTwice) {
    // Two graphs differing only in R differ in that label and nowhere else of the corner items.
    MemorySurface a, b;
    TDrawClass ga(a, Band), gb(b, Band);
    ga.SetPens({MakePen(1023, 300, 300, 500, 600, 700, 700, 600, 500)});
    gb.SetPens({MakePen(2047, 600, 600, 1000, 1200, 1400, 1400, 1200, 1000)});
    ga.ShowPen(0);
    gb.ShowPen(0);
    ga.DrawCurve();
    gb.DrawCurve();
    int differ = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 500; ++x)
            if (a.Img.pixel(x, y) != b.Img.pixel(x, y)) {
                ++differ;
                EXPECT_TRUE(QRect(436, 17, 46, 12).contains(x, y)) << x << "," << y;
            }
    EXPECT_GT(differ, 0);
}

TEST_F(Render, MovingFiguresShowInTheirColoursOnWhite) {
    Shown t(MakePen(1023, 0, 100, 400, 300, 1023, 900, 700, 600));
    const QImage& img = t.Surface.Img;
    // 488 - Round(476 / (1023 / 700)) = 488 - 326; likewise 600 -> 279 and the points below.
    ASSERT_EQ(t.Graph.GetUpperThresholdY(), 162);
    ASSERT_EQ(t.Graph.GetLowerThresholdY(), 209);
    ASSERT_EQ(t.Point(0), QPoint(12, 441));
    ASSERT_EQ(t.Point(1), QPoint(198, 348));
    ASSERT_EQ(t.Point(2), QPoint(488, 69));
    const QRgb green = 0x008000, blue = 0x0000FF;
    auto over = [](QRgb pen, QRgb pixel) { return ~(pen ^ pixel) & 0xFFFFFFu; };
    // Upper threshold: columns 9..487 and a handle centred 7 columns left of the area.
    EXPECT_EQ(Rgb(img, 30, 162), green);
    EXPECT_EQ(Rgb(img, 487, 162), green);
    EXPECT_EQ(Rgb(img, 9, 162), over(green, 0xFFFFFF)); // the handle's band is white here
    EXPECT_EQ(Rgb(img, 488, 162), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 8, 162), green); // handle ring, radius 3 around column 5
    EXPECT_EQ(Rgb(img, 5, 162), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 5, 159), green);
    // Lower threshold: columns 12..490, handle around column 495.
    EXPECT_EQ(Rgb(img, 30, 209), blue);
    EXPECT_EQ(Rgb(img, 490, 209), blue);
    EXPECT_EQ(Rgb(img, 11, 209), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 491, 209), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 498, 209), blue);
    EXPECT_EQ(Rgb(img, 495, 209), 0xFFFFFFu);
    // A crossed grid line shows the inverted mix.
    EXPECT_EQ(Rgb(img, 91, 162), over(green, 0xD0D0D0));
    // Control points: hollow black rings of radius 4.
    EXPECT_EQ(Rgb(img, 202, 348), 0x000000u);
    EXPECT_EQ(Rgb(img, 198, 344), 0x000000u);
    EXPECT_EQ(Rgb(img, 198, 348), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 203, 348), 0xFFFFFFu);
    // The curve: red, 3 pixels thick, from the lower to the upper point, not through the middle one.
    const auto v = CurveVertices(t.Graph.GetPoints());
    const QPoint mid = v[126];
    EXPECT_EQ(Rgb(img, mid.x(), mid.y()), 0xFF0000u);
    EXPECT_EQ(Rgb(img, mid.x() + 1, mid.y() + 1), 0xFF0000u);
    EXPECT_EQ(Rgb(img, mid.x() - 1, mid.y() - 1), 0xFF0000u);
    EXPECT_GT(CountColour(img, 0xFF0000), 1200);
}

TEST_F(Render, CurveVerticesFollowTheQuadraticCurve) {
    const std::array<QPoint, 3> pts{QPoint(12, 441), QPoint(200, 347), QPoint(488, 69)};
    const auto v = CurveVertices(pts);
    EXPECT_EQ(v[0], pts[0]);
    EXPECT_EQ(v[1], pts[0]);
    EXPECT_EQ(v[251], pts[2]);
    // Vertex k + 1 is the sample at t = 0.004 k: t = 0.5 gives (P0 + 2 P1 + P2) / 4.
    EXPECT_EQ(v[126], QPoint(225, 301));
    // t = 0.996 lies within a pixel or two of the end point.
    EXPECT_LE((v[250] - pts[2]).manhattanLength(), 5);
    const std::array<QPoint, 3> same{QPoint(100, 100), QPoint(100, 100), QPoint(100, 100)};
    for (const QPoint& p : CurveVertices(same))
        EXPECT_EQ(p, same[0]);
}

TEST_F(Render, DrawingTheFiguresTwiceRestoresTheImage) {
    Shown t(MakePen(1023, 0, 100, 400, 300, 1023, 900, 700, 600));
    const QImage shown = t.Surface.Img.copy();
    t.Graph.DrawCurve();
    const QImage erased = t.Surface.Img.copy();
    for (QRgb c : {0xFF0000u, 0x008000u, 0x0000FFu})
        EXPECT_EQ(CountColour(erased, c), 0);
    EXPECT_EQ(CountColour(erased, 0xA0A0A0), CountColour(shown, 0xA0A0A0)); // labels untouched
    t.Graph.DrawCurve();
    EXPECT_EQ(t.Surface.Img, shown);
}

TEST_F(Render, AfterAnySequenceOfMovesErasingLeavesTheGridAndCornerItems) {
    std::mt19937 rng(42);
    for (int round = 0; round < 12; ++round) {
        const Pen pen = round % 2 ? LinearPen() : MakePen(1023, 0, 300, 800, 200, 1023, 1000, 500, 400);
        const int size = round % 3 == 2 ? 300 : 500;
        Shown t(pen, size), base(pen, size);
        base.Graph.DrawCurve();
        std::uniform_int_distribution<int> coin(0, 1), where(-60, size + 60), pick(0, 4);
        for (int drag = 0; drag < 8; ++drag) {
            t.Graph.SetPointLimiter(coin(rng));
            t.Graph.SetMiddlePointLimiter(coin(rng));
            t.Graph.SetThresholdLimiter(coin(rng));
            const int target = pick(rng);
            const QPoint at = target < 3    ? t.Point(target)
                              : target == 3 ? QPoint(5, t.Graph.GetUpperThresholdY())
                                            : QPoint(size - 5, t.Graph.GetLowerThresholdY());
            t.Down(at.x(), at.y());
            for (int move = 0; move < 6; ++move) {
                const QImage before = t.Surface.Img.copy();
                t.Surface.Rects.clear();
                t.Move(where(rng), where(rng));
                ExpectReported(before, t.Surface.Img, t.Surface.Rects);
            }
            t.Up();
        }
        t.Graph.DrawCurve();
        ASSERT_EQ(t.Surface.Img, base.Surface.Img) << "round " << round;
    }
}

TEST_F(Render, HoverAndReleaseDrawNothing) {
    Shown t(LinearPen());
    const QImage shown = t.Surface.Img.copy();
    t.Surface.Rects.clear();
    for (int x = 0; x < 500; x += 7)
        t.Move(x, 500 - x);
    t.Down(100, 100); // misses everything
    t.Up();
    EXPECT_EQ(t.Surface.Img, shown);
    EXPECT_TRUE(t.Surface.Rects.empty());
}

TEST_F(Render, TheImageSizeIsReadAtEveryOperation) {
    Shown t(LinearPen());
    EXPECT_EQ(t.Point(2), QPoint(488, 12));
    t.Surface.Img = QImage(300, 300, QImage::Format_RGB32);
    t.Graph.ShowPen(0);
    EXPECT_EQ(t.Point(0), QPoint(12, 288));
    EXPECT_EQ(t.Point(2), QPoint(288, 12));
    EXPECT_EQ(Rgb(t.Surface.Img, 288, 150), 0x000000u); // the 300-pixel grid's closing line
    EXPECT_EQ(Rgb(t.Surface.Img, 150, 60), 0xD0D0D0u);
    // Drags now clamp to the smaller area.
    t.Graph.SetPointLimiter(false);
    t.Graph.SetThresholdLimiter(false);
    t.Drag(t.Point(1), QPoint(400, 400));
    EXPECT_EQ(t.Point(1), QPoint(288, 288));
    t.Graph.DrawCurve();
    Shown fresh(LinearPen(), 300);
    fresh.Graph.DrawCurve();
    EXPECT_EQ(t.Surface.Img, fresh.Surface.Img);
}
