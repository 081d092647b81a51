// The window as built: captions, names, geometry and initial states of the controls and menus, and the two
// layouts.

#include "support/WindowFixture.h"

#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include "graph/DrawClass.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTest>

namespace {
class Layout : public CommandTest {};
} // namespace

TEST_F(Layout, TheWindowAsCreated) {
    Create();
    EXPECT_EQ(Window()->windowTitle(), "Nibwright");
    EXPECT_EQ(Window()->ClientWidth(), 713);
    EXPECT_EQ(Window()->ClientHeight(), 632);
    EXPECT_EQ(Window()->minimumSize(), Window()->maximumSize()) << "fixed size";
    EXPECT_FALSE(Window()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Window()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(Window()->font().family(), "Tahoma");
    EXPECT_EQ(Window()->font().pixelSize(), 11);
    EXPECT_FALSE(Window()->windowIcon().isNull());
    EXPECT_EQ(Window()->statusBar()->height(), 19);
}

TEST_F(Layout, TheClientAreaExcludesTheMenuBarAndHoldsTheStatusBar) {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    EXPECT_EQ(Window()->menuBar()->geometry().bottom() + 1 + Window()->ClientHeight(), Window()->height());
    EXPECT_EQ(Window()->centralWidget()->geometry().top(), Window()->menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(Window()->statusBar()->geometry().bottom() + 1, Window()->height());
    EXPECT_EQ(Window()->statusBar()->width(), 713);
    // The buttons end above the status bar.
    EXPECT_LE(Window()->centralWidget()->geometry().top() + Window()->BtReset->geometry().bottom(),
              Window()->statusBar()->geometry().top());
}

TEST_F(Layout, ControlsCarryTheirNamesCaptionsPlacesAndStates) {
    Create();
    struct Row {
        const char* Name;
        QRect Geometry;
        const char* Caption;
    };
    const Row rows[] = {
        {"GroupBox1", {8, 8, 697, 569}, "Pressure Graph"},
        {"Image", {14, 24, 500, 500}, nullptr},
        {"Image_Right", {514, 24, 25, 500}, nullptr},
        {"Image_Bottom", {14, 524, 500, 25}, nullptr},
        {"ImWarn", {607, 169, 20, 20}, nullptr},
        {"GroupBox2", {552, 24, 135, 54}, "Pen"},
        {"GroupBox3", {552, 84, 135, 61}, "Point"},
        {"GroupBox4", {552, 380, 135, 144}, "Settings"},
        {"BtGenerateinfo", {8, 583, 113, 25}, "Show Current Values"},
        {"BtModifyValues", {127, 583, 113, 25}, "Pen Editor"},
        {"BtApply", {496, 583, 100, 25}, "Apply Changes"},
        {"BtReset", {602, 583, 100, 25}, "Reset Changes"},
    };
    for (const Row& r : rows) {
        auto* w = Window()->findChild<QWidget*>(r.Name);
        ASSERT_NE(w, nullptr) << r.Name;
        EXPECT_EQ(w->geometry(), r.Geometry) << r.Name;
        if (!r.Caption)
            continue;
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            EXPECT_EQ(g->title(), r.Caption);
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(b->text(), r.Caption);
        }
    }
    struct Place {
        const char* Name;
        QPoint Pos;
        const char* Text;
    };
    const Place places[] = {{"Label3", {575, 287}, "1.6 BETA version"},
                            {"LabelOP", {12, 20}, "Output"},
                            {"LabelPX", {67, 20}, "PointX"},
                            {"LabelIP", {12, 39}, "Input"},
                            {"LabelPY", {67, 39}, "PointY"}};
    for (const Place& p : places) {
        auto* l = Window()->findChild<QLabel*>(p.Name);
        ASSERT_NE(l, nullptr) << p.Name;
        EXPECT_EQ(l->pos(), p.Pos) << p.Name;
        EXPECT_EQ(l->text(), p.Text) << p.Name;
    }
    EXPECT_EQ(Window()->LabelPY->width(), 70);
    EXPECT_EQ(Window()->ComboBox->geometry().topLeft(), QPoint(12, 21));
    EXPECT_EQ(Window()->ComboBox->width(), 108);
    EXPECT_EQ(Window()->ComboBox->count(), 0);
    EXPECT_FALSE(Window()->ComboBox->isEditable());

    struct Check {
        QCheckBox* Box;
        QPoint Pos;
        int Width;
        const char* Caption;
        bool Checked;
    };
    const Check checks[] = {{Window()->CBLimitP, {3, 17}, 127, "Limit Control Points", true},
                            {Window()->CbLimitMp, {3, 39}, 127, "Maintain Linear Curve", false},
                            {Window()->CbLimitT, {5, 62}, 127, "Limit Threshold Points", true},
                            {Window()->CbService, {3, 96}, 129, "Auto-detect service", true}};
    for (const Check& c : checks) {
        EXPECT_EQ(c.Box->pos(), c.Pos) << c.Caption;
        EXPECT_EQ(c.Box->width(), c.Width) << c.Caption;
        EXPECT_EQ(c.Box->text(), c.Caption);
        EXPECT_EQ(c.Box->isChecked(), c.Checked) << c.Caption;
        EXPECT_FALSE(c.Box->toolTip().isEmpty()) << c.Caption;
    }
    EXPECT_EQ(Window()->CBLimitP->toolTip(), "Limits control-points movement. Uncecking allows to move "
                                             "control-points without limitations.");
    EXPECT_EQ(Window()->CbService->toolTip(), "Select correct tablet service for restart.");
    // Tool tips only on the four check boxes.
    EXPECT_TRUE(Window()->BtApply->toolTip().isEmpty());
    EXPECT_TRUE(Window()->ComboBox->toolTip().isEmpty());

    EXPECT_EQ(Window()->CBoxService->geometry().topLeft(), QPoint(3, 119));
    EXPECT_EQ(Window()->CBoxService->width(), 124);
    ASSERT_EQ(Window()->CBoxService->count(), 6);
    EXPECT_EQ(Window()->CBoxService->itemText(0), "WTabletServicePro");
    EXPECT_EQ(Window()->CBoxService->itemText(5), "TabletServiceISD");
    EXPECT_FALSE(Window()->CBoxService->isEnabled());
    EXPECT_EQ(Window()->CBoxService->currentIndex(), -1);

    EXPECT_FALSE(Window()->BtGenerateinfo->isEnabled());
    EXPECT_FALSE(Window()->BtModifyValues->isEnabled());
    EXPECT_TRUE(Window()->BtApply->isEnabled());
    EXPECT_TRUE(Window()->BtReset->isEnabled());
    EXPECT_FALSE(Window()->BtApply->icon().isNull()) << "the elevation shield";
    EXPECT_TRUE(Window()->ImWarn->isHidden());
    EXPECT_EQ(Window()->Image->cursor().shape(), Qt::CrossCursor);
    EXPECT_FALSE(Window()->Image_Right->pixmap().isNull());
    EXPECT_FALSE(Window()->Image_Bottom->pixmap().isNull());
}

// The controls have fixed sizes in pixels; where Tahoma is missing the window's font falls back to a wider
// face, and its condensed cut must keep the captions inside them.
TEST_F(Layout, CheckBoxCaptionsFitTheirFixedWidths) {
    Create();
    for (QCheckBox* box :
         {Window()->CBLimitP, Window()->CbLimitMp, Window()->CbLimitT, Window()->CbService}) {
        QStyle* style = box->style();
        const int text = box->fontMetrics().horizontalAdvance(box->text());
        const int used = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) + text;
        EXPECT_LE(used, box->width()) << box->text().toStdString();
    }
}

TEST_F(Layout, TheMenuHasEveryEntryInOrder) {
    Create();
    QStringList seen;
    for (QAction* top : Window()->menuBar()->actions()) {
        seen << top->menu()->objectName() + "=" + top->text();
        for (QAction* a : top->menu()->actions())
            seen << a->objectName() + "=" + (a->isSeparator() ? QString("-") : a->text());
    }
    EXPECT_EQ(seen, (QStringList{"File1=&File",
                                 "Open1=&Open...",
                                 "OpenDefault1=Open Default Config",
                                 "N4=-",
                                 "Save1=&Save",
                                 "N2=-",
                                 "Exit1=E&xit",
                                 "Edit2=&Edit",
                                 "Undo1=&Undo",
                                 "Redo1=&Redo",
                                 "N5=-",
                                 "CopyCurve1=&Copy Curve",
                                 "PasteCurve1=&Paste Curve",
                                 "ApplyToPens1=Apply Curve to Pe&ns...",
                                 "Presets1=Curve Pre&sets",
                                 "Edit1=Backup",
                                 "ManuallySetFirstRunBackup1=C&reate Backup Point",
                                 "Replace1=R&estore Backup Point",
                                 "RestoreEarlier1=Restore Ear&lier Backup...",
                                 "UserInterface1=User Interface",
                                 "Big1=Big (Pc)",
                                 "Small1=Small (Tablet)",
                                 "Tools1=&Tools",
                                 "PressureTest1=&Pressure Test...",
                                 "Help1=&Help",
                                 "HomePage1=HomePage...",
                                 "N1=-",
                                 "About1=&About..."}));
}

TEST_F(Layout, SmallThenBigMovesTheOuterControlsAndRedrawsTheGraphAtEachSize) {
    StartOnWacom(StandardXml());
    Window()->Big1Click();
    EXPECT_EQ(Window()->ClientWidth(), 713);
    EXPECT_EQ(Window()->ClientHeight(), 631) << "one pixel less than as created";
    EXPECT_EQ(Window()->BtApply->pos(), QPoint(496, 583));

    Window()->ComboBox->setCurrentIndex(0);
    Window()->ComboBoxChange();
    Window()->Small1Click();
    EXPECT_EQ(Window()->ClientWidth(), 513);
    EXPECT_EQ(Window()->ClientHeight(), 431);
    EXPECT_EQ(Window()->GroupBox1->geometry(), QRect(8, 8, 497, 369));
    EXPECT_EQ(Window()->Image->geometry(), QRect(14, 24, 300, 300));
    EXPECT_EQ(Window()->Image->Image().size(), QSize(300, 300));
    EXPECT_EQ(Window()->Image_Right->geometry(), QRect(314, 24, 25, 300));
    EXPECT_TRUE(Window()->Image_Right->hasScaledContents());
    EXPECT_EQ(Window()->Image_Bottom->geometry(), QRect(14, 324, 300, 25));
    EXPECT_TRUE(Window()->Image_Bottom->hasScaledContents());
    EXPECT_EQ(Window()->BtGenerateinfo->pos(), QPoint(8, 383));
    EXPECT_EQ(Window()->BtModifyValues->pos(), QPoint(127, 383));
    EXPECT_EQ(Window()->BtApply->pos(), QPoint(296, 383));
    EXPECT_EQ(Window()->BtReset->pos(), QPoint(402, 383));
    EXPECT_EQ(Window()->GroupBox2->pos(), QPoint(352, 24));
    EXPECT_EQ(Window()->GroupBox3->pos(), QPoint(352, 84));
    EXPECT_EQ(Window()->GroupBox4->pos(), QPoint(352, 180));
    EXPECT_EQ(Window()->Label3->pos(), QPoint(375, 155));
    EXPECT_EQ(Window()->BtApply->size(), QSize(100, 25)) << "sizes of the buttons are not touched";
    EXPECT_EQ(Window()->ComboBox->currentIndex(), 1) << "the reload selects the last pen";
    // The 300-pixel grid: the black closing line at column 288, the band beyond the white area.
    const QImage& small = Window()->Image->Image();
    EXPECT_EQ(small.pixel(288, 150) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(Window()->GetGraph()->GetPoints()[2].x(), 288) << "the upper point on the right edge";

    Window()->Big1Click();
    EXPECT_EQ(Window()->ClientWidth(), 713);
    EXPECT_EQ(Window()->ClientHeight(), 631);
    EXPECT_EQ(Window()->GroupBox1->size(), QSize(697, 569));
    EXPECT_EQ(Window()->Image->Image().size(), QSize(500, 500));
    EXPECT_EQ(Window()->Image_Right->geometry(), QRect(514, 24, 25, 500));
    EXPECT_FALSE(Window()->Image_Right->hasScaledContents());
    EXPECT_EQ(Window()->GroupBox4->pos(), QPoint(552, 380));
    EXPECT_EQ(Window()->Label3->pos(), QPoint(575, 287));
    EXPECT_EQ(Window()->BtReset->pos(), QPoint(602, 583));
    EXPECT_EQ(Window()->GetGraph()->GetPoints()[2].x(), 488);
    EXPECT_EQ(Window()->Image->Image().pixel(486, 250) & 0xFFFFFF, 0x000000u);
}

TEST_F(Layout, ALayoutSwitchWithoutAValidFileRunsTheDefaultSearch) {
    Env.Write(Env.WacomFile(), XmlDocument(XmlPen(PlainPen("Tip"))));
    Env.Write(Env.PenFile(), XmlDocument(XmlPen(PlainPen("Tip"))));
    Prompter.Files.push_back(Env.Write(Env.Root() + "/empty.dat", "<?xml version=\"1.0\"?><root/>"));
    Prompter.Modals.push_back([](QDialog*) { return 1; });
    Start();
    Window()->Open1Click();
    ASSERT_FALSE(Window()->IsConfigValid());
    Prompter.Modals.push_back([](QDialog*) { return 2; });
    Window()->Small1Click();
    EXPECT_EQ(Prompter.OfKind("modal").size(), 2u) << "the chooser opens again";
    EXPECT_EQ(Window()->GetConfigPath(), Env.PenFile());
}
