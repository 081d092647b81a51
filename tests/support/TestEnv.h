#pragma once
// A scratch world for one test: a temporary folder holding the application-data folder, the program-files
// folder, the program's own folder and the per-user data folder (XDG_DATA_HOME), with a recording platform
// that points at them. Nothing of the machine's own files is read or written.

#include "tests/support/Platform_fake.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <string>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QString Root() const;         // the temporary folder, without a trailing delimiter
    QString AppData() const;      // the value of APPDATA
    QString ProgramFiles() const; // the value of ProgramFiles
    QString AppDir() const;    // the program's folder, with the trailing delimiter (what AppFolder returns)
    QString WTablet() const;   // AppData + "/WTablet"
    QString BackupDir() const; // AppDir + "Backup"
    // Where an installed copy whose folder is not writable keeps its files: the per-user application data
    // folder, with the trailing delimiter.
    QString UserDataDir() const;
    // Empties the per-user folder where the fixture cannot point it elsewhere (Windows).
    void ClearUserData() const;

    // The default preference files of the three driver families, in WTablet.
    QString WacomFile() const;    // Wacom_Tablet.dat
    QString PenFile() const;      // Pen_Tablet.dat
    QString IsdFile() const;      // ISD_Tablet.dat
    QString BackupPoint() const;  // BackupDir + "/FirstRunBackup.bak"
    QString SettingsFile() const; // AppDir + "Nibwright.ini"
    // The dated backups in the backup folder (Pen_Tablet_*), sorted.
    QStringList DatedBackups() const;

    // Writes `bytes` to `path` (absolute, or relative to Root), creating folders; returns the absolute path.
    QString Write(const QString& path, const QByteArray& bytes) const;
    static QByteArray Read(const QString& path);
    static bool Exists(const QString& path);
    // The names of the files in a folder, sorted.
    static QStringList List(const QString& folder);

    FakePlatform& Fake() { return Platform.Fake; }

private:
    QTemporaryDir Dir;
    QByteArray OldDataHome;
    QMap<QByteArray, QByteArray> OldValues;
    ScopedFakePlatform Platform;
};

// The source tree (for examples/ and fixtures), from NIB_SOURCE_DIR.
QString SourceDir();

// The command line the restart of one service hands to cmd.exe, as the recording platform keeps it.
std::string RestartLine(const char* service);
