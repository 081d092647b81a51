#include "DialogHelpers.h"
#include "support/Pens.h"
#include "support/ScriptedPrompter.h"
#include "ui/Form_Info.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// A pen of resolution 1023 whose curve values count up from base + 10 in steps of ten.
Pen NamedPen(const std::string& name, int32_t base) {
    return MakePen(1023, base + 10, base + 20, base + 30, base + 40, base + 50, base + 60, 1000, 5, name);
}

class InfoDialog : public ::testing::Test {
protected:
    // The controls as the dialog shows them; a fresh dialog builds them only when first needed.
    void SetUp() override { Form.BuildControls(); }

    TFormInfo Form;
    QString Text() { return Form.Memo()->toPlainText(); }
};

TEST_F(InfoDialog, DesignMatchesTheWindowLayout) {
    EXPECT_EQ(Form.windowTitle(), "Config Info");
    EXPECT_EQ(Form.size(), QSize(479, 222));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_EQ(Form.font().family(), "MS Sans Serif");
    EXPECT_EQ(Form.GroupBox1()->title(), "Global Information");
    EXPECT_EQ(Form.GroupBox1()->geometry(), QRect(8, 8, 465, 177));
    EXPECT_EQ(Form.Memo()->parentWidget(), Form.GroupBox1());
    EXPECT_EQ(Form.Memo()->geometry(), QRect(10, 16, 447, 153));
    EXPECT_TRUE(Form.Memo()->isReadOnly());
    EXPECT_EQ(Form.Memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(Form.Memo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(Form.Memo()->textInteractionFlags() & Qt::TextSelectableByMouse) << "the text can be copied";
    EXPECT_EQ(Form.OKButton()->text(), "OK");
    EXPECT_EQ(Form.OKButton()->geometry(), QRect(396, 191, 75, 25));
    EXPECT_TRUE(Form.OKButton()->isDefault());
}

TEST_F(InfoDialog, ListsEveryPenWithTheCurveInFileOrder) {
    Form.FillInfo(0, {NamedPen("Tip", 0), NamedPen(" Eraser", 100)});
    EXPECT_EQ(Text(), "Pen internal name - Tip\n"
                      "PressureCurveControlPoint 20 10 40 30 60 50\n"
                      "UpperPressureThreshold 1000\n"
                      "LowerPressureThreshold 5\n"
                      "\n"
                      "Pen internal name -  Eraser\n"
                      "PressureCurveControlPoint 120 110 140 130 160 150\n"
                      "UpperPressureThreshold 1000\n"
                      "LowerPressureThreshold 5\n");
    EXPECT_EQ(Form.Memo()->document()->blockCount(), 10) << "two pens give ten lines, the last one empty";
}

TEST_F(InfoDialog, RefillReplacesTheTextWhateverTheIndex) {
    Pen negative = NamedPen("Tip", 0);
    negative.LowerThreshold = -1;
    negative.P1X = -2147483647 - 1;
    Form.FillInfo(0, {NamedPen("Old", 0)});
    Form.FillInfo(5, {negative});
    const QString atFive = Text();
    EXPECT_FALSE(atFive.contains("Old"));
    EXPECT_TRUE(atFive.contains("\nLowerPressureThreshold -1\n"));
    EXPECT_TRUE(atFive.contains("PressureCurveControlPoint 20 -2147483648 "));
    Form.FillInfo(-1, {negative});
    EXPECT_EQ(Text(), atFive);
}

TEST_F(InfoDialog, EmptyPenArrayLeavesTheMemoEmpty) {
    Form.FillInfo(0, {NamedPen("Tip", 0)});
    Form.FillInfo(0, {});
    EXPECT_EQ(Text(), "");
    EXPECT_TRUE(Form.Pens.empty());
}

TEST_F(InfoDialog, AddInfoLineCountsALeadingEmptyLine) {
    Form.FillInfo(0, {});
    Form.AddInfoLine("");
    Form.AddInfoLine("x");
    EXPECT_EQ(Text(), "\nx");
}

TEST_F(InfoDialog, NamesShowAsUtf8WhenValidAndByteForByteOtherwise) {
    Form.FillInfo(0, {NamedPen("Stift \xc3\xa4", 0), NamedPen("Gr\xfc"
                                                              "n",
                                                              0)});
    EXPECT_TRUE(Text().startsWith(QString::fromUtf8("Pen internal name - Stift \xc3\xa4\n")));
    EXPECT_TRUE(Text().contains(QString::fromLatin1("Pen internal name - Gr\xfcn\n")));
}

TEST_F(InfoDialog, OkClosesWithResultOne) {
    ScriptedPrompter prompter;
    prompter.Modals.push_back([&](QDialog* d) {
        QTest::mouseClick(Form.OKButton(), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
        return d->result();
    });
    EXPECT_EQ(prompter.ShowModal(&Form), TFormInfo::ResultOK);
}

TEST_F(InfoDialog, LongLinesScrollSidewaysInsteadOfWrapping) {
    Form.FillInfo(0, {NamedPen(std::string(400, 'W'), 0)});
    Form.show();
    QCoreApplication::processEvents();
    EXPECT_GT(Form.Memo()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Form.Memo()->document()->blockCount(), 5);
    EXPECT_EQ(Form.Memo()->document()->firstBlock().layout()->lineCount(), 1);
}

// The dialog is created with the program but opened seldom: its controls are built when first needed, and
// then exactly as designed.
TEST(InfoDialogControls, AreBuiltByTheFirstShowingInTheirDesignState) {
    TFormInfo form;
    EXPECT_FALSE(form.HasControls());
    EXPECT_TRUE(form.findChildren<QWidget*>().isEmpty());
    ScriptedPrompter prompter;
    prompter.Modals.push_back([&](QDialog* d) {
        EXPECT_TRUE(form.HasControls());
        EXPECT_EQ(Child<QPlainTextEdit>(d, "Memo")->toPlainText(), "Memo");
        EXPECT_EQ(Child<QGroupBox>(d, "GroupBox1")->title(), "Global Information");
        QTest::keyClick(d, Qt::Key_Return); // the default button closes it
        EXPECT_FALSE(d->isVisible());
        return d->result();
    });
    EXPECT_EQ(prompter.ShowModal(&form), TFormInfo::ResultOK);
    EXPECT_EQ(form.findChildren<QPlainTextEdit*>().size(), 1) << "built once";
}

TEST(InfoDialogControls, FillingOrAppendingFirstBuildsThemWithTheDesignText) {
    TFormInfo filled;
    filled.FillInfo(0, {NamedPen("Tip", 0)});
    EXPECT_TRUE(filled.Memo()->toPlainText().startsWith("Pen internal name - Tip\n"));
    EXPECT_EQ(filled.Memo()->document()->blockCount(), 5);

    // The design text counts as the memo's first line.
    TFormInfo appended;
    appended.AddInfoLine("x");
    EXPECT_EQ(appended.Memo()->toPlainText(), "Memo\nx");
}

} // namespace
