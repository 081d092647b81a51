// The listing of the Backup folder: which entries count as backups, their order, what reading one tells, and
// what deleting may touch.

#include "data/BackupHistory.h"
#include "data/Data_fileClass.h"

#include "support/PreferenceFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

const PenTexts Tip{"Tip", "1023", "0 0 512 512 1023 1023", "1000", "20"};
const PenTexts Eraser{"Eraser", "2047", "1 2 3 4 5 6", "900", "10"};

QByteArray Xml(const QByteArray& pens) {
    return "<?xml version=\"1.0\"?>\r\n<root>\r\n" + pens + "</root>\r\n";
}
const QByteArray TwoPenXml = Xml(XmlPenElement("TransducerTipButtonSettings", Tip) +
                                 XmlPenElement("TransducerEraserSettings", Eraser));
const QByteArray OnePenText = "[Tablet]\r\n" + TextPenBlock(Tip);

class BackupHistoryTest : public ::testing::Test {
protected:
    QString Folder() const { return env.BackupDir(); }
    QString Put(const QString& name, const QByteArray& bytes = TwoPenXml) const {
        return env.Write(Folder() + "/" + name, bytes);
    }
    QStringList Names() const {
        QStringList names;
        for (const BackupEntry& e : ListBackups(Folder()))
            names << e.Name;
        return names;
    }
    BackupContents Read(const QString& name) const {
        for (const BackupEntry& e : ListBackups(Folder()))
            if (e.Name == name)
                return ReadBackup(Folder(), e);
        ADD_FAILURE() << name.toStdString() << " is not listed";
        return {};
    }

    TestEnv env;
};

} // namespace

TEST_F(BackupHistoryTest, NewestFirstByTheTimeInTheNameThenBySuffixWithTheBackupPointLast) {
    // Written in an order that neither the names' spelling nor the files' ages would sort right: across a
    // year's end, on the 24-hour clock, and with suffixes of one and two digits.
    for (const char* name :
         {"FirstRunBackup.bak", "Pen_Tablet_12-31-2025_23-59-59.bak", "Pen_Tablet_01-01-2026_00-00-00_10.bak",
          "Pen_Tablet_01-01-2026_00-00-00.bak", "Pen_Tablet_01-01-2026_00-00-00_2.bak",
          "Pen_Tablet_01-01-2026_13-00-00.bak", "Pen_Tablet_02-01-2025_09-00-00.bak"})
        Put(name);

    EXPECT_EQ(Names(),
              QStringList({"Pen_Tablet_01-01-2026_13-00-00.bak", "Pen_Tablet_01-01-2026_00-00-00_10.bak",
                           "Pen_Tablet_01-01-2026_00-00-00_2.bak", "Pen_Tablet_01-01-2026_00-00-00.bak",
                           "Pen_Tablet_12-31-2025_23-59-59.bak", "Pen_Tablet_02-01-2025_09-00-00.bak",
                           "FirstRunBackup.bak"}));

    const auto entries = ListBackups(Folder());
    EXPECT_EQ(entries[0].Date, QDate(2026, 1, 1));
    EXPECT_EQ(entries[0].Time, QTime(13, 0, 0));
    EXPECT_EQ(entries[1].Suffix, 10);
    EXPECT_EQ(entries[0].Size, TwoPenXml.size());
    EXPECT_TRUE(entries.back().BackupPoint);
}

TEST_F(BackupHistoryTest, OnlyBackupFilesOfTheFolderAreListed) {
    const QString kept = "Pen_Tablet_03-15-2026_14-05-09.bak";
    Put(kept);
    // Other files, and names that look like backups but hold no real date and time or spell it otherwise.
    for (const char* name : {"notes.txt", "Pen_Tablet.dat", "Pen_Tablet_13-15-2026_14-05-09.bak",
                             "Pen_Tablet_02-30-2026_14-05-09.bak", "Pen_Tablet_00-15-2026_14-05-09.bak",
                             "Pen_Tablet_03-15-2026_24-05-09.bak", "Pen_Tablet_03-15-2026_14-05-61.bak",
                             "Pen_Tablet_3-15-2026_14-05-09.bak", "Pen_Tablet_03-15-2026_14-05-09.BAK",
                             "pen_tablet_03-15-2026_14-05-09.bak", "Pen_Tablet_03-15-2026_14-05-09_0.bak",
                             "Pen_Tablet_03-15-2026_14-05-09_02.bak", "Pen_Tablet_03-15-2026_14-05-09_.bak",
                             "Pen_Tablet_03-15-2026_14-05-09_x.bak", "Pen_Tablet_03-15-2026_14-05-09.bak.tmp",
                             "Pen_Tablet_+3-15-2026_14-05-09.bak", "firstrunbackup.bak"})
        Put(name);
    // A folder named like a backup, with a backup inside it.
    ASSERT_TRUE(QDir().mkpath(Folder() + "/Pen_Tablet_03-16-2026_10-00-00.bak"));
    Put("Pen_Tablet_03-16-2026_10-00-00.bak/Pen_Tablet_03-16-2026_10-00-01.bak");
#ifdef _WIN32
    // Windows makes a link with QFile::link as a shortcut file, which is a plain file to everyone else, and
    // keeps its pipes out of the file system.
    EXPECT_EQ(Names(), QStringList{kept});
#else
    // Links that lead out of the folder, nowhere, or to a folder; a pipe that would block a reader.
    const QString outside = env.Write(env.Root() + "/secret.dat", TwoPenXml);
    ASSERT_TRUE(QFile::link(outside, Folder() + "/Pen_Tablet_03-17-2026_10-00-00.bak"));
    ASSERT_TRUE(
        QFile::link(env.Root() + "/../../etc/passwd", Folder() + "/Pen_Tablet_03-17-2026_10-00-01.bak"));
    ASSERT_TRUE(QFile::link(Folder() + "/gone.bak", Folder() + "/Pen_Tablet_03-17-2026_10-00-02.bak"));
    ASSERT_TRUE(QFile::link(Folder(), Folder() + "/Pen_Tablet_03-17-2026_10-00-03.bak"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Folder() + "/Pen_Tablet_03-17-2026_10-00-04.bak").constData(), 0600),
              0);
    // A link to a backup of the folder itself stays inside and is listed.
    ASSERT_TRUE(QFile::link(Folder() + "/" + kept, Folder() + "/Pen_Tablet_03-18-2026_10-00-00.bak"));

    EXPECT_EQ(Names(), QStringList({"Pen_Tablet_03-18-2026_10-00-00.bak", kept}));
#endif
    EXPECT_FALSE(FindBackup(Folder(), "Pen_Tablet_03-17-2026_10-00-00.bak"));
    EXPECT_FALSE(FindBackup(Folder(), "../secret.dat"));
    EXPECT_TRUE(FindBackup(Folder(), kept));
}

TEST_F(BackupHistoryTest, AMissingFolderOrAFileInItsPlaceListsNothing) {
    EXPECT_TRUE(ListBackups(Folder()).empty());
    env.Write(Folder(), "a file where the folder belongs");
    EXPECT_TRUE(ListBackups(Folder()).empty());
}

TEST_F(BackupHistoryTest, ReadingTellsFormatPensAndDamage) {
    Put("Pen_Tablet_03-15-2026_14-05-01.bak", TwoPenXml);
    Put("Pen_Tablet_03-15-2026_14-05-02.bak", OnePenText);
    Put("Pen_Tablet_03-15-2026_14-05-03.bak", Xml("<TransducerTipButtonSettings><ButtonName>Tip</ButtonName>"
                                                  "</TransducerTipButtonSettings>"));
    Put("Pen_Tablet_03-15-2026_14-05-04.bak", QByteArray("\x00\xff\x13 binary noise", 17));
    Put("Pen_Tablet_03-15-2026_14-05-05.bak", "");

    const BackupContents xml = Read("Pen_Tablet_03-15-2026_14-05-01.bak");
    EXPECT_FALSE(xml.Damaged);
    EXPECT_EQ(xml.Format, BackupFormat::Xml);
    ASSERT_EQ(xml.Pens.size(), 2u);
    EXPECT_EQ(xml.Pens[1].ButtonName, "Eraser");
    EXPECT_EQ(xml.Pens[1].P3X, 6);

    const BackupContents text = Read("Pen_Tablet_03-15-2026_14-05-02.bak");
    EXPECT_FALSE(text.Damaged);
    EXPECT_EQ(text.Format, BackupFormat::Text);
    EXPECT_EQ(text.Pens.size(), 1u);

    for (const char* name : {"Pen_Tablet_03-15-2026_14-05-03.bak", "Pen_Tablet_03-15-2026_14-05-04.bak",
                             "Pen_Tablet_03-15-2026_14-05-05.bak"}) {
        const BackupContents damaged = Read(name);
        EXPECT_TRUE(damaged.Damaged) << name;
        EXPECT_TRUE(damaged.Pens.empty()) << name;
    }
    EXPECT_EQ(Read("Pen_Tablet_03-15-2026_14-05-03.bak").Format, BackupFormat::Xml);
}

TEST_F(BackupHistoryTest, AFileTooLargeOrGoneSinceTheListingIsDamagedWithoutBeingRead) {
    const QString big = Put("Pen_Tablet_03-15-2026_14-05-01.bak", TwoPenXml);
    ASSERT_TRUE(QFile::resize(big, TFileHandler::MaxFileBytes + 1)); // sparse: costs no disk
    const QString gone = Put("Pen_Tablet_03-15-2026_14-05-02.bak");
    const QString swapped = Put("Pen_Tablet_03-15-2026_14-05-03.bak");
    const auto entries = ListBackups(Folder());
    ASSERT_EQ(entries.size(), 3u);

    ASSERT_TRUE(QFile::remove(gone));
    // Swapped for a link out of the folder after it was listed: still nothing outside is read.
    ASSERT_TRUE(QFile::remove(swapped));
#ifndef _WIN32 // a Windows shortcut file would be a file of the folder
    ASSERT_TRUE(QFile::link(env.Write(env.Root() + "/outside.dat", TwoPenXml), swapped));
#endif

    for (const BackupEntry& entry : entries) {
        const BackupContents contents = ReadBackup(Folder(), entry);
        EXPECT_TRUE(contents.Damaged) << entry.Name.toStdString();
        EXPECT_EQ(contents.Format, BackupFormat::Unknown) << entry.Name.toStdString();
    }
}

TEST_F(BackupHistoryTest, DeleteRemovesOnlyTheBackupFileItselfAndNothingOutsideTheFolder) {
    const QString kept = Put("Pen_Tablet_03-15-2026_14-05-09.bak");
    const QString removed = Put("Pen_Tablet_03-15-2026_14-05-10.bak");
    ASSERT_TRUE(QFile::link(kept, Folder() + "/Pen_Tablet_03-15-2026_14-05-11.bak"));
    auto entries = ListBackups(Folder());
    ASSERT_EQ(entries.size(), 3u);

    EXPECT_TRUE(DeleteBackup(Folder(), entries[0])); // the link: its target stays
    EXPECT_TRUE(DeleteBackup(Folder(), entries[1]));
    EXPECT_FALSE(TestEnv::Exists(removed));
    EXPECT_EQ(TestEnv::Read(kept), TwoPenXml);
    EXPECT_EQ(Names(), QStringList({"Pen_Tablet_03-15-2026_14-05-09.bak"}));

    // An entry that does not name a backup file of this folder deletes nothing.
    const QString other = Put("notes.txt");
    const QString outside = env.Write(env.Root() + "/Pen_Tablet_03-15-2026_14-05-09.bak", TwoPenXml);
    BackupEntry forged = entries[2];
    forged.Name = "notes.txt";
    forged.Path = other;
    EXPECT_FALSE(DeleteBackup(Folder(), forged));
    forged.Name = "../Pen_Tablet_03-15-2026_14-05-09.bak";
    forged.Path = outside;
    EXPECT_FALSE(DeleteBackup(Folder(), forged));
    EXPECT_TRUE(TestEnv::Exists(other));
    EXPECT_TRUE(TestEnv::Exists(outside));
    // Nor does a folder that took a listed backup's name.
    ASSERT_TRUE(QFile::remove(kept));
    ASSERT_TRUE(QDir().mkpath(kept));
    EXPECT_FALSE(DeleteBackup(Folder(), entries[2]));
    EXPECT_TRUE(QFileInfo(kept).isDir());
}

TEST_F(BackupHistoryTest, TheTimeIsShownInTheLocaleWithItsSeconds) {
    BackupEntry entry;
    entry.Date = QDate(2026, 3, 15);
    entry.Time = QTime(14, 5, 9);
    EXPECT_EQ(BackupTimeText(entry, QLocale(QLocale::German, QLocale::Germany)), "15.03.26 14:05:09");
    // Newer locale data puts a narrow no-break space before "PM".
    const QString us = BackupTimeText(entry, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(QString(us).replace(QChar(0x202F), u' '), "3/15/26 2:05:09 PM") << "no time zone either";
}
