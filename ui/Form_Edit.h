#pragma once
// The "Pen Editor" dialog: the shown pen's three control points and two thresholds typed as numbers.
// It works on its own copy of the pens; the main window takes that copy back only after OK.

#include "data/typeDef.h"

#include <QDialog>

#include <cstdint>

class IPrompter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormEdit : public QDialog {
    Q_OBJECT
public:
    // Results of the modal showing.
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    explicit TFormEdit(IPrompter& prompter, QWidget* parent = nullptr);

    // Keeps the index and a copy of the pens and fills the eight fields and LInfo from that pen.
    void LoadPen(int index, const APen& pens);
    // The editor's pens, with the values of the last successful OKButtonClick.
    APen GetPens() const;
    // v limited to 0..PressureResolution of the edited pen.
    int32_t ClampToResolution(int32_t v) const;
    // Converts and stores the eight fields and closes with OK, or reports the rejected input and stays open.
    void OKButtonClick();

    int32_t SelectedPen = 0;
    APen Pens;

    QGroupBox* GroupBox2 = nullptr;
    QLabel* LInfo = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* P1Y = nullptr;
    QLineEdit* P1X = nullptr;
    QLineEdit* P2Y = nullptr;
    QLineEdit* P2X = nullptr;
    QLineEdit* P3Y = nullptr;
    QLineEdit* P3X = nullptr;
    QLineEdit* UT = nullptr;
    QLineEdit* LT = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    void reject() override;

private:
    IPrompter& Prompter;
};

extern TFormEdit* FormEdit;
