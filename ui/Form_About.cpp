#include "ui/Form_About.h"

#include "system/BuildConfig.h"
#include "system/functions.h"
#include "ui/Prompter.h"
#include "ui/WindowPlacement.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

TAboutBox* AboutBox = nullptr;

QString HomePageUrl() {
    const QString guide =
        QFileInfo(AppFolder() + QString::fromUtf8(UserGuideFromExecutable)).absoluteFilePath();
    QUrl url = QUrl::fromLocalFile(QDir::cleanPath(guide));
    url.setQuery(QStringLiteral("page_id=3"));
    return url.toString();
}

TAboutBox::TAboutBox(IPrompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      Prompter(prompter) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(422, 156);

    // Raised inner bevel inside a lowered outer one, in the form's colour.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(6, 8, 411, 113);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    auto* inner = new QFrame(Panel1);
    inner->setObjectName(QStringLiteral("Panel1Bevel"));
    inner->setGeometry(1, 1, 409, 111);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setLineWidth(1);
    inner->setAttribute(Qt::WA_TransparentForMouseEvents);

    const auto make = [this](const char* name, const QString& caption, int left, int top) {
        auto* label = new QLabel(caption, Panel1);
        label->setObjectName(QString::fromLatin1(name));
        label->move(left, top);
        return label;
    };
    const auto colour = [](QLabel* label, Qt::GlobalColor c) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, c);
        label->setPalette(palette);
    };

    Label1 = make("Label1", QStringLiteral("NIBWRIGHT"), 101, 7);
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setUnderline(true);
    Label1->setFont(heading);

    Version = make("Version", QStringLiteral("Version ") + QString::fromLatin1(NibVersion), 8, 26);
    Copyright = make("Copyright", QStringLiteral("Copyright (C) 2026 Nibwright"), 168, 26);
    Copyright->resize(233, Copyright->height());

    Label2 =
        make("Label2", QStringLiteral("This program is provided \"as is\", without any warranty."), 77, 54);

    Label3 = make("Label3", QStringLiteral("You may use it at your own risk!"), 136, 73);
    colour(Label3, Qt::red);

    Comments = make("Comments", HomePageUrl(), 157, 92);
    colour(Comments, Qt::blue);
    QFont link = Comments->font();
    link.setUnderline(true);
    Comments->setFont(link);
    Comments->setWordWrap(true);
    Comments->setCursor(Qt::PointingHandCursor);
    // Word wrap within the fixed width; the height follows the wrapped text when the box is shown.
    Comments->setFixedWidth(96);
    Comments->setToolTip(Comments->text()); // the whole address, where the panel cuts it off
    Comments->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(174, 127, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(ResultOK); });
}

void TAboutBox::reject() {
    done(ResultCancel);
}

void TAboutBox::CommentsClick() {
    Prompter.OpenUrl(HomePageUrl());
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Comments && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Comments->rect().contains(mouse->position().toPoint())) {
            CommentsClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // The box is built at start-up but seldom shown: measuring the texts waits until it is.
        for (QLabel* label : {Label1, Version, Copyright, Label2, Label3})
            label->adjustSize();
        Copyright->resize(233, Copyright->height());
        Comments->setFixedHeight(Comments->heightForWidth(96));
        CentreOnScreen(this);
    }
    QDialog::setVisible(visible);
}
