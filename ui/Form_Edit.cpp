#include "ui/Form_Edit.h"

#include "ui/WindowPlacement.h"

#include "ui/Prompter.h"

#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TFormEdit* FormEdit = nullptr;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const char* text, int left, int top) {
    auto* field = new QLineEdit(QString::fromLatin1(text), parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(left, top, 57, 21);
    return field;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int left, int top) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, top, 75, 25);
    return button;
}

} // namespace

TFormEdit::TFormEdit(IPrompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      Prompter(prompter) {
    setObjectName(QStringLiteral("FormEdit"));
    setWindowTitle(QStringLiteral("Pen Editor"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(475, 174);
}

TFormEdit::TControls& TFormEdit::Controls() {
    if (Built)
        return Items;
    Built = true;
    TControls& c = Items;

    // Created in the tab order of the form: OKButton, the group box, CancelButton.
    c.OKButton = MakeButton(this, "OKButton", "Apply", 315, 144);
    c.OKButton->setDefault(true);

    c.GroupBox2 = new QGroupBox(QStringLiteral("Pen Editor"), this);
    c.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    c.GroupBox2->setGeometry(6, 8, 465, 130);

    c.LInfo = MakeLabel(c.GroupBox2, "LInfo", "LInfo", 12, 17);
    c.Label1 = MakeLabel(c.GroupBox2, "Label1", "Lower Point (y,x):", 14, 42);
    c.Label2 = MakeLabel(c.GroupBox2, "Label2", "Middle Point (y,x):", 12, 70);
    c.Label3 = MakeLabel(c.GroupBox2, "Label3", "Upper Point (y,x):", 14, 97);
    c.Label4 = MakeLabel(c.GroupBox2, "Label4", "Upper Threshold:", 281, 42);
    c.Label5 = MakeLabel(c.GroupBox2, "Label5", "Lower Threshold:", 281, 70);

    // Inside the group box the tab order is P2X, P1X, P3X, LT, UT, P1Y, P2Y, P3Y.
    c.P2X = MakeField(c.GroupBox2, "P2X", "P2X", 185, 67);
    c.P1X = MakeField(c.GroupBox2, "P1X", "Edit1", 185, 40);
    c.P3X = MakeField(c.GroupBox2, "P3X", "Edit1", 185, 94);
    c.LT = MakeField(c.GroupBox2, "LT", "Edit1", 389, 68);
    c.UT = MakeField(c.GroupBox2, "UT", "Edit1", 389, 41);
    c.P1Y = MakeField(c.GroupBox2, "P1Y", "Edit1", 122, 40);
    c.P2Y = MakeField(c.GroupBox2, "P2Y", "Edit1", 122, 67);
    c.P3Y = MakeField(c.GroupBox2, "P3Y", "Edit1", 122, 94);

    c.CancelButton = MakeButton(this, "CancelButton", "Cancel", 396, 144);

    setTabOrder(c.OKButton, c.P2X);
    setTabOrder(c.P2X, c.P1X);
    setTabOrder(c.P1X, c.P3X);
    setTabOrder(c.P3X, c.LT);
    setTabOrder(c.LT, c.UT);
    setTabOrder(c.UT, c.P1Y);
    setTabOrder(c.P1Y, c.P2Y);
    setTabOrder(c.P2Y, c.P3Y);
    setTabOrder(c.P3Y, c.CancelButton);

    connect(c.OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(c.CancelButton, &QPushButton::clicked, this, [this] { done(ResultCancel); });
    return Items;
}

void TFormEdit::reject() {
    done(ResultCancel);
}

void TFormEdit::LoadPen(int index, const APen& pens) {
    SelectedPen = index;
    Pens = pens;
    if (Pens.empty() || index < 0 || static_cast<size_t>(index) >= Pens.size())
        return;
    const Pen& p = Pens[static_cast<size_t>(index)];
    const TControls& c = Controls();
    const auto put = [](QLineEdit* field, int32_t value) { field->setText(QString::number(value)); };
    put(c.P1X, p.P1X);
    put(c.P1Y, p.P1Y);
    put(c.P2X, p.P2X);
    put(c.P2Y, p.P2Y);
    put(c.P3X, p.P3X);
    put(c.P3Y, p.P3Y);
    put(c.UT, p.UpperThreshold);
    put(c.LT, p.LowerThreshold);
    const std::string info = "PressureCurveControlPoint " + CurveText(p);
    c.LInfo->setText(QString::fromLatin1(info.data(), static_cast<qsizetype>(info.size())));
    c.LInfo->adjustSize();
}

APen TFormEdit::GetPens() const {
    return Pens;
}

int32_t TFormEdit::ClampToResolution(int32_t v) const {
    if (SelectedPen < 0 || static_cast<size_t>(SelectedPen) >= Pens.size())
        return v;
    const int32_t r = Pens[static_cast<size_t>(SelectedPen)].PressureResolution;
    if (v < 0)
        v = 0;
    if (v > r)
        v = r;
    return v;
}

void TFormEdit::OKButtonClick() {
    // Without a pen at the index there is nothing the values could be stored into: the input is refused
    // like an invalid number rather than written past the end of the array.
    const bool hasPen = SelectedPen >= 0 && static_cast<size_t>(SelectedPen) < Pens.size();
    bool ok = hasPen;
    if (hasPen) {
        Pen& p = Pens[static_cast<size_t>(SelectedPen)];
        const TControls& c = Controls();
        const std::pair<QLineEdit*, int32_t*> fields[] = {
            {c.P1X, &p.P1X}, {c.P1Y, &p.P1Y}, {c.P2X, &p.P2X},           {c.P2Y, &p.P2Y},
            {c.P3X, &p.P3X}, {c.P3Y, &p.P3Y}, {c.UT, &p.UpperThreshold}, {c.LT, &p.LowerThreshold},
        };
        // Each value is stored before the next field is converted, so a rejected field leaves the ones
        // before it stored.
        for (const auto& [field, target] : fields) {
            int32_t value = 0;
            // Characters outside Latin-1 become '?', which the conversion rejects.
            if (!StrToInt32(field->text().toLatin1().toStdString(), value)) {
                ok = false;
                break;
            }
            *target = ClampToResolution(value);
        }
    }
    if (!ok) {
        Prompter.Message(QStringLiteral("Incorrect input data..."));
        setResult(0);
        return;
    }
    done(ResultOK);
}

void TFormEdit::setVisible(bool visible) {
    if (visible && !isVisible()) {
        Controls();
        CentreOnScreen(this);
    }
    QDialog::setVisible(visible);
}
