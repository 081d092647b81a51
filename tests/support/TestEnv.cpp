#include "support/TestEnv.h"

#include "system/functions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <stdexcept>

namespace {
// The variables of the real environment that point into the fixture's folder.
#ifdef _WIN32
const char* const EnvNames[] = {"APPDATA", "ProgramFiles", "ProgramW6432"};
#else
const char* const EnvNames[] = {"APPDATA", "ProgramFiles"};
#endif
} // namespace

TestEnv::TestEnv() {
    if (!Dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    QDir(Root()).mkpath("AppData");
    QDir(Root()).mkpath("ProgramFiles");
    QDir(Root()).mkpath("app");
    QDir(Root()).mkpath("UserData");
    auto& fake = Platform.Fake;
    fake.Env["APPDATA"] = AppData().toStdString();
    fake.Env["ProgramFiles"] = ProgramFiles().toStdString();
#ifdef _WIN32
    fake.ExePath = (AppDir() + "nibwright.exe").toStdString();
#else
    fake.ExePath = (AppDir() + "nibwright").toStdString();
#endif
    // Also for code that reads the real environment (child processes such as the command-line tool).
    // Windows sets them for every process: they are put back afterwards.
    for (const char* name : EnvNames)
        if (qEnvironmentVariableIsSet(name))
            OldValues.insert(name, qgetenv(name));
    qputenv("APPDATA", AppData().toLocal8Bit());
    qputenv("ProgramFiles", ProgramFiles().toLocal8Bit());
#ifdef _WIN32
    // A 64-bit child under wine takes ProgramFiles from ProgramW6432 rather than from its parent.
    qputenv("ProgramW6432", ProgramFiles().toLocal8Bit());
#endif
    // The per-user folders of QStandardPaths, for this process and its children.
    OldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (Root() + "/UserData").toLocal8Bit());
    QCoreApplication::setApplicationName(QStringLiteral("Nibwright"));
#ifdef _WIN32
    // Windows gives the per-user folder from the user's profile, not from the environment: the fixtures use
    // Qt's test folder there, one per test program running (...\qttest\test-PID\Nibwright), each
    // fixture starting with it empty.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("test-%1").arg(QCoreApplication::applicationPid()));
    ClearUserData();
#endif
}

void TestEnv::ClearUserData() const {
#ifdef _WIN32
    if (UserDataDir().contains(QLatin1String("\\qttest\\")))
        QDir(UserDataDir()).removeRecursively();
#endif
}

TestEnv::~TestEnv() {
    ClearUserData();
    for (const char* name : EnvNames) {
        if (OldValues.contains(name))
            qputenv(name, OldValues.value(name));
        else
            qunsetenv(name);
    }
    if (OldDataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", OldDataHome);
}

// The paths in the form the system hands them to the program ("C:\\Users\\...\\AppData" on Windows), since
// the program cuts and matches them at the native delimiter.
namespace {
const QString D(QChar::fromLatin1(PathDelim));
}

QString TestEnv::Root() const {
    return QDir::toNativeSeparators(Dir.path());
}
QString TestEnv::AppData() const {
    return Root() + D + "AppData";
}
QString TestEnv::ProgramFiles() const {
    return Root() + D + "ProgramFiles";
}
QString TestEnv::AppDir() const {
    return Root() + D + "app" + D;
}
QString TestEnv::UserDataDir() const {
#ifdef _WIN32
    // Windows gives the per-user folder from the user's profile, not from the environment.
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + D;
#else
    return Root() + "/UserData/Nibwright/";
#endif
}
QString TestEnv::WTablet() const {
    return AppData() + D + "WTablet";
}
QString TestEnv::BackupDir() const {
    return AppDir() + "Backup";
}
QString TestEnv::WacomFile() const {
    return WTablet() + D + "Wacom_Tablet.dat";
}
QString TestEnv::PenFile() const {
    return WTablet() + D + "Pen_Tablet.dat";
}
QString TestEnv::IsdFile() const {
    return WTablet() + D + "ISD_Tablet.dat";
}
QString TestEnv::BackupPoint() const {
    return BackupDir() + D + "FirstRunBackup.bak";
}
QString TestEnv::SettingsFile() const {
    return AppDir() + "Nibwright.ini";
}

QStringList TestEnv::DatedBackups() const {
    QStringList out;
    for (const QString& name : List(BackupDir()))
        if (name.startsWith("Pen_Tablet_"))
            out << name;
    return out;
}

QString TestEnv::Write(const QString& path, const QByteArray& bytes) const {
    const QString full = QDir::toNativeSeparators(QFileInfo(path).isAbsolute() ? path : Root() + "/" + path);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write fixture " + full.toStdString());
    return full;
}

QByteArray TestEnv::Read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool TestEnv::Exists(const QString& path) {
    return QFileInfo::exists(path);
}

QStringList TestEnv::List(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

QString SourceDir() {
    const char* dir = std::getenv("NIB_SOURCE_DIR");
    return dir ? QString::fromLocal8Bit(dir) : QString(".");
}

std::string RestartLine(const char* service) {
    return std::string("/c net stop \"") + service + "\" & net start \"" + service + "\" & pause";
}
