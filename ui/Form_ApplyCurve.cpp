#include "ui/Form_ApplyCurve.h"

#include "data/FileText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { ColIndex, ColName, ColResolution, ColCurve, Columns };

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

TFormApplyCurve::TFormApplyCurve(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("FormApplyCurve"));
    setWindowTitle(QStringLiteral("Apply Curve to Pens"));
    resize(520, 420);

    Source = new QLabel(this);
    Source->setObjectName(QStringLiteral("Source"));
    PenList = new QTableWidget(0, Columns, this);
    PenList->setObjectName(QStringLiteral("PenList"));
    PenList->setHorizontalHeaderLabels({QStringLiteral("Pen"), QStringLiteral("Name"),
                                        QStringLiteral("Resolution"), QStringLiteral("Curve")});
    PenList->verticalHeader()->hide();
    PenList->horizontalHeader()->setStretchLastSection(true);
    PenList->setSelectionMode(QAbstractItemView::NoSelection);
    PenList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PenList->setColumnWidth(ColIndex, 60);
    PenList->setColumnWidth(ColName, 150);
    PenList->setColumnWidth(ColResolution, 80);

    SameName = new QPushButton(this);
    SameName->setObjectName(QStringLiteral("SameName"));
    SameName->setAutoDefault(false);
    connect(SameName, &QPushButton::clicked, this, &TFormApplyCurve::CheckSameName);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SameName);
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Source);
    layout->addWidget(PenList, 1);
    layout->addLayout(buttons);
}

void TFormApplyCurve::Open(const APen& pens, int shown) {
    Pens = pens;
    Shown = shown;
    const bool valid = shown >= 0 && static_cast<size_t>(shown) < pens.size();
    const QString name = valid ? FileText(pens[static_cast<size_t>(shown)].ButtonName) : QString();
    Source->setText(QStringLiteral("The curve and thresholds of pen %1 (%2) go on every checked pen.")
                        .arg(shown)
                        .arg(name));
    SameName->setText(QStringLiteral("Check All \"%1\" Pens").arg(name));

    PenList->setUpdatesEnabled(false);
    PenList->clearContents();
    PenList->setRowCount(static_cast<int>(pens.size()));
    for (int row = 0; row < PenList->rowCount(); ++row) {
        const Pen& pen = pens[static_cast<size_t>(row)];
        QTableWidgetItem* index = Cell(QString::number(row));
        if (row != shown) {
            index->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            index->setCheckState(Qt::Unchecked);
        }
        PenList->setItem(row, ColIndex, index);
        PenList->setItem(row, ColName, Cell(FileText(pen.ButtonName)));
        PenList->setItem(row, ColResolution, Cell(QString::number(pen.PressureResolution)));
        PenList->setItem(row, ColCurve, Cell(QString::fromStdString(CurveText(pen))));
    }
    PenList->setUpdatesEnabled(true);
}

std::vector<int> TFormApplyCurve::CheckedPens() const {
    std::vector<int> checked;
    for (int row = 0; row < PenList->rowCount(); ++row)
        if (row != Shown && PenList->item(row, ColIndex)->checkState() == Qt::Checked)
            checked.push_back(row);
    return checked;
}

void TFormApplyCurve::CheckSameName() {
    if (Shown < 0 || static_cast<size_t>(Shown) >= Pens.size())
        return;
    const std::string& name = Pens[static_cast<size_t>(Shown)].ButtonName;
    for (int row = 0; row < PenList->rowCount(); ++row)
        if (row != Shown && Pens[static_cast<size_t>(row)].ButtonName == name)
            PenList->item(row, ColIndex)->setCheckState(Qt::Checked);
}
