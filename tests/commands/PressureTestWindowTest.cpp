// The Pressure Test window, driven as a tablet drives it: tablet events go to the window and Qt hands them to
// the drawing area (keeping them there while the pen is down, wherever it moves). The strokes, the readings,
// the mouse note, the marker on the main window's graph and the input a driver should never send.

#include "support/WindowFixture.h"
#include "system/functions.h"

#include "graph/DrawClass.h"
#include "ui/Form_Edit.h"
#include "ui/Form_PressureTest.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"
#include "ui/PressurePad.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointingDevice>
#include <QPushButton>
#include <QScreen>
#include <QTabletEvent>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// Two pens of two tablets, known to Qt by their ids.
const QPointingDevice* Stylus(int which = 0) {
    static const QPointingDevice* devices[2] = {};
    if (!devices[which]) {
        devices[which] =
            new QPointingDevice(QStringLiteral("Test stylus %1").arg(which), 7700 + which,
                                QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
                                QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2,
                                QString(), QPointingDeviceUniqueId::fromNumericId(7700 + which), qApp);
    }
    return devices[which];
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// The darkest grey of a column of the strokes and how many of its pixels are not white.
struct Cut {
    int Darkest = 255;
    int Inked = 0;
};

class PressureTest : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), StandardXml()); }

    TFormPressureTest* Open() {
        EXPECT_TRUE(Trigger("PressureTest1"));
        auto* form = WindowWidget()->findChild<TFormPressureTest*>("FormPressureTest");
        EXPECT_NE(form, nullptr);
        if (form) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
        }
        Form = form;
        return form;
    }
    TPressurePad* Pad() const { return Form->Pad; }

    // A tablet event as the platform delivers it: to the window, at a point given in the area's pixels.
    // Returns whether it was accepted (otherwise Qt would make a mouse event of it as well).
    bool Tablet(QEvent::Type type, QPointF at, double pressure, int stylus = 0) {
        const QPointF global = QPointF(Pad()->mapToGlobal(QPoint(0, 0))) + at;
        const QPointF local = global - QPointF(Form->mapToGlobal(QPoint(0, 0)));
        const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent event(type, Stylus(stylus), local, global, pressure, 0, 0, 0, 0, 0, Qt::NoModifier,
                           button, buttons);
        event.setAccepted(false);
        QApplication::sendEvent(Form->windowHandle(), &event);
        return event.isAccepted();
    }
    // A stroke along the row from one column to another, at one pressure, lifted at its end.
    void Stroke(int row, int from, int to, double pressure) {
        EXPECT_TRUE(Tablet(QEvent::TabletPress, QPointF(from, row), pressure));
        for (int x = from + 10; x <= to; x += 10)
            EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(x, row), pressure));
        EXPECT_TRUE(Tablet(QEvent::TabletRelease, QPointF(to, row), 0));
        QApplication::processEvents();
    }
    Cut At(int column, int top, int bottom) const {
        Cut cut;
        const QImage& img = Pad()->Strokes();
        for (int y = top; y <= bottom; ++y) {
            const int grey = qGray(img.pixel(column, y));
            cut.Darkest = std::min(cut.Darkest, grey);
            cut.Inked += grey < 250;
        }
        return cut;
    }
    bool Blank(QRect area) const {
        const QImage& img = Pad()->Strokes();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    return false;
        return true;
    }
    // Runs `command` while the pen presses and the graph is marked. The graph must be as `without` right
    // after it, marked again at the pen's next move, and as `without` once more after the lift.
    void MarkedDuring(const std::function<void()>& command, const QImage& without) {
        Tablet(QEvent::TabletPress, QPointF(100, 100), 0.6);
        command();
        EXPECT_EQ(Picture(), without) << "right after the command";
        Tablet(QEvent::TabletMove, QPointF(110, 100), 0.3);
        EXPECT_NE(Picture(), without) << "marked again";
        Tablet(QEvent::TabletRelease, QPointF(110, 100), 0);
        EXPECT_EQ(Picture(), without) << "after the lift";
    }
    QString Live() const { return Form->LabelPressure->text(); }
    QString Peak() const { return Form->LabelPeak->text(); }

    TFormPressureTest* Form = nullptr;
};

bool Differs(const QImage& a, const QImage& b, int x, int y) {
    return a.pixel(x, y) != b.pixel(x, y);
}

} // namespace

TEST_F(PressureTest, TheEntryOpensOneModelessWindowBuiltOnFirstUse) {
    Start();
    EXPECT_EQ(Act("PressureTest1")->shortcut(), QKeySequence("Ctrl+T"));
    EXPECT_EQ(Window()->GetPressureTest(), nullptr) << "built on first use";

    TFormPressureTest* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Pressure Test");
    EXPECT_TRUE(form->isWindow());
    EXPECT_EQ(form->windowModality(), Qt::NonModal);
    EXPECT_GE(Pad()->width(), 400);
    EXPECT_GE(Pad()->height(), 300);
    EXPECT_TRUE(form->screen()->availableGeometry().contains(form->frameGeometry()))
        << "placed on the screen";
    EXPECT_TRUE(form->LabelExplain->text().contains("Apply Changes"));
    EXPECT_EQ(Live(), "Received: -");
    EXPECT_EQ(Peak(), "Peak of last stroke: -");

    // The main window goes on working while it is open; a second use shows the same window.
    SelectPen(0);
    EXPECT_EQ(PenIndex(), 0);
    form->close();
    EXPECT_EQ(Open(), form);
}

TEST_F(PressureTest, ALightStrokeIsThinAndFaintAndAHeavyOneThickAndDark) {
    Start();
    Open();
    Stroke(80, 40, 360, 0.1);
    Stroke(220, 40, 360, 0.9);
    const Cut light = At(200, 40, 120);
    const Cut heavy = At(200, 180, 260);
    EXPECT_LE(light.Inked, 4);
    EXPECT_GE(light.Darkest, 190);
    EXPECT_GE(heavy.Inked, 13);
    EXPECT_LE(heavy.Darkest, 40);
    EXPECT_TRUE(Blank(QRect(0, 130, 400, 40))) << "nothing between the strokes";

    Click("BtClear");
    EXPECT_TRUE(Blank(Pad()->rect()));
}

TEST_F(PressureTest, ReadingsGiveThePressureInPercentAndInTheShownPensUnits) {
    Start();
    Open();
    Tablet(QEvent::TabletPress, QPointF(50, 50), 0.25);
    EXPECT_EQ(Live(), "Received: 25.0 % (256 of 1023)");
    Tablet(QEvent::TabletMove, QPointF(60, 50), 0.75);
    Tablet(QEvent::TabletMove, QPointF(70, 50), 0.5);
    EXPECT_EQ(Live(), "Received: 50.0 % (512 of 1023)") << "half of 1023 rounds to even";
    EXPECT_EQ(Peak(), "Peak of last stroke: 75.0 % (767 of 1023)");
    Tablet(QEvent::TabletRelease, QPointF(70, 50), 0);
    EXPECT_EQ(Live(), "Received: -");
    EXPECT_EQ(Peak(), "Peak of last stroke: 75.0 % (767 of 1023)") << "the peak stays after the lift";

    Tablet(QEvent::TabletPress, QPointF(50, 90), 0.3);
    EXPECT_EQ(Peak(), "Peak of last stroke: 30.0 % (307 of 1023)") << "a new stroke starts a new peak";
    Tablet(QEvent::TabletRelease, QPointF(50, 90), 0);
    Click("BtClear");
    EXPECT_EQ(Peak(), "Peak of last stroke: -");
}

TEST_F(PressureTest, TheMarkerStandsOnTheShownPensCurveAndLeavesNoTrace) {
    Start();
    Open();
    const QImage plain = Picture();
    // The eraser's straight curve: half pressure is output 512, column 250, met on row 250.
    Tablet(QEvent::TabletPress, QPointF(100, 100), 0.5);
    QApplication::processEvents();
    const QImage marked = Picture();
    EXPECT_TRUE(Differs(plain, marked, 250, 244)) << "the ring around (250, 250)";
    EXPECT_TRUE(Differs(plain, marked, 250, 420));
    EXPECT_TRUE(Differs(plain, marked, 420, 250));
    EXPECT_FALSE(Differs(plain, marked, 250, 200));
    EXPECT_FALSE(Differs(plain, marked, 251, 420));

    Tablet(QEvent::TabletMove, QPointF(110, 100), 0.9);
    EXPECT_TRUE(Differs(plain, Picture(), 441, 470)) << "the marker follows the pressure: 921, column 441";
    EXPECT_FALSE(Differs(plain, Picture(), 250, 420));
    Tablet(QEvent::TabletRelease, QPointF(110, 100), 0);
    EXPECT_EQ(Picture(), plain);
}

TEST_F(PressureTest, APenChangeOrADragWhileMarkedLeavesTheGraphAsWithoutTheMarker) {
    Start();
    Open();
    const QImage eraser = Picture();
    SelectPen(0);
    const QImage tip = Picture();
    SelectPen(1);
    MarkedDuring([&] { SelectPen(0); }, tip);

    SelectPen(1);
    Drag(EraserMiddle, Target);
    const QImage dragged = Picture();
    Drag(Target, EraserMiddle);
    ASSERT_EQ(Picture(), eraser);
    MarkedDuring([&] { Drag(EraserMiddle, Target); }, dragged);
}

TEST_F(PressureTest, AReloadOrALayoutSwitchWhileMarkedLeavesTheGraphAsWithoutTheMarker) {
    Start();
    Open();
    const QImage big = Picture();
    MarkedDuring([&] { Click("BtReset"); }, big);

    Trigger("Small1");
    const QImage small = Picture();
    Trigger("Big1");
    MarkedDuring([&] { Trigger("Small1"); }, small);
}

TEST_F(PressureTest, ClosingTheWindowTakesTheMarkerOffAndEndsTheStroke) {
    Start();
    Open();
    const QImage plain = Picture();
    Tablet(QEvent::TabletPress, QPointF(100, 100), 0.6);
    Form->close();
    EXPECT_EQ(Picture(), plain);
    EXPECT_FALSE(Pad()->InPenStroke());
    EXPECT_EQ(Live(), "Received: -");
}

TEST_F(PressureTest, WithoutAValidFileThereIsNoMarkerAndOnlyThePercentage) {
    // No file at all: the entry is enabled all the same.
    QFile::remove(Env.WacomFile());
    Start();
    ASSERT_EQ(Status(), "Wacom Configuration File Not Found...");
    Open();
    const QImage grid = Picture();
    Tablet(QEvent::TabletPress, QPointF(100, 100), 0.4);
    EXPECT_EQ(Live(), "Received: 40.0 %");
    EXPECT_EQ(Peak(), "Peak of last stroke: 40.0 %");
    EXPECT_EQ(Picture(), grid);
    Tablet(QEvent::TabletRelease, QPointF(100, 100), 0);

    // A file without pens after a valid one: the graph keeps the earlier pens, out of reach, and marks
    // nothing with them.
    Env.Write(Env.WacomFile(), StandardXml());
    Trigger("OpenDefault1");
    Env.Write(Env.WacomFile(), "not a preference file\r\n");
    Click("BtReset");
    ASSERT_FALSE(Image()->isEnabled());
    ASSERT_TRUE(Act("PressureTest1")->isEnabled());
    const QImage invalid = Picture();
    Tablet(QEvent::TabletPress, QPointF(100, 100), 0.4);
    EXPECT_EQ(Live(), "Received: 40.0 %");
    EXPECT_EQ(Picture(), invalid);
    Tablet(QEvent::TabletRelease, QPointF(100, 100), 0);

    // A missing file after a valid one, through "Open..." or "Open Default Config": the earlier file's
    // handler stays, out of reach, and the graph shows no pen, so nothing is marked in any pen's units.
    for (const char* entry : {"Open1", "OpenDefault1"}) {
        Env.Write(Env.WacomFile(), StandardXml());
        Trigger("OpenDefault1");
        ASSERT_TRUE(Image()->isEnabled());
        if (QString(entry) == "Open1")
            Prompter.Files.push_back(Env.Root() + "/missing.dat");
        else
            QFile::remove(Env.WacomFile());
        Trigger(entry);
        ASSERT_EQ(Status(), "Wacom Configuration File Not Found...") << entry;
        const QImage empty = Picture();
        Tablet(QEvent::TabletPress, QPointF(100, 100), 0.4);
        EXPECT_EQ(Live(), "Received: 40.0 %") << entry;
        EXPECT_EQ(Form->LabelForce->text(), "Force: -") << entry;
        EXPECT_EQ(Picture(), empty) << entry;
        Tablet(QEvent::TabletRelease, QPointF(100, 100), 0);
    }
}

TEST_F(PressureTest, TheMouseDrawsAtMiddlePressureAndIsToldToUseThePen) {
    Start();
    Open();
    const QImage plain = Picture();
    EXPECT_FALSE(Form->LabelMouseNote->isVisible());
    QTest::mousePress(Pad(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 150));
    QTest::mouseMove(Pad(), QPoint(200, 150));
    QTest::mouseMove(Pad(), QPoint(360, 150));
    QTest::mouseRelease(Pad(), Qt::LeftButton, Qt::NoModifier, QPoint(360, 150));
    QApplication::processEvents();
    EXPECT_TRUE(Form->LabelMouseNote->isVisible());
    EXPECT_EQ(Form->LabelMouseNote->text(), "Draw with the tablet's pen to see its pressure");
    const Cut cut = At(200, 120, 180);
    EXPECT_GE(cut.Inked, 7);
    EXPECT_LE(cut.Inked, 11);
    EXPECT_NEAR(cut.Darkest, 115, 10);
    EXPECT_EQ(Live(), "Received: -") << "the mouse sends no pressure";
    EXPECT_EQ(Picture(), plain);

    Stroke(60, 40, 100, 0.5);
    EXPECT_FALSE(Form->LabelMouseNote->isVisible()) << "the pen's own input hides the note";
}

TEST_F(PressureTest, PressuresOutsideTheScaleAreClampedAndNaNIsIgnored) {
    Start();
    Open();
    const QImage plain = Picture();
    EXPECT_TRUE(Tablet(QEvent::TabletPress, QPointF(40, 100), NaN));
    EXPECT_EQ(Live(), "Received: -");
    EXPECT_TRUE(Blank(QRect(30, 90, 20, 20))) << "nothing drawn without a pressure";
    EXPECT_EQ(Picture(), plain);

    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(100, 100), 1.5));
    EXPECT_EQ(Live(), "Received: 100.0 % (1023 of 1023)");
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(160, 100), Inf));
    EXPECT_EQ(Live(), "Received: 100.0 % (1023 of 1023)");
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(220, 100), -0.5));
    EXPECT_EQ(Live(), "Received: 0.0 % (0 of 1023)");
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(280, 100), -Inf));
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(300, 100), NaN));
    EXPECT_EQ(Live(), "Received: 0.0 % (0 of 1023)") << "the last real pressure stays";
    EXPECT_EQ(Peak(), "Peak of last stroke: 100.0 % (1023 of 1023)");
    EXPECT_LE(At(130, 80, 120).Darkest, 10) << "drawn as the heaviest stroke";
    EXPECT_TRUE(Tablet(QEvent::TabletRelease, QPointF(300, 100), NaN));
    EXPECT_EQ(Picture(), plain);
}

TEST_F(PressureTest, ASecondPointerOrTheMouseInTheMiddleOfAStrokeIsIgnored) {
    Start();
    Open();
    const QImage plain = Picture();
    Tablet(QEvent::TabletPress, QPointF(40, 60), 0.3);
    QApplication::processEvents();
    const QImage marked = Picture();

    EXPECT_TRUE(Tablet(QEvent::TabletPress, QPointF(200, 200), 1.0, 1))
        << "accepted, so Qt makes no mouse event";
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(260, 220), 1.0, 1));
    EXPECT_TRUE(Tablet(QEvent::TabletRelease, QPointF(260, 220), 0, 1));
    QTest::mousePress(Pad(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 260));
    QTest::mouseMove(Pad(), QPoint(350, 270));
    QTest::mouseRelease(Pad(), Qt::LeftButton, Qt::NoModifier, QPoint(350, 270));
    EXPECT_TRUE(Blank(QRect(150, 150, 250, 150)));
    EXPECT_EQ(Live(), "Received: 30.0 % (307 of 1023)");
    EXPECT_EQ(Peak(), "Peak of last stroke: 30.0 % (307 of 1023)");
    EXPECT_EQ(Picture(), marked);
    EXPECT_TRUE(Pad()->InPenStroke());

    // The first pen goes on and lifts as usual.
    Tablet(QEvent::TabletMove, QPointF(80, 60), 0.3);
    EXPECT_FALSE(Blank(QRect(60, 55, 10, 10)));
    Tablet(QEvent::TabletRelease, QPointF(80, 60), 0);
    EXPECT_EQ(Picture(), plain);
}

TEST_F(PressureTest, AStrokeThatLeavesTheAreaIsClippedToItAndFollowedBack) {
    Start();
    Open();
    const QImage plain = Picture();
    const QSize canvas = Pad()->Strokes().size();
    Tablet(QEvent::TabletPress, QPointF(200, 150), 0.8);
    // Qt keeps the pen's events on the area while it is down, with points outside it.
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(-300, 150), 0.8));
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(1e9, -1e9), 0.8));
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(-1e300, 1e300), 0.8));
    EXPECT_TRUE(Tablet(QEvent::TabletMove, QPointF(200, 250), 0.8));
    EXPECT_TRUE(Tablet(QEvent::TabletRelease, QPointF(900, 250), 0));
    QApplication::processEvents();
    EXPECT_EQ(Pad()->Strokes().size(), canvas);
    EXPECT_LE(At(2, 140, 160).Darkest, 50) << "the stroke runs to the area's edge";
    EXPECT_LE(At(200, 240, 260).Darkest, 50) << "and on from where the pen came back";
    EXPECT_LE(At(199, 251, 265).Darkest, 50) << "on the line from far away, not from the area's corner";
    EXPECT_EQ(Live(), "Received: -");
    EXPECT_EQ(Picture(), plain);
}

TEST_F(PressureTest, AFloodOfEventsLeavesNothingBehind) {
    Start();
    Open();
    const QImage plain = Picture();
    Tablet(QEvent::TabletPress, QPointF(10, 10), 0.2);
    // Bursts of far more events than any pen sends between two repaints; the event loop runs between bursts,
    // as it does between a pen's reports, so that the repaint region is flushed as in a running program.
    for (int i = 0; i < 2000; ++i) {
        const double pressure = (i % 97) / 96.0;
        Tablet(QEvent::TabletMove, QPointF(i % 600 - 100, (i * 7) % 500 - 100), pressure);
        if (i % 100 == 99)
            QApplication::processEvents();
    }
    EXPECT_EQ(Live(), "Received: 61.5 % (629 of 1023)") << "the last event's, 59 / 96";
    Tablet(QEvent::TabletRelease, QPointF(10, 10), 0);
    QApplication::processEvents();
    EXPECT_EQ(Picture(), plain);
    EXPECT_EQ(Peak(), "Peak of last stroke: 100.0 % (1023 of 1023)");
}

// --- Feeling the edited curve ------------------------------------------------------------------------------

namespace {

// One firm pen of resolution 1000: outputs (x) 0, 200, 1000 at forces (y) 0, 800, 1000, so that half way
// along, force 650 gives output 350.
QByteArray FirmFile() {
    return XmlDocument(XmlPen(PenTexts{"Tip", "1000", "0 0 800 200 1000 1000", "990", "10"}));
}

} // namespace

class FeelTest : public PressureTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), FirmFile()); }
    // "Pressure received" chosen as the user chooses it.
    void Received(int row) {
        Form->CBoxReceived->setCurrentIndex(row);
        emit Form->CBoxReceived->activated(row);
    }
    // The pen made straight in the Pen Editor, not applied.
    void Straighten() {
        EditPens([](QDialog* d) {
            for (const char* field : {"P2X", "P2Y"}) {
                auto* edit = d->findChild<QLineEdit*>(QString::fromLatin1(field));
                EXPECT_NE(edit, nullptr);
                if (edit)
                    edit->setText("500");
            }
            QTest::mouseClick(static_cast<TFormEdit*>(d)->OKButton(), Qt::LeftButton);
            return d->result();
        });
    }
    // The three readouts of a press at `pressure`, lifted again.
    QStringList Felt(double pressure) {
        Tablet(QEvent::TabletPress, QPointF(30, 30), pressure);
        const QStringList texts{Form->LabelForce->text(), Live(), Form->LabelEdited->text()};
        Tablet(QEvent::TabletRelease, QPointF(30, 30), 0);
        return texts;
    }
};

TEST_F(FeelTest, TheForceComesThroughTheAppliedCurveAndTheOutputFromTheEditedOne) {
    Start();
    Open();
    // The choice follows the service detection: on Windows the default file's path fits its driver family;
    // elsewhere no path does.
    EXPECT_EQ(Form->CBoxReceived->currentIndex(), PathDelim == '\\' ? TFormPressureTest::ReceivedThroughCurve
                                                                    : TFormPressureTest::ReceivedAsMeasured);
    EXPECT_TRUE(Form->CbFeel->isChecked());
    Received(TFormPressureTest::ReceivedThroughCurve);
    EXPECT_EQ(Felt(0.35), QStringList({"Force: 65.0 % (650 of 1000)", "Received: 35.0 % (350 of 1000)",
                                       "With the edited curve: 35.0 % (350 of 1000)"}));
    EXPECT_EQ(Form->LabelChange->text(), "The shown pen has no unapplied change: both ways draw alike.");

    Straighten();
    EXPECT_EQ(Felt(0.35), QStringList({"Force: 65.0 % (650 of 1000)", "Received: 35.0 % (350 of 1000)",
                                       "With the edited curve: 65.0 % (650 of 1000)"}));
    EXPECT_EQ(Form->LabelChange->text(), "The shown pen has unapplied changes.");
    Received(TFormPressureTest::ReceivedAsMeasured);
    EXPECT_EQ(Felt(0.35), QStringList({"Force: 35.0 % (350 of 1000)", "Received: 35.0 % (350 of 1000)",
                                       "With the edited curve: 35.0 % (350 of 1000)"}));

    // Saved, the straight curve is the applied one; the choice made stays.
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));
    EXPECT_EQ(Form->CBoxReceived->currentIndex(), TFormPressureTest::ReceivedAsMeasured);
    Received(TFormPressureTest::ReceivedThroughCurve);
    EXPECT_EQ(Felt(0.35), QStringList({"Force: 35.0 % (350 of 1000)", "Received: 35.0 % (350 of 1000)",
                                       "With the edited curve: 35.0 % (350 of 1000)"}));
    EXPECT_EQ(Form->LabelChange->text(), "The shown pen has no unapplied change: both ways draw alike.");
}

TEST_F(FeelTest, StrokesFollowTheEditedCurveWhenCheckedAndThePressureReceivedWhenNot) {
    Start();
    Open();
    Received(TFormPressureTest::ReceivedThroughCurve);
    Straighten();
    Stroke(60, 40, 360, 0.35); // felt as 0.65
    Click("CbFeel");
    ASSERT_FALSE(Form->CbFeel->isChecked());
    Stroke(160, 40, 360, 0.65);
    Stroke(260, 40, 360, 0.35);
    const Cut felt = At(200, 20, 100), received = At(200, 120, 200), plain = At(200, 220, 290);
    EXPECT_EQ(felt.Darkest, received.Darkest);
    EXPECT_EQ(felt.Inked, received.Inked);
    EXPECT_GT(plain.Darkest, felt.Darkest + 40);
    EXPECT_LT(plain.Inked, felt.Inked);
}

TEST_F(FeelTest, WithAnUnappliedEditTheMarkerShowsTheForceWhereItMeetsTheEditedCurve) {
    Start();
    Open();
    Received(TFormPressureTest::ReceivedThroughCurve);
    Straighten();
    const QImage plain = Picture();
    // Received 350 took force 650 through the firm curve; the straight one gives output 650 there: column
    // and row 12 + Round(476 * 0.65) = 321 across, 488 - 309 = 179 down.
    Tablet(QEvent::TabletPress, QPointF(100, 100), 0.35);
    QApplication::processEvents();
    const QImage marked = Picture();
    EXPECT_TRUE(Differs(plain, marked, 321, 173)) << "the ring around (321, 179)";
    EXPECT_FALSE(Differs(plain, marked, 321, 179)) << "the curve shows through it";
    EXPECT_TRUE(Differs(plain, marked, 321, 420)) << "the output column";
    EXPECT_TRUE(Differs(plain, marked, 450, 179)) << "the force row";
    EXPECT_FALSE(Differs(plain, marked, 179, 420)) << "not the column of the pressure received";
    Tablet(QEvent::TabletRelease, QPointF(100, 100), 0);
    EXPECT_EQ(Picture(), plain);
}

TEST_F(FeelTest, WithoutAnUnappliedChangeTheMarkerIsThePressureReceivedsOwn) {
    Start();
    Open();
    Received(TFormPressureTest::ReceivedThroughCurve);
    TDrawClass* graph = Window()->GetGraph();
    for (double pressure : {0.03, 0.2, 0.35, 0.61, 0.77, 0.98}) {
        Tablet(QEvent::TabletPress, QPointF(100, 100), pressure);
        const QImage marked = Picture();
        Tablet(QEvent::TabletRelease, QPointF(100, 100), 0);
        graph->ShowPressureMarker(pressure);
        EXPECT_EQ(marked, Picture()) << pressure;
        graph->ErasePressureMarker();
    }
}
