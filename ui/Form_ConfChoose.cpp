#include "ui/Form_ConfChoose.h"

#include "ui/WindowPlacement.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

TFormChoose* FormChoose = nullptr;

TFormChoose::TFormChoose(IPrompter&, QWidget* parent) : TFormChoose(parent) {}

TFormChoose::TFormChoose(QWidget* parent)
    // A tool window with a title but no title-bar buttons at all.
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FormChoose"));
    setWindowTitle(QStringLiteral("Choose Default Config - (multiple files present)"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(338, 49);

    const auto make = [this](const char* name, const char* caption, int left, int width) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 8, width, 33);
        return button;
    };
    WB = make("WB", "Wacom_Tablet.dat", 8, 105);
    PB = make("PB", "Pen_Tablet.dat", 119, 106);
    IB = make("IB", "ISD_Tablet.dat", 231, 99);
    setTabOrder(WB, PB);
    setTabOrder(PB, IB);

    connect(WB, &QPushButton::clicked, this, [this] { WBClick(); });
    connect(PB, &QPushButton::clicked, this, [this] { PBClick(); });
    connect(IB, &QPushButton::clicked, this, [this] { IBClick(); });
}

void TFormChoose::WBClick() {
    done(ResultWacom);
}
void TFormChoose::PBClick() {
    done(ResultPen);
}
void TFormChoose::IBClick() {
    done(ResultISD);
}

void TFormChoose::reject() {
    done(ResultPen);
}

void TFormChoose::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: Escape does not close the chooser. The system's close command still does
    // (through reject).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormChoose::setVisible(bool visible) {
    if (visible && !isVisible())
        CentreOnScreen(this);
    QDialog::setVisible(visible);
}
