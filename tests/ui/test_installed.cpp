// Where the window keeps its settings and backups: beside the program for a portable copy, in the per-user
// data folder for an installed copy whose folder cannot be written.

#include "UiFixture.h"

#include "support/ReadOnlyFolder.h"

#include <QCheckBox>
#include <QDir>

namespace {

using InstalledCopyTest = MainWindowTest;

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(InstalledCopyTest, AReadOnlyProgramFolderKeepsSettingsAndBackupsInTheUserFolder) {
    const QByteArray file = XmlConfig({TipPen});
    WriteDefault(0, file);
    ReadOnlyFolder readOnly(Env.AppDir());
    if (!readOnly.Effective())
        GTEST_SKIP() << "the program folder cannot be made read-only here";

    Start();
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join('\n').toStdString();
    EXPECT_EQ(TestEnv::Read(Env.UserDataDir() + "Backup/FirstRunBackup.bak"), file);

    Prompter.Answers.push_back(IDYES);
    W().BtApplyClick();
    EXPECT_EQ(Entries(Env.UserDataDir() + "Backup").filter("Pen_Tablet_").size(), 1);

    W().CbLimitMp->click();
    Stop();
    EXPECT_TRUE(FileLines(Env.UserDataDir() + "Nibwright.ini").contains("MiddlePoint Limiter=1"));
    EXPECT_TRUE(Prompter.Messages().filter("Unable").isEmpty())
        << Prompter.Messages().join('\n').toStdString();
    EXPECT_TRUE(Entries(Env.AppDir()).isEmpty()) << Entries(Env.AppDir()).join(' ').toStdString();

    // The next start reads them back from there.
    Start();
    EXPECT_TRUE(W().CbLimitMp->isChecked());
}

TEST_F(InstalledCopyTest, APortableCopyKeepsItsFilesBesideTheProgramEvenWhenReadOnly) {
    // Writable: beside the program, and the per-user folder stays untouched.
    StartOnDefault(0, XmlConfig({TipPen}));
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
    EXPECT_EQ(W().StatusText(), Env.WacomFile());
    Stop();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write to " + Env.SettingsFile()});
    EXPECT_FALSE(TestEnv::Exists(Env.UserDataDir()));
}

} // namespace
