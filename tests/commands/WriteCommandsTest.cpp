// "Apply Changes" and "&Save": the question, the dated backup of the content before the write, the file on
// disk afterwards, the failure messages and the service restart that only Apply starts.

#include "support/WindowFixture.h"

#include "system/functions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Pixels of the control points on the 500-pixel graph, for resolution 1023.
const QPoint TipMiddle(291, 302); // P2X 600, P2Y 400
const QPoint Target2(350, 150);   // X 726, Y 726

struct Format {
    const char* Name;
    friend void PrintTo(const Format& f, std::ostream* os) { *os << f.Name; }
    QByteArray (*File)();
    const char* TipName;    // as the listing shows it
    const char* EraserName; // likewise
    // How the curve stands in the file: the XML element text, or the whole text line.
    QByteArray Curve(const char* numbers) const {
        return QByteArray(File == StandardXml ? ">" : "PressureCurveControlPoint ") + numbers +
               (File == StandardXml ? "<" : "\r\n");
    }
};

const Format Formats[] = {{"Xml", StandardXml, "Tip", "Eraser"}, {"Text", StandardText, " Tip", " Eraser"}};

class WriteCommands : public CommandTest {};

class WriteBothFormats : public WriteCommands, public ::testing::WithParamInterface<Format> {};

} // namespace

TEST_F(WriteCommands, ApplyAnsweredNoBacksUpWritesAndRestartsNothing) {
    const QByteArray original = StandardXml();
    StartOnWacom(original);
    ChooseService(2);
    Drag(EraserMiddle, Target);

    Click("BtApply"); // no answer scripted: the question gets No

    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 1u);
    ExpectQuestion(asked[0], "Apply changes", ApplyText);
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Starts().empty());
    EXPECT_TRUE(Prompter.Messages().isEmpty());
    // The edit is still on the graph.
    EXPECT_EQ(ListingLines()[6], "PressureCurveControlPoint 0 0 619 619 1023 1023");
}

TEST_P(WriteBothFormats, ApplyEndToEndWritesTheDraggedPenAfterADatedBackupAndRestarts) {
    const Format f = GetParam();
    const QByteArray original = f.File();
    StartOnWacom(original);
    ChooseService(2);

    // Drag the first pen's middle point, which is not the pen shown after loading.
    SelectPen(0);
    Move(TipMiddle);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: ~600", "Y: ~400", "Middle Point"}));
    Press(TipMiddle);
    Move(Target);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: ~619", "Y: ~619", "Middle Point"}));
    Release(Target);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: -", "Y: -", "Info"}));

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Bytes(Env.WacomFile()), Str(ReplacedOnce(original, f.Curve("10 0 400 600 1000 1023"),
                                                       f.Curve("10 0 619 619 1000 1023"))));
    ASSERT_EQ(Env.DatedBackups(), QStringList({FirstBackupName}));
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + FirstBackupName), Str(original))
        << "the backup holds the old values";
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].File, "cmd.exe");
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServiceCon"));
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(" | ").toStdString();

    // The window is left as it was: no reload, the first pen still selected and edited.
    EXPECT_EQ(PenIndex(), 0);
    EXPECT_EQ(PenNames(), QStringList({f.TipName, f.EraserName}));
    EXPECT_EQ(ListingLines()[1], "PressureCurveControlPoint 10 0 619 619 1000 1023");
}

TEST_P(WriteBothFormats, ApplyWhoseWriteFailsReportsItAndStillRestarts) {
    const Format f = GetParam();
    StartOnWacom(f.File());
    ChooseService(4);
    Drag(EraserMiddle, Target);
    // The preference file is replaced by a folder of the same name: neither reading it nor writing it works.
    ASSERT_TRUE(QFile::remove(Env.WacomFile()));
    ASSERT_TRUE(QDir().mkpath(Env.WacomFile()));

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to write new config..."}));
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServiceISD"));
    EXPECT_TRUE(QFileInfo(Env.WacomFile()).isDir());
}

TEST_P(WriteBothFormats, SaveConfirmedTwiceLeavesTwoDatedBackupsEachHoldingTheFileBeforeItsWrite) {
    const Format f = GetParam();
    const QByteArray original = f.File();
    StartOnWacom(original);
    ChooseService(2);

    Drag(EraserMiddle, Target);
    Answer(IDYES);
    Trigger("Save1");
    const QByteArray first =
        ReplacedOnce(original, f.Curve("0 0 512 512 1023 1023"), f.Curve("0 0 619 619 1023 1023"));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(first));

    ClockForward(1);
    Drag(Target, Target2);
    Answer(IDYES);
    Trigger("Save1");
    const QByteArray second =
        ReplacedOnce(original, f.Curve("0 0 512 512 1023 1023"), f.Curve("0 0 726 726 1023 1023"));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(second));

    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 2u);
    for (const auto& q : asked) {
        ExpectQuestion(q, "Save Changes", "Save Changes?");
    }
    const QStringList backups = Env.DatedBackups();
    ASSERT_EQ(backups,
              QStringList({"Pen_Tablet_03-15-2026_14-05-09.bak", "Pen_Tablet_03-15-2026_14-05-10.bak"}));
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + backups[0]), Str(original));
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + backups[1]), Str(first))
        << "the second backup holds the first save";
    EXPECT_TRUE(Starts().empty()) << "Save restarts no service";
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteBothFormats, ::testing::ValuesIn(Formats),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(WriteCommands, SaveAnsweredNoWritesNothing) {
    const QByteArray original = StandardXml();
    StartOnWacom(original);
    Drag(EraserMiddle, Target);

    Answer(IDNO);
    ASSERT_TRUE(Trigger("Save1"));

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(WriteCommands, SaveWhoseWriteFailsReportsSaveFileErrorAndRestartsNothing) {
    StartOnWacom(StandardText());
    ChooseService(2);
    ASSERT_TRUE(QFile::remove(Env.WacomFile()));
    ASSERT_TRUE(QDir().mkpath(Env.WacomFile()));

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));

    EXPECT_EQ(Prompter.Messages(), QStringList({"Save File Error..."}));
    EXPECT_TRUE(Starts().empty());
}

TEST_F(WriteCommands, ApplyWithAutoDetectRestartsTheServiceThatFitsThePathAtThatMoment) {
#ifdef _WIN32
    // The Pen family's own default file.
    const QString path = Env.PenFile();
#else
    // An application-data folder whose name holds the Pen family's pattern, so that the default path of
    // Wacom_Tablet.dat fits the Pen family (the patterns are written with backslashes).
    const QString appData = Env.Root() + "/u\\WTablet\\Pen_Tablet.dat";
    Env.Fake().Env["APPDATA"] = appData.toStdString();
    const QString path = appData + "/WTablet/Wacom_Tablet.dat";
#endif
    Env.Write(path, StandardXml());
    const QString probe = Env.Write(Env.ProgramFiles() + "/Tablet/Pen/WTabletServiceCon.exe", "exe");
    Start();
    EXPECT_EQ(Status(), path);
    auto* box = Ctl<QComboBox>("CBoxService");
    EXPECT_EQ(box->currentIndex(), 2) << "the detected row is shown";
    EXPECT_FALSE(box->isEnabled());

    // The service is detected again when applying: without the newer service's program the older one is
    // restarted, whatever row the box shows.
    ASSERT_TRUE(QFile::remove(probe));
    Answer(IDYES);
    Click("BtApply");

    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("TabletServicePen"));
}

TEST_F(WriteCommands, ApplyWithAChosenRowRestartsThatServiceAndWithNoRowNothing) {
    StartOnWacom(StandardXml());

    ChooseService(2);
    Answer(IDYES);
    Click("BtApply");
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServiceCon"))
        << "the chosen row, whatever the file";

    Ctl<QComboBox>("CBoxService")->setCurrentIndex(-1);
    ClockForward(1);
    Answer(IDYES);
    Click("BtApply");
    EXPECT_EQ(Starts().size(), 1u) << "no row: nothing restarted";
    EXPECT_TRUE(Prompter.Messages().isEmpty());
    EXPECT_EQ(Env.DatedBackups().size(), 2u) << "both applies wrote the file";
}

TEST_F(WriteCommands, ApplyWhoseRestartIsDeclinedShowsTheRestartMessageOnce) {
    StartOnWacom(StandardXml());
    ChooseService(0);
    Env.Fake().FailStartsFrom = 0;

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Prompter.Messages(), QStringList({RestartFailedMessage}));
    EXPECT_EQ(Env.DatedBackups().size(), 1u);
}

TEST_F(WriteCommands, ApplyKeepsWhatAnotherProgramChangedInTheXmlFileMeanwhile) {
    StartOnWacom(StandardXml());
    Drag(EraserMiddle, Target);
    const QByteArray changed = ReplacedOnce(StandardXml(), "untouched  text", "changed by the driver");
    Env.Write(Env.WacomFile(), changed);

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Bytes(Env.WacomFile()),
              Str(ReplacedOnce(changed, ">0 0 512 512 1023 1023<", ">0 0 619 619 1023 1023<")));
    ASSERT_EQ(Env.DatedBackups().size(), 1u);
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + Env.DatedBackups()[0]), Str(StandardXml()))
        << "the file as last read";
}

TEST_F(WriteCommands, ApplyOverAnXmlFileThatNoLongerParsesReportsTheFailureAndLeavesItAlone) {
    StartOnWacom(StandardXml());
    ChooseService(0);
    Drag(EraserMiddle, Target);
    const QByteArray damaged = StandardXml().left(200);
    Env.Write(Env.WacomFile(), damaged);

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to write new config..."}));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(damaged)) << "neither emptied nor replaced";
    EXPECT_EQ(Starts().size(), 1u);
}

TEST_F(WriteCommands, ApplyWritesAlsoWhenNoDatedBackupCanBeMade) {
    Env.Write(Env.WacomFile(), StandardXml());
    Env.Write(Env.BackupDir(), "a file where the backup folder belongs");
    Start();
    ASSERT_EQ(Prompter.Messages(),
              QStringList({"Unable to create directory for backup: " + Env.BackupDir()}));
    Drag(EraserMiddle, Target);

    Answer(IDYES);
    Click("BtApply");

    EXPECT_EQ(Bytes(Env.WacomFile()),
              Str(ReplacedOnce(StandardXml(), ">0 0 512 512 1023 1023<", ">0 0 619 619 1023 1023<")));
    EXPECT_EQ(Prompter.Messages().size(), 1) << "a backup folder that cannot be made is not reported again";
}
