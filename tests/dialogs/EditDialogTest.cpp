#include "DialogHelpers.h"
#include "support/Pens.h"
#include "support/ScriptedPrompter.h"
#include "ui/Form_Edit.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The pen most editor tests load: a bent curve with thresholds apart.
Pen SamplePen(int32_t resolution = 1023) {
    return MakePen(resolution, 0, 10, 500, 520, 1023, 1000, 900, 20);
}

class PenEditor : public ::testing::Test {
protected:
    // The controls as the dialog shows them; a fresh editor builds them only when first needed.
    void SetUp() override { Form.BuildControls(); }

    ScriptedPrompter Prompter;
    TFormEdit Form{Prompter};
    QLineEdit* Field(const char* name) { return Child<QLineEdit>(&Form, name); }

    // Types the eight fields in the order P1X P1Y P2X P2Y P3X P3Y UT LT.
    void Type(const QStringList& texts) {
        const char* names[] = {"P1X", "P1Y", "P2X", "P2Y", "P3X", "P3Y", "UT", "LT"};
        for (int i = 0; i < 8; ++i)
            Field(names[i])->setText(texts[i]);
    }

    // Shows the editor the way the main window does and presses Apply with the mouse; returns whether the
    // dialog is still open afterwards.
    bool ClickApply() {
        bool open = false;
        Prompter.Modals.push_back([&](QDialog* d) {
            QTest::mouseClick(Form.OKButton(), Qt::LeftButton);
            open = d->isVisible();
            return d->result();
        });
        Prompter.ShowModal(&Form);
        return open;
    }
};

TEST_F(PenEditor, DesignMatchesTheWindowLayout) {
    EXPECT_EQ(Form.windowTitle(), "Pen Editor");
    EXPECT_EQ(Form.size(), QSize(475, 174));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize()) << "fixed border";
    EXPECT_EQ(Form.font().family(), "MS Sans Serif");
    EXPECT_EQ(Form.font().pointSize(), 8);

    const Place places[] = {
        {"GroupBox2", {6, 8, 465, 130}},
        {"P1Y", {122, 40, 57, 21}},
        {"P1X", {185, 40, 57, 21}},
        {"P2Y", {122, 67, 57, 21}},
        {"P2X", {185, 67, 57, 21}},
        {"P3Y", {122, 94, 57, 21}},
        {"P3X", {185, 94, 57, 21}},
        {"UT", {389, 41, 57, 21}},
        {"LT", {389, 68, 57, 21}},
        {"OKButton", {315, 144, 75, 25}},
        {"CancelButton", {396, 144, 75, 25}},
    };
    for (const auto& [name, rect] : places)
        EXPECT_EQ(Child(&Form, name)->geometry(), rect) << name;
    EXPECT_EQ(Form.P1Y()->parentWidget(), Form.GroupBox2());

    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "Lower Point (y,x):"}, {"Label2", "Middle Point (y,x):"}, {"Label3", "Upper Point (y,x):"},
        {"Label4", "Upper Threshold:"},   {"Label5", "Lower Threshold:"},
    };
    for (const auto& [name, text] : labels)
        EXPECT_EQ(Child<QLabel>(&Form, name)->text(), text) << name;
    EXPECT_EQ(Child<QLabel>(&Form, "Label2")->pos(), QPoint(12, 70));
    EXPECT_EQ(Child<QLabel>(&Form, "Label4")->pos(), QPoint(281, 42));
    EXPECT_EQ(Form.GroupBox2()->title(), "Pen Editor");
    EXPECT_EQ(Form.OKButton()->text(), "Apply");
    EXPECT_TRUE(Form.OKButton()->isDefault());
    EXPECT_EQ(Form.CancelButton()->text(), "Cancel");
    EXPECT_EQ(Form.P2X()->text(), "P2X");
    EXPECT_EQ(Form.UT()->text(), "Edit1");
    EXPECT_EQ(Form.LInfo()->text(), "LInfo");
}

TEST_F(PenEditor, TabOrderRunsThroughTheFieldsInDesignOrder) {
    EXPECT_EQ(TabChain(&Form), QStringList({"OKButton", "P2X", "P1X", "P3X", "LT", "UT", "P1Y", "P2Y", "P3Y",
                                            "CancelButton"}));
}

TEST_F(PenEditor, LoadPenFillsFieldsAndCurveLineYBeforeX) {
    APen pens{SamplePen(), SamplePen()};
    pens[1].P1X = 7;
    pens[1].LowerThreshold = -3;
    Form.LoadPen(1, pens);
    EXPECT_EQ(Form.SelectedPen, 1);
    EXPECT_EQ(Form.LInfo()->text(), "PressureCurveControlPoint 10 7 520 500 1000 1023");
    EXPECT_EQ(Form.P1X()->text(), "7");
    EXPECT_EQ(Form.P1Y()->text(), "10");
    EXPECT_EQ(Form.P2X()->text(), "500");
    EXPECT_EQ(Form.P2Y()->text(), "520");
    EXPECT_EQ(Form.P3X()->text(), "1023");
    EXPECT_EQ(Form.P3Y()->text(), "1000");
    EXPECT_EQ(Form.UT()->text(), "900");
    EXPECT_EQ(Form.LT()->text(), "-3");
    EXPECT_EQ(Form.GetPens(), pens);
}

TEST_F(PenEditor, LoadPenWithoutAPenAtTheIndexKeepsTheFields) {
    Form.LoadPen(0, {SamplePen()});
    Form.LoadPen(0, {});
    EXPECT_EQ(Form.P2X()->text(), "500");
    Form.LoadPen(3, {SamplePen(100)});
    EXPECT_EQ(Form.P2X()->text(), "500");
    EXPECT_EQ(Form.LInfo()->text(), "PressureCurveControlPoint 10 0 520 500 1000 1023");
}

TEST_F(PenEditor, ClampToResolutionUsesTheEditedPensResolution) {
    Form.LoadPen(1, {SamplePen(1023), SamplePen(2047)});
    EXPECT_EQ(Form.ClampToResolution(-5), 0);
    EXPECT_EQ(Form.ClampToResolution(0), 0);
    EXPECT_EQ(Form.ClampToResolution(2047), 2047);
    EXPECT_EQ(Form.ClampToResolution(2048), 2047);
    EXPECT_EQ(Form.ClampToResolution(INT32_MIN), 0);
}

TEST_F(PenEditor, ApplyStoresClampedValuesAndCloses) {
    Form.LoadPen(0, {SamplePen(1023), SamplePen()});
    // Leading blanks and a sign are accepted; thresholds in either order; points need no order.
    Type({"  12", "+20", "2000", "-5", "600", "30", "100", "400"});
    EXPECT_FALSE(ClickApply());
    EXPECT_EQ(Form.result(), TFormEdit::ResultOK);
    EXPECT_TRUE(Prompter.Messages().isEmpty());
    EXPECT_EQ(Form.GetPens()[0], MakePen(1023, 12, 20, 1023, 0, 600, 30, 100, 400));
    EXPECT_EQ(Form.GetPens()[1], SamplePen()) << "only the edited pen changes";
    EXPECT_EQ(Form.P2X()->text(), "2000") << "clamping does not rewrite the fields";
}

TEST_F(PenEditor, RejectedFieldKeepsTheDialogOpenWithEarlierFieldsStored) {
    for (const char* bad : {"", "12 ", "1.5", "12a", "2147483648", "-2147483649", "0x10", "1 2", "+"}) {
        SCOPED_TRACE(bad);
        Prompter.Log.clear();
        Form.LoadPen(0, {SamplePen(1023)});
        Type({"2000", "-5", "40", bad, "1", "1", "1", "1"});
        EXPECT_TRUE(ClickApply());
        EXPECT_EQ(Form.result(), 0);
        EXPECT_EQ(Prompter.Messages(), QStringList{"Incorrect input data..."});
        const Pen p = Form.GetPens()[0];
        EXPECT_EQ(p.P1X, 1023);
        EXPECT_EQ(p.P1Y, 0);
        EXPECT_EQ(p.P2X, 40);
        EXPECT_EQ(p.P2Y, 520) << "the rejected field and those after it stay";
        EXPECT_EQ(p.UpperThreshold, 900);
        EXPECT_EQ(Form.P1X()->text(), "2000");
        EXPECT_EQ(Form.P1Y()->text(), "-5");
    }
}

TEST_F(PenEditor, CorrectedInputIsAcceptedOnTheNextApply) {
    Form.LoadPen(0, {SamplePen()});
    Form.P3Y()->setText("abc");
    Prompter.Modals.push_back([&](QDialog* d) {
        QTest::mouseClick(Form.OKButton(), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        Form.P3Y()->setText("999");
        QTest::mouseClick(Form.OKButton(), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
        return d->result();
    });
    EXPECT_EQ(Prompter.ShowModal(&Form), TFormEdit::ResultOK);
    EXPECT_EQ(Form.GetPens()[0].P3Y, 999);
    EXPECT_EQ(Prompter.Messages().size(), 1);
}

TEST_F(PenEditor, EnterInAFieldPressesApply) {
    Form.LoadPen(0, {SamplePen()});
    Prompter.Modals.push_back([&](QDialog* d) {
        Form.UT()->setText("777");
        Form.UT()->setFocus();
        QTest::keyClick(Form.UT(), Qt::Key_Return);
        return d->result();
    });
    EXPECT_EQ(Prompter.ShowModal(&Form), TFormEdit::ResultOK);
    EXPECT_EQ(Form.GetPens()[0].UpperThreshold, 777);
}

TEST_F(PenEditor, CancelAndCloseReturnCancel) {
    Form.LoadPen(0, {SamplePen()});
    Prompter.Modals.push_back([&](QDialog* d) {
        QTest::mouseClick(Form.CancelButton(), Qt::LeftButton);
        return d->result();
    });
    EXPECT_EQ(Prompter.ShowModal(&Form), TFormEdit::ResultCancel);
    Prompter.Modals.push_back([&](QDialog* d) {
        d->close();
        return d->result();
    });
    EXPECT_EQ(Prompter.ShowModal(&Form), TFormEdit::ResultCancel);
    EXPECT_EQ(Form.GetPens()[0], SamplePen());
}

TEST_F(PenEditor, ApplyWithoutAPenAtTheIndexIsRefusedNotStoredOutOfBounds) {
    Form.LoadPen(0, {});
    Type({"1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_TRUE(ClickApply());
    EXPECT_EQ(Prompter.Messages(), QStringList{"Incorrect input data..."});
    EXPECT_TRUE(Form.GetPens().empty());
    Prompter.Log.clear();
    Form.LoadPen(-1, {SamplePen()});
    EXPECT_TRUE(ClickApply());
    EXPECT_EQ(Form.GetPens()[0], SamplePen());
}

// The editor is created with the program but opened seldom: its controls are built when first needed, and
// then exactly as designed.
TEST(PenEditorControls, AreBuiltByTheFirstShowingInTheirDesignState) {
    ScriptedPrompter prompter;
    TFormEdit form{prompter};
    EXPECT_FALSE(form.HasControls());
    EXPECT_TRUE(form.findChildren<QWidget*>().isEmpty());
    prompter.Modals.push_back([&](QDialog* d) {
        EXPECT_TRUE(form.HasControls());
        EXPECT_EQ(Child<QLineEdit>(d, "P2X")->text(), "P2X");
        EXPECT_EQ(Child<QLabel>(d, "LInfo")->text(), "LInfo");
        EXPECT_EQ(TabChain(d), QStringList({"OKButton", "P2X", "P1X", "P3X", "LT", "UT", "P1Y", "P2Y", "P3Y",
                                            "CancelButton"}));
        // Enter reaches the default button: without a pen the input is refused and the editor stays open.
        QTest::keyClick(Child<QLineEdit>(d, "P2X"), Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
        return d->result();
    });
    EXPECT_EQ(prompter.ShowModal(&form), TFormEdit::ResultCancel);
    EXPECT_EQ(prompter.Messages(), QStringList{"Incorrect input data..."});
    EXPECT_EQ(form.findChildren<QLineEdit*>().size(), 8) << "built once";
}

TEST(PenEditorControls, LoadPenBuildsThemOnlyWhenThereIsAPenToShow) {
    ScriptedPrompter prompter;
    TFormEdit form{prompter};
    form.LoadPen(0, {});
    EXPECT_FALSE(form.HasControls()) << "no pen: the fields keep their texts, so nothing is needed";
    form.LoadPen(0, {SamplePen()});
    EXPECT_TRUE(form.HasControls());
    EXPECT_EQ(form.P1Y()->text(), "10");
    EXPECT_EQ(form.LInfo()->text(), "PressureCurveControlPoint 10 0 520 500 1000 1023");
    EXPECT_EQ(form.P1Y()->parentWidget(), form.GroupBox2());
    EXPECT_EQ(form.findChildren<QLineEdit*>().size(), 8);
}

} // namespace
