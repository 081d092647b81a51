// The format test of a preference file and the program's own folder.
#include "system/functions.h"
#include "support/ReadOnlyFolder.h"
#include "support/Portable.h"
#include "support/TestEnv.h"
#include "system/BuildConfig.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

class XmlTest : public ::testing::Test {
protected:
    bool IsXml(const QByteArray& bytes) { return IsXmlFile(Env.Write("prefs.dat", bytes)); }
    TestEnv Env;
};

TEST_F(XmlTest, DeclarationInAnyLetterCaseIsXml) {
    // "<?xml" alone: exactly five characters, no line break.
    for (const char* text :
         {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root/>", "<?XmL version", "<?xml", "<?xmlfoo\n"})
        EXPECT_TRUE(IsXml(text)) << '"' << text << '"';
}

TEST_F(XmlTest, NothingIsSkippedBeforeTheDeclaration) {
    // The first one starts with a byte-order mark.
    for (const char* text : {"\xEF\xBB\xBF<?xml version=\"1.0\"?>", " <?xml version=\"1.0\"?>",
                             "\r\n<?xml version=\"1.0\"?>", "\n<?xml version=\"1.0\"?>"})
        EXPECT_FALSE(IsXml(text)) << '"' << text << '"';
}

TEST_F(XmlTest, ShortOrBrokenFirstLineIsText) {
    for (const char* text : {"<?X", "", "<?xm\nl version", "<?xm\rl version", "<?xmi version",
                             "PressureCurveControlPoint 0 0 512 512 1023 1023\r\n"})
        EXPECT_FALSE(IsXml(text)) << '"' << text << '"';
}

TEST_F(XmlTest, MissingPathOrFolderIsNoXml) {
    EXPECT_FALSE(IsXmlFile(Env.Root() + "/absent.dat"));
    EXPECT_FALSE(IsXmlFile(Env.AppData()));
    EXPECT_FALSE(IsXmlFile(QString()));
}

TEST_F(XmlTest, UnreadableFileRaises) {
    const QString path = Env.Write("locked.dat", "<?xml version");
    UnreadableFile locked(path);
    if (!locked.Effective())
        GTEST_SKIP() << "permissions do not stop the superuser";
    EXPECT_THROW(IsXmlFile(path), std::runtime_error);
}

TEST(AppFolderTest, CutsAfterTheLastDelimiterAndKeepsIt) {
    ScopedFakePlatform platform;
#ifdef _WIN32
    platform.Fake.ExePath = R"(C:\A\B\tool.exe)";
    EXPECT_EQ(AppFolder(), R"(C:\A\B\)");
    platform.Fake.ExePath = "C:tool.exe";
    EXPECT_EQ(AppFolder(), "C:");
#else
    platform.Fake.ExePath = "/opt/nib wright/bin/nibwright";
    EXPECT_EQ(AppFolder(), "/opt/nib wright/bin/");
    platform.Fake.ExePath = "/nibwright";
    EXPECT_EQ(AppFolder(), "/");
#endif
    platform.Fake.ExePath = "nibwright";
    EXPECT_EQ(AppFolder(), "");
    // Non-ASCII folder names come through intact.
    platform.Fake.ExePath = std::string("J\xC3\xB6rg") + PathDelim + "x";
    EXPECT_EQ(AppFolder(), QString::fromUtf8("J\xC3\xB6rg") + PathDelim);
}

TEST(AppFolderTest, TestEnvironmentPointsAtTheProgramFolder) {
    TestEnv env;
    EXPECT_EQ(AppFolder(), env.AppDir());
}

// A writable program folder, or one that already holds the settings or the Backup folder, is a portable
// copy's; any other's files go to the per-user data folder.
TEST(DataFolderTest, ReadOnlyProgramFolderWithoutOwnFilesUsesTheUserFolder) {
    TestEnv env;
    EXPECT_EQ(ChooseDataFolder(), env.AppDir());
    {
        ReadOnlyFolder readOnly(env.AppDir());
        if (!readOnly.Effective())
            GTEST_SKIP() << "the program folder cannot be made read-only here";
        EXPECT_EQ(ChooseDataFolder(), env.UserDataDir());
    }
    for (const char* own : {"Nibwright.ini", "Backup/FirstRunBackup.bak"}) {
        const QString path = env.Write(env.AppDir() + own, "x");
        {
            ReadOnlyFolder readOnly(env.AppDir());
            EXPECT_EQ(ChooseDataFolder(), env.AppDir()) << own;
        }
        QFile::remove(path);
        QDir(env.AppDir()).rmdir("Backup");
    }
    // A program folder that does not exist is no place to write either.
    env.Fake().ExePath = (env.Root() + "/gone/nibwright").toStdString();
    EXPECT_EQ(ChooseDataFolder(), env.UserDataDir());
}

// Wherever it could write (run by root or an administrator), and whatever earlier runs left beside it, a
// copy that the install step marked keeps its files in the per-user folder.
TEST(DataFolderTest, AnInstalledCopyAlwaysUsesTheUserFolder) {
    TestEnv env;
    env.Write(env.AppDir() + "Nibwright.ini", "x");
    env.Write(env.AppDir() + "Backup/FirstRunBackup.bak", "x");
    env.Write(env.AppDir() + InstalledMarkerFromExecutable, "installed");
    EXPECT_TRUE(IsInstalledCopy());
    EXPECT_EQ(DataFolder(), env.UserDataDir());
}

// Backups and settings never split between two folders in one run, whatever happens to the program folder.
TEST(DataFolderTest, TheFolderIsDecidedOncePerRun) {
    TestEnv env;
    EXPECT_EQ(DataFolder(), env.AppDir());
    env.Write(env.AppDir() + InstalledMarkerFromExecutable, "installed");
    EXPECT_EQ(ChooseDataFolder(), env.UserDataDir());
    EXPECT_EQ(DataFolder(), env.AppDir());
}

TEST(FileNamePartTest, TextAfterTheLastDelimiter) {
    const QString sep(PathDelim);
    EXPECT_EQ(FileNamePart("a" + sep + "WTablet" + sep + "Wacom_Tablet.dat"), "Wacom_Tablet.dat");
    EXPECT_EQ(FileNamePart("Pen_Tablet.dat"), "Pen_Tablet.dat");
    EXPECT_EQ(FileNamePart("dir" + sep), "");
}

} // namespace
