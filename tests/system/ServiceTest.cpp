// Detection of the tablet service that fits a preference file, and its restart in an elevated command
// window, against the recording platform.
#include "support/TestEnv.h"
#include "system/ElevatedStart.h"
#include "system/functions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>

#include <QString>
#include <QStringList>

using ::testing::ElementsAre;

namespace {

const QString WacomPath = R"(C:\Users\A\AppData\Roaming\WTablet\Wacom_Tablet.dat)";
const QString PenPath = R"(C:\Users\A\AppData\Roaming\WTablet\Pen_Tablet.dat)";
const QString IsdPath = R"(C:\Users\A\AppData\Roaming\WTablet\ISD_Tablet.dat)";
// A folder WTablet\Wacom_Tablet.dat\WTablet holding Pen_Tablet.dat fits two families.
const QString TwoFamilyPath = R"(C:\X\WTablet\Wacom_Tablet.dat\WTablet\Pen_Tablet.dat)";

std::string Params(const char* service) {
    return RestartParameters(service);
}

class Service : public ::testing::Test {
protected:
    // Installs the newer service's executable of a family under the program-files folder.
    void InstallProbe(const char* relative) { Env.Write(Env.ProgramFiles() + relative, "MZ"); }
    void InstallWacom() { InstallProbe("/Tablet/Wacom/WTabletServicePro.exe"); }
    void InstallPen() { InstallProbe("/Tablet/Pen/WTabletServiceCon.exe"); }
    void InstallIsd() { InstallProbe("/Tablet/ISD/WTabletServiceISD.exe"); }

    void Restart(const QString& path, bool useChosenRow = false, int row = -1) {
        RestartTabletService(path, useChosenRow, row, [this](const QString& text) { Messages << text; });
    }

    std::vector<std::string> StartedParameters() {
        std::vector<std::string> out;
        for (const auto& start : Env.Fake().Starts) {
            EXPECT_EQ(start.File, "cmd.exe");
            out.push_back(start.Parameters);
        }
        return out;
    }

    TestEnv Env;
    QStringList Messages;
};

TEST(ServiceCommand, ParameterTextStopsStartsAndPauses) {
    EXPECT_EQ(RestartParameters("WTabletServicePro"),
              R"(/c net stop "WTabletServicePro" & net start "WTabletServicePro" & pause)");
    EXPECT_EQ(RestartFailedMessage, std::string("Unable to restart Tablet service.\r\n\r\n"
                                                "You must reboot your computer for changes to take effect."));
}

TEST(ServiceCommand, ShellFieldsAskForElevationWithoutWaitingOrOwnDialogs) {
    const std::string file = "cmd.exe";
    const std::string params = RestartParameters("TabletServicePen");
    const ElevatedStartFields f = MakeElevatedStartFields(file, params);
    EXPECT_EQ(f.fMask, 0x500u);
    EXPECT_STREQ(f.lpVerb, "runas");
    EXPECT_STREQ(f.lpFile, "cmd.exe");
    EXPECT_STREQ(f.lpParameters, R"(/c net stop "TabletServicePen" & net start "TabletServicePen" & pause)");
    EXPECT_EQ(f.nShow, 5);
    EXPECT_EQ(f.hwnd, nullptr);
    EXPECT_EQ(f.lpDirectory, nullptr);
}

TEST_F(Service, ChosenRowRestartsThatRowWhateverThePath) {
    Restart(WacomPath, true, 3);
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("TabletServicePen")));
    EXPECT_TRUE(Messages.isEmpty());

    // Every row names its service, in the order of the service box.
    Env.Fake().Starts.clear();
    for (int row = 0; row < ServiceCount; ++row)
        Restart(QString(), true, row);
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("WTabletServicePro"), Params("TabletServiceWacom"),
                                                 Params("WTabletServiceCon"), Params("TabletServicePen"),
                                                 Params("WTabletServiceISD"), Params("TabletServiceISD")));
}

TEST_F(Service, ChosenRowOutsideTheTableIsSilent) {
    for (int row : {-1, 6, 100, -7})
        Restart(WacomPath, true, row);
    EXPECT_TRUE(Env.Fake().Starts.empty());
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(Service, UpperCasePathFitsAndProbeChoosesNewerOrOlderService) {
    const QString upper = R"(C:\Users\A\AppData\Roaming\WTABLET\WACOM_TABLET.DAT)";
    EXPECT_EQ(DetectServiceIndex(upper), 1);
    Restart(upper);
    InstallWacom();
    EXPECT_EQ(DetectServiceIndex(upper), 0); // nothing is cached between calls
    Restart(upper);
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("TabletServiceWacom"), Params("WTabletServicePro")));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(Service, ProbeIsTheNewerExecutableUnderProgramFiles) {
    DetectServiceIndex(IsdPath);
    const std::string expected =
        (Env.ProgramFiles() + QDir::toNativeSeparators("/Tablet/ISD/WTabletServiceISD.exe")).toStdString();
    EXPECT_THAT(Env.Fake().Probes, ElementsAre(expected));
}

TEST_F(Service, EachFamilyHasItsOwnRows) {
    EXPECT_EQ(DetectServiceIndex(PenPath), 3);
    EXPECT_EQ(DetectServiceIndex(IsdPath), 5);
    InstallPen();
    EXPECT_EQ(DetectServiceIndex(PenPath), 2);
    EXPECT_EQ(DetectServiceIndex(IsdPath), 5); // another family's probe does not count
    InstallIsd();
    EXPECT_EQ(DetectServiceIndex(IsdPath), 4);
    EXPECT_EQ(DetectServiceIndex(WacomPath), 1);
}

TEST_F(Service, PathMustHoldTheFileDirectlyInAWTabletFolder) {
    InstallWacom();
    const std::vector<std::pair<QString, int>> cases = {
        {R"(D:\Configs\Pen_Tablet.dat)", -1},                      // no WTablet folder
        {"C:/Users/A/AppData/Roaming/WTablet/Pen_Tablet.dat", -1}, // a forward slash is no backslash
        {R"(C:\MyWTablet\Wacom_Tablet.dat)", -1},                  // the folder is not WTablet
        {R"(C:\WTablet\Sub\Wacom_Tablet.dat)", -1},                // the file must follow directly
        {R"(C:\WTablet\Wacom-Tablet.dat)", -1},
        {"", -1},
        {R"(C:\Old\WTablet\Wacom_Tablet.dat.bak)", 0}, // the pattern may occur anywhere in the path
    };
    for (const auto& [path, row] : cases) {
        EXPECT_EQ(DetectServiceIndex(path), row) << path.toStdString();
        Restart(path);
    }
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("WTabletServicePro")));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(Service, OnlyAsciiLettersFoldCase) {
    // U+0130 (capital I with dot) lower-cases to "i" plus a combining dot in Unicode; it must stay itself,
    // so the pattern "isd_tablet" is not formed from it.
    const QString dotted = QString::fromUtf8("C:\\WTablet\\\xC4\xB0SD_Tablet.dat");
    EXPECT_EQ(DetectServiceIndex(dotted), -1);
    const QString nonAsciiFolder = QString::fromUtf8("C:\\Users\\J\xC3\xB6rg\\WTablet\\ISD_TABLET.dat");
    EXPECT_EQ(DetectServiceIndex(nonAsciiFolder), 5);
}

TEST_F(Service, PathFittingTwoFamiliesRestartsBothAndDetectsTheLast) {
    InstallWacom();
    EXPECT_EQ(DetectServiceIndex(TwoFamilyPath), 3);
    InstallPen();
    EXPECT_EQ(DetectServiceIndex(TwoFamilyPath), 2);
    Restart(TwoFamilyPath);
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("WTabletServicePro"), Params("WTabletServiceCon")));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(Service, UnsetProgramFilesProbesTheBareRelativePath) {
    Env.Fake().Env.erase("ProgramFiles");
    InstallPen(); // installed under the test's folder, which is no longer the program-files folder
    EXPECT_EQ(DetectServiceIndex(PenPath), 3);
    const std::string bare =
        std::string(1, PathDelim) + "Tablet" + PathDelim + "Pen" + PathDelim + "WTabletServiceCon.exe";
    EXPECT_THAT(Env.Fake().Probes, ElementsAre(bare));
    Restart(PenPath);
    EXPECT_THAT(StartedParameters(), ElementsAre(Params("TabletServicePen")));
}

TEST_F(Service, DeclinedConsentShowsTheMessageOnceAndStopsTheRemainingFamilies) {
    Env.Fake().FailStartsFrom = 0;
    Restart(TwoFamilyPath);
    EXPECT_EQ(Env.Fake().Starts.size(), 1u); // the Pen family was not tried
    EXPECT_THAT(Messages, ElementsAre(QString(RestartFailedMessage)));

    // A failure of the second family's start still shows the message only once.
    Env.Fake().Starts.clear();
    Messages.clear();
    Env.Fake().FailStartsFrom = 1;
    Restart(TwoFamilyPath);
    EXPECT_EQ(Env.Fake().Starts.size(), 2u);
    EXPECT_EQ(Messages.size(), 1);

    // A chosen row fails the same way.
    Env.Fake().Starts.clear();
    Messages.clear();
    Env.Fake().FailStartsFrom = 0;
    Restart(QString(), true, 0);
    EXPECT_EQ(Messages.size(), 1);
}

TEST_F(Service, StartErrorsPassThroughTheLowerRoutines) {
    Env.Fake().FailStartsFrom = 0;
    Env.Fake().FailCode = 2;
    try {
        RestartServiceByName("TabletServiceISD");
        ADD_FAILURE() << "no error raised";
    } catch (const ElevationError& e) {
        EXPECT_EQ(e.Code, 2u);
    }
    EXPECT_EQ(Env.Fake().Starts.back().Parameters, Params("TabletServiceISD"));
    // Without a way to show the message the failure is still contained.
    EXPECT_NO_THROW(RestartTabletService(WacomPath, false, -1, MessageFn()));
}

// The native platform of a POSIX build cannot elevate: the restart must report that, never pretend.
TEST(NativeService, RestartOnPosixShowsTheFailureMessage) {
#ifdef _WIN32
    GTEST_SKIP() << "would start a real elevated command window";
#else
    SetPlatform(nullptr);
    try {
        RunElevated("cmd.exe", RestartParameters("WTabletServicePro"));
        ADD_FAILURE() << "no error raised";
    } catch (const ElevationError& e) {
        EXPECT_STREQ(e.what(), "elevation is not available on this platform");
    }
    QStringList messages;
    RestartTabletService(QString(), true, 0, [&](const QString& text) { messages << text; });
    EXPECT_THAT(messages, ElementsAre(QString(RestartFailedMessage)));
#endif
}

} // namespace
