// Start-up, settings, the default-file search with the chooser, the four window states and the first-run
// backup.

#include "UiFixture.h"

#include "graph/DrawClass.h"
#include "ui/Form_ConfChoose.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QString NotFound = "Wacom Configuration File Not Found...";
const QString WithoutValues = " configuration file is without necessary values "
                              "-> Try to run Wacom Configuration first.";

// Answers the next chooser with `result`, after noting which of its buttons were enabled.
struct ChooserAnswer {
    bool WB = false, PB = false, IB = false;
    bool Asked = false;
};
std::function<int(QDialog*)> Answer(int result, ChooserAnswer* seen = nullptr) {
    return [result, seen](QDialog*) {
        if (seen) {
            seen->Asked = true;
            seen->WB = FormChoose->WB->isEnabled();
            seen->PB = FormChoose->PB->isEnabled();
            seen->IB = FormChoose->IB->isEnabled();
        }
        return result;
    };
}

} // namespace

// The enabled state of everything that the four states switch, in one record for compact comparisons.
struct Controls {
    bool Pens, Image, Apply, Reset, Info, Editor, Limits, Service, ServiceBox, Save, Backup;
    bool operator==(const Controls&) const = default;
};
static Controls ReadControls(const TTabletForm& w) {
    return {w.ComboBox->isEnabled(),
            w.Image->isEnabled(),
            w.BtApply->isEnabled(),
            w.BtReset->isEnabled(),
            w.BtGenerateinfo->isEnabled(),
            w.BtModifyValues->isEnabled(),
            w.CBLimitP->isEnabled() && w.CbLimitT->isEnabled() && w.CbLimitMp->isEnabled(),
            w.CbService->isEnabled(),
            w.CBoxService->isEnabled(),
            w.Save1->isEnabled(),
            w.ManuallySetFirstRunBackup1->isEnabled() && w.Replace1->isEnabled()};
}
static void PrintTo(const Controls& c, std::ostream* os) {
    *os << "{pens " << c.Pens << " image " << c.Image << " apply " << c.Apply << " reset " << c.Reset
        << " info " << c.Info << " editor " << c.Editor << " limits " << c.Limits << " service " << c.Service
        << " box " << c.ServiceBox << " save " << c.Save << " backup " << c.Backup << "}";
}

constexpr Controls DefaultFileState{true, true, true, true, true, true, true, true, false, true, true};
constexpr Controls OtherFileState{true, true, false, true, true, true, true, true, false, true, false};
constexpr Controls DisabledState{false, false, false, false, false, false, false, false, false, false, false};

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstStartWithoutSettingsOrFilesShowsNoFileAndWritesTheDefaults) {
    Start();
    EXPECT_TRUE(W().CBLimitP->isChecked());
    EXPECT_FALSE(W().CbLimitMp->isChecked());
    EXPECT_TRUE(W().CbLimitT->isChecked());
    EXPECT_TRUE(W().CbService->isChecked());
    EXPECT_EQ(W().CBoxService->currentIndex(), -1);
    EXPECT_EQ(PenList(), QStringList{"No File"});
    EXPECT_EQ(ReadControls(W()), DisabledState);
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_TRUE(Prompter.Log.empty()) << "nothing is boxed at a start without files";
    EXPECT_FALSE(TestEnv::Exists(Env.BackupDir()));

    Stop();
    const QStringList lines = FileLines(Env.SettingsFile());
    EXPECT_EQ(lines, (QStringList{"[Nibwright]", "Point Limiter=1", "Threshold Limiter=1",
                                  "MiddlePoint Limiter=0", "Auto Service=1", "Selected Service=-1"}));
}

TEST_F(StartupTest, SettingsAreReadIntoTheBoxesAndTheGraphAndOtherKeysSurvive) {
    Env.Write(Env.SettingsFile(), "[Other]\r\nKeep=yes\r\n[Nibwright]\r\nPoint Limiter=0\r\n"
                                  "Threshold Limiter=$0\r\nMiddlePoint Limiter=0x10\r\n"
                                  "Auto Service=0\r\nSelected Service=7\r\n");
    Create();
    EXPECT_FALSE(W().CBLimitP->isChecked());
    EXPECT_FALSE(W().CbLimitT->isChecked());
    EXPECT_TRUE(W().CbLimitMp->isChecked());
    EXPECT_FALSE(W().CbService->isChecked());
    EXPECT_EQ(W().CBoxService->currentIndex(), -1) << "a row outside 0..5 selects nothing";
    // The graph's limiters follow the boxes.
    EXPECT_FALSE(W().GetGraph()->GetPointLimiter());
    EXPECT_FALSE(W().GetGraph()->GetThresholdLimiter());
    EXPECT_TRUE(W().GetGraph()->GetMiddlePointLimiter());

    Stop();
    const QStringList lines = FileLines(Env.SettingsFile());
    EXPECT_TRUE(lines.contains("Keep=yes"));
    EXPECT_TRUE(lines.contains("Point Limiter=0"));
    EXPECT_TRUE(lines.contains("Threshold Limiter=0"));
    EXPECT_TRUE(lines.contains("MiddlePoint Limiter=1"));
    EXPECT_TRUE(lines.contains("Auto Service=0"));
    EXPECT_TRUE(lines.contains("Selected Service=-1"));
}

TEST_F(StartupTest, MissingOrBrokenKeysTakeTheirDefaults) {
    Env.Write(Env.SettingsFile(), "[nibwright]\r\npoint limiter=abc\r\nSelected Service=2\r\n");
    WriteDefault(1, XmlConfig({TipPen}));
    Create();
    EXPECT_TRUE(W().CBLimitP->isChecked()) << "not an integer: the default";
    EXPECT_TRUE(W().CbLimitT->isChecked());
    EXPECT_FALSE(W().CbLimitMp->isChecked());
    EXPECT_EQ(W().CBoxService->currentIndex(), 2) << "section and key names ignore letter case";
    // "Auto Service" defaults to on: the first load replaces the row with the detected one (no row fits a
    // path with forward slashes).
    W().show();
    EXPECT_EQ(W().CBoxService->currentIndex(), -1);
    EXPECT_FALSE(W().CBoxService->isEnabled());
}

TEST_F(StartupTest, AChosenServiceRowStaysWhenAutoDetectionIsOff) {
    Env.Write(Env.SettingsFile(), "[Nibwright]\r\nAuto Service=0\r\nSelected Service=3\r\n");
    StartOnDefault(0, XmlConfig({TipPen}));
    EXPECT_EQ(W().CBoxService->currentIndex(), 3);
    EXPECT_TRUE(W().CBoxService->isEnabled());
    W().CBoxService->setCurrentIndex(4);
    Stop();
    EXPECT_TRUE(FileLines(Env.SettingsFile()).contains("Selected Service=4"));
}

TEST_F(StartupTest, AutoDetectionReplacesTheRowOnEveryLoad) {
    Env.Write(Env.SettingsFile(), "[Nibwright]\r\nAuto Service=1\r\nSelected Service=3\r\n");
    // A file whose name holds the driver's folder and file name with backslashes fits the Wacom family.
    const QString odd = Env.Write(Env.Root() + "/x\\WTablet\\Wacom_Tablet.dat", XmlConfig({TipPen}));
    Create();
    EXPECT_EQ(W().CBoxService->currentIndex(), 3);
    Prompter.Files.push_back(odd);
    W().show(); // no default file: "no file"
    W().Open1Click();
    EXPECT_EQ(W().CBoxService->currentIndex(), 1) << "probe absent: the older Wacom service";
    Env.Write(Env.ProgramFiles() + "/Tablet/Wacom/WTabletServicePro.exe", "");
    W().BtResetClick();
    EXPECT_EQ(W().CBoxService->currentIndex(), 0);
    EXPECT_FALSE(W().CBoxService->isEnabled());
    Stop();
    EXPECT_TRUE(FileLines(Env.SettingsFile()).contains("Selected Service=0"));
}

TEST_F(StartupTest, OnlyOneDefaultFileIsLoadedWithoutTheChooser) {
    StartOnDefault(1, TextConfig({TipPen, EraserPen}));
    EXPECT_TRUE(Prompter.OfKind("modal").empty());
    EXPECT_FALSE(FormChoose->WB->isEnabled());
    EXPECT_TRUE(FormChoose->PB->isEnabled());
    EXPECT_FALSE(FormChoose->IB->isEnabled());
    EXPECT_EQ(W().GetConfigPath(), DefaultPath(1));
    EXPECT_EQ(W().StatusText(), DefaultPath(1));
    EXPECT_EQ(PenList(), (QStringList{" Tip", " Eraser"})) << "text files keep the blank before the name";
    EXPECT_EQ(W().ComboBox->currentIndex(), 1);
    EXPECT_EQ(W().GetGraph()->GetSelectedPen(), 1);
    EXPECT_EQ(ReadControls(W()), DefaultFileState);
}

TEST_F(StartupTest, TheChooserOffersTheFilesPresentAndLoadsThePickedOne) {
    WriteDefault(0, XmlConfig({TipPen}));
    WriteDefault(2, XmlConfig({EraserPen}));
    ChooserAnswer seen;
    Prompter.Modals.push_back(Answer(1, &seen));
    Start();
    ASSERT_TRUE(seen.Asked);
    EXPECT_TRUE(seen.WB);
    EXPECT_FALSE(seen.PB);
    EXPECT_TRUE(seen.IB);
    EXPECT_EQ(Prompter.OfKind("modal").at(0).Text, "TFormChoose");
    EXPECT_EQ(W().GetConfigPath(), DefaultPath(0));
    EXPECT_EQ(PenList(), QStringList{"Tip"});
    EXPECT_EQ(W().ClientWidth(), 713);
}

TEST_F(StartupTest, AnUnknownChooserResultKeepsTheLastFileFound) {
    for (int i = 0; i < 3; ++i)
        WriteDefault(i, XmlConfig({TipPen}));
    Prompter.Modals.push_back(Answer(0));
    Start();
    EXPECT_EQ(W().GetConfigPath(), DefaultPath(2));
    EXPECT_EQ(W().ClientWidth(), 713) << "only the ISD button switches to the small layout";
}

TEST_F(StartupTest, ClosingTheChooserPicksPenTabletEvenWhenItIsMissing) {
    WriteDefault(0, XmlConfig({TipPen}));
    WriteDefault(2, XmlConfig({TipPen}));
    // The system's close command ends the chooser with 2.
    Prompter.Modals.push_back([](QDialog* d) {
        d->reject();
        return d->result();
    });
    Start();
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_EQ(ReadControls(W()), DisabledState);
}

TEST_F(StartupTest, PickingTheIsdFileAtStartSwitchesToTheSmallLayoutAndLoadsAgain) {
    WriteDefault(0, XmlConfig({TipPen}));
    WriteDefault(2, XmlConfig({TipPen, EraserPen}));
    Prompter.Modals.push_back(Answer(3));
    Start();
    EXPECT_EQ(W().ClientWidth(), 513);
    EXPECT_EQ(W().ClientHeight(), 431);
    EXPECT_EQ(W().Image->Image().width(), 300);
    EXPECT_EQ(W().GetConfigPath(), DefaultPath(2));
    EXPECT_EQ(Prompter.OfKind("modal").size(), 1u) << "the layout switch keeps the valid path";
    EXPECT_EQ(W().ComboBox->currentIndex(), 1);

    // Picking ISD later does not change the layout.
    W().SetBigLayout();
    Prompter.Modals.push_back(Answer(3));
    W().OpenDefault1Click();
    EXPECT_EQ(W().ClientWidth(), 713);
}

TEST_F(StartupTest, AFileWithoutUsablePensIsTheInvalidStateEvenAfterAValidOne) {
    StartOnDefault(0, XmlConfig({TipPen, EraserPen}));
    ASSERT_EQ(PenList().size(), 2);
    // The lower threshold is missing: the file has no usable pen.
    QByteArray broken = XmlConfig({TipPen});
    broken.replace("<LowerPressureThreshold>10</LowerPressureThreshold>", "");
    WriteDefault(0, broken);
    W().BtResetClick();
    EXPECT_EQ(W().StatusText(), "Wacom_Tablet.dat" + WithoutValues);
    EXPECT_EQ(PenList(), QStringList{"No File"});
    EXPECT_EQ(ReadControls(W()), DisabledState);
    EXPECT_EQ(W().GroupBox3->title(), "Info");
    EXPECT_EQ(W().LabelPX->text(), "X: -");
    EXPECT_EQ(W().LabelPY->text(), "Y: -");
    EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(StartupTest, AFileFromElsewhereCanBeSavedButNotApplied) {
    const QString other = Env.Write(Env.Root() + "/configs/Mine.dat", TextConfig({TipPen}));
    Start();
    Prompter.Files.push_back(other);
    W().Open1Click();
    ASSERT_EQ(Prompter.OfKind("open").size(), 1u);
    EXPECT_EQ(Prompter.LastOpenOptions.Filters, (QStringList{"Dat (*.dat)", "All Fles (*)"}));
    EXPECT_TRUE(Prompter.LastOpenOptions.HideReadOnly);
    EXPECT_TRUE(Prompter.LastOpenOptions.ShowHidden);
    EXPECT_FALSE(Prompter.LastOpenOptions.MustExist);
    EXPECT_EQ(W().StatusText(), other);
    EXPECT_EQ(ReadControls(W()), OtherFileState);
    // The first valid file ever loaded is the backup point, wherever it came from.
    EXPECT_EQ(TestEnv::Read(Env.BackupPoint()), TestEnv::Read(other));
}

TEST_F(StartupTest, DefaultPathsAreComparedByTheirExactText) {
    StartOnDefault(0, XmlConfig({TipPen}));
    ASSERT_EQ(ReadControls(W()), DefaultFileState);
    Prompter.Files.push_back(DefaultPath(0));
    W().Open1Click();
    EXPECT_EQ(ReadControls(W()), DefaultFileState) << "the default path typed exactly is a default file";
    Prompter.Files.push_back(Env.WTablet() + "/./Wacom_Tablet.dat");
    W().Open1Click();
    EXPECT_EQ(ReadControls(W()), OtherFileState) << "the same file by another path text is another file";
}

TEST_F(StartupTest, OpenCancelledReadsTheFileInUseAgainAndATypedMissingFileIsNoFile) {
    StartOnDefault(0, XmlConfig({TipPen}));
    QByteArray changed = XmlConfig({TipPen, EraserPen});
    WriteDefault(0, changed);
    W().Open1Click(); // cancelled
    EXPECT_EQ(PenList(), (QStringList{"Tip", "Eraser"}));
    Prompter.Files.push_back(Env.Root() + "/nothing-here.dat");
    W().Open1Click();
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_EQ(ReadControls(W()), DisabledState);
}

TEST_F(StartupTest, OpenDefaultConfigWithoutDefaultFilesEndsInNoFile) {
    const QString other = Env.Write(Env.Root() + "/Mine.dat", XmlConfig({TipPen}));
    Start();
    Prompter.Files.push_back(other);
    W().Open1Click();
    ASSERT_EQ(W().StatusText(), other);
    W().OpenDefault1Click();
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_EQ(PenList(), QStringList{"No File"});
}

TEST_F(StartupTest, TheFirstValidLoadWritesTheBackupPointOnceAndInvalidFilesNever) {
    QByteArray broken = XmlConfig({TipPen});
    broken.replace("<UpperPressureThreshold>1000</UpperPressureThreshold>", "");
    StartOnDefault(0, broken);
    EXPECT_FALSE(TestEnv::Exists(Env.BackupDir())) << "an invalid file creates no folder";

    const QByteArray first = XmlConfig({TipPen});
    WriteDefault(0, first);
    W().BtResetClick();
    EXPECT_EQ(TestEnv::Read(Env.BackupPoint()), first);

    WriteDefault(0, XmlConfig({TipPen, EraserPen}));
    W().BtResetClick();
    EXPECT_EQ(PenList().size(), 2);
    EXPECT_EQ(TestEnv::Read(Env.BackupPoint()), first) << "never replaced by a load";
    EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(StartupTest, BackupFolderFailuresAreReportedAndTheLoadGoesOn) {
    Env.Write(Env.BackupDir(), "a file where the folder should be");
    StartOnDefault(0, XmlConfig({TipPen}));
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to create directory for backup: " + Env.BackupDir()});
    EXPECT_EQ(ReadControls(W()), DefaultFileState);
    EXPECT_EQ(PenList(), QStringList{"Tip"});
}

TEST_F(StartupTest, ABackupPointThatCannotBeWrittenIsReportedAndTheLoadGoesOn) {
    // A folder in the way of the backup point's file.
    QDir().mkpath(Env.BackupDir() + "/FirstRunBackup.bak/inner");
    StartOnDefault(0, XmlConfig({TipPen}));
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write Backup Point: " + Env.BackupPoint()});
    EXPECT_EQ(ReadControls(W()), DefaultFileState);
}

TEST_F(StartupTest, AFileThatCannotBeReadAtAllEndsInNoFileWithoutAHandler) {
    StartOnDefault(0, XmlConfig({TipPen}));
    ASSERT_NE(W().GetFileHandler(), nullptr);
    // Larger than any preference file may be: reading it raises instead of parsing.
    {
        QFile f(DefaultPath(0));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(65) * 1024 * 1024));
    }
    W().BtResetClick();
    EXPECT_EQ(W().GetFileHandler(), nullptr);
    EXPECT_FALSE(W().IsConfigValid());
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_EQ(ReadControls(W()), DisabledState);
    // Nothing reaches the released handler afterwards.
    W().BtResetClick();
    W().Replace1Click();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to locate valid Backup file..."});
}

TEST_F(StartupTest, AFailedLoadKeepsThePreviousHandlerOutOfReach) {
    StartOnDefault(0, XmlConfig({TipPen}));
    TFileHandler* before = W().GetFileHandler();
    QFile::remove(DefaultPath(0));
    W().BtResetClick();
    EXPECT_EQ(W().StatusText(), NotFound);
    EXPECT_EQ(W().GetFileHandler(), before);
    EXPECT_FALSE(W().Image->isEnabled());
}
