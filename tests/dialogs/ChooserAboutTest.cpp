#include "DialogHelpers.h"
#include "support/Platform_fake.h"
#include "support/ScriptedPrompter.h"
#include "system/BuildConfig.h"
#include "ui/Form_About.h"
#include "ui/Form_ConfChoose.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(Chooser, DesignHasThreeButtonsAndNoCloseBox) {
    TFormChoose form;
    EXPECT_EQ(form.windowTitle(), "Choose Default Config - (multiple files present)");
    EXPECT_EQ(form.size(), QSize(338, 49));
    EXPECT_EQ(form.font().family(), "Tahoma");
    EXPECT_EQ(form.font().pointSize(), 8);
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags &
                 (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint));

    EXPECT_EQ(form.WB->text(), "Wacom_Tablet.dat");
    EXPECT_EQ(form.PB->text(), "Pen_Tablet.dat");
    EXPECT_EQ(form.IB->text(), "ISD_Tablet.dat");
    EXPECT_EQ(form.WB->geometry(), QRect(8, 8, 105, 33));
    EXPECT_EQ(form.PB->geometry(), QRect(119, 8, 106, 33));
    EXPECT_EQ(form.IB->geometry(), QRect(231, 8, 99, 33));
    EXPECT_EQ(form.findChildren<QPushButton*>().size(), 3) << "no cancel button";
    EXPECT_EQ(TabChain(&form), QStringList({"WB", "PB", "IB"}));
}

TEST(Chooser, EachButtonClosesWithItsResult) {
    TFormChoose form;
    ScriptedPrompter prompter;
    const std::pair<QPushButton*, int> cases[] = {{form.WB, 1}, {form.PB, 2}, {form.IB, 3}};
    for (const auto& [button, result] : cases) {
        prompter.Modals.push_back([button](QDialog* d) {
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_FALSE(d->isVisible());
            return d->result();
        });
        EXPECT_EQ(prompter.ShowModal(&form), result) << button->objectName().toStdString();
    }
}

TEST(Chooser, DisabledButtonsCannotBePicked) {
    TFormChoose form;
    form.PB->setEnabled(false);
    ScriptedPrompter prompter;
    prompter.Modals.push_back([&](QDialog* d) {
        QTest::mouseClick(form.PB, Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(form.IB, Qt::LeftButton);
        return d->result();
    });
    EXPECT_EQ(prompter.ShowModal(&form), 3);
    EXPECT_EQ(TabChain(&form), QStringList({"WB", "IB"}));
}

// The real modal loop, ended from inside it by `finish`; returns what exec() returned.
int ExecWith(QDialog& dialog, std::function<void()> finish) {
    QTimer::singleShot(0, &dialog, [&dialog, finish] {
        finish();
        // Whatever happened, the loop must not hang the test.
        if (dialog.isVisible())
            QTimer::singleShot(200, &dialog, [&dialog] { dialog.done(-1); });
    });
    return dialog.exec();
}

TEST(Chooser, SystemCloseCommandReturnsTwoAndEscapeDoesNothing) {
    TFormChoose form;
    EXPECT_EQ(ExecWith(form, [&] { form.close(); }), 2);
    EXPECT_EQ(ExecWith(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); }), -1) << "Escape left it open";
    EXPECT_EQ(ExecWith(form, [&] { QTest::mouseClick(form.WB, Qt::LeftButton); }), 1);
}

class About : public ::testing::Test {
protected:
    ScriptedPrompter Prompter;
    TAboutBox Form{Prompter};
};

TEST_F(About, DesignMatchesTheWindowLayout) {
    EXPECT_EQ(Form.windowTitle(), "About");
    EXPECT_EQ(Form.size(), QSize(422, 156));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_EQ(Form.font().family(), "MS Sans Serif");
    EXPECT_EQ(Form.Panel1->geometry(), QRect(6, 8, 411, 113));
    const std::pair<QLabel*, QPoint> places[] = {
        {Form.Label1, {101, 7}}, {Form.Version, {8, 26}},  {Form.Copyright, {168, 26}},
        {Form.Label2, {77, 54}}, {Form.Label3, {136, 73}}, {Form.Comments, {157, 92}},
    };
    for (const auto& [label, pos] : places) {
        EXPECT_EQ(label->parentWidget(), Form.Panel1) << label->objectName().toStdString();
        EXPECT_EQ(label->pos(), pos) << label->objectName().toStdString();
    }
    EXPECT_EQ(Form.Label1->text(), "NIBWRIGHT");
    EXPECT_TRUE(Form.Label1->font().bold());
    EXPECT_TRUE(Form.Label1->font().underline());
    EXPECT_EQ(Form.Version->text(), "Version 1.6.9.0 BETA");
    EXPECT_EQ(Form.Version->text(), QStringLiteral("Version ") + NibVersion) << "what --version prints";
    EXPECT_EQ(Form.Copyright->width(), 233);
    EXPECT_TRUE(Form.Label2->text().endsWith('.'));
    EXPECT_EQ(Form.Label3->text(), "You may use it at your own risk!");
    EXPECT_EQ(Form.Label3->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(Form.Comments->text(), HomePageUrl());
    EXPECT_EQ(Form.Comments->width(), 96);
    EXPECT_TRUE(Form.Comments->wordWrap());
    EXPECT_TRUE(Form.Comments->font().underline());
    EXPECT_EQ(Form.Comments->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(Form.Comments->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(Form.OKButton->text(), "OK");
    EXPECT_EQ(Form.OKButton->geometry(), QRect(174, 127, 75, 25));
    EXPECT_TRUE(Form.OKButton->isDefault());
}

TEST_F(About, OnlyTheLinkOpensTheHomePageAndTheBoxStaysOpen) {
    Prompter.Modals.push_back([&](QDialog* d) {
        for (QLabel* other : {Form.Label1, Form.Version, Form.Copyright, Form.Label2, Form.Label3})
            QTest::mouseClick(other, Qt::LeftButton);
        EXPECT_TRUE(Prompter.OfKind("url").empty());
        QTest::mouseClick(Form.Comments, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(Form.OKButton, Qt::LeftButton);
        return d->result();
    });
    EXPECT_EQ(Prompter.ShowModal(&Form), TAboutBox::ResultOK);
    const auto urls = Prompter.OfKind("url");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].Text, HomePageUrl());
}

// The link opens the user guide beside the program: the build keeps a copy where an installed tree has it,
// so the page and its pictures are found from the built program's folder.
TEST(HomePage, IsTheUserGuideBesideTheProgramWithItsPictures) {
    ScopedFakePlatform platform;
    // As the system reports it: with backslashes on Windows.
    platform.Fake.ExePath = QDir::toNativeSeparators(NIB_PROGRAM_DIR "/nibwright").toStdString();
    const QUrl url(HomePageUrl());
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    EXPECT_EQ(url.query(), "page_id=3");
    QFile guide(url.toLocalFile());
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly)) << guide.fileName().toStdString();
    const QString html = QString::fromUtf8(guide.readAll());
    EXPECT_TRUE(html.contains("<title>Nibwright user guide</title>"));
    const QRegularExpression picture(R"re(<img src="([^"]+)")re");
    int pictures = 0;
    for (auto it = picture.globalMatch(html); it.hasNext(); ++pictures) {
        const QString name = it.next().captured(1);
        EXPECT_TRUE(QFileInfo(QFileInfo(guide).dir(), name).isFile()) << name.toStdString();
    }
    EXPECT_EQ(pictures, 2);
}

TEST(Dialogs, EachOpensCentredOnTheScreenEvenWithAnOwnerAside) {
    QWidget owner;
    owner.setGeometry(0, 0, 200, 150);
    ScriptedPrompter prompter;
    TFormEdit edit(prompter, &owner);
    TFormInfo info(&owner);
    TFormChoose choose(&owner);
    TAboutBox about(prompter);
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    for (QDialog* d : std::initializer_list<QDialog*>{&edit, &info, &choose, &about}) {
        d->show();
        const QPoint at = d->frameGeometry().center();
        EXPECT_LE((at - centre).manhattanLength(), 40) << d->metaObject()->className();
        d->hide();
    }
}

} // namespace
