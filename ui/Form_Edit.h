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

    // The controls, by their designer names. The dialog is created with the program but opened seldom, so
    // the controls are built on first use: the first showing, LoadPen, OKButtonClick, or the first call of
    // one of these.
    QGroupBox* GroupBox2() { return Controls().GroupBox2; }
    QLabel* LInfo() { return Controls().LInfo; }
    QLabel* Label1() { return Controls().Label1; }
    QLabel* Label2() { return Controls().Label2; }
    QLabel* Label3() { return Controls().Label3; }
    QLabel* Label4() { return Controls().Label4; }
    QLabel* Label5() { return Controls().Label5; }
    QLineEdit* P1Y() { return Controls().P1Y; }
    QLineEdit* P1X() { return Controls().P1X; }
    QLineEdit* P2Y() { return Controls().P2Y; }
    QLineEdit* P2X() { return Controls().P2X; }
    QLineEdit* P3Y() { return Controls().P3Y; }
    QLineEdit* P3X() { return Controls().P3X; }
    QLineEdit* UT() { return Controls().UT; }
    QLineEdit* LT() { return Controls().LT; }
    QPushButton* OKButton() { return Controls().OKButton; }
    QPushButton* CancelButton() { return Controls().CancelButton; }
    // Builds the controls now, if they are not built yet.
    void BuildControls() { Controls(); }
    bool HasControls() const { return Built; }

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    void reject() override;

private:
    struct TControls {
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
    };
    // The controls in their design state, built on the first call.
    TControls& Controls();

    IPrompter& Prompter;
    TControls Items;
    bool Built = false;
};

extern TFormEdit* FormEdit;
