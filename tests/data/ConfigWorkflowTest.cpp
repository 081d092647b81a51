// The file workflow the window and the command line share: opening, the write of edited pens and the restore
// of a backup file, each judged by its result and by the files on disk. The window tests check the same
// steps through the window's commands.

#include "data/ConfigWorkflow.h"
#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"

#include "support/PreferenceFiles.h"
#include "support/TestEnv.h"
#include "support/WriteFaults.h"

#include <gtest/gtest.h>

#include <QFile>

#include <memory>
#include <ostream>

void PrintTo(const UserReport& report, std::ostream* os) {
    static const char* const kinds[] = {"none", "message", "error"};
    *os << kinds[int(report.How)] << " \"" << report.Text.toStdString() << '"';
}

namespace {

PenTexts Tip(const char* curve) {
    return {"Tip", "1023", curve, "900", "30"};
}

QByteArray XmlFile(const char* curve) {
    return "<?xml version=\"1.0\"?>\r\n<root>\r\n" +
           XmlPenElement("TransducerTipButtonSettings", Tip(curve), " ", " ", "\r\n") + "</root>\r\n";
}

QByteArray TextFile(const char* curve) {
    return "[Tablet]\r\n" + TextPenBlock(Tip(curve));
}

const char* const Before = "10 0 400 600 1000 1023";
const char* const Restored = "0 0 512 512 1023 1023";

class ConfigWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TFileHandler::SetClock([] { return QDateTime(QDate(2026, 3, 15), QTime(14, 5, 9)); });
    }
    void TearDown() override {
        TFileHandler::SetClock(nullptr);
        SetWriteFaultHook(nullptr);
    }

    // Wacom_Tablet.dat with these bytes as the file in use; its handler reports into Messages.
    std::unique_ptr<TFileHandler> OpenInUse(const QByteArray& bytes) {
        std::unique_ptr<TFileHandler> handler;
        EXPECT_EQ(OpenConfig(env.Write(env.WacomFile(), bytes), handler,
                             [this](const QString& text) { Messages << text; }),
                  OpenStatus::Loaded);
        return handler;
    }

    TestEnv env;
    QStringList Messages;
};

} // namespace

// --- Opening -----------------------------------------------------------------------------------------------

TEST_F(ConfigWorkflowTest, OpenSaysWhatItFoundAndKeepsTheOldHandlerOnlyWhenNoFileIsThere) {
    std::unique_ptr<TFileHandler> handler;
    EXPECT_EQ(OpenConfig(env.Write("t.dat", TextFile(Before)), handler), OpenStatus::Loaded);
    EXPECT_NE(dynamic_cast<TTextHandler*>(handler.get()), nullptr);
    EXPECT_EQ(OpenConfig(env.Write("x.dat", XmlFile(Before)), handler), OpenStatus::Loaded);
    ASSERT_NE(dynamic_cast<TXMLHandler*>(handler.get()), nullptr);
    EXPECT_EQ(handler->GetPens().at(0).P2X, 600);

    const TFileHandler* const old = handler.get();
    for (const QString& missing : {env.Root() + "/absent.dat", env.Root(), QString()}) {
        EXPECT_EQ(OpenConfig(missing, handler), OpenStatus::Missing) << missing.toStdString();
        EXPECT_EQ(handler.get(), old);
    }
    EXPECT_EQ(FailedOpenText(OpenStatus::Missing, "x"), "Wacom Configuration File Not Found...");

    const QString empty = env.Write("WTablet/Empty_Tablet.dat", "[Tablet]\r\nButtonName Tip\r\n");
    EXPECT_EQ(OpenConfig(empty, handler), OpenStatus::Invalid);
    ASSERT_NE(handler, nullptr);
    EXPECT_FALSE(handler->IsValid());
    EXPECT_EQ(FailedOpenText(OpenStatus::Invalid, empty),
              "Empty_Tablet.dat configuration file is without necessary values -> Try to run Wacom "
              "Configuration first.");

    // A text file over the size limit cannot be read at all: no handler is left.
    const QString huge = env.Write("huge.dat", "x");
    ASSERT_TRUE(QFile::resize(huge, TFileHandler::MaxFileBytes + 1));
    EXPECT_EQ(OpenConfig(huge, handler), OpenStatus::Unreadable);
    EXPECT_EQ(handler, nullptr);
    EXPECT_EQ(FailedOpenText(OpenStatus::Unreadable, huge), "Wacom Configuration File Not Found...");
}

TEST_F(ConfigWorkflowTest, TheProbeTellsAUsableFileAndItsFormat) {
    EXPECT_EQ(ProbeConfig(env.Write("x.dat", XmlFile(Before))), ConfigFormat::Xml);
    EXPECT_EQ(ProbeConfig(env.Write("t.dat", TextFile(Before))), ConfigFormat::Text);
    EXPECT_EQ(ProbeConfig(env.Write("broken.dat", "<?xml version=\"1.0\"?><root><Transducer")),
              ConfigFormat::Unusable);
    EXPECT_EQ(ProbeConfig(env.Write("nopens.dat", "just notes\r\n")), ConfigFormat::Unusable);
    EXPECT_EQ(ProbeConfig(env.Root() + "/absent.dat"), ConfigFormat::Unusable);
    EXPECT_EQ(ProbeConfig(env.Root()), ConfigFormat::Unusable);
}

// --- Writing -----------------------------------------------------------------------------------------------

TEST_F(ConfigWorkflowTest, AFailedWriteIsReportedAndLeavesTheFileAsItWasAndTheNextOneWrites) {
    const QByteArray original = XmlFile(Before);
    auto handler = OpenInUse(original);
    APen pens = handler->GetPens();
    pens[0].P2X = 700;
    FailWritesTo(env.WacomFile());

    const WriteResult failed = WriteEditedPens(handler.get(), pens);

    EXPECT_FALSE(failed.Written);
    EXPECT_EQ(failed.Failure, "disk full");
    EXPECT_EQ(TestEnv::Read(env.WacomFile()), original);
    ASSERT_EQ(env.DatedBackups().size(), 1) << "the backup comes first";
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/" + env.DatedBackups()[0]), original);
    EXPECT_FALSE(WriteEditedPens(nullptr, pens).Written);

    SetWriteFaultHook(nullptr);
    EXPECT_TRUE(WriteEditedPens(handler.get(), pens).Written);
    EXPECT_EQ(MakeHandler(env.WacomFile(), true)->GetPens().at(0).P2X, 700);
}

// --- Restoring a backup file -------------------------------------------------------------------------------

TEST_F(ConfigWorkflowTest, ARestoreWritesAnyBackupFileOverTheFileInUseAfterADatedBackup) {
    for (const QByteArray& original : {XmlFile(Before), TextFile(Before)}) {
        const bool xml = original.startsWith("<?xml");
        auto handler = OpenInUse(original);
        const QString backup = env.Write("elsewhere/old.bak", xml ? XmlFile(Restored) : TextFile(Restored));
        const int backupsBefore = int(env.DatedBackups().size());
        int asked = 0;

        const RestoreResult result = RestoreBackup(handler.get(), backup, [&] { return ++asked > 0; });

        EXPECT_EQ(asked, 1);
        EXPECT_EQ(result.Outcome, RestoreOutcome::Restored);
        EXPECT_EQ(result.Report, UserReport{});
        EXPECT_TRUE(result.Restart);
        EXPECT_TRUE(result.Reload);
        EXPECT_EQ(TestEnv::Read(env.WacomFile()), TestEnv::Read(backup));
        ASSERT_EQ(env.DatedBackups().size(), backupsBefore + 1);
        EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/" + env.DatedBackups().last()), original);
        EXPECT_EQ(handler->GetFileName(), env.WacomFile());
    }
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(ConfigWorkflowTest, ARestoreThatIsRefusedChangesNothing) {
    const QByteArray original = XmlFile(Before);
    auto handler = OpenInUse(original);
    const QString good = env.Write("good.bak", XmlFile(Restored));
    const QString text = env.Write("text.bak", TextFile(Restored));
    const QString broken = env.Write("broken.bak", "<?xml version=\"1.0\"?>\r\n<root><TransducerTip");
    const UserReport noBackup = UserReport::Message("Unable to locate valid Backup file...");
    int asked = 0;
    const auto yes = [&] { return ++asked > 0; };

    struct Case {
        TFileHandler* Handler;
        QString Backup;
        std::function<bool()> Confirm;
        RestoreOutcome Outcome;
        UserReport Report;
        int Asked;
    } const cases[] = {
        {nullptr, good, yes, RestoreOutcome::NotFound, noBackup, 0},
        {handler.get(), env.Root() + "/absent.bak", yes, RestoreOutcome::NotFound, noBackup, 0},
        {handler.get(), good, [&] { return !++asked; }, RestoreOutcome::Declined, {}, 1},
        {handler.get(), text, yes, RestoreOutcome::FormatsDiffer,
         UserReport::Message("Different config versions : XML vs Non-XML"), 1},
        {handler.get(), broken, yes, RestoreOutcome::BackupInvalid, noBackup, 1},
    };
    for (const Case& c : cases) {
        asked = 0;
        const RestoreResult result = RestoreBackup(c.Handler, c.Backup, c.Confirm);
        EXPECT_EQ(result.Outcome, c.Outcome) << c.Backup.toStdString();
        EXPECT_EQ(result.Report, c.Report) << c.Backup.toStdString();
        EXPECT_EQ(asked, c.Asked) << c.Backup.toStdString();
        EXPECT_FALSE(result.Restart || result.Reload);
    }
    EXPECT_EQ(TestEnv::Read(env.WacomFile()), original);
    EXPECT_TRUE(env.DatedBackups().isEmpty());
    EXPECT_EQ(handler->GetPens().at(0).P2X, 600);

    // The file in use has gone.
    ASSERT_TRUE(QFile::remove(env.WacomFile()));
    EXPECT_EQ(RestoreBackup(handler.get(), good, yes).Outcome, RestoreOutcome::NotFound);
}

TEST_F(ConfigWorkflowTest, ARestoreWhoseWriteFailsShowsTheErrorAndReReadsTheFileInUse) {
    const QByteArray original = TextFile(Before);
    auto handler = OpenInUse(original);
    const QString backup = env.Write("old.bak", TextFile(Restored));
    FailWritesTo(env.WacomFile());

    const RestoreResult result = RestoreBackup(handler.get(), backup);

    EXPECT_EQ(result.Outcome, RestoreOutcome::Failed);
    EXPECT_EQ(result.Report, UserReport::Error("disk full"));
    EXPECT_FALSE(result.Restart || result.Reload);
    EXPECT_EQ(TestEnv::Read(env.WacomFile()), original);
    EXPECT_EQ(env.DatedBackups().size(), 1);

    // The handler holds the file in use again, not the backup: a later write keeps the file's own lines.
    SetWriteFaultHook(nullptr);
    ASSERT_TRUE(handler->IsValid());
    EXPECT_EQ(handler->GetPens().at(0).P2X, 600);
    ASSERT_TRUE(WriteEditedPens(handler.get(), handler->GetPens()).Written);
    EXPECT_EQ(TestEnv::Read(env.WacomFile()), original);
}

TEST_F(ConfigWorkflowTest, ABackupThatStopsReadingDuringTheRestoreIsRefusedAndTheFileInUseReadAgain) {
    const QByteArray original = XmlFile(Before);
    auto handler = OpenInUse(original);
    const QString backup = env.Write("old.bak", XmlFile(Restored));
    // The backup is damaged while the dated backup is written, after it was found usable.
    SetWriteFaultHook([backup](const QString&, const QByteArray& bytes) -> qint64 {
        QFile damaged(backup);
        if (damaged.open(QIODevice::WriteOnly | QIODevice::Truncate))
            damaged.write("<?xml version=\"1.0\"?>\r\n<root>");
        return bytes.size();
    });

    const RestoreResult result = RestoreBackup(handler.get(), backup);

    EXPECT_EQ(result.Outcome, RestoreOutcome::BackupInvalid);
    EXPECT_EQ(result.Report, UserReport::Message("Unable to locate valid Backup file..."));
    EXPECT_FALSE(result.Restart);
    EXPECT_TRUE(result.Reload);
    EXPECT_EQ(TestEnv::Read(env.WacomFile()), original);
    ASSERT_TRUE(handler->IsValid());
    EXPECT_EQ(handler->GetPens().at(0).P2X, 600);
}
