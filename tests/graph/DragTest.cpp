// Picking, hovering and dragging: hit zones, the three limiters, threshold drags, captions, cursors, and
// pens whose resolution cannot be drawn.

#include "GraphFixture.h"

#include <chrono>
#include <limits>

namespace {

const TCaptions Idle{"Output", "Input", "X: -", "Y: -", "Info"};

// LinearPen(): points at (12, 488), (250, 250), (488, 12); upper threshold row 479, lower 483.
struct Drag : ::testing::Test {
    Drag() : t(LinearPen()) {}
    void Free() {
        t.Graph.SetPointLimiter(false);
        t.Graph.SetThresholdLimiter(false);
    }
    Shown t;
};

} // namespace

TEST_F(Drag, TheFixturePenSitsWhereTheTestsExpectIt) {
    ASSERT_EQ(t.Point(0), QPoint(12, 488));
    ASSERT_EQ(t.Point(1), QPoint(250, 250));
    ASSERT_EQ(t.Point(2), QPoint(488, 12));
    ASSERT_EQ(t.Graph.GetUpperThresholdY(), 479);
    ASSERT_EQ(t.Graph.GetLowerThresholdY(), 483);
    EXPECT_FALSE(t.Graph.IsDragging());
}

// ---- hit zones ------------------------------------------------------------------------------------------

TEST_F(Drag, APointIsPickedFourPixelsAwayButNotFive) {
    for (QPoint off : {QPoint(4, 0), QPoint(-4, 0), QPoint(0, 4), QPoint(0, -4), QPoint(4, -4)}) {
        t.Down(250 + off.x(), 250 + off.y());
        EXPECT_TRUE(t.Graph.IsDragging()) << off.x() << "," << off.y();
        EXPECT_EQ(t.Graph.GetDragTarget(), 1);
        t.Up();
    }
    for (QPoint off : {QPoint(5, 0), QPoint(-5, 0), QPoint(0, 5), QPoint(0, -5)}) {
        t.Down(250 + off.x(), 250 + off.y());
        EXPECT_FALSE(t.Graph.IsDragging()) << off.x() << "," << off.y();
    }
}

TEST_F(Drag, AnyButtonPicksAndAMissKeepsTheLastTarget) {
    t.Graph.MouseDown(Qt::RightButton, Qt::ShiftModifier, 488, 12);
    EXPECT_TRUE(t.Graph.IsDragging());
    EXPECT_EQ(t.Graph.GetDragTarget(), 2);
    t.Up();
    t.Down(100, 400);
    EXPECT_FALSE(t.Graph.IsDragging());
    EXPECT_EQ(t.Graph.GetDragTarget(), 2);
}

TEST(DragOverlap, UpperBeatsMiddleBeatsLower) {
    // Middle point at (14, 486), within reach of the lower point at (12, 488).
    Shown lowMid(MakePen(1023, 0, 0, 5, 5, 1023, 1023, 20, 10));
    ASSERT_EQ(lowMid.Point(1), QPoint(14, 486));
    lowMid.Move(13, 487);
    EXPECT_EQ(lowMid.Graph.GetCaptions().PointName, "Middle Point");
    lowMid.Down(13, 487);
    EXPECT_EQ(lowMid.Graph.GetDragTarget(), 1);

    // Middle point at (486, 14), next to the upper point at (488, 12).
    Shown midUp(MakePen(1023, 0, 0, 1018, 1018, 1023, 1023, 20, 10));
    midUp.Move(487, 13);
    EXPECT_EQ(midUp.Graph.GetCaptions().PointName, "Upper Point");
    midUp.Down(487, 13);
    EXPECT_EQ(midUp.Graph.GetDragTarget(), 2);

    // All three within a few pixels.
    Shown all(MakePen(1023, 0, 0, 3, 3, 6, 6, 20, 10));
    all.Down(13, 487);
    EXPECT_EQ(all.Graph.GetDragTarget(), 2);
}

TEST_F(Drag, HandlesArePressedNineRowsHighButHoveredOnlyFive) {
    Free();
    // Upper handle: columns 3..7, rows 475..483 for a press; lower handle: columns 493..497.
    for (int dy : {-4, 4}) {
        t.Down(5, 479 + dy);
        EXPECT_TRUE(t.Graph.IsDragging());
        EXPECT_EQ(t.Graph.GetDragTarget(), 3);
        t.Up();
    }
    t.Down(5, 474);
    EXPECT_FALSE(t.Graph.IsDragging());
    t.Down(8, 479);
    EXPECT_FALSE(t.Graph.IsDragging());
    t.Down(3, 479);
    EXPECT_TRUE(t.Graph.IsDragging());
    t.Up();
    t.Down(497, 483);
    EXPECT_EQ(t.Graph.GetDragTarget(), 4);
    t.Up();

    t.Move(5, 481);
    EXPECT_EQ(t.Graph.GetCaptions().PointName, "Upper Threshold");
    t.Move(5, 476); // 3 rows away: a press would pick it, hovering shows nothing
    EXPECT_EQ(t.Graph.GetCaptions(), Idle);
    EXPECT_EQ(t.Surface.Cursor(), Qt::CrossCursor);
    t.Move(495, 485);
    EXPECT_EQ(t.Graph.GetCaptions().PointName, "Lower Threshold");
    t.Move(495, 486);
    EXPECT_EQ(t.Graph.GetCaptions(), Idle);
}

TEST_F(Drag, WithTheThresholdLimiterOnAHandleIsNotPickedButStillTargeted) {
    t.Down(5, 479);
    EXPECT_FALSE(t.Graph.IsDragging());
    EXPECT_EQ(t.Graph.GetDragTarget(), 3);
    const QImage before = t.Surface.Img.copy();
    t.Move(5, 300); // a hover, not a drag
    EXPECT_EQ(t.Surface.Img, before);
    EXPECT_EQ(t.P().UpperThreshold, 20);
}

// ---- hover texts and cursors ----------------------------------------------------------------------------

TEST_F(Drag, HoverTextsAndCursors) {
    t.Move(100, 100);
    EXPECT_EQ(t.Graph.GetCaptions(), Idle);
    EXPECT_EQ(t.Surface.Cursor(), Qt::CrossCursor);

    t.Move(251, 249);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Output", "Input", "X: ~512", "Y: ~511", "Middle Point"}));
    EXPECT_EQ(t.Surface.Cursor(), Qt::PointingHandCursor);

    // The threshold's value read back from its row; the cross-hair while the limiter forbids dragging it.
    t.Move(5, 479);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Value: ~", "", "19", "", "Upper Threshold"}));
    EXPECT_EQ(t.Surface.Cursor(), Qt::CrossCursor);
    t.Graph.SetThresholdLimiter(false);
    t.Move(5, 479);
    EXPECT_EQ(t.Surface.Cursor(), Qt::SplitVCursor);
    t.Move(495, 483);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Value: ~", "", "11", "", "Lower Threshold"}));
}

TEST_F(Drag, ShownValuesAgreeWithStoredOnesAfterTheFirstMove) {
    Shown s(MakePen(1023, 0, 0, 512, 512, 1023, 1023, 20, 10));
    s.Move(250, 250);
    EXPECT_EQ(s.Graph.GetCaptions().PointY, "Y: ~511"); // stored 512, read back from row 250
    s.Down(250, 250);
    s.Move(250, 250);
    EXPECT_EQ(s.P().P2X, 512);
    EXPECT_EQ(s.P().P2Y, 511);
    EXPECT_EQ(s.Graph.GetCaptions().PointY, "Y: ~511");
}

TEST_F(Drag, CaptionsDuringADragAndAfterTheRelease) {
    t.Move(250, 250);
    t.Down(250, 250);
    const size_t cursorsBefore = t.Surface.Cursors.size();
    t.Move(300, 200);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Output", "Input", "X: ~619", "Y: ~619", "Middle Point"}));
    EXPECT_EQ(t.Surface.Cursors.size(), cursorsBefore); // the cursor stays while dragging
    t.Up();
    EXPECT_EQ(t.Graph.GetCaptions(), Idle);
    EXPECT_EQ(t.Surface.Cursor(), Qt::PointingHandCursor);
    EXPECT_FALSE(t.Graph.IsDragging());
    // Released, a move is a hover again and draws nothing.
    const QImage after = t.Surface.Img.copy();
    t.Move(100, 100);
    EXPECT_EQ(t.Surface.Img, after);
    EXPECT_EQ(t.Point(1), QPoint(300, 200));
}

TEST_F(Drag, ShowPenEndsADrag) {
    t.Down(250, 250);
    t.Graph.ShowPen(0);
    EXPECT_FALSE(t.Graph.IsDragging());
}

// ---- point limiter and the graph area -------------------------------------------------------------------

TEST_F(Drag, PointsStayInsideTheGraphArea) {
    Free();
    t.Drag(t.Point(0), QPoint(300, 300)); // free: anywhere inside
    EXPECT_EQ(t.Point(0), QPoint(300, 300));
    t.Drag(t.Point(1), QPoint(-100, 900));
    EXPECT_EQ(t.Point(1), QPoint(12, 488));
    EXPECT_EQ(t.P().P2X, 0);
    EXPECT_EQ(t.P().P2Y, 0);
    t.Drag(t.Point(2), QPoint(900, -50));
    EXPECT_EQ(t.Point(2), QPoint(488, 12));
}

TEST_F(Drag, PointLimiterKeepsTheEndPointsOnTheirEdges) {
    t.Graph.SetThresholdLimiter(false);
    t.Drag(t.Point(0), QPoint(300, 100));
    EXPECT_EQ(t.Point(0), QPoint(12, 100));
    EXPECT_EQ(t.P().P1X, 0);
    EXPECT_EQ(t.P().P1Y, 834);
    t.Drag(t.Point(2), QPoint(-300, 50));
    EXPECT_EQ(t.Point(2), QPoint(488, 50));
    EXPECT_EQ(t.P().P3X, 1023);
    t.Drag(t.Point(1), QPoint(400, 450)); // the middle point is free
    EXPECT_EQ(t.Point(1), QPoint(400, 450));
}

TEST(DragLimits, PointLimiterStopsTheEndPointsOnEachOthersRow) {
    // Upper point on row 200 (P3Y 619), lower point on row 400 (P1Y 189).
    Shown s(MakePen(1023, 0, 189, 300, 300, 1023, 619, 20, 10));
    s.Graph.SetThresholdLimiter(false);
    ASSERT_EQ(s.Point(2).y(), 200);
    ASSERT_EQ(s.Point(0).y(), 400);
    s.Drag(s.Point(0), QPoint(50, 100));
    EXPECT_EQ(s.Point(0), QPoint(12, 200));
    EXPECT_EQ(s.P().P1Y, 619);
    s.Drag(s.Point(0), QPoint(12, 400));
    s.Drag(s.Point(2), QPoint(300, 450));
    EXPECT_EQ(s.Point(2), QPoint(488, 400));
    EXPECT_EQ(s.P().P3Y, s.P().P1Y);
}

// ---- middle-point limiter -------------------------------------------------------------------------------

TEST_F(Drag, MiddlePointLimiterKeepsTheCurveStraight) {
    t.Graph.SetMiddlePointLimiter(true);
    t.Graph.SetThresholdLimiter(false);
    Shown off(MakePen(1023, 0, 0, 200, 800, 1023, 1023, 20, 10));
    off.Graph.SetMiddlePointLimiter(true);
    off.Graph.SetThresholdLimiter(false);
    off.Drag(off.Point(0), off.Point(0));
    EXPECT_EQ(off.Point(1), QPoint(250, 250));
    EXPECT_EQ(off.P().P2X, 512);
    EXPECT_EQ(off.P().P2Y, 511);
    // The middle point itself cannot leave the middle.
    off.Down(250, 250);
    off.Move(100, 400);
    EXPECT_EQ(off.Point(1), QPoint(250, 250));
    EXPECT_EQ(off.Graph.GetCaptions().PointX, "X: ~512");
    off.Up();
}

TEST_F(Drag, MiddlePointOfOddAndReversedSpansTruncatesTowardsZero) {
    Free();
    t.Graph.SetMiddlePointLimiter(true);
    // Odd span 12..487: 487 - 475 / 2 = 250, the column nearer the upper point.
    t.Drag(t.Point(2), QPoint(487, 12));
    EXPECT_EQ(t.Point(1), QPoint(250, 250));
    // Reversed: lower at (300, 100), upper at (101, 400): 101 - (-199 / 2) = 200, 400 - 300 / 2 = 250.
    t.Drag(t.Point(0), QPoint(300, 100));
    t.Drag(t.Point(2), QPoint(101, 400));
    EXPECT_EQ(t.Point(1), QPoint(200, 250));
}

TEST_F(Drag, MiddlePointLimiterUsesTheLowerPointBeforeTheThresholdLimiterMovesIt) {
    t.Graph.SetMiddlePointLimiter(true);
    t.Drag(t.Point(0), QPoint(12, 600)); // ends on row 483, but the middle is taken from row 488
    EXPECT_EQ(t.Point(0), QPoint(12, 483));
    EXPECT_EQ(t.Point(1), QPoint(250, 250));
}

// ---- threshold limiter ----------------------------------------------------------------------------------

TEST_F(Drag, ThresholdLimiterHangsTheThresholdsOnTheLowerPoint) {
    t.Drag(t.Point(0), QPoint(12, 300));
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 300);
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 304); // g = Round(476 / 128) = 4
    EXPECT_EQ(t.P().UpperThreshold, 404);
    EXPECT_EQ(t.P().LowerThreshold, 395);
    EXPECT_EQ(t.P().P1Y, 404);
}

TEST_F(Drag, ThresholdLimiterAtTheBottomEdgeLiftsTheLowerPoint) {
    t.Down(12, 488);
    t.Move(40, 900);
    EXPECT_EQ(t.Graph.GetCaptions().PointY, "Y: ~11");
    t.Up();
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 487);
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 483);
    EXPECT_EQ(t.Point(0), QPoint(12, 483));
    EXPECT_EQ(t.P().LowerThreshold, 2);
    EXPECT_EQ(t.P().UpperThreshold, 11);
    EXPECT_EQ(t.P().P1Y, 11);

    t.Drag(t.Point(0), QPoint(12, 486));
    EXPECT_EQ(t.Point(0).y(), 481);
    EXPECT_EQ(t.P().P1Y, 15);
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 487);
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 483);

    // Row 483 just fits (483 + 5 = 488 is not beyond the edge); row 484 does not.
    t.Drag(t.Point(0), QPoint(12, 483));
    EXPECT_EQ(t.Point(0).y(), 483);
    t.Drag(t.Point(0), QPoint(12, 484));
    EXPECT_EQ(t.Point(0).y(), 479);
}

TEST(DragLimits, ThresholdLimiterOnA300PixelImage) {
    Shown s(LinearPen(), 300);
    s.Drag(s.Point(0), QPoint(12, 400));
    EXPECT_EQ(s.Graph.GetLowerThresholdY(), 287); // g = Round(276 / 128) = 2
    EXPECT_EQ(s.Graph.GetUpperThresholdY(), 285);
    EXPECT_EQ(s.Point(0).y(), 285);
}

TEST_F(Drag, MovingTheMiddleOrUpperPointLeavesTheThresholds) {
    t.Drag(t.Point(1), QPoint(100, 400));
    t.Drag(t.Point(2), QPoint(488, 300));
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 479);
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 483);
    EXPECT_EQ(t.P().UpperThreshold, 20);
    EXPECT_EQ(t.P().LowerThreshold, 10);
}

// ---- threshold drags ------------------------------------------------------------------------------------

TEST_F(Drag, ThresholdsAreDraggedByRowAndNeverCross) {
    Free();
    t.Down(5, 479);
    t.Move(250, 100);
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 100);
    EXPECT_EQ(t.P().UpperThreshold, 834);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Value: ~", "", "834", "", "Upper Threshold"}));
    t.Move(5, 700); // below the lower threshold: stops on its row
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 483);
    EXPECT_EQ(t.P().UpperThreshold, t.Graph.YToValue(1023, 483));
    t.Move(5, -40);
    EXPECT_EQ(t.Graph.GetUpperThresholdY(), 12);
    EXPECT_EQ(t.P().UpperThreshold, 1023);
    t.Up();

    t.Down(495, 483);
    t.Move(495, 5); // above the upper threshold: stops on its row
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 12);
    EXPECT_EQ(t.P().LowerThreshold, 1023);
    EXPECT_EQ(t.Graph.GetCaptions(), (TCaptions{"Value: ~", "", "1023", "", "Lower Threshold"}));
    t.Move(495, 900);
    EXPECT_EQ(t.Graph.GetLowerThresholdY(), 488);
    EXPECT_EQ(t.P().LowerThreshold, 0);
    t.Up();
    EXPECT_EQ(t.Point(0), QPoint(12, 488)); // the points stay where they were
}

// ---- pens the graph cannot draw, and indexes outside the pens -------------------------------------------

TEST(Undrawable, ZeroOrNegativeResolutionShowsOnlyTheGridAndCornerItems) {
    EnsureGuiApp();
    for (int R : {0, -5}) {
        Pen pen = MakePen(R, 0, 0, 5, 5, 10, 10, 3, 1);
        Shown s(pen);
        EXPECT_EQ(s.Graph.GetSelectedPen(), 0);
        int coloured = 0, label = 0;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 500; ++x) {
                const QRgb c = Rgb(s.Surface.Img, x, y);
                coloured += c == 0xFF0000 || c == 0x008000 || c == 0x0000FF;
                label += c == 0xA0A0A0;
            }
        EXPECT_EQ(coloured, 0) << R;
        EXPECT_GT(label, 20) << R;
        EXPECT_EQ(Rgb(s.Surface.Img, 15, 488), 0x000000u); // corner mark

        // The mouse changes nothing: not the image, the pen, the texts or the cursor.
        const QImage before = s.Surface.Img.copy();
        const size_t cursors = s.Surface.Cursors.size();
        s.Graph.SetThresholdLimiter(false);
        for (QPoint p : {QPoint(0, 0), QPoint(12, 488), QPoint(5, 488), QPoint(250, 250)}) {
            s.Down(p.x(), p.y());
            s.Move(p.x() + 30, p.y() - 30);
            s.Up();
        }
        EXPECT_FALSE(s.Graph.IsDragging());
        EXPECT_EQ(s.Surface.Img, before);
        EXPECT_EQ(s.Graph.GetPens(), APen{pen});
        EXPECT_EQ(s.Graph.GetCaptions(), TCaptions{});
        EXPECT_EQ(s.Surface.Cursors.size(), cursors);
        s.Graph.DrawCurve();
        EXPECT_EQ(s.Surface.Img, before);
    }
}

TEST(Undrawable, SwitchingBetweenDrawableAndUndrawablePens) {
    EnsureGuiApp();
    MemorySurface s;
    TDrawClass g(s, 0xFFFFFFFF);
    g.SetPens({LinearPen(), MakePen(0, 1, 2, 3, 4, 5, 6, 7, 8)});
    g.ShowPen(0);
    const QImage first = s.Img.copy();
    g.ShowPen(1);
    g.ShowPen(0);
    EXPECT_EQ(s.Img, first);
}

TEST(Undrawable, IndexesOutsideThePensSelectNothing) {
    EnsureGuiApp();
    MemorySurface s, grid;
    TDrawClass g(s, 0xFFFFFFFF), bare(grid, 0xFFFFFFFF);
    bare.DrawGrid();
    g.SetPens({LinearPen()});
    for (int index : {1, 7, -3}) {
        g.ShowPen(index);
        EXPECT_EQ(g.GetSelectedPen(), -1);
        EXPECT_EQ(s.Img, grid.Img);
    }
    g.MouseDown(Qt::LeftButton, {}, 0, 0); // nothing shown: all three do nothing
    g.MouseMove(Qt::LeftButton, {}, 10, 10);
    g.MouseUp(Qt::LeftButton, {}, 10, 10);
    EXPECT_EQ(s.Img, grid.Img);
    EXPECT_EQ(g.GetCaptions(), TCaptions{});
    // Fewer pens than the selected index: the mouse is ignored until the next ShowPen.
    g.ShowPen(0);
    g.SetPens({});
    g.MouseDown(Qt::LeftButton, {}, 250, 250);
    g.MouseMove(Qt::LeftButton, {}, 260, 260);
    EXPECT_TRUE(g.GetPens().empty());
}

TEST(Undrawable, FarOffValuesAreDrawnQuicklyAndStayEditable) {
    EnsureGuiApp();
    const int32_t big = std::numeric_limits<int32_t>::max();
    const auto t0 = std::chrono::steady_clock::now();
    Shown s(MakePen(1, 0, -big, big, big, 1, 1, big, -big));
    s.Graph.SetPointLimiter(false);
    s.Drag(QPoint(488, 12), QPoint(300, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    EXPECT_EQ(s.Point(2), QPoint(300, 300));
    EXPECT_EQ(s.P().P3X, 1);
    s.Graph.DrawCurve();
    Shown base(MakePen(1, 0, 0, 0, 0, 0, 0, 0, 0));
    base.Graph.DrawCurve();
    EXPECT_EQ(s.Surface.Img, base.Surface.Img);
}
