// The graph on images of a high device pixel ratio: where logical pixels land on device pixels, figures
// that keep their logical place and size, a curve drawn to device precision, exact erasing, and logical
// geometry that does not depend on the ratio.

#include "GraphFixture.h"

#include "graph/PenPreview.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>

namespace {

const double Ratios[] = {1.0, 1.25, 1.5, 1.75, 2.0};
const double DenseRatios[] = {1.25, 1.5, 1.75, 2.0};

// A pen whose figures lie apart: the ends of every figure are clear of the others.
Pen Apart() {
    return MakePen(1023, 0, 100, 400, 300, 1023, 900, 700, 600);
}

// What the moving figures changed: each device pixel of the shown picture XOR the picture with them erased.
QImage FigureMask(Shown& t) {
    const QImage shown = t.Surface.Img.copy();
    t.Graph.DrawCurve();
    QImage mask = t.Surface.Img.copy();
    t.Graph.DrawCurve();
    for (int y = 0; y < mask.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            out[x] = (out[x] ^ in[x]) & 0xFFFFFF;
    }
    return mask;
}

// A figure alone on the white area leaves the complement of its colour in the mask.
constexpr QRgb CurveMark = 0x00FFFF, RingMark = 0xFFFFFF, UpperMark = 0xFF7FFF, LowerMark = 0xFFFF00;

QRect BoundsOf(const QImage& img, QRgb value) {
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == value) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

void ExpectNear(const QRect& device, const QRect& expected, int tolerance, const char* what, double ratio) {
    EXPECT_LE(std::abs(device.left() - expected.left()), tolerance) << what << " at " << ratio;
    EXPECT_LE(std::abs(device.right() - expected.right()), tolerance) << what << " at " << ratio;
    EXPECT_LE(std::abs(device.top() - expected.top()), tolerance) << what << " at " << ratio;
    EXPECT_LE(std::abs(device.bottom() - expected.bottom()), tolerance) << what << " at " << ratio;
}

// The true curve of the shown points, densely sampled, as continuous device coordinates.
std::vector<QPointF> TrueCurve(const std::array<QPoint, 3>& p, const TDeviceScale& s) {
    std::vector<QPointF> out;
    constexpr int Samples = 6000;
    for (int i = 0; i <= Samples; ++i) {
        const double t = double(i) / Samples;
        const double a = (1 - t) * (1 - t), b = 2 * (1 - t) * t, c = t * t;
        const double x = a * p[0].x() + b * p[1].x() + c * p[2].x();
        const double y = a * p[0].y() + b * p[1].y() + c * p[2].y();
        out.emplace_back((x + 0.5) * s.Ratio(), (y + 0.5) * s.Ratio());
    }
    return out;
}

// Marks every device pixel whose centre lies within `reach` (along both axes) of a point of the curve.
std::vector<char> Band(const std::vector<QPointF>& curve, double reach, QSize size) {
    std::vector<char> band(size_t(size.width()) * size_t(size.height()), 0);
    for (const QPointF& c : curve) {
        const int x0 = int(std::ceil(c.x() - reach - 0.5)), x1 = int(std::floor(c.x() + reach - 0.5));
        const int y0 = int(std::ceil(c.y() - reach - 0.5)), y1 = int(std::floor(c.y() + reach - 0.5));
        for (int y = std::max(y0, 0); y <= std::min(y1, size.height() - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, size.width() - 1); ++x)
                band[size_t(y) * size_t(size.width()) + size_t(x)] = 1;
    }
    return band;
}

// Every device pixel that changed lies in the device pixels of a reported logical rectangle.
void ExpectReported(const QImage& before, const QImage& after, const std::vector<QRect>& rects) {
    const TDeviceScale s = TDeviceScale::Of(after);
    std::vector<QRect> device;
    for (const QRect& r : rects) {
        EXPECT_TRUE(QRect(QPoint(0, 0), LogicalSize(after)).contains(r)) << "rect outside the image";
        device.push_back(s.ToDevice(r));
    }
    for (int y = 0; y < after.height(); ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* now = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        if (std::equal(was, was + after.width(), now))
            continue;
        for (int x = 0; x < after.width(); ++x)
            if (was[x] != now[x]) {
                bool inside = false;
                for (const QRect& r : device)
                    inside = inside || r.contains(x, y);
                ASSERT_TRUE(inside) << "unreported change at device pixel " << x << "," << y;
            }
    }
}

struct HighDensity : ::testing::Test {
    void SetUp() override { EnsureGuiApp(); }
};

} // namespace

TEST(DeviceScale, LogicalPixelsTileTheDevicePixelsAndMapBack) {
    for (double r : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        const TDeviceScale s(r);
        for (int x = -30; x < 530; ++x) {
            const int64_t step = s.Edge(x + 1) - s.Edge(x);
            EXPECT_TRUE(step == int64_t(std::floor(r)) || step == int64_t(std::ceil(r))) << r << " at " << x;
            // A device pixel of logical pixel x is reported as touching x: a repaint never misses it.
            for (int64_t d = s.Edge(x); d < s.Edge(x + 1); ++d)
                EXPECT_TRUE(s.ToLogical(QRect(int(d), 0, 1, 1)).contains(x, 0)) << r << " at " << x;
            // A one-pixel line is equally wide everywhere and centred on its logical pixel.
            const int w = s.StrokeWidth(1);
            EXPECT_LE(std::abs(double(s.StrokeStart(x, w)) + w / 2.0 - s.Centre(x)), 0.5) << r << " at " << x;
        }
        for (const QRect& logical : {QRect(0, 0, 500, 500), QRect(12, 91, 7, 1), QRect(-3, 486, 20, 9)}) {
            const QRect back = s.ToLogical(s.ToDevice(logical));
            EXPECT_TRUE(back.contains(logical)) << r;
            EXPECT_TRUE(logical.adjusted(-1, -1, 1, 1).contains(back)) << r;
        }
        for (int size : {300, 500})
            EXPECT_EQ(s.LogicalSize(s.DeviceSize(QSize(size, size))), QSize(size, size)) << r;
    }
}

TEST_F(HighDensity, FiguresAndLabelsKeepTheirLogicalPlaceAndSize) {
    Shown base(Apart());
    const QImage baseMask = FigureMask(base);
    for (double r : DenseRatios) {
        Shown t(Apart(), 500, r);
        const TDeviceScale s(r);
        ASSERT_EQ(t.Surface.Img.size(), s.DeviceSize(QSize(500, 500)));
        EXPECT_EQ(t.Graph.GetPoints(), base.Graph.GetPoints()) << r;
        EXPECT_EQ(t.Graph.GetUpperThresholdY(), base.Graph.GetUpperThresholdY()) << r;
        EXPECT_EQ(t.Graph.GetLowerThresholdY(), base.Graph.GetLowerThresholdY()) << r;

        const QImage mask = FigureMask(t);
        for (const auto& [mark, what] : std::map<QRgb, const char*>{{CurveMark, "curve"},
                                                                    {RingMark, "point circles"},
                                                                    {UpperMark, "upper"},
                                                                    {LowerMark, "lower"}}) {
            const QRect logical = BoundsOf(baseMask, mark);
            ASSERT_FALSE(logical.isEmpty()) << what;
            ExpectNear(BoundsOf(mask, mark), s.ToDevice(logical), 1, what, r);
        }
        // The grid's closing lines and the corner labels, drawn in copy mode.
        for (const QRect& area : {QRect(12, 470, 60, 18), QRect(430, 12, 58, 20)}) {
            const QRect logical = BoundsOf(base.Surface.Img.copy(area), 0xA0A0A0).translated(area.topLeft());
            const QRect device = BoundsOf(t.Surface.Img.copy(s.ToDevice(area)), 0xA0A0A0)
                                     .translated(s.ToDevice(area).topLeft());
            ASSERT_FALSE(logical.isEmpty());
            ExpectNear(device, s.ToDevice(logical), int(std::ceil(2 * r)), "label", r);
        }
        // The closing line and the white strip the truncated grid step leaves before the area's edge.
        EXPECT_EQ(Rgb(t.Surface.Img, int(s.Edge(486)), int(s.Edge(300))), 0x000000u) << r;
        EXPECT_EQ(Rgb(t.Surface.Img, int(s.Edge(488)) - 1, int(s.Edge(300))), 0xFFFFFFu) << r;
    }
}

TEST_F(HighDensity, CurvePixelsLieWithinOneDevicePixelOfTheTrueCurve) {
    const Pen pens[] = {Apart(), MakePen(1023, 0, 0, 1000, 60, 1023, 1023, 20, 10),
                        MakePen(2047, 0, 800, 300, 2047, 2047, 1900, 40, 20)};
    for (double r : Ratios)
        for (const Pen& pen : pens) {
            Shown t(pen, 500, r);
            const TDeviceScale s(r);
            const QImage mask = FigureMask(t);
            const auto curve = TrueCurve(t.Graph.GetPoints(), s);
            // The pen is StrokeWidth(3) device pixels wide; its middle stays within a device pixel of the
            // true curve, so every curve pixel lies within half the pen and one pixel of it...
            const double half = (s.StrokeWidth(3) - 1) / 2.0;
            const auto outer = Band(curve, half + 1.0, mask.size());
            int painted = 0;
            for (int y = 0; y < mask.height(); ++y)
                for (int x = 0; x < mask.width(); ++x)
                    if ((mask.pixel(x, y) & 0xFFFFFF) == CurveMark) {
                        ++painted;
                        ASSERT_TRUE(outer[size_t(y) * size_t(mask.width()) + size_t(x)])
                            << "curve pixel " << x << "," << y << " off the curve at ratio " << r;
                    }
            EXPECT_GT(painted, 400 * r * r);
            // ...and the pen covers the true curve to within one pixel of its edges, away from the other
            // figures (control points and threshold rows).
            const auto inner = Band(curve, half - 1.0, mask.size());
            auto nearOther = [&](int x, int y) {
                const QPointF l(x / r, y / r);
                for (const QPoint& p : t.Graph.GetPoints())
                    if (std::abs(l.x() - p.x()) < 7 && std::abs(l.y() - p.y()) < 7)
                        return true;
                return std::abs(l.y() - t.Graph.GetUpperThresholdY()) < 3 ||
                       std::abs(l.y() - t.Graph.GetLowerThresholdY()) < 3;
            };
            for (int y = 0; y < mask.height(); ++y) {
                for (int x = 0; x < mask.width(); ++x) {
                    if (half >= 1.0 && inner[size_t(y) * size_t(mask.width()) + size_t(x)] &&
                        !nearOther(x, y)) {
                        ASSERT_EQ(mask.pixel(x, y) & 0xFFFFFF, CurveMark)
                            << "gap in the curve at " << x << "," << y << ", ratio " << r;
                    }
                }
            }
        }
}

TEST_F(HighDensity, RandomDragsGiveTheSameValuesAtEveryRatioAndEraseExactly) {
    std::mt19937 rng(5);
    for (int round = 0; round < 4; ++round) {
        const Pen pen = round % 2 ? LinearPen(2047) : MakePen(1023, 0, 300, 800, 200, 1023, 1000, 500, 400);
        const int size = round == 2 ? 300 : 500;
        std::vector<std::unique_ptr<Shown>> graphs;
        for (double r : Ratios)
            graphs.push_back(std::make_unique<Shown>(pen, size, r));
        std::uniform_int_distribution<int> coin(0, 1), where(-40, size + 40), jitter(-6, 6), pick(0, 4);
        for (int drag = 0; drag < 6; ++drag) {
            const bool limits[3] = {bool(coin(rng)), bool(coin(rng)), bool(coin(rng))};
            const int target = pick(rng);
            const Shown& first = *graphs.front();
            const QPoint at = (target < 3    ? first.Point(target)
                               : target == 3 ? QPoint(5, first.Graph.GetUpperThresholdY())
                                             : QPoint(size - 5, first.Graph.GetLowerThresholdY())) +
                              QPoint(jitter(rng), jitter(rng));
            std::vector<QPoint> path;
            for (int move = 0; move < 4; ++move)
                path.emplace_back(where(rng), where(rng));
            for (auto& g : graphs) {
                g->Graph.SetPointLimiter(limits[0]);
                g->Graph.SetMiddlePointLimiter(limits[1]);
                g->Graph.SetThresholdLimiter(limits[2]);
                g->Move(at.x(), at.y()); // hover first: captions and cursor
                g->Down(at.x(), at.y());
                for (const QPoint& p : path) {
                    const QImage before = g->Surface.Img.copy();
                    g->Surface.Rects.clear();
                    g->Move(p.x(), p.y());
                    ExpectReported(before, g->Surface.Img, g->Surface.Rects);
                }
            }
            for (size_t i = 1; i < graphs.size(); ++i) {
                const Shown& g = *graphs[i];
                const double r = Ratios[i];
                EXPECT_EQ(g.P(), first.P()) << "ratio " << r << ", round " << round << ", drag " << drag;
                EXPECT_EQ(g.Graph.GetPoints(), first.Graph.GetPoints()) << r;
                EXPECT_EQ(g.Graph.GetUpperThresholdY(), first.Graph.GetUpperThresholdY()) << r;
                EXPECT_EQ(g.Graph.GetLowerThresholdY(), first.Graph.GetLowerThresholdY()) << r;
                EXPECT_EQ(g.Graph.IsDragging(), first.Graph.IsDragging()) << r;
                EXPECT_EQ(g.Graph.GetCaptions(), first.Graph.GetCaptions()) << r;
                EXPECT_EQ(g.Surface.Cursors, first.Surface.Cursors) << r;
            }
            for (auto& g : graphs)
                g->Up();
        }
        // Erased, every device pixel is back to the grid and corner items the pen was shown on.
        for (size_t i = 0; i < graphs.size(); ++i) {
            Shown base(pen, size, Ratios[i]);
            base.Graph.DrawCurve();
            graphs[i]->Graph.DrawCurve();
            ASSERT_EQ(graphs[i]->Surface.Img, base.Surface.Img)
                << "ratio " << Ratios[i] << ", round " << round;
        }
    }
}

TEST_F(HighDensity, RedrawShowsTheDraggedStateAtTheImagesNewRatio) {
    Shown t(LinearPen()), dense(LinearPen(), 500, 2.0);
    for (Shown* g : {&t, &dense}) {
        g->Graph.SetPointLimiter(false);
        g->Drag(g->Point(1), QPoint(140, 330));
        g->Drag(g->Point(0), QPoint(60, 420));
    }
    const QImage atOne = t.Surface.Img.copy();
    const Pen dragged = t.P();

    // The image is made anew at ratio 2, as the widget does for a denser screen.
    t.Surface.Img = MemorySurface::AtRatio(500, 500, 2.0).Img;
    t.Graph.Redraw();
    EXPECT_EQ(t.Surface.Img, dense.Surface.Img) << "the dragged points stay where they were dragged";
    EXPECT_EQ(t.P(), dragged);

    // Dragging on erases exactly at the new ratio, and back at ratio 1 the picture is as it was.
    t.Drag(t.Point(1), QPoint(300, 200));
    t.Drag(t.Point(1), QPoint(140, 330));
    EXPECT_EQ(t.Surface.Img, dense.Surface.Img);
    t.Surface.Img = MemorySurface::AtRatio(500, 500, 1.0).Img;
    t.Graph.Redraw();
    EXPECT_EQ(t.Surface.Img, atOne);
}

TEST_F(HighDensity, RedrawRepeatsOnlyWhatWasLastDrawn) {
    MemorySurface s = MemorySurface::AtRatio(300, 300, 1.5);
    TDrawClass g(s, 0xFFFFFFFF);
    const QImage untouched = s.Img.copy();
    g.Redraw();
    EXPECT_EQ(s.Img, untouched) << "nothing drawn yet";

    MemorySurface grid = MemorySurface::AtRatio(300, 300, 1.5);
    TDrawClass bare(grid, 0xFFFFFFFF);
    bare.DrawGrid();
    g.SetPens({LinearPen()});
    g.ShowPen(0);
    g.DrawGrid(); // as the window does when a load fails: the pen stays selected, the graph shows none
    s.Img.fill(Qt::magenta);
    g.Redraw();
    EXPECT_EQ(s.Img, grid.Img);
}

TEST_F(HighDensity, APreviewIsTheGraphDrawnAtItsRatioAndANonsenseRatioCountsAsOne) {
    const Pen pen = Apart();
    for (double r : Ratios) {
        const QImage preview = DrawPenPreview(&pen, 200, r);
        EXPECT_EQ(preview.devicePixelRatio(), r);
        EXPECT_EQ(preview, Shown(pen, 200, r).Surface.Img) << "ratio " << r;
    }
    const QImage plain = DrawPenPreview(&pen, 200);
    for (double r : {0.0, 0.5, -2.0, std::nan(""), -double(INFINITY), double(INFINITY)}) {
        const QImage preview = DrawPenPreview(&pen, 200, r);
        EXPECT_EQ(preview.devicePixelRatio(), 1.0) << r;
        EXPECT_EQ(preview, plain) << r;
    }
}
