// Failing disks under the handlers and the settings file: a folder nobody may
// write to, a disk that fills up in the middle of a write, a process killed
// after writing and before the rename, and a file where the backup folder
// should be. Afterwards the target holds exactly its old bytes and the failure
// was raised or reported, never passed off as success.

#include "Hostile.h"
#include "support/Portable.h"
#include "support/TestEnv.h"
#include "system/AtomicFile.h"
#include "system/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <unistd.h>
#endif

using namespace hostile;

namespace {

// The pens with a visible edit, so that a write that went through would show.
APen Edited(APen pens) {
    for (Pen& p : pens) {
        p.P2X = 111;
        p.P2Y = 222;
        p.UpperThreshold = 999;
    }
    return pens;
}

// The file names in a folder other than `keep`: leftovers of a write.
QStringList Others(const QString& folder, const QStringList& keep) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& k : keep)
        names.removeAll(k);
    return names;
}

// ---- the child process that is killed between writing and renaming

constexpr const char* ChildTargetVar = "NIB_RELIABILITY_KILL_TARGET";
constexpr const char* ChildFormatVar = "NIB_RELIABILITY_KILL_FORMAT";

#ifdef _WIN32
// The writer's temporary file beside `target`: Windows has no unnamed files, so it is the one other file in
// the folder whose name begins with the target's.
QString TemporaryFile(const QString& target) {
    const QFileInfo info(target);
    for (const QString& name : QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name != info.fileName() && name.startsWith(info.fileName()))
            return info.absolutePath() + "/" + name;
    return QString();
}
#else
// The highest-numbered open descriptor that points into `folder` but not at
// `target`: the temporary file the atomic writer has just opened (named or
// unnamed).
int TemporaryFd(const std::string& folder, const std::string& target) {
    int best = -1;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (dirent* e = ::readdir(d)) {
            const int fd = std::atoi(e->d_name);
            char link[4096];
            const ssize_t n =
                ::readlink(("/proc/self/fd/" + std::string(e->d_name)).c_str(), link, sizeof link - 1);
            if (n <= 0)
                continue;
            const std::string to(link, size_t(n));
            if (to.rfind(folder + "/", 0) == 0 && to != target && fd > best)
                best = fd;
        }
        ::closedir(d);
    }
    return best;
}
#endif

// Runs in the re-started test program: stores edited pens and saves over the
// target; the write hook puts all new bytes into the temporary file and then
// kills the process before the rename can happen.
bool RunKilledChild() {
    const char* target = std::getenv(ChildTargetVar);
    if (!target)
        return false;
    const Format format = std::getenv(ChildFormatVar) && std::string(std::getenv(ChildFormatVar)) == "xml"
                              ? Format::Xml
                              : Format::Text;
    const QString path = QString::fromLocal8Bit(target);
    auto handler = Open(format, path);
    handler->StorePens(Edited(handler->GetPens()));
    SetWriteFaultHook([](const QString& p, const QByteArray& bytes) -> qint64 {
#ifdef _WIN32
        // The writer holds the file open with others allowed to write; the status a crashed process ends
        // with.
        QFile temporary(TemporaryFile(p));
        if (temporary.open(QIODevice::ReadWrite) && temporary.write(bytes) == bytes.size())
            temporary.flush();
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000409u);
#else
        const std::string file = QFileInfo(p).absoluteFilePath().toStdString();
        const int fd = TemporaryFd(QFileInfo(p).absolutePath().toStdString(), file);
        if (fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size()))
            ::fsync(fd);
        ::raise(SIGKILL);
#endif
        return bytes.size();
    });
    handler->SaveAs(path);
    std::_Exit(3); // not reached: the hook kills the process
}
// Started as the child, the program does its deed when the test environment is
// set up, which is after every static object of the program exists.
class KilledChildEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RunKilledChild(); }
};
[[maybe_unused]] const auto* const Registered =
    ::testing::AddGlobalTestEnvironment(new KilledChildEnvironment);

// The environment is set up only when some test is to run; the child is started with this one selected.
TEST(KilledChild, OnlyTheChildHasATarget) {
    EXPECT_EQ(std::getenv(ChildTargetVar), nullptr);
}

// ---- the tests

class DiskFailure : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override {
        Path = Env.Write("AppData/WTablet/Pen_Tablet.dat", Sample(GetParam()));
        Before = TestEnv::Read(Path);
        Handler = Open(GetParam(), Path);
        ASSERT_TRUE(Handler->IsValid());
        Handler->SetMessenger([this](const QString& text) { Messages << text; });
    }
    void TearDown() override { SetWriteFaultHook(nullptr); }

    // The preference file is byte-identical to before, and nothing else is left
    // in its folder.
    void ExpectUntouched() {
        EXPECT_TRUE(TestEnv::Read(Path) == Before) << "the preference file changed";
        EXPECT_EQ(Others(Env.WTablet(), {"Pen_Tablet.dat"}), QStringList()) << "a write left files behind";
    }

    TestEnv Env;
    QString Path;
    QByteArray Before;
    std::unique_ptr<TFileHandler> Handler;
    QStringList Messages;
};

TEST_P(DiskFailure, AFolderNobodyMayWriteToRaisesAndKeepsTheFile) {
    Handler->StorePens(Edited(Handler->GetPens()));
    ReadOnlyFolder readOnly(Env.WTablet());
    if (!readOnly.Effective())
        GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_THROW(Handler->SaveAs(Path), std::exception);
    EXPECT_THROW(Handler->Save(), std::exception);
    ExpectUntouched();
}

TEST_P(DiskFailure, ADiskFillingUpMidWriteRaisesAndKeepsTheFile) {
    int calls = 0;
    SetWriteFaultHook([&](const QString&, const QByteArray& bytes) -> qint64 {
        ++calls;
        return bytes.size() / 2;
    });
    Handler->StorePens(Edited(Handler->GetPens()));
    EXPECT_THROW(Handler->SaveAs(Path), WriteError);
    EXPECT_THROW(Handler->Save(), WriteError);
    EXPECT_EQ(calls, 2);
    ExpectUntouched();

    // The dated backup reports its failure and leaves no partial backup.
    Handler->CreateDatedBackup();
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith("Unable to create backup: " + Env.BackupDir() + QChar(PathDelim) +
                                       "Pen_Tablet_"));
    EXPECT_EQ(TestEnv::List(Env.BackupDir()), QStringList());
}

TEST_P(DiskFailure, AWriteErrorRaisedByTheDiskKeepsTheFile) {
    SetWriteFaultHook([](const QString& p, const QByteArray&) -> qint64 {
        throw WriteError("Cannot write " + p.toStdString() + ": Input/output error");
    });
    Handler->StorePens(Edited(Handler->GetPens()));
    EXPECT_THROW(Handler->SaveAs(Path), WriteError);
    ExpectUntouched();
}

TEST_P(DiskFailure, AProcessKilledBetweenWritingAndRenamingLeavesTheOldFile) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(ChildTargetVar, Path);
    env.insert(ChildFormatVar, GetParam() == Format::Xml ? "xml" : "text");
    // The sanitizer build must not report the deliberate kill as a failure.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    child.setProcessEnvironment(env);
    child.start(ThisProgram(), {"--gtest_filter=KilledChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().toStdString();

    EXPECT_TRUE(TestEnv::Read(Path) == Before) << "the preference file changed";
    // Whatever the dead writer left beside it, the file loads as before and can
    // be written again.
    auto again = Open(GetParam(), Path);
    ASSERT_TRUE(again->IsValid());
    EXPECT_EQ(again->GetPens(), Handler->GetPens());
    again->StorePens(Edited(again->GetPens()));
    again->Save();
    EXPECT_EQ(Open(GetParam(), Path)->GetPens().at(0).UpperThreshold, 999);
}

TEST_P(DiskFailure, ABackupPathThatIsAFileMeansNoBackupAndNoMessage) {
    Env.Write(Env.BackupDir(), "not a folder");
    Handler->CreateDatedBackup();
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(TestEnv::Read(Env.BackupDir()), QByteArray("not a folder"));
    EXPECT_THROW(Handler->SaveAs(Env.BackupPoint()), std::exception);
    EXPECT_TRUE(TestEnv::Read(Path) == Before);
}

INSTANTIATE_TEST_SUITE_P(Formats, DiskFailure, ::testing::Values(Format::Text, Format::Xml), FormatName);

// ---- the settings file

TEST(SettingsDiskFailure, AFailedWriteRaisesAndKeepsTheOldBytes) {
    TestEnv env;
    const QByteArray old = "[Nibwright]\r\nPoint Limiter=0\r\n[Other]\r\nkeep=1\r\n";
    const QString path = env.Write(env.SettingsFile(), old);
    {
        TIniFile ini(path);
        SetWriteFaultHook([](const QString&, const QByteArray& bytes) -> qint64 { return bytes.size() - 1; });
        EXPECT_THROW(ini.WriteBool("Nibwright", "Point Limiter", true), std::runtime_error);
        SetWriteFaultHook(nullptr);
        EXPECT_TRUE(TestEnv::Read(path) == old);
    }
    {
        TIniFile ini(path);
        ReadOnlyFolder readOnly(env.AppDir());
        if (readOnly.Effective()) {
            EXPECT_THROW(ini.WriteInteger("Nibwright", "Selected Service", 3), std::runtime_error);
            EXPECT_TRUE(TestEnv::Read(path) == old);
        }
    }
    EXPECT_EQ(Others(env.AppDir(), {"Nibwright.ini"}), QStringList());
}

} // namespace
