#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <stdexcept>

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
    fake.ExePath = (AppDir() + "nibwright").toStdString();
    // Also for code that reads the real environment (child processes such as the command-line tool).
    ::setenv("APPDATA", AppData().toLocal8Bit().constData(), 1);
    ::setenv("ProgramFiles", ProgramFiles().toLocal8Bit().constData(), 1);
    // The per-user folders of QStandardPaths, for this process and its children.
    OldDataHome = qgetenv("XDG_DATA_HOME");
    ::setenv("XDG_DATA_HOME", (Root() + "/UserData").toLocal8Bit().constData(), 1);
    QCoreApplication::setApplicationName(QStringLiteral("Nibwright"));
}

TestEnv::~TestEnv() {
    ::unsetenv("APPDATA");
    ::unsetenv("ProgramFiles");
    if (OldDataHome.isEmpty())
        ::unsetenv("XDG_DATA_HOME");
    else
        ::setenv("XDG_DATA_HOME", OldDataHome.constData(), 1);
}

QString TestEnv::Root() const {
    return Dir.path();
}
QString TestEnv::AppData() const {
    return Root() + "/AppData";
}
QString TestEnv::ProgramFiles() const {
    return Root() + "/ProgramFiles";
}
QString TestEnv::AppDir() const {
    return Root() + "/app/";
}
QString TestEnv::UserDataDir() const {
    return Root() + "/UserData/Nibwright/";
}
QString TestEnv::WTablet() const {
    return AppData() + "/WTablet";
}
QString TestEnv::BackupDir() const {
    return AppDir() + "Backup";
}
QString TestEnv::WacomFile() const {
    return WTablet() + "/Wacom_Tablet.dat";
}
QString TestEnv::PenFile() const {
    return WTablet() + "/Pen_Tablet.dat";
}
QString TestEnv::IsdFile() const {
    return WTablet() + "/ISD_Tablet.dat";
}
QString TestEnv::BackupPoint() const {
    return BackupDir() + "/FirstRunBackup.bak";
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
    const QString full = QFileInfo(path).isAbsolute() ? path : Root() + "/" + path;
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
