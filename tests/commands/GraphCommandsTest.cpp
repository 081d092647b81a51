// The graph's commands on the main window: choosing the pen, the mouse on the image and the captions it
// copies, and the three limiter switches handed to the graph.

#include "support/WindowFixture.h"

#include "ui/GraphImage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>

namespace {

const QPoint EraserLower(12, 488);
const QPoint EraserUpper(488, 12);
const QStringList Idle = {"Output", "Input", "X: -", "Y: -", "Info"};

class GraphCommands : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), StandardXml()); }
    // The shown (last) pen's lines of the listing: curve, upper and lower threshold.
    QStringList Eraser() { return ListingLines().mid(6, 3); }
};

} // namespace

TEST_F(GraphCommands, HoveringCopiesTheCaptionsAfterEveryMove) {
    Start();
    EXPECT_EQ(Labels(), Idle);

    Move(EraserMiddle);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: ~512", "Y: ~511", "Middle Point"}));
    EXPECT_EQ(Image()->cursor().shape(), Qt::PointingHandCursor) << "the image takes the graph's cursor";
    Move(QPoint(5, 23)); // the upper threshold's handle, left of the graph
    EXPECT_EQ(Labels(), QStringList({"Value: ~", "", "999", "", "Upper Threshold"}));
    Move(QPoint(100, 100));
    EXPECT_EQ(Labels(), Idle);
    EXPECT_EQ(Image()->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(ListingLines(), StandardListing()) << "hovering edits nothing";
}

TEST_F(GraphCommands, PressCopiesNothingWhileMoveAndReleaseDo) {
    Start();
    // Pressed straight after the load, before any move has given the graph texts of its own.
    Press(EraserMiddle);
    EXPECT_EQ(Labels(), Idle) << "the press alone does not copy the captions";
    Move(Target);
    const QStringList dragging = Labels();
    EXPECT_EQ(dragging[2], "X: ~619");
    EXPECT_EQ(dragging[3], "Y: ~619");
    Release(Target);
    EXPECT_EQ(Labels(), Idle);
    EXPECT_EQ(Eraser()[0], "PressureCurveControlPoint 0 0 619 619 1023 1023");
}

TEST_F(GraphCommands, TheRightButtonDragsLikeTheLeftOne) {
    Start();
    const QImage before = Picture();
    Drag(EraserMiddle, Target, Qt::RightButton);
    EXPECT_EQ(Eraser()[0], "PressureCurveControlPoint 0 0 619 619 1023 1023");
    EXPECT_NE(Picture(), before) << "the curve is drawn anew";
}

TEST_F(GraphCommands, ChoosingAPenDrawsItAndEditsOnlyIt) {
    Start();
    const QImage eraser = Picture();
    SelectPen(0);
    const QImage tip = Picture();
    EXPECT_NE(tip, eraser);
    Move(QPoint(291, 302));
    EXPECT_EQ(Labels()[4], "Middle Point") << "the tip's middle point is where the graph shows it";

    Drag(QPoint(291, 302), Target);
    SelectPen(1);
    EXPECT_EQ(Picture(), eraser) << "the eraser is drawn as before";
    QStringList expected = StandardListing();
    expected[1] = "PressureCurveControlPoint 10 0 619 619 1000 1023";
    EXPECT_EQ(ListingLines(), expected);
}

TEST_F(GraphCommands, ChoosingAPenWithTheKeyboardShowsIt) {
    Start();
    SelectPen(0);
    const QImage tip = Picture();
    SelectPen(1);
    auto* list = Ctl<QComboBox>("ComboBox");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(PenIndex(), 0);
    EXPECT_EQ(Picture(), tip);
}

TEST_F(GraphCommands, ADragBeyondTheImageStopsAtTheGraphBorder) {
    Start();
    Drag(EraserMiddle, QPoint(-40, 700));
    EXPECT_EQ(Eraser()[0], "PressureCurveControlPoint 0 0 0 0 1023 1023");
    Move(EraserLower);
    EXPECT_EQ(Labels()[4], "Middle Point") << "drawn on the lower point's pixel";
}

TEST_F(GraphCommands, MaintainLinearCurveActsFromTheNextDragOnly) {
    Start();
    const QImage before = Picture();
    Click("CbLimitMp");
    ASSERT_TRUE(Ctl<QAbstractButton>("CbLimitMp")->isChecked());
    EXPECT_EQ(Picture(), before) << "switching it on moves nothing";
    EXPECT_EQ(ListingLines(), StandardListing());

    // The upper point dragged: it stays on the right edge, and the middle point goes half-way.
    Drag(EraserUpper, QPoint(400, 100));
    EXPECT_EQ(Eraser()[0], "PressureCurveControlPoint 0 0 417 512 834 1023");
}

TEST_F(GraphCommands, LimitControlPointsSwitchedOffLetsTheLowerPointLeaveTheEdge) {
    Start();
    Drag(EraserLower, QPoint(100, 400));
    // Kept on the left edge; the thresholds follow the lower point.
    EXPECT_EQ(Eraser(), QStringList({"PressureCurveControlPoint 189 0 512 512 1023 1023",
                                     "UpperPressureThreshold 189", "LowerPressureThreshold 181"}));

    Click("CBLimitP");
    ASSERT_FALSE(Ctl<QAbstractButton>("CBLimitP")->isChecked());
    Drag(QPoint(12, 400), QPoint(100, 400));
    EXPECT_EQ(Eraser()[0], "PressureCurveControlPoint 189 189 512 512 1023 1023");
}

TEST_F(GraphCommands, LimitThresholdPointsSwitchedOffLetsTheHandleBeDragged) {
    Start();
    const QPoint lowerHandle(495, 479); // right of the graph, on the lower threshold's row
    Drag(lowerHandle, QPoint(495, 300));
    EXPECT_EQ(Eraser()[2], "LowerPressureThreshold 20") << "the limiter keeps the handles fixed";

    Click("CbLimitT");
    ASSERT_FALSE(Ctl<QAbstractButton>("CbLimitT")->isChecked());
    Drag(lowerHandle, QPoint(495, 300));
    EXPECT_EQ(Eraser()[2], "LowerPressureThreshold 404");
}

TEST_F(GraphCommands, LimitersReadFromTheSettingsGovernTheGraph) {
    Env.Write(Env.SettingsFile(), "[Nibwright]\r\nPoint Limiter=0\r\nMiddlePoint Limiter=1\r\n");
    Start();
    EXPECT_FALSE(Ctl<QAbstractButton>("CBLimitP")->isChecked());
    EXPECT_TRUE(Ctl<QAbstractButton>("CbLimitMp")->isChecked());

    Drag(EraserLower, QPoint(100, 400));
    const QStringList lines = Eraser();
    // The lower point leaves the edge, and the middle point follows half-way to the upper point.
    EXPECT_EQ(lines[0], "PressureCurveControlPoint 189 189 606 606 1023 1023");
}
