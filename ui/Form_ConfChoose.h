#pragma once
// The default-configuration chooser: one button per default preference file. The caller enables the buttons
// whose files exist; the result of the modal showing names the file picked.

#include <QDialog>

class IPrompter;
class QPushButton;

class TFormChoose : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultWacom = 1; // WB
    static constexpr int ResultPen = 2;   // PB, and closing the window through the system's close command
    static constexpr int ResultISD = 3;   // IB

    explicit TFormChoose(QWidget* parent = nullptr);
    // The prompter is not needed here; this form is accepted so that every window is built alike.
    explicit TFormChoose(IPrompter& prompter, QWidget* parent = nullptr);

    void WBClick();
    void PBClick();
    void IBClick();

    QPushButton* WB = nullptr;
    QPushButton* PB = nullptr;
    QPushButton* IB = nullptr;

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    // The system's close command ends the window like a cancelled modal window: result 2.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

extern TFormChoose* FormChoose;
