// The backup point "FirstRunBackup.bak": written by the first valid load, replaced by "C&reate Backup
// Point", and put back over the preference file by "R&estore Backup Point" after a dated backup, followed by
// the service restart and a fresh load.

#include "support/WindowFixture.h"

#include "system/functions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>

namespace {

// A second XML preference file with other values than StandardXml.
QByteArray OtherXml() {
    return XmlDocument(XmlPen({"Pen tip", "1023", "5 0 300 300 900 1023", "800", "40"}) +
                       XmlPen({"Pen eraser", "1023", "7 0 350 350 950 1023", "850", "45"}, EraserTag));
}

struct Format {
    const char* Name;
    friend void PrintTo(const Format& f, std::ostream* os) { *os << f.Name; }
    QByteArray (*File)();
    QByteArray Broken; // a backup point of the same format that holds no usable pen
};

const Format Formats[] = {
    {"Xml", StandardXml, "<?xml version=\"1.0\"?>\r\n<TabletPreferences><TransducerTipButtonSettings>\r\n"},
    {"Text", StandardText, "notes about the tablet\r\nPressureResolution 1023\r\n"},
};

class BackupPoint : public CommandTest {};

class BackupPointBothFormats : public BackupPoint, public ::testing::WithParamInterface<Format> {};

} // namespace

// --- The first-run rule ------------------------------------------------------------------------------------

TEST_F(BackupPoint, FirstValidLoadWritesItAndLaterLoadsNeverReplaceIt) {
    const QByteArray original = StandardXml();
    Env.Write(Env.WacomFile(), original);
    ASSERT_FALSE(TestEnv::Exists(Env.BackupDir()));
    Start();
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(original));

    Env.Write(Env.WacomFile(), OtherXml());
    Click("BtReset");
    EXPECT_EQ(PenNames(), QStringList({"Pen tip", "Pen eraser"})) << "the changed file was read";
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
}

TEST_F(BackupPoint, AnInvalidFileWritesNoBackupPointAndNoFolder) {
    StartOnWacom(TextFile({"[Tablet]", "ButtonName Tip", "PressureResolution 1023"}));
    EXPECT_EQ(Status(), "Wacom_Tablet.dat configuration file is without necessary values -> Try to run Wacom "
                        "Configuration first.");
    EXPECT_FALSE(TestEnv::Exists(Env.BackupDir()));
    EXPECT_FALSE(Act("ManuallySetFirstRunBackup1")->isEnabled());
    EXPECT_FALSE(Act("Replace1")->isEnabled());

    // The first valid load after it writes the backup point.
    Env.Write(Env.WacomFile(), StandardXml());
    ASSERT_TRUE(Trigger("OpenDefault1"));
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(StandardXml()));
    EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(BackupPoint, TheFirstValidFileOpenedFromElsewhereBecomesTheBackupPoint) {
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardText());
    Start();
    ASSERT_FALSE(TestEnv::Exists(Env.BackupPoint()));
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(StandardText()));
}

// --- C&reate Backup Point ----------------------------------------------------------------------------------

TEST_F(BackupPoint, CreateAnsweredNoKeepsTheOldBackupPointAndSaysNothing) {
    Env.Write(Env.WacomFile(), StandardXml());
    Env.Write(Env.BackupPoint(), OtherXml());
    Start();

    ASSERT_TRUE(Trigger("ManuallySetFirstRunBackup1"));

    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 1u) << "asked also when a backup point exists";
    ExpectQuestion(asked[0], "Options", "Overwrite Last Backup Point?");
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(OtherXml()));
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(BackupPoint, CreateTakesTheFileAsLastWrittenNotTheEditsOnlyOnTheGraph) {
    const QByteArray original = StandardXml();
    Env.Write(Env.WacomFile(), original);
    Env.Write(Env.BackupPoint(), OtherXml());
    Start();
    Drag(EraserMiddle, Target);

    Answer(IDYES);
    ASSERT_TRUE(Trigger("ManuallySetFirstRunBackup1"));
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(original)) << "the drag was neither applied nor saved";
    EXPECT_EQ(Prompter.Messages(), QStringList({"Backup Point Created..."}));

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));
    Answer(IDYES);
    ASSERT_TRUE(Trigger("ManuallySetFirstRunBackup1"));
    EXPECT_EQ(Bytes(Env.BackupPoint()),
              Str(ReplacedOnce(original, ">0 0 512 512 1023 1023<", ">0 0 619 619 1023 1023<")));
    EXPECT_EQ(Prompter.Messages(), QStringList({"Backup Point Created...", "Backup Point Created..."}));
}

TEST_F(BackupPoint, CreateThatCannotWriteReportsTheFailureAndNotSuccess) {
    StartOnWacom(StandardXml());
    ASSERT_TRUE(QFile::remove(Env.BackupPoint()));
    ASSERT_TRUE(QDir().mkpath(Env.BackupPoint())); // a folder where the backup point belongs

    Answer(IDYES);
    ASSERT_TRUE(Trigger("ManuallySetFirstRunBackup1"));

    const auto errors = Prompter.OfKind("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].Text.contains(Env.BackupPoint())) << "the box names what could not be written";
    EXPECT_FALSE(Prompter.Messages().contains("Backup Point Created..."));
}

// --- R&estore Backup Point ---------------------------------------------------------------------------------

TEST_P(BackupPointBothFormats, RestoreEndToEndPutsTheBackupPointBackAfterADatedBackupRestartsAndReloads) {
    const QByteArray original = GetParam().File();
    StartOnWacom(original);
    ChooseService(0);
    Drag(EraserMiddle, Target);
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));
    const std::string saved = Bytes(Env.WacomFile());
    ASSERT_NE(saved, Str(original));
    ASSERT_EQ(Env.DatedBackups().size(), 1u);
    SelectPen(0);

    ClockForward(1);
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));

    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 2u);
    ExpectQuestion(asked[1], "Restore config", RestoreText);

    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    const QStringList backups = Env.DatedBackups();
    ASSERT_EQ(backups.size(), 2u) << "one new dated backup";
    EXPECT_EQ(backups[1], "Pen_Tablet_03-15-2026_14-05-10.bak");
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + backups[1]), saved) << "it holds the file before the restore";
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(original)) << "the backup point itself is kept";
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].File, "cmd.exe");
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServicePro"));
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(" | ").toStdString();

    // Loaded anew: the restored pens, the last one selected, the drag gone.
    EXPECT_EQ(PenNames().size(), 2);
    EXPECT_EQ(PenIndex(), 1);
    EXPECT_EQ(ListingLines()[6], "PressureCurveControlPoint 0 0 512 512 1023 1023");
    EXPECT_EQ(Status(), Env.WacomFile());
}

TEST_P(BackupPointBothFormats, RestoreOfABackupPointWithoutUsablePensWritesNothingAndKeepsTheLoadedFile) {
    const QByteArray original = GetParam().File();
    StartOnWacom(original);
    Env.Write(Env.BackupPoint(), GetParam().Broken);
    ChooseService(0);
    const QStringList names = PenNames();

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));

    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to locate valid Backup file..."}));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty()) << "nothing is written";
    EXPECT_TRUE(Starts().empty()) << "nothing was restored, so no restart";
    EXPECT_EQ(Bytes(Env.BackupPoint()), Str(GetParam().Broken));
    EXPECT_EQ(PenNames(), names);
    EXPECT_EQ(Status(), Env.WacomFile());
    EXPECT_TRUE(Ctl<QAbstractButton>("BtApply")->isEnabled());

    // The window still works on the loaded file: saving writes that file, not the backup point's content.
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    ASSERT_EQ(Env.DatedBackups().size(), 1u);
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + Env.DatedBackups()[0]), Str(original));
}

INSTANTIATE_TEST_SUITE_P(Formats, BackupPointBothFormats, ::testing::ValuesIn(Formats),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(BackupPoint, RestoreAnsweredNoChangesNothing) {
    const QByteArray original = StandardXml();
    StartOnWacom(original);
    Env.Write(Env.BackupPoint(), OtherXml());
    ChooseService(0);

    ASSERT_TRUE(Trigger("Replace1"));

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Starts().empty());
}

TEST_F(BackupPoint, RestoreAcrossFormatsIsRefusedAfterTheQuestion) {
    const QByteArray original = StandardText();
    StartOnWacom(original);
    Env.Write(Env.BackupPoint(), StandardXml());
    ChooseService(0);

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Prompter.Messages(), QStringList({"Different config versions : XML vs Non-XML"}));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
    EXPECT_TRUE(Starts().empty());
}

TEST_F(BackupPoint, RestoreWithoutBackupPointOrWithoutPreferenceFileAsksNothing) {
    StartOnWacom(StandardXml());
    ChooseService(0);

    ASSERT_TRUE(QFile::remove(Env.BackupPoint()));
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));
    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to locate valid Backup file..."}));
    EXPECT_TRUE(Questions().empty());

    Env.Write(Env.BackupPoint(), StandardXml());
    ASSERT_TRUE(QFile::remove(Env.WacomFile()));
    ASSERT_TRUE(Trigger("Replace1"));
    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to locate valid Backup file...",
                                                "Unable to locate valid Backup file..."}));
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(TestEnv::Exists(Env.WacomFile()));
    EXPECT_TRUE(Starts().empty());
}

TEST_F(BackupPoint, ABackupPointTakenFromWacomTabletIsRestoredIntoPenTablet) {
    const QByteArray wacom = StandardXml();
    StartOnWacom(wacom);
    ASSERT_EQ(Bytes(Env.BackupPoint()), Str(wacom));

    // Now Pen_Tablet.dat exists too; "Open Default Config" asks which one, and the user picks it.
    Env.Write(Env.PenFile(), OtherXml());
    Prompter.Modals.push_back([](QDialog*) { return 2; });
    ASSERT_TRUE(Trigger("OpenDefault1"));
    ASSERT_EQ(Status(), Env.PenFile());
    ASSERT_EQ(PenNames(), QStringList({"Pen tip", "Pen eraser"}));
    ChooseService(3);

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));

    EXPECT_EQ(Bytes(Env.PenFile()), Str(wacom));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(wacom));
    ASSERT_EQ(Env.DatedBackups().size(), 1u);
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + Env.DatedBackups()[0]), Str(OtherXml()));
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("TabletServicePen"));
    EXPECT_EQ(PenNames(), QStringList({"Tip", "Eraser"}));
    EXPECT_EQ(Status(), Env.PenFile());
}

TEST_F(BackupPoint, RestoreWhoseRestartIsDeclinedStillLoadsTheRestoredFile) {
    const QByteArray original = StandardXml();
    StartOnWacom(original);
    Env.Write(Env.WacomFile(), OtherXml());
    Click("BtReset");
    ASSERT_EQ(PenNames(), QStringList({"Pen tip", "Pen eraser"}));
    SelectPen(0);
    ChooseService(1);
    Env.Fake().FailStartsFrom = 0;

    Answer(IDYES);
    ASSERT_TRUE(Trigger("Replace1"));

    EXPECT_EQ(Prompter.Messages(), QStringList({RestartFailedMessage}));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_EQ(PenNames(), QStringList({"Tip", "Eraser"}));
    EXPECT_EQ(PenIndex(), 1);
}
