// "&Edit" > "&Undo" and "&Redo" over the pen edits (drags, the pen editor, key moves), and editing the curve
// from the keyboard on the focused graph image.

#include "support/WindowFixture.h"

#include "graph/DrawClass.h"
#include "graph/PenHistory.h"
#include "support/MemorySurface.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <tuple>

namespace {

const QPoint EraserLower(12, 488);
const QPoint EraserUpper(488, 12);
const QStringList Idle = {"Output", "Input", "X: -", "Y: -", "Info"};

// The graph as ShowPen draws it from scratch for these pens on the big layout's 500-pixel image.
QImage Drawing(const APen& pens, int index) {
    MemorySurface surface(500, 500);
    TDrawClass graph(surface, qRgb(0xFF, 0xFF, 0xFF));
    graph.SetPens(pens);
    graph.ShowPen(index);
    return surface.Img;
}

class EditHistory : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), StandardXml()); }

    APen Pens() const { return Window()->GetGraph()->GetPens(); }
    QString UndoText() const { return Act("Undo1")->text(); }
    QString RedoText() const { return Act("Redo1")->text(); }
    bool CanUndo() const { return Act("Undo1")->isEnabled(); }
    bool CanRedo() const { return Act("Redo1")->isEnabled(); }
    int Steps() const { return Window()->GetHistory()->Stack().count(); }

    // A key pressed and released where the main window's keyboard focus is, as the user types it (a
    // dialog closed before leaves the main window active again).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (QApplication::activeWindow() != WindowWidget()) {
            WindowWidget()->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(WindowWidget(), 1000));
        }
        QWidget* target = WindowWidget()->focusWidget();
        QTest::keyClick(target ? target : WindowWidget(), key, modifiers);
        QApplication::processEvents();
    }
    void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Key(Qt::Key_Y, Qt::ControlModifier); }

    // Tabs from the last of the window's other controls into the graph, which starts on its lower point.
    void TabIntoGraph() {
        Ctl<QWidget>("BtReset")->setFocus(Qt::OtherFocusReason);
        Key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Image());
    }
    int FocusHandle() const { return Window()->GetGraph()->GetFocusHandle(); }

    // The graph holds these pens, shows the one at `index` (selected in the pen list too), and its image is
    // what a fresh drawing of that pen gives.
    void ExpectShown(const APen& pens, const char* when, int index = 1) {
        EXPECT_EQ(Pens(), pens) << when;
        EXPECT_EQ(PenIndex(), index) << when;
        EXPECT_EQ(Window()->GetGraph()->GetSelectedPen(), index) << when;
        EXPECT_EQ(Picture(), Drawing(pens, index)) << when;
    }
};

} // namespace

// --- Undo and redo -----------------------------------------------------------------------------------------

TEST_F(EditHistory, DragsAreUndoneAndRedoneWholeAndTheGraphIsDrawnAfreshEachTime) {
    Start();
    const APen loaded = Pens();
    EXPECT_FALSE(CanUndo());
    EXPECT_FALSE(CanRedo());
    EXPECT_EQ(UndoText(), "&Undo");
    ExpectShown(loaded, "loaded");

    Drag(EraserMiddle, Target);
    const APen first = Pens();
    ASSERT_NE(first, loaded);
    EXPECT_EQ(UndoText(), "&Undo Move Middle Point");
    ExpectShown(first, "dragged");

    Drag(EraserUpper, QPoint(450, 100));
    const APen second = Pens();
    ASSERT_NE(second, first);
    EXPECT_EQ(UndoText(), "&Undo Move Upper Point");

    Move(EraserUpper); // hover texts, which the undo resets as a release does
    Undo();
    ExpectShown(first, "undone once");
    EXPECT_EQ(Labels(), Idle);
    EXPECT_EQ(RedoText(), "&Redo Move Upper Point");

    ASSERT_TRUE(Trigger("Undo1"));
    ExpectShown(loaded, "undone twice");
    EXPECT_FALSE(CanUndo());

    Redo();
    ExpectShown(first, "redone");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ExpectShown(second, "redone twice");
    EXPECT_FALSE(CanRedo());
    EXPECT_EQ(ListingLines()[6], "PressureCurveControlPoint 0 0 619 619 834 1023");
}

TEST_F(EditHistory, OnlyEditsThatChangeAValueBecomeSteps) {
    Start();
    Drag(QPoint(100, 100), QPoint(200, 100)); // nothing picked
    Drag(QPoint(495, 479), QPoint(495, 300)); // a threshold handle held by its limiter
    EditPens([](QDialog*) { return 0; });     // cancelled
    EditPens([](QDialog* d) {                 // confirmed unchanged
        QTest::mouseClick(FormEdit->OKButton(), Qt::LeftButton);
        return d->result();
    });
    EXPECT_FALSE(CanUndo());

    const APen loaded = Pens();
    EditPens([](QDialog* d) {
        FormEdit->findChild<QLineEdit*>("LT")->setText("100");
        QTest::mouseClick(FormEdit->OKButton(), Qt::LeftButton);
        return d->result();
    });
    EXPECT_EQ(UndoText(), "&Undo Pen Editor");
    EXPECT_EQ(Steps(), 1);
    Undo();
    ExpectShown(loaded, "undone");
}

TEST_F(EditHistory, UndoOfAnotherPensStepSelectsThatPenAgain) {
    Start();
    const APen loaded = Pens();
    Drag(EraserMiddle, Target);
    const APen edited = Pens();

    SelectPen(0);
    Undo();
    ExpectShown(loaded, "undone");

    SelectPen(0);
    Redo();
    ExpectShown(edited, "redone");
}

TEST_F(EditHistory, AnUndoDuringADragGivesTheDragUpWhole) {
    Start();
    const APen loaded = Pens();
    Drag(EraserMiddle, Target);
    SelectPen(0);
    Press(QPoint(291, 302)); // the tip's middle point
    Move(QPoint(200, 200));
    Undo(); // the eraser's step
    Release(QPoint(200, 200));
    ExpectShown(loaded, "neither the eraser's step nor the tip's unfinished drag is left");
    EXPECT_FALSE(CanUndo());
}

TEST_F(EditHistory, EveryLoadClearsTheHistoryWhileApplyAndSaveKeepIt) {
    Start();
    struct Command {
        const char* Name;
        bool Clears;
        bool AnsweredYes; // the command asks first
        std::function<void()> Run;
    };
    const std::vector<Command> commands = {
        {"Apply Changes", false, true, [&] { Click("BtApply"); }},
        {"Save", false, true, [&] { Trigger("Save1"); }},
        {"Reset Changes", true, false, [&] { Click("BtReset"); }},
        {"Open cancelled", true, false, [&] { Trigger("Open1"); }},
        {"Open", true, false,
         [&] {
             Prompter.Files.push_back(Env.WacomFile());
             Trigger("Open1");
         }},
        {"Open Default Config", true, false, [&] { Trigger("OpenDefault1"); }},
        {"Restore Backup Point", true, true, [&] { Trigger("Replace1"); }},
        {"Big (Pc)", true, false, [&] { Trigger("Big1"); }},
        {"Small (Tablet)", true, false, [&] { Trigger("Small1"); }},
    };
    for (const Command& c : commands) {
        const QPoint middle = Window()->GetGraph()->GetPoints()[1];
        Drag(middle, middle + QPoint(20, -20));
        Drag(middle + QPoint(20, -20), middle + QPoint(40, -40));
        Undo();
        ASSERT_TRUE(CanUndo() && CanRedo()) << c.Name;
        if (c.AnsweredYes)
            Answer(IDYES);
        c.Run();
        EXPECT_EQ(CanUndo(), !c.Clears) << c.Name;
        EXPECT_EQ(CanRedo(), !c.Clears) << c.Name;
        Click("BtReset");
    }
}

TEST_F(EditHistory, ApplyAfterAnUndoWritesTheUndoneValues) {
    Start();
    Drag(EraserMiddle, Target);
    Drag(Target, QPoint(350, 150));
    Undo();

    Answer(IDYES);
    Click("BtApply");
    const QByteArray applied =
        ReplacedOnce(StandardXml(), ">0 0 512 512 1023 1023<", ">0 0 619 619 1023 1023<");
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(applied));

    Undo();
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(applied)) << "an undo changes the graph, not the file";
    Answer(IDYES);
    Click("BtApply");
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(StandardXml())) << "the undone pen holds the values as read";
}

// --- The keyboard ------------------------------------------------------------------------------------------

TEST_F(EditHistory, TheGraphComesLastInTheTabOrderAfterTheOtherControlsInTheirOrder) {
    Start();
    QStringList order;
    QWidget* w = WindowWidget();
    do {
        w = w->nextInFocusChain();
        if (w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
            order << w->objectName();
    } while (w != WindowWidget());
    EXPECT_EQ(order, QStringList({"ComboBox", "CBLimitP", "CbLimitMp", "CbLimitT", "CbService",
                                  "BtGenerateinfo", "BtModifyValues", "BtApply", "BtReset", "Image"}));
}

TEST_F(EditHistory, TheFocusRingMarksTheHandleTabLeavesPastEitherEndAndNoPixelStaysBehind) {
    Start();
    const QImage plain = Picture();

    Drag(QPoint(100, 100), QPoint(100, 100)); // a click on the graph takes the focus, without a handle
    EXPECT_EQ(QApplication::focusWidget(), Image());
    EXPECT_EQ(FocusHandle(), -1);
    EXPECT_EQ(Picture(), plain);

    TabIntoGraph();
    EXPECT_EQ(FocusHandle(), TDrawClass::TargetLower);
    EXPECT_NE(Picture(), plain);
    for (int expected : {1, 2, 3, 4, -1}) {
        Key(Qt::Key_Tab);
        EXPECT_EQ(FocusHandle(), expected);
    }
    EXPECT_EQ(QApplication::focusWidget(), Ctl<QWidget>("ComboBox")) << "Tab past the last handle leaves";
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    for (int expected : {3, 2, 1, 0, -1}) {
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(FocusHandle(), expected);
    }
    EXPECT_EQ(QApplication::focusWidget(), Ctl<QWidget>("BtReset")) << "and Shift+Tab past the first";
    EXPECT_EQ(Picture(), plain);

    TabIntoGraph();
    Key(Qt::Key_Escape);
    EXPECT_EQ(FocusHandle(), -1);
    EXPECT_EQ(Picture(), plain);

    // Shift+Tab from the first control comes round to the graph's last handle; Ctrl+Tab leaves the graph.
    Ctl<QWidget>("ComboBox")->setFocus(Qt::OtherFocusReason);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), Image());
    EXPECT_EQ(FocusHandle(), TDrawClass::TargetLowerThreshold);
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), Ctl<QWidget>("ComboBox"));
    EXPECT_EQ(FocusHandle(), -1);
    EXPECT_EQ(Picture(), plain);
}

TEST_F(EditHistory, AClickHandsTheKeysItsHandleAndTheRingShowsOnlyOnceAKeyIsUsed) {
    Start();
    Press(EraserMiddle);
    Release(EraserMiddle);
    EXPECT_EQ(FocusHandle(), TDrawClass::TargetMiddle);
    EXPECT_EQ(Picture(), Drawing(Pens(), 1)) << "no ring after a click";
    Key(Qt::Key_Up);
    EXPECT_EQ(Labels()[3], "Y: ~514") << "the clicked handle moved";
    EXPECT_NE(Picture(), Drawing(Pens(), 1)) << "the ring after a key";
}

// The file dialog open: the main window is not active, and a load that disables the graph sends it no
// focus-out.
TEST_F(EditHistory, ALoadThatDisablesTheGraphOfAnInactiveWindowDropsItsHandle) {
    Start();
    TabIntoGraph();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other, 1000));
    Prompter.Files = {Env.Root() + "/missing.dat", Env.Write(Env.Root() + "/Mine.dat", StandardXml())};
    ASSERT_TRUE(Trigger("Open1") && Trigger("Open1"));
    EXPECT_EQ(FocusHandle(), -1);
    EXPECT_EQ(Picture(), Drawing(Pens(), 1)) << "no ring on a graph without the focus";
}

TEST_F(EditHistory, KeyMovesOfOneHandleMergeIntoOneStepAndTheCaptionsFollow) {
    Start();
    const APen loaded = Pens();
    TabIntoGraph();
    Key(Qt::Key_Tab); // the middle point
    Key(Qt::Key_Up);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Right);
    EXPECT_EQ(Labels()[2], "X: ~514");
    EXPECT_EQ(Labels()[3], "Y: ~535");
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(UndoText(), "&Undo Move Middle Point");
    const APen middle = Pens();

    Key(Qt::Key_Tab);
    Key(Qt::Key_Down); // the upper point
    EXPECT_EQ(Steps(), 2);
    EXPECT_EQ(UndoText(), "&Undo Move Upper Point");

    // Back on the middle point a new run begins; moving there and back again leaves no step.
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Key(Qt::Key_Left);
    Key(Qt::Key_Right);
    EXPECT_EQ(Steps(), 2);

    Undo();
    Undo();
    EXPECT_EQ(FocusHandle(), TDrawClass::TargetMiddle) << "the handle keeps the keyboard through an undo";
    Key(Qt::Key_Escape);
    ExpectShown(loaded, "undone");
    Redo();
    EXPECT_EQ(Pens(), middle);
    EXPECT_EQ(Image()->cursor().shape(), Qt::CrossCursor) << "keys, undo and redo leave the cursor as it was";
}

// Every handle moved by keys reaches what a mouse drag of the handle to the same pixels reaches, under each
// combination of the three limiters: point, threshold, middle point.
class KeyboardAsMouse : public EditHistory,
                        public ::testing::WithParamInterface<std::tuple<bool, bool, bool>> {};

TEST_P(KeyboardAsMouse, KeyMovesReachWhatMouseDragsToTheSamePixelsReach) {
    const auto [point, threshold, middle] = GetParam();
    Env.Write(Env.SettingsFile(), QString("[Nibwright]\r\nPoint Limiter=%1\r\nThreshold Limiter=%2\r\n"
                                          "MiddlePoint Limiter=%3\r\n")
                                      .arg(int(point))
                                      .arg(int(threshold))
                                      .arg(int(middle))
                                      .toLatin1());
    Start();
    const APen loaded = Pens();
    struct Press {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QPoint Step;
    };
    const std::vector<Press> keys = {
        {Qt::Key_Up, Qt::ShiftModifier, {0, -10}},   {Qt::Key_Up, Qt::ShiftModifier, {0, -10}},
        {Qt::Key_Right, Qt::ShiftModifier, {10, 0}}, {Qt::Key_Left, Qt::NoModifier, {-1, 0}},
        {Qt::Key_Down, Qt::NoModifier, {0, 1}},      {Qt::Key_Down, Qt::ShiftModifier, {0, 10}},
        {Qt::Key_Down, Qt::ShiftModifier, {0, 10}},  {Qt::Key_Down, Qt::ShiftModifier, {0, 10}},
    };

    TabIntoGraph();
    for (int handle = 0; handle < 5; ++handle) {
        for (const Press& k : keys)
            Key(k.Key, k.Modifiers);
        Key(Qt::Key_Tab); // past the last handle: on to the pen list
    }
    const APen byKeys = Pens();
    const QImage keyPicture = Picture();

    Click("BtReset");
    const TDrawClass* graph = Window()->GetGraph();
    for (int handle = 0; handle < 5; ++handle) {
        for (const Press& k : keys) {
            QPoint at;
            if (handle < 3)
                at = graph->GetPoints()[size_t(handle)];
            else if (handle == 3)
                at = QPoint(5, graph->GetUpperThresholdY()); // the handles sit 7 pixels outside the graph
            else
                at = QPoint(495, graph->GetLowerThresholdY());
            Drag(at, at + k.Step);
        }
    }
    EXPECT_EQ(Pens(), byKeys);
    EXPECT_EQ(Picture(), keyPicture);
    EXPECT_NE(byKeys, loaded);
}

INSTANTIATE_TEST_SUITE_P(Limiters, KeyboardAsMouse,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(), ::testing::Bool()));
