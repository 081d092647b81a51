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

    QGroupBox* GroupBox1 = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QPushButton* OKButton = nullptr;

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    void reject() override;

private:
    int LineCount = 0;
};

extern TFormInfo* FormInfo;
