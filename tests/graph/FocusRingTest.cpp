// The keyboard's handle on the graph: the ring that marks it, drawn in the inverting mode with the other
// moving figures, and the press that picks exactly that handle.

#include "GraphFixture.h"

namespace {

// Pixels where the two images differ.
std::vector<QPoint> Differences(const QImage& a, const QImage& b) {
    std::vector<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                out.emplace_back(x, y);
    return out;
}

} // namespace

TEST(FocusRing, EachHandlesRingStaysAroundItAndIsErasedToTheLastPixel) {
    Shown t(LinearPen());
    const QImage plain = t.Surface.Img.copy();
    for (int handle = 0; handle < 5; ++handle) {
        const QPoint centre = t.Graph.HandlePosition(handle);
        t.Graph.SetFocusHandle(handle);
        const std::vector<QPoint> changed = Differences(plain, t.Surface.Img);
        EXPECT_FALSE(changed.empty()) << handle;
        for (const QPoint& p : changed)
            ASSERT_LE(std::max(std::abs(p.x() - centre.x()), std::abs(p.y() - centre.y())), 8) << handle;
        t.Graph.DrawCurve();
        t.Graph.DrawCurve();
        t.Graph.SetFocusHandle(-1);
        EXPECT_EQ(t.Surface.Img, plain) << handle;
    }
    // The threshold handles sit 7 pixels beside the graph, on the rows of their lines.
    EXPECT_EQ(t.Graph.HandlePosition(TDrawClass::TargetUpperThreshold), QPoint(5, 479));
    EXPECT_EQ(t.Graph.HandlePosition(TDrawClass::TargetLowerThreshold), QPoint(495, 483));
}

TEST(FocusRing, ShowsInItsColourOnWhiteAndMovesWithItsHandle) {
    Shown t(LinearPen());
    t.Graph.SetFocusHandle(TDrawClass::TargetMiddle);
    EXPECT_EQ(Rgb(t.Surface.Img, 243, 250), 0xFF8C00u);
    EXPECT_EQ(Rgb(t.Surface.Img, 250, 242), 0xFF8C00u);
    EXPECT_EQ(Rgb(t.Surface.Img, 246, 246), 0xFFFFFFu) << "a pixel clear between ring and point circle";

    t.Drag(QPoint(250, 250), QPoint(300, 200));
    t.Graph.SetFocusHandle(-1);
    Shown fresh(t.P());
    EXPECT_EQ(t.Surface.Img, fresh.Surface.Img);

    // ShowPen draws the ring of the handle that has the keyboard.
    fresh.Graph.SetFocusHandle(TDrawClass::TargetUpper);
    const QImage ringed = fresh.Surface.Img.copy();
    fresh.Graph.ShowPen(0);
    EXPECT_EQ(fresh.Surface.Img, ringed);
}

TEST(PressHandle, PicksThatHandleWhereOthersOverlapItAndKeepsTheThresholdLimiter) {
    Shown all(MakePen(1023, 0, 0, 3, 3, 6, 6, 20, 10)); // three points within a few pixels
    for (int i = 0; i < 3; ++i) {
        all.Graph.PressHandle(i);
        EXPECT_TRUE(all.Graph.IsDragging());
        EXPECT_EQ(all.Graph.GetDragTarget(), i);
        all.Up();
    }
    all.Graph.PressHandle(TDrawClass::TargetUpperThreshold);
    EXPECT_FALSE(all.Graph.IsDragging()) << "the threshold limiter holds the handles";
    EXPECT_EQ(all.Graph.GetDragTarget(), TDrawClass::TargetUpperThreshold);
    all.Graph.SetThresholdLimiter(false);
    all.Graph.PressHandle(TDrawClass::TargetLowerThreshold);
    EXPECT_TRUE(all.Graph.IsDragging());
    EXPECT_EQ(all.Graph.GetDragTarget(), TDrawClass::TargetLowerThreshold);
}
