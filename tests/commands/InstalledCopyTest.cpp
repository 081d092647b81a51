// Where the window keeps its settings and backups: beside the program for a portable copy, in the per-user
// data folder for an installed copy and for a copy whose folder cannot be written.

#include "support/WindowFixture.h"

#include "support/ReadOnlyFolder.h"
#include "system/BuildConfig.h"

#include <QCheckBox>
#include <QDir>
#include <QRegularExpression>

namespace {

using InstalledCopy = CommandTest;

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// The program folder's entries, less the installed marker's folder where the marker lies inside it
// (Windows: share\nibwright\installed beside the program).
QStringList ProgramFolderEntries(const QString& folder) {
    QStringList entries = Entries(folder);
    entries.removeAll(QString::fromUtf8(InstalledMarkerFromExecutable).section('/', 0, 0));
    return entries;
}

QStringList Lines(const QString& path) {
    return QString::fromLatin1(TestEnv::Read(path)).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
}

TEST_F(InstalledCopy, AReadOnlyProgramFolderKeepsSettingsAndBackupsInTheUserFolder) {
    ReadOnlyFolder readOnly(Env.AppDir());
    if (!readOnly.Effective())
        GTEST_SKIP() << "the program folder cannot be made read-only here";

    StartOnWacom(StandardXml());
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join('\n').toStdString();
    EXPECT_EQ(Bytes(Env.UserDataDir() + "Backup/FirstRunBackup.bak"), Str(StandardXml()));

    Answer(IDYES);
    Click("BtApply");
    EXPECT_EQ(Entries(Env.UserDataDir() + "Backup").filter("Pen_Tablet_").size(), 1);

    Click("CbLimitMp");
    Stop();
    EXPECT_TRUE(Lines(Env.UserDataDir() + "Nibwright.ini").contains("MiddlePoint Limiter=1"));
    EXPECT_TRUE(Prompter.Messages().filter("Unable").isEmpty())
        << Prompter.Messages().join('\n').toStdString();
    EXPECT_EQ(Entries(Env.AppDir()), QStringList());

    // The next start reads them back from there.
    Start();
    EXPECT_TRUE(Ctl<QCheckBox>("CbLimitMp")->isChecked());
}

// Run by root or an administrator the installed program's folder is writable: its files still go to the
// per-user folder, so that they neither land in the system's program folder nor split from a plain run's.
TEST_F(InstalledCopy, AMarkedCopyKeepsItsFilesInTheUserFolderWhoeverRunsIt) {
    Env.Write(Env.AppDir() + InstalledMarkerFromExecutable, "installed");

    StartOnWacom(StandardXml());
    Answer(IDYES);
    Click("BtApply");
    Click("CbLimitMp");
    Stop();

    EXPECT_EQ(Bytes(Env.UserDataDir() + "Backup/FirstRunBackup.bak"), Str(StandardXml()));
    EXPECT_EQ(Entries(Env.UserDataDir() + "Backup").filter("Pen_Tablet_").size(), 1);
    EXPECT_TRUE(Lines(Env.UserDataDir() + "Nibwright.ini").contains("MiddlePoint Limiter=1"));
    EXPECT_EQ(ProgramFolderEntries(Env.AppDir()), QStringList());
}

TEST_F(InstalledCopy, APortableCopyKeepsItsFilesBesideTheProgramEvenWhenReadOnly) {
    // Writable: beside the program, and the per-user folder stays untouched.
    StartOnWacom(StandardXml());
    Stop();
    EXPECT_TRUE(TestEnv::Exists(Env.BackupPoint()));
    EXPECT_TRUE(TestEnv::Exists(Env.SettingsFile()));
    EXPECT_FALSE(TestEnv::Exists(Env.UserDataDir()));

    // Made read-only once it holds its files: still beside the program, and a settings write that fails
    // there is reported as before rather than moved elsewhere.
    ReadOnlyFolder readOnly(Env.AppDir());
    if (!readOnly.Effective())
        GTEST_SKIP() << "the program folder cannot be made read-only here";
    Start();
    EXPECT_EQ(Status(), Env.WacomFile());
    Stop();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write to " + Env.SettingsFile()});
    EXPECT_FALSE(TestEnv::Exists(Env.UserDataDir()));
}

} // namespace
