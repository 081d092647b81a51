#pragma once
// The About box: product heading, version, copyright, disclaimer and the link to the home page.

#include <QDialog>

class IPrompter;
class QFrame;
class QLabel;
class QPushButton;

// The program's home page, opened by the About box and the main window's "HomePage...": the user guide
// installed with the program (a local HTML page at UserGuideFromExecutable from the executable's folder),
// as a file URL with the query "page_id=3", its start page.
QString HomePageUrl();

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    explicit TAboutBox(IPrompter& prompter, QWidget* parent = nullptr);

    // Asks the shell to open the home page; the outcome is not examined and the box stays open.
    void CommentsClick();

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

    // Shows the window centred on the screen.
    void setVisible(bool visible) override;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IPrompter& Prompter;
};

extern TAboutBox* AboutBox;
