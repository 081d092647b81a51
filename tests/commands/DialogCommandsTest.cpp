// The commands that open a window of their own: "Show Current Values", "Pen Editor", "&About...", the
// remaining menu entries "HomePage..." and "E&xit", and the box that shows a failure no command caught.

#include "support/WindowFixture.h"

#include "ui/Application.h"
#include "ui/Form_About.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

class DialogCommands : public CommandTest {
protected:
    void SetUp() override { Env.Write(Env.WacomFile(), StandardXml()); }
    static void Type(const char* field, const QString& text) {
        auto* edit = FormEdit->findChild<QLineEdit*>(QString::fromLatin1(field));
        ASSERT_NE(edit, nullptr) << field;
        edit->setText(text);
    }
    static QString Field(const char* field) {
        auto* edit = FormEdit->findChild<QLineEdit*>(QString::fromLatin1(field));
        return edit ? edit->text() : QString("?");
    }
};

} // namespace

// --- Show Current Values -----------------------------------------------------------------------------------

TEST_F(DialogCommands, ShowCurrentValuesListsThePensBeingEditedNotThoseOnDisk) {
    Start();
    EXPECT_EQ(ListingLines(), StandardListing());
    const auto modals = Prompter.OfKind("modal");
    ASSERT_EQ(modals.size(), 1u);
    EXPECT_EQ(modals[0].Caption, "Config Info");

    Drag(EraserMiddle, Target);
    QStringList expected = StandardListing();
    expected[6] = "PressureCurveControlPoint 0 0 619 619 1023 1023";
    EXPECT_EQ(ListingLines(), expected);
    SelectPen(0);
    EXPECT_EQ(ListingLines(), expected) << "the listing does not depend on the pen shown";
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(StandardXml()));
}

// --- Pen Editor --------------------------------------------------------------------------------------------

TEST_F(DialogCommands, PenEditorEndToEndTheTypedValuesAreAppliedToTheFile) {
    Start();
    Click("CbService");
    Ctl<QComboBox>("CBoxService")->setCurrentIndex(0);
    const QImage before = Picture();

    EditPens([](QDialog* d) {
        EXPECT_EQ(d, static_cast<QDialog*>(FormEdit));
        EXPECT_EQ(FormEdit->LInfo()->text(), "PressureCurveControlPoint 0 0 512 512 1023 1023");
        EXPECT_EQ(Field("P2X"), "512");
        EXPECT_EQ(Field("UT"), "1000");
        Type("P2X", "700");
        Type("P2Y", "2000"); // above the resolution: clamped to 1023
        Type("UT", "  900");
        QTest::mouseClick(FormEdit->OKButton(), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible()) << "OK closes the editor";
        return d->result();
    });

    QStringList expected = StandardListing();
    expected[6] = "PressureCurveControlPoint 0 0 1023 700 1023 1023";
    expected[7] = "UpperPressureThreshold 900";
    EXPECT_EQ(ListingLines(), expected);
    EXPECT_NE(Picture(), before) << "the shown pen is drawn with the new values";
    EXPECT_EQ(PenIndex(), 1);

    Answer(IDYES);
    Click("BtApply");
    QByteArray written = ReplacedOnce(StandardXml(), ">0 0 512 512 1023 1023<", ">0 0 1023 700 1023 1023<");
    written = ReplacedOnce(written, "<UpperPressureThreshold>1000<", "<UpperPressureThreshold>900<");
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(written));
    ASSERT_EQ(Env.DatedBackups(), QStringList({FirstBackupName}));
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + FirstBackupName), Str(StandardXml()));
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServicePro"));
}

TEST_F(DialogCommands, PenEditorEditsThePenSelectedInTheListAndRedrawsIt) {
    Start();
    SelectPen(0);
    EditPens([](QDialog* d) {
        EXPECT_EQ(FormEdit->LInfo()->text(), "PressureCurveControlPoint 10 0 400 600 1000 1023");
        EXPECT_EQ(Field("P1Y"), "10");
        EXPECT_EQ(Field("P2X"), "600");
        EXPECT_EQ(Field("LT"), "30");
        Type("P2X", "512");
        Type("P2Y", "512");
        QTest::mouseClick(FormEdit->OKButton(), Qt::LeftButton);
        return d->result();
    });

    EXPECT_EQ(PenIndex(), 0);
    // The tip's middle point is now drawn where the typed values put it.
    Move(EraserMiddle);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: ~512", "Y: ~511", "Middle Point"}));
    QStringList expected = StandardListing();
    expected[1] = "PressureCurveControlPoint 10 0 512 512 1000 1023";
    EXPECT_EQ(ListingLines(), expected);
}

TEST_F(DialogCommands, PenEditorRejectedInputThenCancelLeavesTheGraphAsItWas) {
    Start();
    Drag(EraserMiddle, Target); // an edit not yet written stays through the editor
    const QStringList listing = ListingLines();
    const QImage before = Picture();

    EditPens([](QDialog* d) {
        Type("P1Y", "300"); // converted and kept in the editor's copy before P2Y is rejected
        Type("P2Y", "5 ");
        QTest::mouseClick(FormEdit->OKButton(), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible()) << "rejected input keeps the editor open";
        QTest::mouseClick(FormEdit->CancelButton(), Qt::LeftButton);
        return d->result();
    });

    EXPECT_EQ(Prompter.Messages(), QStringList({"Incorrect input data..."}));
    EXPECT_EQ(ListingLines(), listing);
    EXPECT_EQ(Picture(), before);
}

TEST_F(DialogCommands, PenEditorClosedWithoutOKKeepsThePensAndRedrawsTheShownPen) {
    Start();
    SelectPen(0);
    const QImage tip = Picture();
    EditPens([](QDialog* d) {
        Type("P2X", "100");
        d->close();
        return d->result();
    });
    EXPECT_EQ(ListingLines(), StandardListing());
    EXPECT_EQ(Picture(), tip);
    EXPECT_EQ(PenIndex(), 0);
}

// --- About, HomePage, Exit ---------------------------------------------------------------------------------

TEST_F(DialogCommands, AboutShowsTheAboutBoxAndHomePageOpensTheAddress) {
    Start();
    ASSERT_TRUE(Trigger("About1"));
    const auto modals = Prompter.OfKind("modal");
    ASSERT_EQ(modals.size(), 1u);
    EXPECT_EQ(modals[0].Text, "TAboutBox");

    ASSERT_TRUE(Trigger("HomePage1"));
    const auto urls = Prompter.OfKind("url");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].Text, HomePageUrl());
    EXPECT_TRUE(urls[0].Text.endsWith("?page_id=3"));
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(DialogCommands, ExitWithUnwrittenEditsEndsWithoutAQuestionAndSavesTheSettings) {
    Start();
    Click("CBLimitP");
    Drag(EraserMiddle, Target);

    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [&timedOut] {
        timedOut = true;
        QApplication::exit(1);
    });
    guard.start(5000);
    QTimer::singleShot(0, qApp, [this] { EXPECT_TRUE(Trigger("Exit1")); });
    QApplication::exec();
    guard.stop();
    ASSERT_FALSE(timedOut) << "E&xit did not end the message loop";

    Stop();
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(StandardXml()));
    const QStringList settings =
        QString::fromStdString(Bytes(Env.SettingsFile())).split(QRegularExpression("\r?\n"));
    EXPECT_TRUE(settings.contains("Point Limiter=0")) << settings.join(" | ").toStdString();
    EXPECT_TRUE(settings.contains("Threshold Limiter=1")) << settings.join(" | ").toStdString();
}

// --- Failures that escape a command ------------------------------------------------------------------------

namespace {
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("the handler failed");
        return QObject::event(e);
    }
};
} // namespace

TEST(Application, AnEscapedFailureIsShownAndTheProgramGoesOn) {
    ScriptedPrompter prompter;
    auto* app = static_cast<TNibApplication*>(QCoreApplication::instance());
    app->SetPrompter(&prompter);
    Thrower t;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e);
    app->SetPrompter(nullptr);
    ASSERT_EQ(prompter.OfKind("error").size(), 1u);
    EXPECT_EQ(prompter.OfKind("error")[0].Text, "the handler failed");
    EXPECT_EQ(prompter.OfKind("error")[0].Caption, "Nibwright");
}
