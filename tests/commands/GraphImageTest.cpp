// The graph image widget: what a drag repaints, and the picture it shows.

#include "support/WindowFixture.h"

#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include "graph/DrawClass.h"

#include <QPaintEvent>
#include <QTest>

namespace {

// Collects the regions of the paint events a widget receives.
class PaintSpy : public QObject {
public:
    QRegion Painted;
    int Events = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            Painted += static_cast<QPaintEvent*>(e)->region();
            ++Events;
        }
        return false;
    }
};

} // namespace

namespace {
class GraphImage : public CommandTest {};
} // namespace

TEST_F(GraphImage, ADragMoveRepaintsEveryChangedPixelButNotTheWholeImage) {
    StartOnWacom(XmlDocument(XmlPen(PlainPen("Tip"))));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    QCoreApplication::processEvents();
    PaintSpy spy;
    Window()->Image->installEventFilter(&spy);

    // The upper point moves a little along the right edge: curve, circle and nothing of the grid.
    const QPoint upper = Window()->GetGraph()->GetPoints()[2];
    QTest::mousePress(Window()->Image, Qt::LeftButton, Qt::NoModifier, upper);
    QCoreApplication::processEvents();
    const QImage before = Picture();
    spy.Painted = QRegion();
    spy.Events = 0;
    QTest::mouseMove(Window()->Image, upper + QPoint(0, 20));
    QCoreApplication::processEvents();
    ASSERT_GT(spy.Events, 0);
    const QRect bounds = spy.Painted.boundingRect();
    EXPECT_LT(bounds.width() * bounds.height(), 500 * 500) << "no full repaint";
    // Every pixel the move changed is repainted; one left out stays stale on the screen. The picture has
    // device pixels, the repainted region logical ones.
    const QImage after = Picture();
    const double ratio = after.devicePixelRatio();
    int changed = 0;
    QRegion stale;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y)) {
                ++changed;
                if (!spy.Painted.contains(QPoint(int(x / ratio), int(y / ratio))))
                    stale += QRect(x, y, 1, 1);
            }
    EXPECT_GT(changed, 0);
    EXPECT_TRUE(stale.isEmpty()) << "changed but not repainted: " << stale.rectCount()
                                 << " rectangles within " << stale.boundingRect().x() << ","
                                 << stale.boundingRect().y() << " " << stale.boundingRect().width() << "x"
                                 << stale.boundingRect().height();
    QTest::mouseRelease(Window()->Image, Qt::LeftButton, Qt::NoModifier, upper + QPoint(0, 20));
    Window()->Image->removeEventFilter(&spy);
}

TEST_F(GraphImage, TheWidgetShowsThePictureOneToOne) {
    StartOnWacom(XmlDocument(XmlPen(PlainPen("Tip"))));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    const QImage shown = Window()->Image->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& picture = Window()->Image->Image();
    ASSERT_EQ(shown.size(), picture.size());
    for (const QPoint p : {QPoint(0, 0), QPoint(12, 250), QPoint(250, 250),
                           Window()->GetGraph()->GetPoints()[1], QPoint(486, 100), QPoint(499, 499)})
        EXPECT_EQ(shown.pixel(p), picture.pixel(p)) << p.x() << "," << p.y();
}
