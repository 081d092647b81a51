#pragma once
// The "Config Info" dialog: every pen's values as plain text in the preference file's vocabulary, to read or
// copy.

#include "data/typeDef.h"

#include <QDialog>

#include <string>

class IPrompter;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

class TFormInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    explicit TFormInfo(QWidget* parent = nullptr);
    // The prompter is not needed here; this form is accepted so that every window is built alike.
    explicit TFormInfo(IPrompter& prompter, QWidget* parent = nullptr);

    // Replaces the memo's text by the listing of all pens; the listing does not depend on selectedIndex.
    void FillInfo(int selectedIndex, const APen& pens);
    // Appends text as one new line at the end of the memo.
    void AddInfoLine(const std::string& text);

    APen Pens;

    // The controls, by their designer names. The dialog is created with the program but opened seldom, and
    // a text box costs a good part of the start-up, so the controls are built on first use: the first
    // showing, FillInfo, AddInfoLine, or the first call of one of these.
    QGroupBox* GroupBox1() { return Controls().GroupBox1; }
    QPlainTextEdit* Memo() { return Controls().Memo; }
    QPushButton* OKButton() { return Controls().OKButton; }
    // Builds the controls now, if they are not built yet.
    void BuildControls() { Controls(); }
    bool HasControls() const { return Built; }

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    void reject() override;

private:
    struct TControls {
        QGroupBox* GroupBox1 = nullptr;
        QPlainTextEdit* Memo = nullptr;
        QPushButton* OKButton = nullptr;
    };
    // The controls in their design state, built on the first call.
    TControls& Controls();

    TControls Items;
    bool Built = false;
    int LineCount = 0;
};

extern TFormInfo* FormInfo;
