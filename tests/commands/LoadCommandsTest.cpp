// The commands that load a file again: "Reset Changes", "&Open...", "Open Default Config"; and the service
// switch "Auto-detect service", whose state follows every load.

#include "support/WindowFixture.h"
#include "system/functions.h"

#include <QAbstractButton>
#include <QComboBox>

namespace {

const char* const NotFound = "Wacom Configuration File Not Found...";

class LoadCommands : public CommandTest {};

} // namespace

// --- Reset Changes -----------------------------------------------------------------------------------------

TEST_F(LoadCommands, ResetDropsTheDragReadsTheFileAgainAndSelectsTheLastPen) {
    StartOnWacom(StandardXml());
    SelectPen(0);
    Drag(QPoint(291, 302), Target); // the first pen's middle point
    ASSERT_NE(ListingLines(), StandardListing());
    // Someone else changed the file meanwhile: Reset shows what is on disk now.
    Env.Write(Env.WacomFile(),
              ReplacedOnce(StandardXml(), "<LowerPressureThreshold>20<", "<LowerPressureThreshold>25<"));

    Click("BtReset");

    QStringList expected = StandardListing();
    expected[8] = "LowerPressureThreshold 25";
    EXPECT_EQ(ListingLines(), expected);
    EXPECT_EQ(PenIndex(), 1);
    EXPECT_EQ(States(), DefaultFileState);
    EXPECT_TRUE(Questions().empty()) << "no question about the dropped edit";
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
}

TEST_F(LoadCommands, ResetOfAFileFromElsewhereReadsThatFileAgain) {
    Env.Write(Env.WacomFile(), StandardXml());
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardText());
    Start();
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));
    Drag(EraserMiddle, Target);

    Click("BtReset");

    EXPECT_EQ(Status(), other) << "not the default file";
    EXPECT_EQ(PenNames(), QStringList({" Tip", " Eraser"}));
    EXPECT_EQ(ListingLines()[6], "PressureCurveControlPoint 0 0 512 512 1023 1023");
    EXPECT_EQ(States(), OtherFileState);
}

// --- Open... -----------------------------------------------------------------------------------------------

TEST_F(LoadCommands, OpenShowsTheFileDialogAsDesigned) {
    StartOnWacom(StandardXml());
    ASSERT_TRUE(Trigger("Open1"));

    ASSERT_EQ(Prompter.OfKind("open").size(), 1u);
    const OpenFileOptions& o = Prompter.LastOpenOptions;
    // "*.*" of the design: every file, also one without a dot in its name.
    EXPECT_EQ(o.Filters, QStringList({"Dat (*.dat)", "All Fles (*)"}));
    EXPECT_TRUE(o.HideReadOnly);
    EXPECT_TRUE(o.ShowHidden);
    EXPECT_FALSE(o.MustExist);
}

TEST_F(LoadCommands, OpenOfAFileFromElsewhereAllowsSaveButNotApplyNorBackupPoints) {
    Env.Write(Env.WacomFile(), StandardXml());
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardText());
    Start();
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));

    EXPECT_EQ(Status(), other);
    EXPECT_EQ(PenNames(), QStringList({" Tip", " Eraser"}));
    EXPECT_EQ(PenIndex(), 1);
    EXPECT_EQ(States(), OtherFileState);
    EXPECT_EQ(ListingLines()[0], "Pen internal name -  Tip") << "the text format's name keeps its blank";

    // Save writes the opened file, after a dated backup.
    Drag(EraserMiddle, Target);
    Answer(IDYES);
    ASSERT_TRUE(Trigger("Save1"));
    EXPECT_EQ(Bytes(other),
              Str(ReplacedOnce(StandardText(), "PressureCurveControlPoint 0 0 512 512 1023 1023",
                               "PressureCurveControlPoint 0 0 619 619 1023 1023")));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(StandardXml()));
    ASSERT_EQ(Env.DatedBackups().size(), 1u);
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + Env.DatedBackups()[0]), Str(StandardText()));
}

TEST_F(LoadCommands, OpenOfADefaultPathCountsAsTheDefaultFile) {
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardText());
    StartOnWacom(StandardXml());
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));
    ASSERT_EQ(States(), OtherFileState);

    Prompter.Files.push_back(Env.WacomFile());
    ASSERT_TRUE(Trigger("Open1"));
    EXPECT_EQ(Status(), Env.WacomFile());
    EXPECT_EQ(States(), DefaultFileState);

    // The same file by another path text is another file: default paths are compared by their text.
    Prompter.Files.push_back(Env.WTablet() + "/./Wacom_Tablet.dat");
    ASSERT_TRUE(Trigger("Open1"));
    EXPECT_EQ(States(), OtherFileState);
}

TEST_F(LoadCommands, OpenCancelledReadsTheFileInUseAgain) {
    StartOnWacom(StandardXml());
    Drag(EraserMiddle, Target);
    Env.Write(Env.WacomFile(),
              ReplacedOnce(StandardXml(), "<UpperPressureThreshold>900<", "<UpperPressureThreshold>950<"));

    ASSERT_TRUE(Trigger("Open1")); // no file scripted: the dialog is cancelled

    QStringList expected = StandardListing();
    expected[2] = "UpperPressureThreshold 950";
    EXPECT_EQ(ListingLines(), expected) << "the drag is lost and the file on disk read";
    EXPECT_EQ(Status(), Env.WacomFile());
    EXPECT_EQ(States(), DefaultFileState);
}

TEST_F(LoadCommands, OpenOfAFileThatDoesNotExistEndsWithNoFile) {
    StartOnWacom(StandardXml());
    Prompter.Files.push_back(Env.Root() + "/configs/typed name.dat");
    ASSERT_TRUE(Trigger("Open1"));

    EXPECT_EQ(Status(), NotFound);
    EXPECT_EQ(PenNames(), QStringList({"No File"}));
    EXPECT_EQ(States(), NoFileState);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: -", "Y: -", "Info"}));
}

// --- Open Default Config -----------------------------------------------------------------------------------

TEST_F(LoadCommands, OpenDefaultWithoutDefaultFileLeavesTheOtherFileForNoFile) {
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardXml());
    Start();
    ASSERT_EQ(Status(), NotFound);
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));
    ASSERT_EQ(Status(), other);

    ASSERT_TRUE(Trigger("OpenDefault1"));

    EXPECT_EQ(Status(), NotFound);
    EXPECT_EQ(PenNames(), QStringList({"No File"}));
    EXPECT_EQ(States(), NoFileState);
    EXPECT_TRUE(Prompter.OfKind("modal").empty());
}

TEST_F(LoadCommands, OpenDefaultWithSeveralDefaultFilesAsksTheChooser) {
    Env.Write(Env.WacomFile(), StandardXml());
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", StandardText());
    Start();
    Prompter.Files.push_back(other);
    ASSERT_TRUE(Trigger("Open1"));
    Env.Write(Env.IsdFile(), StandardText());

    Prompter.Modals.push_back([](QDialog*) { return 3; });
    ASSERT_TRUE(Trigger("OpenDefault1"));

    const auto modals = Prompter.OfKind("modal");
    ASSERT_EQ(modals.size(), 1u);
    EXPECT_EQ(modals[0].Text, "TFormChoose");
    EXPECT_EQ(Status(), Env.IsdFile());
    EXPECT_EQ(States(), DefaultFileState);
}

// --- Auto-detect service -----------------------------------------------------------------------------------

TEST_F(LoadCommands, ServiceSwitchFreesTheRowAndTickingItDetectsAgain) {
    // An application-data folder whose name holds the ISD family's pattern, so that the path fits it.
    const QString appData = Env.Root() + "/u\\WTablet\\ISD_Tablet.dat";
    Env.Fake().Env["APPDATA"] = appData.toStdString();
    Env.Write(appData + "/WTablet/Wacom_Tablet.dat", StandardXml());
    Env.Write(Env.ProgramFiles() + "/Tablet/ISD/WTabletServiceISD.exe", "exe");
    Start();
    auto* box = Ctl<QComboBox>("CBoxService");
    ASSERT_EQ(box->currentIndex(), 4);
    ASSERT_FALSE(box->isEnabled());

    Click("CbService");
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(box->currentIndex(), 4) << "unticking keeps the row";
    box->setCurrentIndex(1);

    Click("CbService");
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->currentIndex(), 4) << "ticking selects the detected row again";
}

TEST_F(LoadCommands, ServiceSwitchTickedForAPathOfNoFamilySelectsNoRow) {
    StartOnWacom(StandardXml());
    // The fixture's paths fit no family where the delimiter is "/". On Windows the default file's path
    // always fits its family, here the Wacom family without its newer service: ticking selects that row.
    const int detected = PathDelim == '\\' ? 1 : -1;
    auto* box = Ctl<QComboBox>("CBoxService");
    EXPECT_EQ(box->currentIndex(), detected);
    Click("CbService");
    box->setCurrentIndex(2);
    Click("CbService");
    EXPECT_EQ(box->currentIndex(), detected);
    EXPECT_FALSE(box->isEnabled());
}
