// What the operating system decides about the preference file: line ends, the 8-bit code page of the text
// generation, and replacing a file that another program holds open.

#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"
#include "support/Portable.h"
#include "support/PreferenceFiles.h"
#include "support/TestEnv.h"
#include "system/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

// A text-generation pen named in the Windows code page 1252: "é" is the one byte E9 there (UTF-8 would
// write it as C3 A9).
const QByteArray AccentName = "Stift \xE9";

APen Edited(APen pens) {
    for (Pen& p : pens) {
        p.P2X = 111;
        p.P2Y = 222;
    }
    return pens;
}

QStringList FolderFiles(const QString& file) {
    return QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

TEST(TextLineEnds, ASaveKeepsEveryLineEndedByCrLfWithNoBareOrDoubledCr) {
    TestEnv env;
    const QString path = env.Write(env.PenFile(), StandardText());
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    h.StorePens(Edited(h.GetPens()));
    h.Save();
    const QByteArray saved = TestEnv::Read(path);
    ASSERT_NE(saved, StandardText());
    EXPECT_EQ(saved.count("\r\n"), StandardText().count("\r\n"));
    EXPECT_EQ(saved.count('\n'), saved.count("\r\n")) << "a line ended by LF alone";
    EXPECT_FALSE(saved.contains("\r\r")) << "a CR doubled, as a text-mode write would";
}

TEST(TextCodePage, ANameInTheAnsiCodePageIsReadAndWrittenBackByteForByte) {
    TestEnv env;
    const QString path = env.Write(env.PenFile(), TextFile({"[Tablet]"}) + TextPenBlock(PlainPen(AccentName)));
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    ASSERT_EQ(h.GetPens().size(), 1u);
    EXPECT_EQ(h.GetPens()[0].ButtonName, " " + AccentName.toStdString()); // the blank after the keyword too
    h.StorePens(Edited(h.GetPens()));
    h.Save();
    const QByteArray saved = TestEnv::Read(path);
    EXPECT_TRUE(saved.contains("ButtonName " + AccentName + "\r\n"));
    EXPECT_FALSE(saved.contains("\xC3\xA9")) << "the name was converted to UTF-8";
    EXPECT_EQ(TTextHandler(path).GetPens()[0].ButtonName, " " + AccentName.toStdString());
}

// Another program holds the preference file open. Windows replaces a file only when its holder lets it be
// deleted; otherwise the write fails as a whole and the file keeps its bytes. POSIX systems always replace
// it. Either way the holder goes on reading the bytes it opened.
class HeldOpen : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        Path = GetParam() ? Env.Write(Env.WacomFile(), StandardXml()) : Env.Write(Env.PenFile(), StandardText());
        Before = TestEnv::Read(Path);
        if (GetParam())
            Handler = std::make_unique<TXMLHandler>(Path);
        else
            Handler = std::make_unique<TTextHandler>(Path);
        ASSERT_TRUE(Handler->IsValid());
        Handler->StorePens(Edited(Handler->GetPens()));
    }
    TestEnv Env;
    QString Path;
    QByteArray Before;
    std::unique_ptr<TFileHandler> Handler;
};

TEST_P(HeldOpen, AHolderThatForbidsReplacingFailsTheWriteOnWindowsOnly) {
    HeldOpenFile held(Path, HeldOpenFile::NoReplacing);
    ASSERT_TRUE(held.IsOpen());
#ifdef _WIN32
    EXPECT_THROW(Handler->Save(), WriteError);
    EXPECT_EQ(TestEnv::Read(Path), Before);
    EXPECT_EQ(FolderFiles(Path), QStringList{QFileInfo(Path).fileName()}) << "the failed write left files";
#else
    EXPECT_NO_THROW(Handler->Save());
    EXPECT_NE(TestEnv::Read(Path), Before);
#endif
    EXPECT_EQ(held.ReadAll(), Before);
}

TEST_P(HeldOpen, AHolderThatAllowsReplacingSeesTheOldBytesAndTheFileTheNew) {
    HeldOpenFile held(Path, HeldOpenFile::Replacing);
    ASSERT_TRUE(held.IsOpen());
    Handler->Save();
    const QByteArray after = TestEnv::Read(Path);
    EXPECT_NE(after, Before);
    EXPECT_EQ(held.ReadAll(), Before);
    EXPECT_EQ(FolderFiles(Path), QStringList{QFileInfo(Path).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Formats, HeldOpen, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Xml" : "Text"; });

} // namespace
