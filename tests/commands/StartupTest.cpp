// Start-up: the settings read into the boxes and written back, the search for the default files with the
// chooser, the window's state after a load that finds no usable pens.

#include "support/WindowFixture.h"
#include "system/functions.h"

#include "graph/DrawClass.h"
#include "ui/Form_ConfChoose.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QString NotFound = "Wacom Configuration File Not Found...";

// The one-pen file the start-up cases load where the pens themselves do not matter.
QByteArray OnePen() {
    return XmlDocument(XmlPen(PlainPen("Tip")));
}

// Answers the next chooser with `result`, after noting which of its buttons were enabled.
struct ChooserAnswer {
    bool WB = false, PB = false, IB = false;
    bool Asked = false;
};
std::function<int(QDialog*)> Chooser(int result, ChooserAnswer* seen = nullptr) {
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

class Startup : public CommandTest {};

} // namespace

// --- Settings ----------------------------------------------------------------------------------------------

TEST_F(Startup, FirstStartWithoutSettingsOrFilesShowsNoFileAndWritesTheDefaults) {
    Start();
    EXPECT_TRUE(Window()->CBLimitP->isChecked());
    EXPECT_FALSE(Window()->CbLimitMp->isChecked());
    EXPECT_TRUE(Window()->CbLimitT->isChecked());
    EXPECT_TRUE(Window()->CbService->isChecked());
    EXPECT_EQ(Window()->CBoxService->currentIndex(), -1);
    EXPECT_EQ(PenNames(), QStringList{"No File"});
    EXPECT_EQ(States(), NoFileState);
    EXPECT_EQ(Status(), NotFound);
    EXPECT_TRUE(Prompter.Log.empty()) << "nothing is boxed at a start without files";
    EXPECT_FALSE(TestEnv::Exists(Env.BackupDir()));

    Stop();
    EXPECT_EQ(SettingsLines(),
              (QStringList{"[Nibwright]", "Point Limiter=1", "Threshold Limiter=1", "MiddlePoint Limiter=0",
                           "Auto Service=1", "Selected Service=-1"}));
}

TEST_F(Startup, SettingsAreReadIntoTheBoxesAndTheGraphAndOtherKeysSurvive) {
    Env.Write(Env.SettingsFile(), "[Other]\r\nKeep=yes\r\n[Nibwright]\r\nPoint Limiter=0\r\n"
                                  "Threshold Limiter=$0\r\nMiddlePoint Limiter=0x10\r\n"
                                  "Auto Service=0\r\nSelected Service=7\r\n");
    Create();
    EXPECT_FALSE(Window()->CBLimitP->isChecked());
    EXPECT_FALSE(Window()->CbLimitT->isChecked());
    EXPECT_TRUE(Window()->CbLimitMp->isChecked());
    EXPECT_FALSE(Window()->CbService->isChecked());
    EXPECT_EQ(Window()->CBoxService->currentIndex(), -1) << "a row outside 0..5 selects nothing";
    // The graph's limiters follow the boxes.
    EXPECT_FALSE(Window()->GetGraph()->GetPointLimiter());
    EXPECT_FALSE(Window()->GetGraph()->GetThresholdLimiter());
    EXPECT_TRUE(Window()->GetGraph()->GetMiddlePointLimiter());

    Stop();
    const QStringList lines = SettingsLines();
    for (const char* line : {"Keep=yes", "Point Limiter=0", "Threshold Limiter=0", "MiddlePoint Limiter=1",
                             "Auto Service=0", "Selected Service=-1"})
        EXPECT_TRUE(lines.contains(line)) << line;
}

TEST_F(Startup, MissingOrBrokenKeysTakeTheirDefaults) {
    Env.Write(Env.SettingsFile(), "[nibwright]\r\npoint limiter=abc\r\nSelected Service=2\r\n");
    Env.Write(Env.PenFile(), OnePen());
    Create();
    EXPECT_TRUE(Window()->CBLimitP->isChecked()) << "not an integer: the default";
    EXPECT_TRUE(Window()->CbLimitT->isChecked());
    EXPECT_FALSE(Window()->CbLimitMp->isChecked());
    EXPECT_EQ(Window()->CBoxService->currentIndex(), 2) << "section and key names ignore letter case";
    // "Auto Service" defaults to on: the first load replaces the row with the detected one. No row fits a
    // path with forward slashes; on Windows the pen file's path fits the Pen family, whose newer service is
    // not installed here: the older one's row.
    Window()->show();
    EXPECT_EQ(Window()->CBoxService->currentIndex(), PathDelim == '\\' ? 3 : -1);
    EXPECT_FALSE(Window()->CBoxService->isEnabled());
}

TEST_F(Startup, AChosenServiceRowStaysWhenAutoDetectionIsOff) {
    // Row 0, the first of the list, is a row like the others.
    Env.Write(Env.SettingsFile(), "[Nibwright]\r\nAuto Service=0\r\nSelected Service=0\r\n");
    StartOnWacom(OnePen());
    EXPECT_EQ(Window()->CBoxService->currentIndex(), 0);
    EXPECT_TRUE(Window()->CBoxService->isEnabled());
    Window()->CBoxService->setCurrentIndex(4);
    Stop();
    EXPECT_TRUE(SettingsLines().contains("Selected Service=4"));
}

TEST_F(Startup, AutoDetectionReplacesTheRowOnEveryLoad) {
    Env.Write(Env.SettingsFile(), "[Nibwright]\r\nAuto Service=1\r\nSelected Service=3\r\n");
    // A file whose name holds the driver's folder and file name with backslashes fits the Wacom family.
    const QString odd = Env.Write(Env.Root() + "/x\\WTablet\\Wacom_Tablet.dat", OnePen());
    Create();
    EXPECT_EQ(Window()->CBoxService->currentIndex(), 3);
    Prompter.Files.push_back(odd);
    Window()->show(); // no default file: "no file"
    ASSERT_TRUE(Trigger("Open1"));
    EXPECT_EQ(Window()->CBoxService->currentIndex(), 1) << "probe absent: the older Wacom service";
    Env.Write(Env.ProgramFiles() + "/Tablet/Wacom/WTabletServicePro.exe", "");
    Click("BtReset");
    EXPECT_EQ(Window()->CBoxService->currentIndex(), 0);
    EXPECT_FALSE(Window()->CBoxService->isEnabled());
    Stop();
    EXPECT_TRUE(SettingsLines().contains("Selected Service=0"));
}

// --- The default files and the chooser ---------------------------------------------------------------------

TEST_F(Startup, OnlyOneDefaultFileIsLoadedWithoutTheChooser) {
    Env.Write(Env.PenFile(), StandardText());
    Start();
    EXPECT_TRUE(Prompter.OfKind("modal").empty());
    EXPECT_FALSE(FormChoose->WB->isEnabled());
    EXPECT_TRUE(FormChoose->PB->isEnabled());
    EXPECT_FALSE(FormChoose->IB->isEnabled());
    EXPECT_EQ(Window()->GetConfigPath(), Env.PenFile());
    EXPECT_EQ(Status(), Env.PenFile());
    EXPECT_EQ(PenNames(), (QStringList{" Tip", " Eraser"})) << "text files keep the blank before the name";
    EXPECT_EQ(PenIndex(), 1);
    EXPECT_EQ(Window()->GetGraph()->GetSelectedPen(), 1);
    EXPECT_EQ(States(), DefaultFileState);
}

TEST_F(Startup, TheChooserOffersTheFilesPresentAndLoadsThePickedOne) {
    Env.Write(Env.WacomFile(), OnePen());
    Env.Write(Env.IsdFile(), StandardXml());
    ChooserAnswer seen;
    Prompter.Modals.push_back(Chooser(1, &seen));
    Start();
    ASSERT_TRUE(seen.Asked);
    EXPECT_TRUE(seen.WB);
    EXPECT_FALSE(seen.PB);
    EXPECT_TRUE(seen.IB);
    EXPECT_EQ(Prompter.OfKind("modal").at(0).Text, "TFormChoose");
    EXPECT_EQ(Window()->GetConfigPath(), Env.WacomFile());
    EXPECT_EQ(PenNames(), QStringList{"Tip"});
    EXPECT_EQ(Window()->ClientWidth(), 713);
}

TEST_F(Startup, AnUnknownChooserResultKeepsTheLastFileFound) {
    for (const QString& path : {Env.WacomFile(), Env.PenFile(), Env.IsdFile()})
        Env.Write(path, OnePen());
    Prompter.Modals.push_back(Chooser(0));
    Start();
    EXPECT_EQ(Window()->GetConfigPath(), Env.IsdFile());
    EXPECT_EQ(Window()->ClientWidth(), 713) << "only the ISD button switches to the small layout";
}

TEST_F(Startup, ClosingTheChooserPicksPenTabletEvenWhenItIsMissing) {
    Env.Write(Env.WacomFile(), OnePen());
    Env.Write(Env.IsdFile(), OnePen());
    // The system's close command ends the chooser with 2.
    Prompter.Modals.push_back([](QDialog* d) {
        d->reject();
        return d->result();
    });
    Start();
    EXPECT_EQ(Status(), NotFound);
    EXPECT_EQ(States(), NoFileState);
}

TEST_F(Startup, PickingTheIsdFileAtStartSwitchesToTheSmallLayoutAndLoadsAgain) {
    Env.Write(Env.WacomFile(), OnePen());
    Env.Write(Env.IsdFile(), StandardXml());
    Prompter.Modals.push_back(Chooser(3));
    Start();
    EXPECT_EQ(Window()->ClientWidth(), 513);
    EXPECT_EQ(Window()->ClientHeight(), 431);
    EXPECT_EQ(Picture().width(), 300);
    EXPECT_EQ(Window()->GetConfigPath(), Env.IsdFile());
    EXPECT_EQ(Prompter.OfKind("modal").size(), 1u) << "the layout switch keeps the valid path";
    EXPECT_EQ(PenIndex(), 1);

    // Picking ISD later does not change the layout.
    Window()->SetBigLayout();
    Prompter.Modals.push_back(Chooser(3));
    ASSERT_TRUE(Trigger("OpenDefault1"));
    EXPECT_EQ(Window()->ClientWidth(), 713);
}

// --- Files without usable pens -----------------------------------------------------------------------------

TEST_F(Startup, AFileWithoutUsablePensIsTheInvalidStateEvenAfterAValidOne) {
    StartOnWacom(StandardXml());
    ASSERT_EQ(PenNames().size(), 2);
    // The tip's lower threshold is missing: the file has no usable pen.
    Env.Write(Env.WacomFile(),
              ReplacedOnce(StandardXml(), "<LowerPressureThreshold>30</LowerPressureThreshold>", ""));
    Click("BtReset");
    EXPECT_EQ(Status(), "Wacom_Tablet.dat configuration file is without necessary values -> Try to run Wacom "
                        "Configuration first.");
    EXPECT_EQ(PenNames(), QStringList{"No File"});
    EXPECT_EQ(States(), NoFileState);
    EXPECT_EQ(Labels(), QStringList({"Output", "Input", "X: -", "Y: -", "Info"}));
    EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(Startup, AFileThatCannotBeReadAtAllEndsInNoFileWithoutAHandler) {
    StartOnWacom(OnePen());
    ASSERT_NE(Window()->GetFileHandler(), nullptr);
    // Zeros beyond the size any preference file may have: reading it raises instead of parsing.
    Env.Write(Env.WacomFile(), "");
    ASSERT_TRUE(QFile::resize(Env.WacomFile(), qint64(65) * 1024 * 1024));
    Click("BtReset");
    EXPECT_EQ(Window()->GetFileHandler(), nullptr);
    EXPECT_FALSE(Window()->IsConfigValid());
    EXPECT_EQ(Status(), NotFound);
    EXPECT_EQ(States(), NoFileState);
    // Nothing reaches the released handler afterwards.
    Window()->BtResetClick();
    Window()->Replace1Click();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to locate valid Backup file..."});
}

TEST_F(Startup, AFailedLoadKeepsThePreviousHandlerOutOfReach) {
    StartOnWacom(OnePen());
    TFileHandler* before = Window()->GetFileHandler();
    QFile::remove(Env.WacomFile());
    Click("BtReset");
    EXPECT_EQ(Status(), NotFound);
    EXPECT_EQ(Window()->GetFileHandler(), before);
    EXPECT_FALSE(Image()->isEnabled());
}
