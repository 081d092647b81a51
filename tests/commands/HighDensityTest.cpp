// The graph on a high-density screen, through the main window: the picture made at the screen's device pixel
// ratio, the same values from the same logical drag, what reaches the screen, a change of screen, and the
// window's other pictures at the ratio. ctest runs these tests again with QT_SCALE_FACTOR 1.5 and 2.

#include "support/WindowFixture.h"

#include "graph/PolylineRaster.h"
#include "ui/GraphImage.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

class HighDensity : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), StandardXml()); }
    double ScreenRatio() const { return std::max(1.0, WindowWidget()->devicePixelRatioF()); }
    // The shown (last) pen's curve line of the listing.
    QString EraserCurve() { return ListingLines().value(6); }
    // The ratios to try: the screen's and two dense ones set on the widget.
    std::vector<double> RatiosToTry() const { return {ScreenRatio(), 1.5, 2.0}; }
};

QRgb At(const QImage& picture, int x, int y) {
    const TDeviceScale s = TDeviceScale::Of(picture);
    return picture.pixel(int(s.Edge(x)), int(s.Edge(y))) & 0xFFFFFF;
}

} // namespace

TEST_F(HighDensity, TheGraphIsDrawnAtTheScreensDevicePixelRatio) {
    Start();
    const double r = ScreenRatio();
    if (qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() > 0) {
        EXPECT_EQ(r, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble())
            << "the scale factor reaches the window";
    }
    EXPECT_EQ(Image()->DeviceRatio(), r);
    const TDeviceScale s(r);
    EXPECT_EQ(Image()->size(), QSize(500, 500));
    EXPECT_EQ(Picture().size(), s.DeviceSize(QSize(500, 500)));
    EXPECT_EQ(Picture().devicePixelRatio(), r);
    // The eraser's straight curve runs through its middle point, inside the point's circle.
    EXPECT_EQ(At(Picture(), 250, 250), 0xFF0000u);
    EXPECT_EQ(At(Picture(), 12, 100), 0x000000u) << "the grid's first line";

    ASSERT_TRUE(Trigger("Small1"));
    EXPECT_EQ(Picture().size(), s.DeviceSize(QSize(300, 300)));
    EXPECT_EQ(At(Picture(), 140, 160), 0xFF0000u);
    ASSERT_TRUE(Trigger("Big1"));
    EXPECT_EQ(Picture().size(), s.DeviceSize(QSize(500, 500)));
}

TEST_F(HighDensity, TheSameLogicalDragReachesTheSameValuesAtEveryRatio) {
    Start();
    for (double r : RatiosToTry()) {
        Image()->SetDeviceRatio(r);
        Move(EraserMiddle);
        EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: ~512", "Y: ~511", "Middle Point"})) << r;
        Drag(EraserMiddle, Target);
        EXPECT_EQ(EraserCurve(), "PressureCurveControlPoint 0 0 619 619 1023 1023") << r;
        // Beyond the image the drag stops at the graph area's border, in logical pixels still.
        Drag(Target, QPoint(520, -30));
        EXPECT_EQ(EraserCurve(), "PressureCurveControlPoint 0 0 1023 1023 1023 1023") << r;
        Click("BtReset");
    }
}

TEST_F(HighDensity, TheWidgetPaintsEveryDevicePixelOfThePictureOneToOne) {
    Start();
    for (double r : RatiosToTry()) {
        Image()->SetDeviceRatio(r);
        Drag(EraserMiddle, Target);
        const QImage picture = Picture();
        QImage painted(picture.size(), QImage::Format_RGB32);
        painted.setDevicePixelRatio(r);
        painted.fill(Qt::magenta);
        Image()->render(&painted);
        int differ = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                differ += (painted.pixel(x, y) & 0xFFFFFF) != (picture.pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(differ, 0) << "device pixels painted otherwise than drawn at ratio " << r;
        Click("BtReset");
    }
}

TEST_F(HighDensity, AScreenOfAnotherRatioGetsTheGraphAndTheStripsDrawnAgain) {
    Start();
    QWidget* window = WindowWidget();
    QScreen* home = window->screen();
    const double homeRatio = Image()->DeviceRatio();
    QScreen* other = nullptr;
    for (QScreen* s : QGuiApplication::screens())
        if (s->devicePixelRatio() != home->devicePixelRatio())
            other = s;
    const QPoint place = window->pos();
    Drag(EraserMiddle, Target);
    const QImage before = Picture();
    const QSize stripSize = Ctl<QLabel>("Image_Right")->pixmap().size();

    // The window moves to the other screen; on a platform of one screen the widget is given another ratio.
    if (other) {
        window->move(other->geometry().topLeft() + QPoint(40, 40));
        QApplication::processEvents();
        ASSERT_EQ(window->screen(), other);
        EXPECT_EQ(Image()->DeviceRatio(), std::max(1.0, other->devicePixelRatio()));
    } else {
        Image()->SetDeviceRatio(homeRatio == 2.0 ? 1.5 : 2.0);
    }
    const TDeviceScale s(Image()->DeviceRatio());
    ASSERT_NE(s.Ratio(), homeRatio);
    EXPECT_EQ(Picture().size(), s.DeviceSize(QSize(500, 500)));
    EXPECT_EQ(At(Picture(), 12, 100), 0x000000u) << "the grid, drawn again";
    EXPECT_EQ(At(Picture(), 300, 196), 0x000000u) << "the dragged point's circle, where it was dragged";
    EXPECT_EQ(Ctl<QLabel>("Image_Right")->pixmap().size(), s.DeviceSize(QSize(25, 500)));
    Drag(Target, EraserMiddle);
    EXPECT_EQ(EraserCurve(), "PressureCurveControlPoint 0 0 511 512 1023 1023");
    Drag(EraserMiddle, Target);

    // Back on the first screen (or told of its screen) the picture is as before.
    if (other) {
        window->move(place);
    } else {
        QEvent change(QEvent::ScreenChangeInternal);
        QApplication::sendEvent(Image(), &change);
    }
    QApplication::processEvents();
    EXPECT_EQ(window->screen(), home);
    EXPECT_EQ(Image()->DeviceRatio(), homeRatio);
    EXPECT_EQ(Picture(), before);
    EXPECT_EQ(Ctl<QLabel>("Image_Right")->pixmap().size(), stripSize);
}

TEST_F(HighDensity, TheStripsAndTheShieldHavePicturesForTheRatio) {
    Start();
    Image()->SetDeviceRatio(1.0);
    const QImage right = LoadJpegResource(ImageRightResource);
    EXPECT_EQ(Ctl<QLabel>("Image_Right")->pixmap().toImage(), right) << "at ratio 1 the picture itself";
    Image()->SetDeviceRatio(2.0);
    const QPixmap dense = Ctl<QLabel>("Image_Bottom")->pixmap();
    EXPECT_EQ(dense.size(), QSize(1000, 50));
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);

    const QIcon shield = Ctl<QPushButton>("BtApply")->icon();
    EXPECT_EQ(shield.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 16));
    EXPECT_EQ(shield.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32))
        << "a sharp shield at twice the density";
}
