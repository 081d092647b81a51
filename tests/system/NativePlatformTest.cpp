// The native platform layer on the system it runs on: paths as the system writes them (drive letters and
// backslashes on Windows), environment values and file names outside ASCII, and the service detection
// against what the system's service manager knows.

#include "support/TestEnv.h"
#include "system/Platform.h"
#include "system/functions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <vector>
#endif

namespace {

const QString D(QChar::fromLatin1(PathDelim));

TEST(NativePaths, TheProgramAndItsFolderAreAbsoluteNativePaths) {
    SetPlatform(nullptr);
    const QString exe = QString::fromStdString(NativePlatform().ExecutablePath());
    EXPECT_TRUE(QFileInfo(exe).isFile()) << exe.toStdString();
#ifdef _WIN32
    EXPECT_TRUE(QRegularExpression(R"(^[A-Za-z]:\\)").match(exe).hasMatch()) << exe.toStdString();
    EXPECT_FALSE(exe.contains('/')) << exe.toStdString();
#else
    EXPECT_TRUE(exe.startsWith('/')) << exe.toStdString();
#endif
    EXPECT_EQ(AppFolder(), exe.left(exe.lastIndexOf(PathDelim) + 1));
    EXPECT_EQ(FileNamePart(exe), QFileInfo(exe).fileName());
}

TEST(NativePaths, EnvironmentValuesAndFileNamesOutsideAsciiCrossTheLayerAsUtf8) {
    TestEnv env;
    const QString folder = env.Root() + D + QString::fromUtf8("Anwendungsdaten \u00e9");
    env.Write(folder + D + "Wacom_Tablet.dat", "x");
    qputenv("NIB_NATIVE_TEST_FOLDER", folder.toLocal8Bit());
    IPlatform& native = NativePlatform();
    EXPECT_EQ(native.GetEnv("NIB_NATIVE_TEST_FOLDER"), folder.toStdString());
    qunsetenv("NIB_NATIVE_TEST_FOLDER");
    EXPECT_EQ(native.GetEnv("NIB_NATIVE_TEST_FOLDER"), "");
    EXPECT_TRUE(native.FileExists((folder + D + "Wacom_Tablet.dat").toStdString()));
    EXPECT_FALSE(native.FileExists(folder.toStdString())) << "a folder is no file";
    EXPECT_TRUE(native.FolderWritable(folder.toStdString()));
}

// The driver's file under APPDATA fits its family only as the system spells the path.
TEST(NativePaths, TheDefaultFileFitsItsServiceOnlyWithTheNativeDelimiter) {
    TestEnv env;
    env.Write(env.ProgramFiles() + D + "Tablet" + D + "Wacom" + D + "WTabletServicePro.exe", "");
    const QString forward = QDir::fromNativeSeparators(env.WacomFile());
#ifdef _WIN32
    EXPECT_EQ(DetectServiceIndex(env.WacomFile()), 0);
    EXPECT_EQ(DetectServiceIndex(forward), -1) << "a forward slash never fits the pattern's backslash";
#else
    EXPECT_EQ(DetectServiceIndex(forward), -1) << "POSIX paths never fit the Windows patterns";
#endif
}

#ifdef _WIN32
// The executable the service manager starts for `service`, without quotes; empty when none is registered.
QString RegisteredBinary(const wchar_t* service) {
    QString out;
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return out;
    if (const SC_HANDLE handle = ::OpenServiceW(manager, service, SERVICE_QUERY_CONFIG)) {
        DWORD needed = 0;
        ::QueryServiceConfigW(handle, nullptr, 0, &needed);
        std::vector<char> buffer(needed ? needed : 1);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (needed && ::QueryServiceConfigW(handle, config, needed, &needed) && config->lpBinaryPathName)
            out = QString::fromWCharArray(config->lpBinaryPathName).remove('"');
        ::CloseServiceHandle(handle);
    }
    ::CloseServiceHandle(manager);
    return out;
}
#endif

// Detection reads no service list: a service whose executable lies where the driver installs it is the one
// detected. scripts/windows registers WTabletServicePro in its wine prefix and sets NIB_TABLET_SERVICE=1.
TEST(RegisteredService, TheServiceRegisteredWithItsExecutableUnderProgramFilesIsDetected) {
#ifndef _WIN32
    GTEST_SKIP() << "no service manager here; the detection's reading of the probe file is tested with the "
                    "recording platform";
#else
    SetPlatform(nullptr);
    const QString programFiles = QString::fromStdString(NativePlatform().GetEnv("ProgramFiles"));
    ASSERT_FALSE(programFiles.isEmpty());
    const QString probe = programFiles + "\\Tablet\\Wacom\\WTabletServicePro.exe";
    const QString binary = RegisteredBinary(L"WTabletServicePro");
    const QString config = "C:\\Users\\u\\AppData\\Roaming\\WTablet\\Wacom_Tablet.dat";
    if (qEnvironmentVariableIntValue("NIB_TABLET_SERVICE") == 1) {
        ASSERT_FALSE(binary.isEmpty()) << "WTabletServicePro is not registered";
    }
    if (binary.isEmpty()) {
        EXPECT_EQ(DetectServiceIndex(config), QFileInfo(probe).isFile() ? 0 : 1);
        return;
    }
    EXPECT_EQ(binary.compare(probe, Qt::CaseInsensitive), 0) << binary.toStdString();
    ASSERT_TRUE(QFileInfo(binary).isFile()) << binary.toStdString();
    EXPECT_EQ(DetectServiceIndex(config), 0);
    EXPECT_EQ(DetectServiceIndex("C:\\Users\\u\\AppData\\Roaming\\WTablet\\Pen_Tablet.dat"), 3);
#endif
}

} // namespace
