// The main window's commands end to end: real mouse drags on the graph image, the questions answered through
// the prompter, then the preference file, the dated backups and the restart command line read back.

#include "UiFixture.h"

#include "data/Data_fileClass.h"
#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"
#include "graph/DrawClass.h"
#include "system/AtomicFile.h"
#include "ui/Application.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"
#include "ui/GraphImage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

APen PensOf(const QString& path) {
    TXMLHandler h(path);
    return h.GetPens();
}
APen TextPensOf(const QString& path) {
    TTextHandler h(path);
    return h.GetPens();
}

} // namespace

class CommandTest : public MainWindowTest {
protected:
    void SetUp() override {
        // A chosen service row, since no service row fits a path with forward slashes.
        Env.Write(Env.SettingsFile(), "[Nibwright]\r\nAuto Service=0\r\nSelected Service=2\r\n");
        Clock = QDateTime(QDate(2026, 12, 6), QTime(23, 14, 5));
        TFileHandler::SetClock([this] { return Clock; });
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        TFileHandler::SetClock(nullptr);
        SetWriteFaultHook(nullptr);
    }

    // Starts on a Wacom_Tablet.dat with two pens; the eraser (the last pen) is shown.
    void StartOnXml() {
        Config = WriteDefault(0, XmlConfig({TipPen, EraserPen}));
        Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&W()));
        ASSERT_EQ(W().ComboBox->currentIndex(), 1);
    }

    // Drags with the left button from one image pixel to another, hovering over the start first.
    void Drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(W().Image, from);
        QTest::mousePress(W().Image, button, Qt::NoModifier, from);
        QTest::mouseMove(W().Image, (from + to) / 2);
        QTest::mouseMove(W().Image, to);
        QTest::mouseRelease(W().Image, button, Qt::NoModifier, to);
    }

    // Every later write to the preference file fails as on a full disk; other files are written.
    void FailWritesToConfig() {
        SetWriteFaultHook([this](const QString& path, const QByteArray& bytes) -> qint64 {
            if (path == Config)
                throw WriteError("disk full");
            return bytes.size();
        });
    }

    QDateTime Clock;
    QString Config;
};

TEST_F(CommandTest, DragThenApplyWritesTheFileAfterADatedBackupAndRestartsTheService) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    // The eraser's middle point: X 400, Y 600 on R 1023 lies at column 198, row 209.
    const QPoint middle = W().GetGraph()->GetPoints()[1];
    ASSERT_EQ(middle, QPoint(198, 209));
    QTest::mouseMove(W().Image, middle);
    EXPECT_EQ(W().GroupBox3->title(), "Middle Point");
    QTest::mousePress(W().Image, Qt::LeftButton, Qt::NoModifier, middle);
    QTest::mouseMove(W().Image, QPoint(300, 200));
    EXPECT_EQ(W().LabelPX->text(), "X: ~619");
    EXPECT_EQ(W().LabelPY->text(), "Y: ~619");
    QTest::mouseRelease(W().Image, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_EQ(W().GroupBox3->title(), "Info");
    EXPECT_EQ(W().LabelPX->text(), "X: -");
    EXPECT_EQ(W().LabelOP->text(), "Output");
    EXPECT_EQ(W().Image->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(TestEnv::Read(Config), before) << "a drag alone writes nothing";

    Prompter.Answers.push_back(IDYES);
    QTest::mouseClick(W().BtApply, Qt::LeftButton);

    const auto questions = Prompter.OfKind("question");
    ASSERT_EQ(questions.size(), 1u);
    ExpectQuestion(questions[0], "Apply changes", ApplyText);
    EXPECT_TRUE(Prompter.Messages().isEmpty());

    const APen written = PensOf(Config);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1].P2X, 619);
    EXPECT_EQ(written[1].P2Y, 619);
    EXPECT_EQ(written[0].P2X, TipPen.P2X) << "the other pen keeps its values";

    ASSERT_EQ(Env.DatedBackups(), QStringList{"Pen_Tablet_12-06-2026_23-14-05.bak"});
    EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/" + Env.DatedBackups()[0]), before);

    ASSERT_EQ(Env.Fake().Starts.size(), 1u);
    EXPECT_EQ(Env.Fake().Starts[0].File, "cmd.exe");
    EXPECT_EQ(Env.Fake().Starts[0].Parameters, RestartLine("WTabletServiceCon"));
    // The window stays as it was.
    EXPECT_EQ(W().ComboBox->currentIndex(), 1);
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2X, 619);
}

TEST_F(CommandTest, ApplyAnsweredNoDoesNothing) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    Drag(W().GetGraph()->GetPoints()[1], QPoint(100, 100));
    Prompter.Answers.push_back(IDNO);
    W().BtApplyClick();
    EXPECT_EQ(TestEnv::Read(Config), before);
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Env.Fake().Starts.empty());
}

TEST_F(CommandTest, AFailedApplyIsReportedAndTheServiceIsRestartedAllTheSame) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    FailWritesToConfig();
    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write new config..."});
    EXPECT_EQ(TestEnv::Read(Config), before);
    EXPECT_EQ(Env.Fake().Starts.size(), 1u);
}

TEST_F(CommandTest, ApplyWithoutAChosenRowRestartsNothingAndADeclinedRestartIsReported) {
    StartOnXml();
    W().CBoxService->setCurrentIndex(-1);
    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    EXPECT_TRUE(Env.Fake().Starts.empty());

    W().CBoxService->setCurrentIndex(0);
    Env.Fake().FailStartsFrom = 0;
    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    EXPECT_EQ(Prompter.Messages(), QStringList{RestartFailedMessage});
}

TEST_F(CommandTest, SaveTwiceLeavesTwoDatedBackupsTheSecondHoldingTheFirstSave) {
    StartOnXml();
    const QByteArray original = TestEnv::Read(Config);
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));
    Prompter.Answers.push_back(IDYES);
    W().Save1->trigger();
    const auto q = Prompter.OfKind("question");
    ASSERT_EQ(q.size(), 1u);
    ExpectQuestion(q[0], "Save Changes", "Save Changes?");
    const QByteArray firstSave = TestEnv::Read(Config);
    EXPECT_EQ(PensOf(Config)[1].P2X, 619);

    Drag(W().GetGraph()->GetPoints()[1], QPoint(100, 300));
    Clock = Clock.addSecs(1);
    Prompter.Answers.push_back(IDYES);
    W().Save1->trigger();
    ASSERT_EQ(Env.DatedBackups(),
              (QStringList{"Pen_Tablet_12-06-2026_23-14-05.bak", "Pen_Tablet_12-06-2026_23-14-06.bak"}));
    EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05.bak"), original);
    EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-06.bak"), firstSave);
    EXPECT_TRUE(Env.Fake().Starts.empty()) << "saving restarts no service";
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(CommandTest, SaveWorksForAFileFromElsewhereAndReportsAFailedWrite) {
    const QString other = Env.Write(Env.Root() + "/mine/Other.dat", TextConfig({TipPen}));
    Start();
    Prompter.Files.push_back(other);
    W().Open1Click();
    ASSERT_TRUE(W().Save1->isEnabled());
    ASSERT_FALSE(W().BtApply->isEnabled());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&W()));
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));
    Prompter.Answers.push_back(IDYES);
    W().Save1->trigger();
    EXPECT_EQ(TextPensOf(other)[0].P2X, 619);

    SetWriteFaultHook([](const QString&, const QByteArray&) -> qint64 { throw WriteError("read-only"); });
    Prompter.Answers.push_back(IDYES);
    W().Save1->trigger();
    EXPECT_TRUE(Prompter.Messages().contains("Save File Error..."));
}

TEST_F(CommandTest, ThePenEditorsValuesReachTheFileOnApply) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    Prompter.Modals.push_back([](QDialog* d) {
        auto* edit = static_cast<TFormEdit*>(d);
        EXPECT_EQ(edit->P2X()->text(), "400");
        edit->P2X()->setText("700");
        edit->UT()->setText("2000"); // clamped to the resolution
        QTest::mouseClick(edit->OKButton(), Qt::LeftButton);
        return d->result();
    });
    QTest::mouseClick(W().BtModifyValues, Qt::LeftButton);
    ASSERT_EQ(Prompter.OfKind("modal").size(), 1u);
    EXPECT_EQ(Prompter.OfKind("modal")[0].Text, "TFormEdit");
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2X, 700);
    EXPECT_EQ(W().GetGraph()->GetSelectedPen(), 1);
    EXPECT_EQ(W().GetGraph()->GetPoints()[1].x(), W().GetGraph()->ValueToX(1023, 700)) << "drawn anew";

    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    const APen written = PensOf(Config);
    EXPECT_EQ(written[1].P2X, 700);
    EXPECT_EQ(written[1].UpperThreshold, 1023);
    ASSERT_EQ(Env.DatedBackups().size(), 1);
    EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/" + Env.DatedBackups()[0]), before);
    ASSERT_EQ(Env.Fake().Starts.size(), 1u);
    EXPECT_EQ(Env.Fake().Starts[0].Parameters, RestartLine("WTabletServiceCon"));
}

TEST_F(CommandTest, ThePenEditorCancelledLeavesThePensAndRedrawsTheShownPen) {
    StartOnXml();
    W().ComboBox->setCurrentIndex(0);
    W().ComboBoxChange();
    const APen pens = W().GetGraph()->GetPens();
    Prompter.Modals.push_back([](QDialog* d) {
        static_cast<TFormEdit*>(d)->P1Y()->setText("77");
        return 2;
    });
    W().BtModifyValuesClick();
    EXPECT_EQ(W().GetGraph()->GetPens(), pens);
    EXPECT_EQ(W().GetGraph()->GetSelectedPen(), 0);
}

TEST_F(CommandTest, ShowCurrentValuesListsTheEditedPens) {
    StartOnXml();
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));
    QString listing;
    Prompter.Modals.push_back([&listing](QDialog* d) {
        listing = static_cast<TFormInfo*>(d)->Memo()->toPlainText();
        return 1;
    });
    QTest::mouseClick(W().BtGenerateinfo, Qt::LeftButton);
    EXPECT_TRUE(listing.contains("Pen internal name - Eraser"));
    EXPECT_TRUE(listing.contains("PressureCurveControlPoint 100 0 619 619 900 1023"))
        << listing.toStdString();
}

TEST_F(CommandTest, ResetDropsTheDragAndSelectsTheLastPen) {
    StartOnXml();
    W().ComboBox->setCurrentIndex(0);
    W().ComboBoxChange();
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 100));
    ASSERT_NE(W().GetGraph()->GetPens()[0].P2X, TipPen.P2X);
    QTest::mouseClick(W().BtReset, Qt::LeftButton);
    EXPECT_EQ(W().GetGraph()->GetPens()[0].P2X, TipPen.P2X);
    EXPECT_EQ(W().ComboBox->currentIndex(), 1);
    EXPECT_EQ(W().GetGraph()->GetSelectedPen(), 1);
}

TEST_F(CommandTest, ChoosingAPenInTheListShowsIt) {
    StartOnXml();
    W().ComboBox->setFocus();
    QTest::keyClick(W().ComboBox, Qt::Key_Up);
    EXPECT_EQ(W().ComboBox->currentIndex(), 0);
    EXPECT_EQ(W().GetGraph()->GetSelectedPen(), 0);
    EXPECT_EQ(W().GetGraph()->GetPoints()[1],
              QPoint(W().GetGraph()->ValueToX(1023, TipPen.P2X), W().GetGraph()->ValueToY(1023, TipPen.P2Y)));
    // The pens themselves are untouched by choosing.
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2X, EraserPen.P2X);
}

TEST_F(CommandTest, ARightButtonDragsLikeTheLeftAndHoverCopiesTheCaptions) {
    StartOnXml();
    const QPoint upper = W().GetGraph()->GetPoints()[2];
    QTest::mouseMove(W().Image, upper);
    EXPECT_EQ(W().GroupBox3->title(), "Upper Point");
    EXPECT_EQ(W().LabelPX->text(), "X: ~1023");
    QTest::mouseMove(W().Image, QPoint(250, 400));
    EXPECT_EQ(W().GroupBox3->title(), "Info");
    Drag(upper, QPoint(480, 100), Qt::RightButton);
    EXPECT_LT(W().GetGraph()->GetPens()[1].P3Y, EraserPen.P3Y);
}

TEST_F(CommandTest, ADragBeyondTheImageStopsAtTheGraphBorder) {
    StartOnXml();
    Drag(W().GetGraph()->GetPoints()[1], QPoint(-40, 700));
    EXPECT_EQ(W().GetGraph()->GetPoints()[1], QPoint(12, 488));
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2X, 0);
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2Y, 0);
}

TEST_F(CommandTest, TheLimiterBoxesGovernTheNextDragOnly) {
    StartOnXml();
    const QPoint middle = W().GetGraph()->GetPoints()[1];
    QTest::mouseClick(W().CbLimitMp, Qt::LeftButton);
    EXPECT_TRUE(W().GetGraph()->GetMiddlePointLimiter());
    EXPECT_EQ(W().GetGraph()->GetPoints()[1], middle) << "switching it on moves nothing";
    Drag(W().GetGraph()->GetPoints()[2], QPoint(488, 100));
    const auto& pts = W().GetGraph()->GetPoints();
    EXPECT_EQ(pts[1].x(), pts[2].x() - (pts[2].x() - pts[0].x()) / 2);

    QTest::mouseClick(W().CBLimitP, Qt::LeftButton);
    EXPECT_FALSE(W().GetGraph()->GetPointLimiter());
    QTest::mouseClick(W().CbLimitT, Qt::LeftButton);
    EXPECT_FALSE(W().GetGraph()->GetThresholdLimiter());
    Stop();
    const QStringList ini = FileLines(Env.SettingsFile());
    EXPECT_TRUE(ini.contains("Point Limiter=0"));
    EXPECT_TRUE(ini.contains("Threshold Limiter=0"));
    EXPECT_TRUE(ini.contains("MiddlePoint Limiter=1"));
}

TEST_F(CommandTest, TheServiceBoxFollowsAutoDetection) {
    StartOnXml();
    ASSERT_FALSE(W().CbService->isChecked());
    EXPECT_TRUE(W().CBoxService->isEnabled());
    EXPECT_EQ(W().CBoxService->currentIndex(), 2);
    QTest::mouseClick(W().CbService, Qt::LeftButton);
    EXPECT_FALSE(W().CBoxService->isEnabled());
    EXPECT_EQ(W().CBoxService->currentIndex(), -1) << "no row fits this path";
    W().CBoxService->setCurrentIndex(4);
    QTest::mouseClick(W().CbService, Qt::LeftButton);
    EXPECT_TRUE(W().CBoxService->isEnabled());
    EXPECT_EQ(W().CBoxService->currentIndex(), 4) << "unticking keeps the row";
}

TEST_F(CommandTest, CreateBackupPointAsksAndWritesTheHandlersContentNotTheGraphEdits) {
    StartOnXml();
    const QString point = Env.BackupPoint();
    const QByteArray first = TestEnv::Read(point);
    WriteDefault(0, XmlConfig({TipPen}));
    W().BtResetClick();
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));

    W().ManuallySetFirstRunBackup1->trigger(); // answered No
    ASSERT_EQ(Prompter.OfKind("question").size(), 1u);
    ExpectQuestion(Prompter.OfKind("question")[0], "Options", "Overwrite Last Backup Point?");
    EXPECT_EQ(TestEnv::Read(point), first);
    EXPECT_TRUE(Prompter.Messages().isEmpty());

    Prompter.Answers.push_back(IDYES);
    W().ManuallySetFirstRunBackup1->trigger();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Backup Point Created..."});
    EXPECT_EQ(TestEnv::Read(point), XmlConfig({TipPen})) << "the unapplied drag is not part of it";
}

TEST_F(CommandTest, CreateBackupPointThatCannotBeWrittenShowsTheErrorAndNoSuccess) {
    StartOnXml();
    SetWriteFaultHook(
        [](const QString&, const QByteArray&) -> qint64 { throw WriteError("write-protected"); });
    Prompter.Answers.push_back(IDYES);
    W().ChangeFirstRunBackup1Click();
    ASSERT_EQ(Prompter.OfKind("error").size(), 1u);
    EXPECT_TRUE(Prompter.OfKind("error")[0].Text.contains("write-protected"));
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(CommandTest, RestorePutsTheBackupPointBackRestartsAndReloads) {
    StartOnXml();
    const QByteArray point = TestEnv::Read(Env.BackupPoint());
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));
    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    const QByteArray applied = TestEnv::Read(Config);
    ASSERT_NE(applied, point);
    Clock = Clock.addSecs(1);

    W().ComboBox->setCurrentIndex(0);
    W().ComboBoxChange();
    Prompter.Answers.push_back(IDYES);
    W().Replace1->trigger();
    const auto q = Prompter.OfKind("question");
    ASSERT_EQ(q.size(), 2u);
    ExpectQuestion(q[1], "Restore config", RestoreText);
    EXPECT_TRUE(Prompter.Messages().isEmpty());

    EXPECT_EQ(TestEnv::Read(Config), point);
    ASSERT_EQ(Env.DatedBackups().size(), 2);
    EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/" + Env.DatedBackups()[1]), applied)
        << "the state before the restore";
    ASSERT_EQ(Env.Fake().Starts.size(), 2u);
    EXPECT_EQ(Env.Fake().Starts[1].Parameters, RestartLine("WTabletServiceCon"));
    EXPECT_EQ(W().ComboBox->currentIndex(), 1);
    EXPECT_EQ(W().GetGraph()->GetPens()[1].P2X, EraserPen.P2X);
}

TEST_F(CommandTest, RestoreOfABackupPointThatDoesNotReadAsValidWritesNothing) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    // Still XML by its first line, but no longer a document with pens.
    Env.Write(Env.BackupPoint(), "<?xml version=\"1.0\"?>\r\n<root><Trunc");
    Prompter.Answers.push_back(IDYES);
    W().Replace1Click();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to locate valid Backup file..."});
    EXPECT_EQ(TestEnv::Read(Config), before);
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Env.Fake().Starts.empty());
    EXPECT_TRUE(W().IsConfigValid());
    EXPECT_EQ(PenList(), (QStringList{"Tip", "Eraser"}));
}

TEST_F(CommandTest, AfterARestoreThatCouldNotWriteApplyStillWritesTheShownPensIntoTheFile) {
    // A text backup point whose lines lie elsewhere than in the preference file.
    Env.Write(Env.BackupPoint(), "a\r\nb\r\nc\r\n" + TextConfig({EraserPen}));
    Config = WriteDefault(0, TextConfig({TipPen}));
    Start();
    FailWritesToConfig();
    Prompter.Answers.push_back(IDYES);
    W().Replace1Click();
    ASSERT_EQ(Prompter.OfKind("error").size(), 1u);
    EXPECT_TRUE(Env.Fake().Starts.empty()) << "the command ends at the failed step";
    SetWriteFaultHook(nullptr);

    ASSERT_TRUE(QTest::qWaitForWindowExposed(&W()));
    Drag(W().GetGraph()->GetPoints()[1], QPoint(300, 200));
    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    EXPECT_FALSE(Prompter.Messages().contains("Unable to write new config..."));
    const APen written = TextPensOf(Config);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].ButtonName, " Tip");
    EXPECT_EQ(written[0].P2X, 619);
    EXPECT_EQ(written[0].UpperThreshold, TipPen.Upper);
}

TEST_F(CommandTest, RestoreAcrossFormatsOrWithoutABackupPointChangesNothing) {
    StartOnXml();
    const QByteArray before = TestEnv::Read(Config);
    Env.Write(Env.BackupPoint(), TextConfig({TipPen}));
    Prompter.Answers.push_back(IDYES);
    W().Replace1Click();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Different config versions : XML vs Non-XML"});
    EXPECT_EQ(TestEnv::Read(Config), before);
    EXPECT_TRUE(Env.DatedBackups().isEmpty());

    QFile::remove(Env.BackupPoint());
    W().Replace1Click();
    EXPECT_EQ(Prompter.Messages().last(), "Unable to locate valid Backup file...");
    EXPECT_EQ(Prompter.OfKind("question").size(), 1u) << "no question without a backup point";
    EXPECT_TRUE(Env.Fake().Starts.empty());
}

TEST_F(CommandTest, ABackupPointFromOneDriverFileRestoresIntoAnother) {
    StartOnDefault(0, XmlConfig({TipPen}));
    const QByteArray point = TestEnv::Read(Env.BackupPoint());
    QFile::remove(DefaultPath(0));
    const QString pen = WriteDefault(1, XmlConfig({EraserPen}));
    W().OpenDefault1Click();
    ASSERT_EQ(W().GetConfigPath(), pen);
    Prompter.Answers.push_back(IDYES);
    W().Replace1Click();
    EXPECT_EQ(TestEnv::Read(pen), point);
    EXPECT_EQ(PenList(), QStringList{"Tip"});
}

TEST_F(CommandTest, HomePageAboutAndExit) {
    StartOnXml();
    W().HomePage1->trigger();
    ASSERT_EQ(Prompter.OfKind("url").size(), 1u);
    EXPECT_TRUE(Prompter.OfKind("url")[0].Text.endsWith("?page_id=3"));
    W().About1->trigger();
    ASSERT_EQ(Prompter.OfKind("modal").size(), 1u);
    EXPECT_EQ(Prompter.OfKind("modal")[0].Text, "TAboutBox");

    W().CbLimitMp->click();
    W().Exit1->trigger();
    EXPECT_FALSE(W().isVisible());
    Stop();
    EXPECT_TRUE(FileLines(Env.SettingsFile()).contains("MiddlePoint Limiter=1"));
}

TEST_F(CommandTest, ASettingsFileThatCannotBeWrittenIsReported) {
    StartOnXml();
    SetWriteFaultHook([](const QString&, const QByteArray&) -> qint64 { throw WriteError("read-only"); });
    Stop();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write to " + Env.SettingsFile()});
}

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

TEST(ApplicationTest, AnEscapedFailureIsShownAndTheProgramGoesOn) {
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
