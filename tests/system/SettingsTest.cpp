// The settings file: reading values with their defaults, and writing without losing what else is in it.
#include "system/Settings.h"
#include "support/Portable.h"
#include "support/TestEnv.h"
#include "system/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

constexpr const char* Sec = "Nibwright";

int IntOf(const std::string& value, int def = -99) {
    return TIniFile::FromBytes("[Nibwright]\nv=" + value + "\n").ReadInteger(Sec, "v", def);
}

class IniTest : public ::testing::Test {
protected:
    QString Path() const { return Env.SettingsFile(); }
    TestEnv Env;
};

TEST_F(IniTest, MissingFileGivesEveryDefault) {
    TIniFile ini(Path());
    EXPECT_FALSE(ini.Exists());
    EXPECT_EQ(ini.FileName(), Path());
    EXPECT_TRUE(ini.ReadBool(Sec, "Point Limiter", true));
    EXPECT_FALSE(ini.ReadBool(Sec, "MiddlePoint Limiter", false));
    EXPECT_EQ(ini.ReadInteger(Sec, "Selected Service", -1), -1);
    EXPECT_FALSE(TestEnv::Exists(Path())); // reading never creates the file
}

TEST_F(IniTest, NamesCompareWithoutLetterCase) {
    Env.Write(Path(), "[NIBWRIGHT]\r\npoint limiter=0\r\nSELECTED SERVICE=4\r\n");
    TIniFile ini(Path());
    EXPECT_TRUE(ini.Exists());
    EXPECT_FALSE(ini.ReadBool(Sec, "Point Limiter", true));
    EXPECT_EQ(ini.ReadInteger(Sec, "Selected Service", -1), 4);
    EXPECT_EQ(ini.ReadInteger("Other", "Selected Service", -1), -1); // sections stay apart
}

TEST(IniValues, DecimalAndHexadecimalIntegers) {
    EXPECT_EQ(IntOf("7"), 7);
    EXPECT_EQ(IntOf("-1"), -1);
    EXPECT_EQ(IntOf("+3"), 3);
    EXPECT_EQ(IntOf("0x1F"), 31);
    EXPECT_EQ(IntOf("0X1f"), 31);
    EXPECT_EQ(IntOf("$10"), 16);
    EXPECT_EQ(IntOf("-$10"), -16);
    EXPECT_EQ(IntOf("007"), 7);
    EXPECT_EQ(IntOf("2147483647"), 2147483647);
    EXPECT_EQ(IntOf("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(IntOf("0x7FFFFFFF"), 2147483647);
    EXPECT_EQ(IntOf("  5  "), 5);
}

TEST(IniValues, AnythingButAWholeIntegerGivesTheDefault) {
    for (const char* text : {"12abc", "abc", "", "0x", "$", "-", "1.5", "1e3", "0x1G", "1 2", "--1", "0b1",
                             "2147483648", "-2147483649", "0x80000000", "99999999999999999999"})
        EXPECT_EQ(IntOf(text), -99) << '"' << text << '"';
}

TEST(IniValues, AnyNonZeroIntegerIsOn) {
    auto boolOf = [](const std::string& value, bool def) {
        return TIniFile::FromBytes("[Nibwright]\nAuto Service=" + value + "\n")
            .ReadBool(Sec, "Auto Service", def);
    };
    EXPECT_TRUE(boolOf("1", false));
    EXPECT_TRUE(boolOf("2", false));
    EXPECT_TRUE(boolOf("-1", false));
    EXPECT_TRUE(boolOf("0x10", false));
    EXPECT_FALSE(boolOf("0", true));
    EXPECT_FALSE(boolOf("$0", true));
    EXPECT_TRUE(boolOf("yes", true)); // not an integer: the default
    EXPECT_FALSE(boolOf("true", false));
}

TEST(IniValues, FirstOfDuplicateKeysIsRead) {
    const TIniFile ini = TIniFile::FromBytes("[Nibwright]\nSelected Service=2\nselected service=5\n");
    EXPECT_EQ(ini.ReadInteger(Sec, "Selected Service", -1), 2);
}

TEST_F(IniTest, WritesCreateTheFileAsKeyEqualsValue) {
    TIniFile ini(Path());
    ini.WriteBool(Sec, "Point Limiter", true);
    ini.WriteBool(Sec, "Threshold Limiter", true);
    ini.WriteBool(Sec, "MiddlePoint Limiter", false);
    ini.WriteBool(Sec, "Auto Service", true);
    ini.WriteInteger(Sec, "Selected Service", -1);
    const std::string bytes = TestEnv::Read(Path()).toStdString();
    EXPECT_NE(bytes.find("[Nibwright]"), std::string::npos);
    for (const char* line : {"Point Limiter=1", "Threshold Limiter=1", "MiddlePoint Limiter=0",
                             "Auto Service=1", "Selected Service=-1"})
        EXPECT_NE(bytes.find(line), std::string::npos) << line;
    // Written in the order given.
    EXPECT_LT(bytes.find("Point Limiter=1"), bytes.find("Selected Service=-1"));

    TIniFile again(Path());
    EXPECT_FALSE(again.ReadBool(Sec, "MiddlePoint Limiter", true));
    EXPECT_EQ(again.ReadInteger(Sec, "Selected Service", 3), -1);
}

TEST_F(IniTest, WritingKeepsOtherSectionsKeysAndComments) {
    Env.Write(Path(), "; kept comment\n[Window]\nLeft=10\n\n[nibwright]\nSelected Service=7\nExtra=x y\n");
    TIniFile ini(Path());
    ini.WriteInteger(Sec, "Selected Service", -1);
    ini.WriteBool(Sec, "Auto Service", false);

    const std::string bytes = TestEnv::Read(Path()).toStdString();
    EXPECT_NE(bytes.find("; kept comment"), std::string::npos);
    TIniFile again(Path());
    EXPECT_EQ(again.ReadInteger("Window", "Left", 0), 10);
    EXPECT_EQ(again.ReadString(Sec, "Extra", ""), "x y");
    EXPECT_EQ(again.ReadInteger(Sec, "Selected Service", 0), -1);
    EXPECT_FALSE(again.ReadBool(Sec, "Auto Service", true));
    // The key written in another letter case replaced the old one instead of adding a second.
    EXPECT_EQ(bytes.find("Selected Service=7"), std::string::npos);
    EXPECT_EQ(bytes.find("Selected Service"), bytes.rfind("Selected Service"));
}

TEST_F(IniTest, FailedWriteRaisesAndKeepsTheOldBytes) {
    const QByteArray old = "[Nibwright]\r\nAuto Service=1\r\n";
    Env.Write(Path(), old);
    TIniFile ini(Path());
    SetWriteFaultHook([](const QString&, const QByteArray&) -> qint64 { throw WriteError("disk full"); });
    EXPECT_THROW(ini.WriteBool(Sec, "Auto Service", false), std::runtime_error);
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(TestEnv::Read(Path()), old);
    // The object did not take the value either: what it holds still matches the file.
    EXPECT_TRUE(ini.ReadBool(Sec, "Auto Service", false));

    // A folder of the settings file's name, and a folder that does not exist, cannot be written.
    QDir(Env.AppDir()).mkpath("Folder.ini");
    TIniFile folder(Env.AppDir() + "Folder.ini");
    EXPECT_FALSE(folder.Exists());
    EXPECT_THROW(folder.WriteBool(Sec, "Auto Service", true), std::runtime_error);
    // A value with a line break would smuggle in keys of its own.
    EXPECT_THROW(ini.WriteString(Sec, "Auto Service", "0\nSelected Service=5"), std::runtime_error);
    EXPECT_EQ(TestEnv::Read(Path()), old);
    TIniFile nowhere(Env.Root() + "/missing/dir/Nibwright.ini");
    EXPECT_THROW(nowhere.WriteInteger(Sec, "Selected Service", 1), std::runtime_error);
}

TEST_F(IniTest, AnUpdateWritesTheFileOnceAndAFailedOneChangesNothing) {
    const QByteArray old = "[Other]\r\nkeep=1\r\n[Nibwright]\r\nAuto Service=1\r\n";
    Env.Write(Path(), old);
    TIniFile ini(Path());
    int writes = 0;
    SetWriteFaultHook([&](const QString&, const QByteArray& bytes) -> qint64 {
        ++writes;
        return bytes.size();
    });
    ini.Update([](TIniFile& keys) {
        keys.WriteBool(Sec, "Point Limiter", false);
        keys.WriteBool(Sec, "Auto Service", false);
        keys.WriteInteger(Sec, "Selected Service", 2);
    });
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(writes, 1);
    const QByteArray written = TestEnv::Read(Path());
    EXPECT_LT(written.indexOf("Point Limiter=0"), written.indexOf("Selected Service=2"));
    TIniFile again(Path());
    EXPECT_EQ(again.ReadInteger("Other", "keep", 0), 1);
    EXPECT_FALSE(again.ReadBool(Sec, "Auto Service", true));

    // A key that cannot be written, or the file's writing failing, leaves the file and the object as
    // they were before the update.
    EXPECT_THROW(ini.Update([](TIniFile& keys) {
        keys.WriteInteger(Sec, "Selected Service", 0);
        keys.WriteString(Sec, "Auto Service", "1\nPoint Limiter=1");
    }),
                 std::runtime_error);
    SetWriteFaultHook([](const QString&, const QByteArray&) -> qint64 { throw WriteError("disk full"); });
    EXPECT_THROW(ini.Update([](TIniFile& keys) { keys.WriteInteger(Sec, "Selected Service", 1); }),
                 std::runtime_error);
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(TestEnv::Read(Path()), written);
    EXPECT_EQ(ini.ReadInteger(Sec, "Selected Service", -1), 2);
    ini.WriteBool(Sec, "Auto Service", true); // writes one key at a time again
    EXPECT_TRUE(TIniFile(Path()).ReadBool(Sec, "Auto Service", false));
}

TEST_F(IniTest, UnreadableFileIsNotReplacedByAFileOfOnlyTheWrittenKeys) {
    const QByteArray old = "[Window]\nLeft=10\n[Nibwright]\nAuto Service=0\n";
    Env.Write(Path(), old);
    {
        UnreadableFile locked(Path());
        if (!locked.Effective())
            GTEST_SKIP() << "permissions do not stop the superuser";
        TIniFile ini(Path());
        EXPECT_TRUE(ini.Exists());
        EXPECT_TRUE(ini.ReadBool(Sec, "Auto Service", true)); // nothing could be read
        EXPECT_THROW(ini.WriteBool(Sec, "Auto Service", true), std::runtime_error);
    }
    EXPECT_EQ(TestEnv::Read(Path()), old);
}

TEST(IniMemory, ArbitraryBytesParseWithoutHarm) {
    const std::string junk("\0\xff[\n=\n[]\n==\n[Nibwright\nkey\n\xEF\xBB\xBF", 24);
    TIniFile ini = TIniFile::FromBytes(junk);
    EXPECT_EQ(ini.ReadInteger(Sec, "key", 4), 4);
    EXPECT_TRUE(ini.FileName().isEmpty());
    ini.WriteInteger(Sec, "Selected Service", 2); // only in memory
    EXPECT_EQ(TIniFile::FromBytes(ini.ToBytes()).ReadInteger(Sec, "Selected Service", -1), 2);
}

} // namespace
