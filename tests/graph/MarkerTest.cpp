// The pressure marker: where a received pressure is marked on the graph, and that taking it off again leaves
// every pixel as it was, whatever was drawn before or after.

#include "GraphFixture.h"

#include <cmath>
#include <limits>

namespace {

// The pixels where two images of one size differ, as their bounding box (empty when equal).
QRect DiffBox(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}
bool Differs(const QImage& a, const QImage& b, int x, int y) {
    return a.pixel(x, y) != b.pixel(x, y);
}

// The tip of the window tests: lower point at force 10, upper at force 1000, bent towards (600, 400).
Pen BentPen() {
    return MakePen(1023, 0, 10, 600, 400, 1023, 1000, 900, 30);
}

} // namespace

TEST(PressureMarker, MarksTheOutputColumnAndWhereItMeetsTheCurve) {
    Shown s(LinearPen());
    const QImage before = s.Surface.Img;
    // Half of 1023 rounds to 512, column 250; the straight curve passes through (250, 250).
    s.Graph.ShowPressureMarker(0.5);
    const QImage& with = s.Surface.Img;
    EXPECT_TRUE(s.Graph.PressureMarkerShown());
    EXPECT_TRUE(Differs(before, with, 250, 244)) << "the ring around where the column meets the curve";
    EXPECT_FALSE(Differs(before, with, 250, 250)) << "the curve shows through the ring";
    EXPECT_TRUE(Differs(before, with, 250, 400)) << "the column below it";
    EXPECT_TRUE(Differs(before, with, 250, 499)) << "down to the output scale";
    EXPECT_TRUE(Differs(before, with, 400, 250)) << "the row right of it";
    EXPECT_TRUE(Differs(before, with, 499, 250)) << "out to the force scale";
    EXPECT_FALSE(Differs(before, with, 250, 200)) << "nothing above the curve";
    EXPECT_FALSE(Differs(before, with, 100, 250)) << "nothing left of the curve";
    EXPECT_FALSE(Differs(before, with, 249, 400));
    EXPECT_EQ(DiffBox(before, with), QRect(QPoint(244, 244), QPoint(499, 499)));
    EXPECT_EQ(with.pixel(400, 250) & 0xFFFFFF, 0xC000C0u) << "on the white area it shows its own colour";
}

TEST(PressureMarker, ABentCurveIsMetAtTheForceItTakes) {
    Shown s(BentPen());
    const QImage before = s.Surface.Img;
    // Full output takes the upper point's force (1000: row 23); none takes the lower point's (10: row 483).
    s.Graph.ShowPressureMarker(1.0);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(482, 17), QPoint(499, 499)));
    EXPECT_TRUE(Differs(before, s.Surface.Img, 495, 23));
    s.Graph.ShowPressureMarker(0.0);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(6, 477), QPoint(499, 499)));
    EXPECT_TRUE(Differs(before, s.Surface.Img, 300, 483));
    EXPECT_FALSE(Differs(before, s.Surface.Img, 300, 482));
}

TEST(PressureMarker, AColumnTheCurveDoesNotReachIsMarkedWhole) {
    // The upper point left at output 500 (the point limiter is the window's, not the file's).
    Shown s(MakePen(1023, 0, 0, 200, 200, 500, 1023, 20, 10));
    const QImage before = s.Surface.Img;
    s.Graph.ShowPressureMarker(1.0);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(488, 12), QPoint(488, 499)));
}

TEST(PressureMarker, TakingItOffRestoresEveryPixelWhereverItWent) {
    Shown s(BentPen());
    const QImage before = s.Surface.Img;
    // Over the grid, the curve, the control points, the threshold lines and their handles, and the edges.
    for (double p : {0.0, 0.01, 0.3, 0.5, 0.5, 0.77, 0.99, 1.0, 0.2})
        s.Graph.ShowPressureMarker(p);
    s.Graph.ErasePressureMarker();
    EXPECT_FALSE(s.Graph.PressureMarkerShown());
    EXPECT_EQ(s.Surface.Img, before);
    s.Graph.ErasePressureMarker();
    EXPECT_EQ(s.Surface.Img, before) << "a second erase draws nothing";
}

TEST(PressureMarker, EveryChangedPixelIsReportedForRepainting) {
    Shown s(BentPen());
    const QImage before = s.Surface.Img;
    s.Surface.Rects.clear();
    s.Graph.ShowPressureMarker(0.6);
    const QRect changed = DiffBox(before, s.Surface.Img);
    ASSERT_FALSE(changed.isEmpty());
    QRegion reported;
    for (const QRect& r : s.Surface.Rects)
        reported += r;
    for (int y = changed.top(); y <= changed.bottom(); ++y)
        for (int x = changed.left(); x <= changed.right(); ++x)
            if (Differs(before, s.Surface.Img, x, y)) {
                ASSERT_TRUE(reported.contains(QPoint(x, y))) << x << "," << y;
            }
    long long area = 0;
    for (const QRect& r : s.Surface.Rects)
        area += static_cast<long long>(r.width()) * r.height();
    EXPECT_LT(area, 2000) << "thin lines are reported as thin rectangles, not as their bounding box";
}

TEST(PressureMarker, PressuresBeyondTheScaleMarkItsEndsAndNaNMarksNothing) {
    Shown s(LinearPen());
    const QImage before = s.Surface.Img;
    s.Graph.ShowPressureMarker(1.0);
    const QImage full = s.Surface.Img;
    s.Graph.ShowPressureMarker(std::numeric_limits<double>::infinity());
    EXPECT_EQ(s.Surface.Img, full);
    s.Graph.ShowPressureMarker(0.0);
    const QImage none = s.Surface.Img;
    s.Graph.ShowPressureMarker(-1e308);
    EXPECT_EQ(s.Surface.Img, none);
    s.Graph.ShowPressureMarker(std::nan(""));
    EXPECT_FALSE(s.Graph.PressureMarkerShown());
    EXPECT_EQ(s.Surface.Img, before);
}

TEST(PressureMarker, AnImageMadeAnewOrADragDropsItAndNoneIsDrawnDuringTheDrag) {
    Shown s(LinearPen());
    // A layout switch gives the graph a new image, which does not carry the marker.
    s.Graph.ShowPressureMarker(0.4);
    s.Surface.Img = QImage(300, 300, QImage::Format_RGB32);
    s.Surface.Img.fill(Qt::white);
    const QImage fresh = s.Surface.Img;
    s.Graph.ErasePressureMarker();
    EXPECT_EQ(s.Surface.Img, fresh);

    s.Graph.ShowPen(0);
    s.Graph.ShowPressureMarker(0.3);
    s.Down(60, 200);
    EXPECT_TRUE(s.Graph.PressureMarkerShown()) << "a press that picks nothing starts no drag";
    s.Down(150, 150); // the middle point of the 300-pixel graph
    EXPECT_FALSE(s.Graph.PressureMarkerShown()) << "the drag's start takes it off";
    s.Graph.ShowPressureMarker(0.3);
    EXPECT_FALSE(s.Graph.PressureMarkerShown()) << "not during a drag";
}

TEST(PressureMarker, NothingIsMarkedWithoutAPenShown) {
    {
        Shown s(MakePen(0, 0, 0, 0, 0, 0, 0, 0, 0));
        const QImage before = s.Surface.Img;
        EXPECT_EQ(s.Graph.ShownResolution(), 0);
        s.Graph.ShowPressureMarker(0.5);
        s.Graph.ShowForceMarker(0);
        EXPECT_FALSE(s.Graph.PressureMarkerShown());
        EXPECT_EQ(s.Surface.Img, before);
    }
    // The empty graph of a window without a valid file: the last pen stays selected, out of sight.
    Shown s(LinearPen());
    s.Graph.DrawGrid();
    const QImage grid = s.Surface.Img;
    EXPECT_EQ(s.Graph.ShownResolution(), 0);
    s.Graph.ShowPressureMarker(0.5);
    s.Graph.ShowForceMarker(500);
    EXPECT_FALSE(s.Graph.PressureMarkerShown());
    EXPECT_EQ(s.Surface.Img, grid);
}

TEST(PressureMarker, AForceIsMarkedOnItsRowWhereItMeetsTheCurve) {
    Shown s(BentPen());
    const QImage before = s.Surface.Img;
    // Half way along the curve: force 452.5 (452, row 278) at output 555.75 (556, column 271).
    s.Graph.ShowForceMarker(452.5);
    EXPECT_TRUE(Differs(before, s.Surface.Img, 271, 272)) << "the ring";
    EXPECT_FALSE(Differs(before, s.Surface.Img, 271, 278)) << "its middle";
    EXPECT_TRUE(Differs(before, s.Surface.Img, 271, 400)) << "the output column";
    EXPECT_TRUE(Differs(before, s.Surface.Img, 400, 278)) << "the force row";
    EXPECT_FALSE(Differs(before, s.Surface.Img, 271, 200));
    // The upper point's force: the same marker as full output.
    s.Graph.ShowForceMarker(1000);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(482, 17), QPoint(499, 499)));
    // Below the lower point's force 10, and far beyond the scale: the nearest end's column, whole.
    s.Graph.ShowForceMarker(5);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(12, 12), QPoint(12, 499)));
    s.Graph.ShowForceMarker(-1e300);
    EXPECT_EQ(DiffBox(before, s.Surface.Img), QRect(QPoint(12, 12), QPoint(12, 499)));
    s.Graph.ShowForceMarker(std::nan(""));
    EXPECT_EQ(s.Surface.Img, before);
}
