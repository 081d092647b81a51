#pragma once
// "Apply Curve to Pens": lists every pen of the file (index, name, resolution, curve) with a check box each,
// so that the shown pen's curve and thresholds can be put on the checked ones. The shown pen is listed for
// reference and cannot be checked.

#include "data/typeDef.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

class TFormApplyCurve : public QDialog {
    Q_OBJECT
public:
    explicit TFormApplyCurve(QWidget* parent = nullptr);

    // Lists the pens, none checked; `shown` is the pen whose curve goes out.
    void Open(const APen& pens, int shown);
    // The indexes of the checked pens, in file order.
    std::vector<int> CheckedPens() const;
    // Checks every other pen that bears the shown pen's name.
    void CheckSameName();

    QLabel* Source = nullptr;
    QTableWidget* PenList = nullptr;
    QPushButton* SameName = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    APen Pens;
    int Shown = -1;
};
