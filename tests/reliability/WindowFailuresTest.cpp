// The main window over failing disks and hostile files: Apply, Save, the backup points and the settings
// file report every failed write with their own text, never report a failure as success, and leave the
// driver's file byte-identical; hostile content reaches no control, no listing and no written file.

#include "Hostile.h"
#include "graph/DrawClass.h"
#include "support/Pens.h"
#include "support/Portable.h"
#include "support/WindowFixture.h"
#include "system/AtomicFile.h"
#include "system/Settings.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"
#include "ui/Form_Tablet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStorageInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

using namespace hostile;

namespace {

// The main window with the failing-disk hook cleared after each case, and Apply, Save, the restore and the
// backup point confirmed as the user would.
class WindowTest : public CommandTest {
protected:
    void TearDown() override {
        SetWriteFaultHook(nullptr);
        CommandTest::TearDown();
    }

    void Apply() {
        Answer(IDYES);
        TabletForm->BtApplyClick();
    }
    void Save() {
        Answer(IDYES);
        TabletForm->Save1Click();
    }
    void Restore() {
        Answer(IDYES);
        TabletForm->Replace1Click();
    }
    void CreateBackupPoint() {
        Answer(IDYES);
        TabletForm->ChangeFirstRunBackup1Click();
    }

    QStringList Errors() const {
        QStringList out;
        for (const auto& a : Prompter.OfKind("error"))
            out << a.Text;
        return out;
    }
};

// ---- failing disks, for the XML file Wacom_Tablet.dat and the text file Pen_Tablet.dat

class WindowDiskFailure : public WindowTest, public ::testing::WithParamInterface<Format> {
protected:
    void SetUp() override {
        Path = GetParam() == Format::Xml ? Env.WacomFile() : Env.PenFile();
        Before = TestEnv::Read(Env.Write(Path, Sample(GetParam())));
    }
    void ExpectUntouched(const char* after) {
        EXPECT_TRUE(TestEnv::Read(Path) == Before) << "the preference file changed after " << after;
    }
    // Apply, Save and the restore, each failing with its own report and leaving the file as it was. Save and
    // the restore start from an empty log; Apply sees what came before it.
    void ExpectApplyFails() {
        Apply();
        EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write new config..."});
        ExpectUntouched("Apply");
    }
    void ExpectSaveFails() {
        Prompter.Log.clear();
        Save();
        EXPECT_EQ(Prompter.Messages(), QStringList{"Save File Error..."});
        ExpectUntouched("Save");
    }
    void ExpectRestoreFails() {
        Prompter.Log.clear();
        Restore();
        EXPECT_EQ(Errors().size(), 1) << "the restore ends with the general error report";
        ExpectUntouched("the restore");
    }
    // The atomic writer fails every write to `target` half-way, as a disk that fills up.
    void FillDiskFor(const QString& target) {
        SetWriteFaultHook([target](const QString& path, const QByteArray& bytes) -> qint64 {
            return QFileInfo(path).absoluteFilePath() == QFileInfo(target).absoluteFilePath()
                       ? bytes.size() / 2
                       : bytes.size();
        });
    }
    QString Path;
    QByteArray Before;
};

TEST_P(WindowDiskFailure, AnUnwritableFolderFailsApplySaveAndRestoreVisibly) {
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    ASSERT_TRUE(TestEnv::Exists(Env.BackupPoint()));
    // The chosen service row, so that each restart that is started shows in the platform's record.
    TabletForm->CbService->setChecked(false);
    TabletForm->CbServiceClick();
    TabletForm->CBoxService->setCurrentIndex(0);
    ReadOnlyFolder readOnly(Env.WTablet());
    if (!readOnly.Effective())
        GTEST_SKIP() << "cannot make a folder unwritable here";

    ExpectApplyFails();
    EXPECT_EQ(Env.Fake().Starts.size(), 1u)
        << "Apply restarts the service whether or not the write succeeded";
    ExpectSaveFails();
    ExpectRestoreFails();
    EXPECT_FALSE(Prompter.Messages().contains("Backup Point Created..."));
    EXPECT_EQ(Env.Fake().Starts.size(), 1u) << "a failed restore restarts nothing";
}

TEST_P(WindowDiskFailure, ADiskFillingUpFailsApplySaveAndRestoreVisibly) {
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    FillDiskFor(Path);

    ExpectApplyFails();
    ExpectSaveFails();
    ExpectRestoreFails();
    EXPECT_EQ(TestEnv::List(Env.WTablet()), QStringList{QFileInfo(Path).fileName()}) << "a write left files";
}

TEST_P(WindowDiskFailure, AfterAFailedRestoreApplyWritesTheFileTheWindowShows) {
    // A backup point of another layout and other values than the preference file.
    const QByteArray other =
        GetParam() == Format::Xml
            ? XmlDocument("<Extra/>\r\n" + XmlPen(PlainPen("Tip", 2047)) + XmlPen(PlainPen("Eraser", 2047)))
            : "one\r\ntwo\r\nthree\r\n" + TextPenBlock(PlainPen("Tip", 2047)) +
                  TextPenBlock(PlainPen("Eraser", 2047));
    Env.Write(Env.BackupPoint(), other);
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    FillDiskFor(Path);
    Restore();
    ASSERT_EQ(Errors().size(), 1);
    ExpectUntouched("the failed restore");
    SetWriteFaultHook(nullptr);

    // The graph still shows the preference file's pens; applying them must write that file with them, not
    // the backup point's lines with the values put at the preference file's line numbers.
    Apply();
    EXPECT_FALSE(Prompter.Messages().contains("Unable to write new config..."));
    ExpectUntouched("Apply after the failed restore");
    if (TestEnv::Read(Path) != Before)
        ADD_FAILURE() << "written:\n" << TestEnv::Read(Path).toStdString();
}

TEST_P(WindowDiskFailure, ABackupPathThatIsAFileIsReportedAndNeverReplaced) {
    Env.Write(Env.BackupDir(), "not a folder");
    Start();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to create directory for backup: " + Env.BackupDir()});
    ASSERT_TRUE(TabletForm->IsConfigValid()) << "the load goes on";

    Prompter.Log.clear();
    Restore();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to locate valid Backup file..."});
    ExpectUntouched("the restore");

    Prompter.Log.clear();
    CreateBackupPoint();
    EXPECT_FALSE(Prompter.Messages().contains("Backup Point Created..."));
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_EQ(TestEnv::Read(Env.BackupDir()), QByteArray("not a folder"));
    ExpectUntouched("creating the backup point");
}

TEST_P(WindowDiskFailure, FailedBackupWritesAreReported) {
    FillDiskFor(Env.BackupPoint());
    Start();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write Backup Point: " + Env.BackupPoint()});
    EXPECT_TRUE(TabletForm->IsConfigValid()) << "the load goes on";
    EXPECT_FALSE(TestEnv::Exists(Env.BackupPoint()));

    // A dated backup that fails is reported; the write itself still goes through.
    SetWriteFaultHook([this](const QString& path, const QByteArray& bytes) -> qint64 {
        return path.startsWith(Env.BackupDir()) ? 0 : bytes.size();
    });
    Prompter.Log.clear();
    Save();
    ASSERT_EQ(Prompter.Messages().size(), 1);
    EXPECT_TRUE(Prompter.Messages()[0].startsWith("Unable to create backup: " + Env.BackupDir() +
                                                  QChar(PathDelim) + "Pen_Tablet_"));
    EXPECT_EQ(TestEnv::List(Env.BackupDir()), QStringList());
}

TEST_P(WindowDiskFailure, AFileBeyondTheSizeLimitEndsWithoutPens) {
    ASSERT_TRUE(QFile::resize(Path, qint64(300) * 1024 * 1024));
    const Cost cost = Measure([&] { Start(); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_LT(cost.PeakMegabytes, 128);
    EXPECT_FALSE(TabletForm->IsConfigValid());
    EXPECT_EQ(PenNames(), QStringList{"No File"});
    EXPECT_FALSE(TestEnv::Exists(Env.BackupPoint()));
}

INSTANTIATE_TEST_SUITE_P(Formats, WindowDiskFailure, ::testing::Values(Format::Text, Format::Xml),
                         FormatName);

// A real disk that is full: a small memory file system mounted on the driver's folder (needs root on
// Linux; Windows mounts no file system on a folder for a test, so there a write onto a file another program
// holds open stands for a write the disk refuses).
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : Folder(QFile::encodeName(folder)) {
        QDir().mkpath(folder);
#ifndef _WIN32
        Mounted = ::mount("tmpfs", Folder.constData(), "tmpfs", 0, "size=512k") == 0;
#endif
    }
    ~FullDisk() {
#ifndef _WIN32
        if (Mounted)
            ::umount2(Folder.constData(), MNT_DETACH);
#endif
    }
    bool Mounted = false;

    // Fills the file system up to `keepFree` bytes with a file of its own.
    void Fill(qint64 keepFree) {
        const qint64 free = QStorageInfo(QFile::decodeName(Folder)).bytesAvailable();
        QFile filler(QFile::decodeName(Folder) + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        ASSERT_EQ(filler.write(QByteArray(free - keepFree, 'f')), free - keepFree);
        filler.close();
    }

private:
    QByteArray Folder;
};

TEST_F(WindowTest, ARealFullDiskFailsApplyAndSaveAndKeepsTheFile) {
    FullDisk disk(Env.WTablet());
    if (!disk.Mounted)
        GTEST_SKIP() << "mounting a small file system needs root on Linux (on Windows: see "
                        "ApplyOntoAFileAnotherProgramHoldsOpen)";
    QByteArray pens;
    for (int i = 0; i < 400; ++i)
        pens += XmlPen(PlainPen("Pen" + QByteArray::number(i)));
    const QByteArray before = XmlDocument(pens);
    ASSERT_GT(before.size(), 64 * 1024);
    Env.Write(Env.WacomFile(), before);
    disk.Fill(16 * 1024);
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    Apply();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write new config..."});
    Prompter.Log.clear();
    Save();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Save File Error..."});
    EXPECT_TRUE(TestEnv::Read(Env.WacomFile()) == before);
    EXPECT_EQ(TestEnv::List(Env.WTablet()), (QStringList{"Wacom_Tablet.dat", "filler"}));
}

TEST_F(WindowTest, AnXmlFileReplacedByGarbageAfterLoadingIsNotOverwritten) {
    Env.Write(Env.WacomFile(), Sample(Format::Xml));
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    // Another program replaced the file since it was read with a document that no longer parses.
    const QByteArray garbage = "<?xml version=\"1.0\"?><root><TransducerTipButtonSettings>";
    Env.Write(Env.WacomFile(), garbage);
    Apply();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write new config..."});
    EXPECT_TRUE(TestEnv::Read(Env.WacomFile()) == garbage)
        << "storing into a document that no longer parses wrote over it";
}

TEST_F(WindowTest, AnUnwritableSettingsFileIsReportedAndKeepsItsBytes) {
    const QByteArray old = "[Nibwright]\r\nPoint Limiter=0\r\n";
    Env.Write(Env.SettingsFile(), old);
    Start();
    const QString settings = Env.SettingsFile();
    SetWriteFaultHook([settings](const QString& path, const QByteArray& bytes) -> qint64 {
        return path == settings ? bytes.size() - 1 : bytes.size();
    });
    Stop();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write to " + Env.SettingsFile()});
    EXPECT_TRUE(TestEnv::Read(Env.SettingsFile()) == old);
}

TEST_F(WindowTest, ASettingsPathThatIsAFolderIsReportedAndLeftAlone) {
    QDir().mkpath(Env.SettingsFile());
    Env.Write(Env.SettingsFile() + "/inside", "x");
    Start();
    Stop();
    EXPECT_EQ(Prompter.Messages(), QStringList{"Unable to write to " + Env.SettingsFile()});
    EXPECT_TRUE(QFileInfo(Env.SettingsFile()).isDir());
    EXPECT_EQ(TestEnv::Read(Env.SettingsFile() + "/inside"), QByteArray("x"));
}

// ---- hostile files through the window

TEST_F(WindowTest, ResolutionZeroAndMinusOneLoadDragEditAndApply) {
    for (Format f : {Format::Xml, Format::Text})
        for (int32_t r : {0, -1}) {
            SCOPED_TRACE(std::string(f == Format::Xml ? "XML" : "text") + ", R = " + std::to_string(r));
            const QByteArray rs = QByteArray::number(r);
            const QString path = f == Format::Xml ? Env.WacomFile() : Env.PenFile();
            QFile::remove(Env.WacomFile());
            QFile::remove(Env.PenFile());
            Env.Write(path, f == Format::Xml
                                ? XmlDocument(XmlPen({"Tip", rs, "0 0 512 512 1023 1023", "900", "20"}))
                                : "x\r\n" + TextPenBlock({"Tip", rs, "0 0 512 512 1023 1023", "900", "20"}));
            Prompter.Log.clear();
            Start();
            ASSERT_TRUE(TabletForm->IsConfigValid());
            EXPECT_EQ(PenNames().size(), 1);

            TabletForm->CbLimitT->setChecked(false);
            TabletForm->CbLimitTClick();
            for (const QPoint& p : TabletForm->GetGraph()->GetPoints())
                Drag(p, QPoint(260, 240));
            Drag(QPoint(GraphMargin - 7, TabletForm->GetGraph()->GetUpperThresholdY()), QPoint(5, 100));

            Prompter.Modals.push_back([](QDialog* d) {
                auto* edit = static_cast<TFormEdit*>(d);
                edit->P2X()->setText("700");
                edit->UT()->setText("-3");
                edit->OKButtonClick();
                return edit->result();
            });
            TabletForm->BtModifyValuesClick();
            Apply();
            EXPECT_FALSE(Prompter.Messages().contains("Unable to write new config..."));
            Stop();

            const auto back = Open(f, path);
            ASSERT_TRUE(back->IsValid());
            const Pen p = back->GetPens().at(0);
            EXPECT_EQ(p.PressureResolution, r);
            for (int32_t v : EditedValues(p)) {
                EXPECT_GE(v, std::min(0, r));
                EXPECT_LE(v, std::max(0, r)) << "the pen editor keeps every value on the pen's scale";
            }
        }
}

TEST_F(WindowTest, TenThousandPensLoadShowAndApplyInBoundedTime) {
    QByteArray pens;
    for (int i = 0; i < 10000; ++i)
        pens += XmlPen(PlainPen("Pen" + QByteArray::number(i)));
    Env.Write(Env.WacomFile(), XmlDocument(pens));
    const Cost start = Measure([&] { Start(); });
    EXPECT_LT(start.Seconds, FastSeconds);
    ASSERT_TRUE(TabletForm->IsConfigValid());
    EXPECT_EQ(PenNames().size(), 10000);
    EXPECT_EQ(TabletForm->ComboBox->currentIndex(), 9999);
    const Cost apply = Measure([&] {
        TabletForm->ComboBox->setCurrentIndex(5000);
        Apply();
    });
    EXPECT_LT(apply.Seconds, FastSeconds);
    EXPECT_FALSE(Prompter.Messages().contains("Unable to write new config..."));
}

TEST_F(WindowTest, AnExternalEntityNeverReachesTheWindowOrAWrittenFile) {
    const QByteArray secret = "SECRET-" + Noise(16, 7).toHex();
    const QString secretPath = Env.Write("secret.txt", secret);
    const QByteArray doctype =
        "<!DOCTYPE root [<!ENTITY xxe SYSTEM \"file://" + QFile::encodeName(secretPath) + "\">]>\r\n";
    Env.Write(Env.WacomFile(), XmlDocument(XmlPen(PlainPen("&xxe;")) + XmlPen(PlainPen("Tip")), doctype));
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    for (const QString& name : PenNames())
        EXPECT_FALSE(name.contains(QString::fromLatin1(secret)));
    Prompter.Modals.push_back([&](QDialog*) {
        EXPECT_FALSE(FormInfo->Memo()->toPlainText().contains(QString::fromLatin1(secret)));
        return 1;
    });
    TabletForm->BtGenerateinfoClick();
    Apply();
    CreateBackupPoint();
    Stop();
    EXPECT_EQ(TestEnv::Read(Env.WacomFile()).indexOf(secret), -1);
    for (const QString& name : TestEnv::List(Env.BackupDir()))
        EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/" + name).indexOf(secret), -1) << name.toStdString();
    EXPECT_EQ(TestEnv::Read(Env.SettingsFile()).indexOf(secret), -1);
}

// Another program holds the preference file open. POSIX systems always replace it. Windows never replaces
// it under a holder that forbids deleting it: Apply and Save report their failure and the file keeps its
// bytes. Under a holder that allows deleting, whether the name can be taken over while the holder keeps it
// open depends on the Windows version and its file system (wine refuses): either the write goes through
// without a word, or it is reported and the file is whole. The holder reads the bytes it opened either way.
TEST_P(WindowDiskFailure, ApplyOntoAFileAnotherProgramHoldsOpen) {
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    TabletForm->CbLimitMp->setChecked(false);
    Drag({250, 250}, {200, 300}); // the middle point, so that a write that goes through shows
    {
        HeldOpenFile held(Path, HeldOpenFile::NoReplacing);
        ASSERT_TRUE(held.IsOpen());
#ifdef _WIN32
        ExpectApplyFails();
        ExpectSaveFails();
#else
        Save();
        EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join('\n').toStdString();
        Env.Write(Path, Before);
#endif
        EXPECT_EQ(held.ReadAll(), Before);
    }
    HeldOpenFile held(Path, HeldOpenFile::Replacing);
    Prompter.Log.clear();
    Save();
#ifdef _WIN32
    if (TestEnv::Read(Path) == Before) {
        EXPECT_EQ(Prompter.Messages(), QStringList({"Save File Error..."}));
        EXPECT_EQ(held.ReadAll(), Before);
        return;
    }
#endif
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join('\n').toStdString();
    EXPECT_NE(TestEnv::Read(Path), Before);
    EXPECT_EQ(held.ReadAll(), Before);
}

// A text-format pen name in the Windows code page 1252 ("\xE9" is "é"): the pen list shows it, "Show Current
// Values" lists it, and Save writes it back unchanged.
TEST_F(WindowTest, ATextNameInTheCodePageIsShownListedAndWrittenBack) {
    const QByteArray name = "Stift \xE9";
    const QByteArray bytes = TextFile({"[Tablet]"}) + TextPenBlock(PlainPen(name));
    Env.Write(Env.PenFile(), bytes);
    Start();
    ASSERT_TRUE(TabletForm->IsConfigValid());
    const QString shown = QString::fromUtf8(" Stift \u00e9"); // with the blank after the keyword
    EXPECT_EQ(PenNames(), QStringList{shown});
    EXPECT_TRUE(ListingLines().contains("Pen internal name - " + shown)) << Listing().toStdString();
    Save();
    EXPECT_EQ(TestEnv::Read(Env.PenFile()), bytes);
}

TEST_F(WindowTest, SpecialFilesAtTheDefaultPathsMeanNoFileWithoutBlocking) {
    QDir().mkpath(Env.WacomFile()); // a folder
#ifdef _WIN32
    // Windows keeps pipes and devices out of the folders: the special files there are folders.
    QDir().mkpath(Env.PenFile());
    QDir().mkpath(Env.IsdFile());
#else
    ASSERT_EQ(::mkfifo(QFile::encodeName(Env.PenFile()).constData(), 0644), 0); // a pipe nobody writes to
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(Env.IsdFile()).constData()), 0);
#endif
    // Should anything open the pipe, this unblocks it after a while; the test then fails on the time taken.
    std::atomic<bool> done{false};
    std::thread unblock([&] {
        for (int i = 0; i < 100 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
#ifndef _WIN32
        if (!done) {
            const int fd = ::open(QFile::encodeName(Env.PenFile()).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
#endif
    });
    const Cost cost = Measure([&] { Start(); });
    done = true;
    unblock.join();
    EXPECT_LT(cost.Seconds, 4.0);
    EXPECT_FALSE(TabletForm->IsConfigValid());
    EXPECT_EQ(PenNames(), QStringList{"No File"});
}

TEST_F(WindowTest, AHostileSettingsFileIsReadQuicklyAndRewrittenSoundly) {
    QByteArray noise = Noise(8 * 1024 * 1024, 9);
    noise += "\r\n[Nibwright]\r\nSelected Service=99999999999999\r\nPoint Limiter=\r\n";
    Env.Write(Env.SettingsFile(), noise);
    const Cost cost = Measure([&] { Start(); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_LT(cost.PeakMegabytes, 64 + 8 * MegabytesPerInputMegabyte);
    EXPECT_EQ(TabletForm->CBoxService->currentIndex(), -1);
    TabletForm->CbLimitMp->setChecked(true);
    Stop();
    const TIniFile back(Env.SettingsFile());
    EXPECT_EQ(back.ReadInteger("Nibwright", "Selected Service", 5), -1);
    EXPECT_TRUE(back.ReadBool("Nibwright", "MiddlePoint Limiter", false));
    EXPECT_TRUE(back.ReadBool("Nibwright", "Point Limiter", false));
}

} // namespace
