#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"

#include "support/ReadOnlyFolder.h"
#include "support/TestEnv.h"
#include "system/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace {

const QByteArray XmlBytes =
    "<?xml version=\"1.0\"?>\r\n<root>\r\n <TransducerTipButtonSettings>"
    "<ButtonName>Tip</ButtonName><PressureResolution>1023</PressureResolution>"
    "<PressureCurveControlPoint>0 0 1 1 2 2</PressureCurveControlPoint>"
    "<UpperPressureThreshold>9</UpperPressureThreshold>"
    "<LowerPressureThreshold>1</LowerPressureThreshold></TransducerTipButtonSettings>\r\n</root>";
const QByteArray TextBytes =
    "x\r\nButtonName Tip\r\nPressureResolution 1023\r\nPressureCurveControlPoint 0 0 1 1 2 2\r\n"
    "UpperPressureThreshold 9\r\nLowerPressureThreshold 1\r\n";

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TFileHandler::SetClock([this] { return Now; });
    }
    void TearDown() override {
        TFileHandler::SetClock(nullptr);
        SetWriteFaultHook(nullptr);
    }

    std::unique_ptr<TFileHandler> Open(const QString& name, const QByteArray& bytes) {
        const QString path = env.Write("AppData/WTablet/" + name, bytes);
        std::unique_ptr<TFileHandler> h;
        if (bytes.startsWith("<?xml"))
            h = std::make_unique<TXMLHandler>(path);
        else
            h = std::make_unique<TTextHandler>(path);
        h->SetMessenger([this](const QString& text) { Messages << text; });
        return h;
    }

    TestEnv env;
    QDateTime Now{QDate(2026, 12, 6), QTime(23, 14, 5)};
    QStringList Messages;
};


} // namespace

TEST_F(BackupTest, NamedPenTabletWithDateAndTimeWhateverTheFile) {
    auto xml = Open("Wacom_Tablet.dat", XmlBytes);
    xml->CreateDatedBackup();
    EXPECT_EQ(TestEnv::List(env.BackupDir()), QStringList{"Pen_Tablet_12-06-2026_23-14-05.bak"});
    // An unedited document's backup equals the file.
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05.bak"), XmlBytes);

    Now = QDateTime(QDate(2027, 1, 2), QTime(7, 8, 9));
    auto text = Open("ISD_Tablet.dat", TextBytes);
    text->CreateDatedBackup();
    EXPECT_TRUE(TestEnv::Exists(env.BackupDir() + "/Pen_Tablet_01-02-2027_07-08-09.bak"));
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/Pen_Tablet_01-02-2027_07-08-09.bak"), TextBytes);
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(BackupTest, BackupsWithinOneSecondAllSurvive) {
    auto h = Open("Pen_Tablet.dat", TextBytes);
    h->CreateDatedBackup();
    APen pens = h->GetPens();
    pens[0].UpperThreshold = 8;
    h->StorePens(pens);
    h->CreateDatedBackup();
    h->CreateDatedBackup();
    EXPECT_EQ(TestEnv::List(env.BackupDir()),
              (QStringList{"Pen_Tablet_12-06-2026_23-14-05.bak", "Pen_Tablet_12-06-2026_23-14-05_2.bak",
                           "Pen_Tablet_12-06-2026_23-14-05_3.bak"}));
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05.bak"), TextBytes);
    EXPECT_NE(TestEnv::Read(env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05_2.bak"), TextBytes);
    EXPECT_EQ(TFileHandler::DatedBackupPath(Now),
              QDir::toNativeSeparators(env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05_4.bak"));
}

TEST_F(BackupTest, NothingForAnInvalidHandlerOrWithoutAFolder) {
    auto invalid = Open("Wacom_Tablet.dat", "<?xml version=\"1.0\"?><root/>");
    invalid->CreateDatedBackup();
    EXPECT_FALSE(TestEnv::Exists(env.BackupDir()));

    // "Backup" is a file: the folder cannot be made, so no backup and no message.
    env.Write(env.BackupDir(), "not a folder");
    auto valid = Open("Pen_Tablet.dat", TextBytes);
    valid->CreateDatedBackup();
    EXPECT_EQ(TestEnv::Read(env.BackupDir()), QByteArray("not a folder"));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(BackupTest, FailedBackupIsReportedAndGoesNoFurther) {
    auto h = Open("Wacom_Tablet.dat", XmlBytes);
    SetWriteFaultHook([](const QString&, const QByteArray& bytes) { return bytes.size() / 2; });
    EXPECT_NO_THROW(h->CreateDatedBackup());
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(Messages, QStringList{"Unable to create backup: " +
                                    QDir::toNativeSeparators(env.BackupDir() + "/Pen_Tablet_12-06-2026_23-14-05.bak")});
    EXPECT_TRUE(TestEnv::List(env.BackupDir()).isEmpty()); // no half-written backup, no temporary left
}

TEST_F(BackupTest, FailedWritesLeaveTheTargetIntact) {
    for (const QByteArray& bytes : {XmlBytes, TextBytes}) {
        auto h = Open(bytes == XmlBytes ? "Wacom_Tablet.dat" : "Pen_Tablet.dat", bytes);
        ASSERT_TRUE(h->IsValid());
        APen pens = h->GetPens();
        pens[0].UpperThreshold = 500;
        h->StorePens(pens);
        const QString path = h->GetFileName();

        // The disk fills up in the middle of the write.
        SetWriteFaultHook([](const QString&, const QByteArray& b) { return b.size() - 1; });
        EXPECT_THROW(h->Save(), std::runtime_error);
        EXPECT_THROW(h->SaveAs(path), std::runtime_error);
        SetWriteFaultHook(nullptr);
        EXPECT_EQ(TestEnv::Read(path), bytes);

        // The target is a folder.
        const QString folder = env.Root() + "/a-folder";
        QDir().mkpath(folder);
        EXPECT_THROW(h->SaveAs(folder), std::runtime_error);
        EXPECT_TRUE(QFileInfo(folder).isDir());

        // The folder is not writable (where this process can be kept from writing it).
        if (ReadOnlyFolder readOnly(QFileInfo(path).absolutePath()); readOnly.Effective()) {
            EXPECT_THROW(h->Save(), std::runtime_error);
        }
        EXPECT_EQ(TestEnv::Read(path), bytes);
        EXPECT_EQ(TestEnv::List(QFileInfo(path).absolutePath()), QStringList{QFileInfo(path).fileName()});

        h->Save();
        EXPECT_NE(TestEnv::Read(path), bytes);
        QFile::remove(path);
    }
}
