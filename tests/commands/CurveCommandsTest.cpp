// "&Edit" > "&Copy Curve", "&Paste Curve", "Apply Curve to Pe&ns..." and "Curve Pre&sets": curves carried
// through the clipboard, onto many pens and from presets, each one step of the edit history.

#include "support/WindowFixture.h"

#include "data/CurveTransfer.h"
#include "graph/DrawClass.h"
#include "graph/PenHistory.h"
#include "support/Pens.h"
#include "ui/Form_ApplyCurve.h"
#include "ui/Form_Tablet.h"
#include "ui/PresetsMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

namespace {

// Tip at 2047, Eraser, Tip at 511, and the shown pen last: Tip at 1023 with curve 10 0 400 600 1000 1023.
QByteArray ManyTips() {
    return XmlDocument(XmlPen(PlainPen("Tip", 2047)) + XmlPen(PlainPen("Eraser"), EraserTag) +
                       XmlPen(PlainPen("Tip", 511)) +
                       XmlPen({"Tip", "1023", "10 0 400 600 1000 1023", "900", "30"}));
}

class CurveCommands : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), ManyTips()); }

    APen Pens() const { return Window()->GetGraph()->GetPens(); }
    QString UndoText() const { return Act("Undo1")->text(); }
    static void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
    TPresetsMenu* Presets() const { return Window()->Presets1; }
    bool Undo() { return Trigger("Undo1"); }
    bool Redo() { return Trigger("Redo1"); }
};

const char* const CurveEntries[] = {"CopyCurve1", "PasteCurve1", "ApplyToPens1", "Presets1"};

} // namespace

TEST_F(CurveCommands, TheEntriesAreOfferedExactlyWhenThePenEditorIs) {
    Create();
    for (const char* entry : CurveEntries)
        EXPECT_FALSE(Act(entry)->isEnabled()) << entry;
    TabletForm->show();
    QApplication::processEvents();
    for (const char* entry : CurveEntries)
        EXPECT_TRUE(Act(entry)->isEnabled()) << entry;
    Env.Write(Env.WacomFile(), "<?xml version=\"1.0\"?><root/>");
    Click("BtReset");
    ASSERT_FALSE(Ctl("BtModifyValues")->isEnabled());
    for (const char* entry : CurveEntries)
        EXPECT_FALSE(Act(entry)->isEnabled()) << entry;
}

TEST_F(CurveCommands, ACopiedPenPastesOntoAPenOfAnotherResolutionRescaledAsOneStep) {
    Start();
    ASSERT_TRUE(Trigger("CopyCurve1"));
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.toUtf8(), PenJsonText(Pens()[3]));

    SelectPen(0); // Tip at 2047
    const APen before = Pens();
    ASSERT_TRUE(Trigger("PasteCurve1"));
    EXPECT_EQ(EditedValues(Pens()[0]), (std::vector<int32_t>{0, 20, 1201, 800, 2047, 2001, 1801, 60}));
    EXPECT_EQ(Window()->GetGraph()->GetSelectedPen(), 0);
    EXPECT_EQ(UndoText(), "&Undo Paste Curve");
    const APen pasted = Pens();

    ASSERT_TRUE(Undo());
    EXPECT_EQ(Pens(), before);
    ASSERT_TRUE(Redo());
    EXPECT_EQ(Pens(), pasted);
}

TEST_F(CurveCommands, NumbersFromAnotherProgramPasteAtTheShownResolution) {
    Start();
    SetClipboard("0 0 700 1300 2047 2047");
    ASSERT_TRUE(Trigger("PasteCurve1"));
    EXPECT_EQ(EditedValues(Pens()[3]), (std::vector<int32_t>{0, 0, 1023, 700, 1023, 1023, 900, 30}));
    EXPECT_EQ(ListingLines()[16], "PressureCurveControlPoint 0 0 700 1023 1023 1023");
}

TEST_F(CurveCommands, AClipboardWithoutACurveIsReportedAndChangesNothing) {
    Start();
    const APen before = Pens();
    const QImage picture = Picture();
    SetClipboard("a shopping list");
    ASSERT_TRUE(Trigger("PasteCurve1"));
    ASSERT_EQ(Prompter.OfKind("message").size(), 1u);
    EXPECT_EQ(Prompter.OfKind("message")[0].Text, "The clipboard holds no curve...");
    EXPECT_EQ(Pens(), before);
    EXPECT_EQ(Picture(), picture);
    EXPECT_FALSE(Act("Undo1")->isEnabled());
}

TEST_F(CurveCommands, ApplyingToThePensOfTheSameNameIsOneStepAndKeepsThePenShown) {
    Start();
    const APen before = Pens();
    const QImage picture = Picture();
    Prompter.Modals.push_back([](QDialog* dialog) {
        auto* form = static_cast<TFormApplyCurve*>(dialog);
        EXPECT_EQ(form->PenList->rowCount(), 4);
        form->SameName->click();
        EXPECT_EQ(form->CheckedPens(), (std::vector<int>{0, 2}));
        form->OKButton->click();
        return dialog->result();
    });
    ASSERT_TRUE(Trigger("ApplyToPens1"));
    const APen applied = Pens();
    EXPECT_EQ(EditedValues(applied[0]), (std::vector<int32_t>{0, 20, 1201, 800, 2047, 2001, 1801, 60}));
    EXPECT_EQ(applied[1], before[1]);
    EXPECT_EQ(EditedValues(applied[2]), (std::vector<int32_t>{0, 5, 300, 200, 511, 500, 450, 15}));
    EXPECT_EQ(applied[3], before[3]);
    EXPECT_EQ(PenIndex(), 3);
    EXPECT_EQ(Window()->GetGraph()->GetSelectedPen(), 3);
    EXPECT_EQ(Picture(), picture);
    EXPECT_EQ(UndoText(), "&Undo Apply Curve to Pens");

    ASSERT_TRUE(Undo());
    EXPECT_EQ(Pens(), before);
    EXPECT_EQ(PenIndex(), 3);
    EXPECT_FALSE(Act("Undo1")->isEnabled());
    ASSERT_TRUE(Redo());
    EXPECT_EQ(Pens(), applied);

    // Cancelled, it changes nothing.
    Prompter.Modals.push_back([](QDialog* dialog) {
        static_cast<TFormApplyCurve*>(dialog)->SameName->click();
        return int(QDialog::Rejected);
    });
    ASSERT_TRUE(Undo());
    ASSERT_TRUE(Trigger("ApplyToPens1"));
    EXPECT_EQ(Pens(), before);
}

TEST_F(CurveCommands, APresetSetsTheCurveKeepsTheThresholdsAndIsOneStep) {
    Start();
    const APen before = Pens();
    Presets()->Build();
    ASSERT_TRUE(Trigger("Preset Firm"));
    const APen firm = Pens();
    EXPECT_EQ(EditedValues(firm[3]), (std::vector<int32_t>{0, 0, 256, 767, 1023, 1023, 900, 30}));
    EXPECT_EQ(UndoText(), "&Undo Curve Preset");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(Pens(), before);
    ASSERT_TRUE(Redo());
    EXPECT_EQ(Pens(), firm);
}

TEST_F(CurveCommands, ASavedPresetIsKeptBesideTheSettingsAndPutOnOtherPensRescaled) {
    Start();
    Prompter.Modals.push_back([](QDialog* dialog) {
        static_cast<TFormPresetName*>(dialog)->NameEdit->setText("  Mine ");
        return int(QDialog::Accepted);
    });
    Presets()->SaveClick();
    EXPECT_TRUE(TestEnv::Read(Env.AppDir() + "CurvePresets.json").contains("\"Mine\""));
    SelectPen(2); // Tip at 511
    ASSERT_TRUE(Trigger("Saved Mine"));
    EXPECT_EQ(EditedValues(Pens()[2]), (std::vector<int32_t>{0, 5, 300, 200, 511, 500, 488, 20}));
    EXPECT_TRUE(Prompter.OfKind("message").empty());
}

TEST_F(CurveCommands, ADamagedPresetsFileIsReportedOnceAndTheBuiltInsStillWork) {
    const QString path = Env.Write(Env.AppDir() + "CurvePresets.json", "{ damaged");
    Start();
    Presets()->Build();
    Presets()->Build();
    ASSERT_EQ(Prompter.OfKind("message").size(), 1u);
    EXPECT_EQ(Prompter.OfKind("message")[0].Text,
              "The presets file is damaged and was kept aside: " + path + ".bak");
    EXPECT_EQ(TestEnv::Read(path + ".bak"), QByteArray("{ damaged"));
    EXPECT_TRUE(Trigger("Preset Linear"));
    EXPECT_EQ(EditedValues(Pens()[3]), (std::vector<int32_t>{0, 0, 512, 512, 1023, 1023, 900, 30}));
}
