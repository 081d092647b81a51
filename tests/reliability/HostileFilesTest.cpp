// Hostile preference files: whatever the driver's file holds, a handler either
// loads it or reports it invalid, without crashing, within bounded time and
// memory, and never lets the content of another file leak into the pens or into
// anything written.

#include "Hostile.h"
#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"
#include "support/TestEnv.h"
#include "system/functions.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace hostile;

namespace {

// The name as the format reads it back (the text format keeps the blank after
// the keyword).
std::string NameOf(Format format, const std::string& name) {
    return format == Format::Xml ? name : " " + name;
}

class HostileFile : public ::testing::TestWithParam<Format> {
protected:
    Format F() const { return GetParam(); }
    QString Put(const QByteArray& bytes) { return Env.Write(Memory.path() + "/Pen_Tablet.dat", bytes); }

    // Loads the file, expecting no exception and a bounded cost.
    std::unique_ptr<TFileHandler> LoadBounded(const QString& path, double inputMegabytes) {
        std::unique_ptr<TFileHandler> h;
        const Cost cost = Measure([&] { EXPECT_NO_THROW(h = Open(F(), path)); });
        EXPECT_LT(cost.Seconds, FastSeconds);
        EXPECT_LT(cost.PeakMegabytes, 64 + inputMegabytes * MegabytesPerInputMegabyte);
        return h;
    }

    TestEnv Env;
    QTemporaryDir Memory{MemoryTempTemplate()};
};

TEST_P(HostileFile, EmptyFileIsInvalidWithoutPens) {
    auto h = Open(F(), Put(QByteArray()));
    EXPECT_FALSE(h->IsValid());
    EXPECT_TRUE(h->GetPens().empty());
}

TEST_P(HostileFile, BinaryNoiseIsReadWithoutHarm) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        QByteArray bytes = Noise(2 * 1024 * 1024, seed);
        if (F() == Format::Xml)
            bytes.prepend("<?xml version=\"1.0\"?>");
        auto h = LoadBounded(Put(bytes), 2);
        ASSERT_TRUE(h);
        EXPECT_FALSE(h->IsValid()) << "seed " << seed;
    }
}

TEST_P(HostileFile, NumbersAtTheLimitsLoadExactly) {
    auto h = Open(F(), Put(FileOf(F(), PenOf(F(), {"Tip", "2147483647", "-2147483648 2147483647 0 -0 +5 -1",
                                                   "2147483647", "-2147483648"}))));
    ASSERT_TRUE(h->IsValid());
    const Pen p = h->GetPens().at(0);
    EXPECT_EQ(p.PressureResolution, INT32_MAX);
    EXPECT_EQ(p.P1Y, INT32_MIN);
    EXPECT_EQ(p.P1X, INT32_MAX);
    EXPECT_EQ(p.P3Y, 5);
    EXPECT_EQ(p.P3X, -1);
    EXPECT_EQ(p.UpperThreshold, INT32_MAX);
    EXPECT_EQ(p.LowerThreshold, INT32_MIN);
}

TEST_P(HostileFile, NumbersBeyondTheLimitsMakeTheFileInvalid) {
    for (const QByteArray bad : {"2147483648", "-2147483649", "4294967296", "4294967295",
                                 "99999999999999999999999999999999", "-99999999999999999999999999999999"}) {
        SCOPED_TRACE(bad.constData());
        EXPECT_FALSE(Open(F(), Put(FileOf(F(), PenOf(F(), {"T", bad, "0 0 1 1 2 2", "1", "0"}))))->IsValid());
        EXPECT_FALSE(
            Open(F(), Put(FileOf(F(), PenOf(F(), {"T", "9", "0 0 1 1 2 " + bad, "1", "0"}))))->IsValid());
        EXPECT_FALSE(Open(F(), Put(FileOf(F(), PenOf(F(), {"T", "9", "0 0 1 1 2 2", bad, "0"}))))->IsValid());
        EXPECT_FALSE(Open(F(), Put(FileOf(F(), PenOf(F(), {"T", "9", "0 0 1 1 2 2", "1", bad}))))->IsValid());
    }
}

TEST_P(HostileFile, ValuesAtTheLimitsAreWrittenAndReadBack) {
    const QString path = Put(FileOf(F(), PenOf(F(), {"Tip", "1023", "0 0 1 1 2 2", "3", "4"})));
    auto h = Open(F(), path);
    ASSERT_TRUE(h->IsValid());
    APen pens = h->GetPens();
    pens[0].P1X = INT32_MIN;
    pens[0].P2Y = INT32_MAX;
    pens[0].UpperThreshold = INT32_MIN;
    pens[0].LowerThreshold = INT32_MAX;
    h->StorePens(pens);
    h->SaveAs(path);
    auto back = Open(F(), path);
    ASSERT_TRUE(back->IsValid());
    EXPECT_EQ(CurveText(back->GetPens()[0]), CurveText(pens[0]));
    EXPECT_EQ(back->GetPens()[0].UpperThreshold, INT32_MIN);
    EXPECT_EQ(back->GetPens()[0].LowerThreshold, INT32_MAX);
}

TEST_P(HostileFile, ResolutionZeroAndMinusOneLoadAsTheFileSays) {
    for (const QByteArray r : {"0", "-1"}) {
        auto h = Open(F(), Put(FileOf(F(), PenOf(F(), {"Tip", r, "0 0 512 512 1023 1023", "1000", "20"}))));
        ASSERT_TRUE(h->IsValid()) << r.constData();
        EXPECT_EQ(h->GetPens().at(0).PressureResolution, r.toInt());
    }
}

TEST_P(HostileFile, TenThousandPensLoadStoreAndSaveInBoundedTime) {
    QByteArray pens;
    for (int i = 0; i < 10000; ++i)
        pens += PenOf(F(), PlainPen("Pen" + QByteArray::number(i)));
    const QString path = Put(FileOf(F(), pens));
    auto h = LoadBounded(path, pens.size() / 1e6);
    ASSERT_TRUE(h && h->IsValid());
    APen read = h->GetPens();
    ASSERT_EQ(read.size(), 10000u);
    EXPECT_EQ(read[9999].ButtonName, NameOf(F(), "Pen9999"));
    for (size_t i = 0; i < read.size(); ++i)
        read[i].P2X = static_cast<int32_t>(i);
    const Cost cost = Measure([&] {
        h->StorePens(read);
        h->SaveAs(path);
    });
    EXPECT_LT(cost.Seconds, FastSeconds);
    auto back = Open(F(), path);
    ASSERT_EQ(back->GetPens().size(), 10000u);
    EXPECT_EQ(back->GetPens()[0].P2X, 0);
    EXPECT_EQ(back->GetPens()[4321].P2X, 4321);
    EXPECT_EQ(back->GetPens()[9999].P2X, 9999);
}

TEST_P(HostileFile, ASingleTwentyMegabyteLineIsReadInBoundedTime) {
    const QByteArray line(20 * 1024 * 1024, 'A');
    QByteArray bytes;
    if (F() == Format::Xml) // the whole document on one line, the long text in an
                            // element of its own
        bytes = XmlDocument("<Other>" + line + "</Other>" + XmlPen(PlainPen("Tip")).trimmed())
                    .replace("\r\n", "");
    else
        bytes = "TabletPreferences\r\n" + line + "\r\n" + TextPenBlock(PlainPen("Tip"));
    auto h = LoadBounded(Put(bytes), 20);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->IsValid());
    ASSERT_EQ(h->GetPens().size(), 1u);
    EXPECT_EQ(h->GetPens()[0].ButtonName, NameOf(F(), "Tip"));
}

TEST_P(HostileFile, AFileBeyondTheSizeLimitIsRefusedWithoutReadingIt) {
    // Sparse: the size says 300 MB, the disk holds a few bytes.
    const QString path = Put(FileOf(F(), PenOf(F(), PlainPen("Tip"))));
    ASSERT_TRUE(QFile::resize(path, qint64(300) * 1024 * 1024));
    std::unique_ptr<TFileHandler> h;
    const Cost cost = Measure([&] {
        try {
            h = Open(F(), path);
        } catch (const std::runtime_error&) {
            // the text format reports a file it cannot load by raising
        }
    });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_LT(cost.PeakMegabytes, 64);
    EXPECT_TRUE(!h || !h->IsValid());
}

INSTANTIATE_TEST_SUITE_P(Formats, HostileFile, ::testing::Values(Format::Text, Format::Xml), FormatName);

// ---- the text format

class HostileText : public ::testing::Test {
protected:
    QString Put(const QByteArray& bytes) { return Env.Write(Memory.path() + "/Pen_Tablet.dat", bytes); }
    TestEnv Env;
    QTemporaryDir Memory{MemoryTempTemplate()};
};

TEST_F(HostileText, NulBytesInsideLinesStayByteForByte) {
    const QByteArray bytes = QByteArray("ButtonName Ti\0p\r\n", 17) +
                             "PressureResolution 1023\r\nPressureCurveControlPoint 0 0 1 1 2 2\r\n"
                             "UpperPressureThreshold 3\r\nLowerPressureThreshold 4\r\n" +
                             QByteArray("x\0\0y\r\n", 6);
    const QString path = Put(bytes);
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.GetPens()[0].ButtonName, std::string(" Ti\0p", 5));
    h.SaveAs(path + ".out");
    EXPECT_EQ(TestEnv::Read(path + ".out"), bytes);
}

TEST_F(HostileText, ANulByteInsideANumberFailsTheConversion) {
    const QByteArray bytes = "ButtonName Tip\r\nPressureResolution 1023\r\n" +
                             QByteArray("PressureCurveControlPoint 0 0 1 1 2 2\0\r\n", 40) +
                             "UpperPressureThreshold 3\r\nLowerPressureThreshold 4\r\n";
    TTextHandler h(Put(bytes));
    EXPECT_FALSE(h.IsValid());
}

TEST_F(HostileText, AMillionShortLinesLoadStoreAndSaveInBoundedTime) {
    QByteArray bytes;
    bytes.reserve(6 * 1000 * 1000);
    for (int i = 0; i < 500000; ++i)
        bytes += "k\r\n";
    for (int i = 0; i < 500000; ++i) // each name line starts a block, which the next one drops
        bytes += "ButtonName n\n";
    bytes += TextPenBlock(PlainPen("Tip"));
    const QString path = Put(bytes);
    std::unique_ptr<TTextHandler> h;
    const Cost load = Measure([&] { h = std::make_unique<TTextHandler>(path); });
    EXPECT_LT(load.Seconds, FastSeconds);
    EXPECT_LT(load.PeakMegabytes,
              64 + 6 * MegabytesPerInputMegabyte * 4); // a million tiny strings
    ASSERT_TRUE(h->IsValid());
    ASSERT_EQ(h->GetPens().size(), 1u);
    EXPECT_EQ(h->GetPens()[0].CurveLineIndex, 1000002);

    APen pens = h->GetPens();
    pens[0].P2Y = 77;
    const Cost save = Measure([&] {
        h->StorePens(pens);
        h->Save();
    });
    EXPECT_LT(save.Seconds, FastSeconds);
    TTextHandler back(path);
    EXPECT_EQ(back.GetLines().size(), 1000005u);
    EXPECT_EQ(back.GetPens()[0].P2Y, 77);
}

TEST_F(HostileText, ATwentyMegabyteCurveLineFailsInBoundedTime) {
    QByteArray numbers;
    numbers.reserve(20 * 1024 * 1024);
    while (numbers.size() < 20 * 1024 * 1024)
        numbers += "1 ";
    const QByteArray bytes = "ButtonName Tip\r\nPressureResolution "
                             "1023\r\nPressureCurveControlPoint " +
                             numbers + "\r\nUpperPressureThreshold 3\r\nLowerPressureThreshold 4\r\n";
    std::unique_ptr<TTextHandler> h;
    const Cost cost = Measure([&] { h = std::make_unique<TTextHandler>(Put(bytes)); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_LT(cost.PeakMegabytes, 64 + 20 * MegabytesPerInputMegabyte);
    EXPECT_FALSE(h->IsValid());
}

// ---- the XML format

class HostileXml : public ::testing::Test {
protected:
    QString Put(const QByteArray& bytes) { return Env.Write(Memory.path() + "/Wacom_Tablet.dat", bytes); }
    TestEnv Env;
    QTemporaryDir Memory{MemoryTempTemplate()};
};

TEST_F(HostileXml, AFiftyMegabyteDocumentLoadsAndSavesUnchangedOutsideTheValues) {
    QByteArray filler;
    filler.reserve(51 * 1024 * 1024);
    while (filler.size() < 50 * 1024 * 1024)
        filler += "<Filler kind=\"x\">some text &amp; more</Filler><Empty/>\r\n";
    const QByteArray bytes = XmlDocument(XmlPen(PlainPen("Tip")) + filler + XmlPen(PlainPen("Eraser")));
    const QString path = Put(bytes);
    std::unique_ptr<TXMLHandler> h;
    const Cost load = Measure([&] { h = std::make_unique<TXMLHandler>(path); });
    EXPECT_LT(load.Seconds, FastSeconds);
    EXPECT_LT(load.PeakMegabytes, 64 + 50 * MegabytesPerInputMegabyte);
    ASSERT_TRUE(h->IsValid());
    ASSERT_EQ(h->GetPens().size(), 2u);

    APen pens = h->GetPens();
    pens[1].LowerThreshold = 21;
    const Cost save = Measure([&] {
        h->StorePens(pens);
        h->Save();
    });
    EXPECT_LT(save.Seconds, FastSeconds);
    QByteArray expected = bytes;
    const qsizetype at = expected.lastIndexOf("<LowerPressureThreshold>20<");
    ASSERT_GT(at, 0);
    expected.replace(at, 27, "<LowerPressureThreshold>21<");
    EXPECT_TRUE(TestEnv::Read(path) == expected) << "bytes outside the edited value changed";
}

TEST_F(HostileXml, NestingAHundredThousandLevelsDeepCostsNoStack) {
    const int depth = 100000;
    QByteArray deep;
    for (int i = 0; i < depth; ++i)
        deep += "<a>";
    deep += XmlPen(PlainPen("Deep")).trimmed();
    for (int i = 0; i < depth; ++i)
        deep += "</a>";
    const QString path = Put(XmlDocument(deep));
    std::unique_ptr<TXMLHandler> h;
    const Cost cost = Measure([&] { h = std::make_unique<TXMLHandler>(path); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    ASSERT_TRUE(h->IsValid());
    ASSERT_EQ(h->GetPens().size(), 1u);
    EXPECT_EQ(h->GetPens()[0].ButtonName, "Deep");
    APen pens = h->GetPens();
    pens[0].UpperThreshold = 999;
    h->StorePens(pens);
    h->Save();
    EXPECT_EQ(TXMLHandler(path).GetPens().at(0).UpperThreshold, 999);

    // The same depth left open: not well-formed.
    QByteArray open;
    for (int i = 0; i < depth; ++i)
        open += "<a>";
    EXPECT_FALSE(TXMLHandler(Put(XmlDocument(open + XmlPen(PlainPen("Open"))))).IsValid());
    // A pen element nested in a hundred thousand pen elements.
    QByteArray pensDeep;
    for (int i = 0; i < depth; ++i)
        pensDeep += "<TransducerEraserSettings>";
    for (int i = 0; i < depth; ++i)
        pensDeep += "</TransducerEraserSettings>";
    TXMLHandler nested(Put(XmlDocument(pensDeep)));
    EXPECT_FALSE(nested.IsValid()); // the first has no ButtonName
}

// Pen elements are tried whole up to the first end tag of their name within reach, and scanned where that
// fails. Hundreds of thousands of pens that cannot be tried whole (empty ones without any end tag, and
// readable ones whose first end tag stands in a comment) must load in time linear in the size.
TEST_F(HostileXml, PenElementsThatCannotBeTriedWholeCostLinearTime) {
    QByteArray empty;
    for (int i = 0; i < 300000; ++i)
        empty += "<TransducerTipButtonSettings/>";
    const QString emptyPath = Put(XmlDocument(empty));
    Cost cost = Measure([&] { EXPECT_FALSE(TXMLHandler(emptyPath).IsValid()); }); // no ButtonName
    EXPECT_LT(cost.Seconds, FastSeconds);

    QByteArray pen = XmlPen(PlainPen("Hidden"));
    pen.replace("<ButtonName>", "<!-- </TransducerTipButtonSettings> --><ButtonName>");
    QByteArray hidden;
    for (int i = 0; i < 50000; ++i)
        hidden += pen;
    const QString hiddenPath = Put(XmlDocument(hidden));
    cost = Measure([&] {
        TXMLHandler h(hiddenPath);
        EXPECT_TRUE(h.IsValid());
        EXPECT_EQ(h.GetPens().size(), 50000u);
    });
    EXPECT_LT(cost.Seconds, FastSeconds);
}

TEST_F(HostileXml, EntityExpansionIsNotPerformed) {
    QByteArray doctype = "<!DOCTYPE root [\r\n<!ENTITY lol \"lol\">\r\n";
    for (int i = 1; i <= 9; ++i) {
        doctype += "<!ENTITY lol" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            doctype += "&lol" + (i == 1 ? QByteArray() : QByteArray::number(i - 1)) + ";";
        doctype += "\">\r\n";
    }
    doctype += "]>\r\n";
    const QString path = Put(XmlDocument(
        XmlPen(PlainPen("&lol9;")) + XmlPen({"Tip", "1023", "0 0 1 1 2 2", "&lol9;", "0"}), doctype));
    std::unique_ptr<TXMLHandler> h;
    const Cost cost = Measure([&] { h = std::make_unique<TXMLHandler>(path); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_LT(cost.PeakMegabytes, 64);
    for (const Pen& p : h->GetPens())
        EXPECT_LT(p.ButtonName.size(), 100u);
    EXPECT_FALSE(h->IsValid()); // the second pen's threshold is no number
}

TEST_F(HostileXml, AnExternalEntityNeverBringsInAnotherFile) {
    const QByteArray secret = "SECRET-" + Noise(16, 42).toHex();
    const QString secretPath = Env.Write("secret.txt", secret);
    const QByteArray url = "file://" + QFile::encodeName(secretPath);
    const QByteArray doctype = "<!DOCTYPE root [\r\n<!ENTITY xxe SYSTEM \"" + url +
                               "\">\r\n<!ENTITY % p SYSTEM \"" + url + "\">\r\n%p;\r\n]>\r\n";
    const QByteArray body = XmlPen(PlainPen("&xxe;")) + XmlPen({"Tip", "1023", "0 0 1 1 2 2", "3", "4"}) +
                            "<xi:include xmlns:xi=\"http://www.w3.org/2001/XInclude\" href=\"" + url +
                            "\" parse=\"text\"/>\r\n";
    const QString path = Put(XmlDocument(body, doctype));
    TXMLHandler h(path);
    ASSERT_EQ(h.GetPens().size(), 2u);
    for (const Pen& p : h.GetPens())
        EXPECT_EQ(QByteArray::fromStdString(p.ButtonName).indexOf(secret), -1);
    for (const std::string& line : PenInfoLines(h.GetPens()))
        EXPECT_EQ(line.find(secret.toStdString()), std::string::npos);

    APen pens = h.GetPens();
    pens[1].P2X = 5;
    h.CreateDatedBackup();
    h.StorePens(pens);
    h.SaveAs(path);
    h.SaveAs(Env.BackupPoint());
    EXPECT_EQ(TestEnv::Read(path).indexOf(secret), -1);
    const QStringList written = TestEnv::List(Env.BackupDir());
    EXPECT_EQ(written.size(), 2);
    for (const QString& name : written)
        EXPECT_EQ(TestEnv::Read(Env.BackupDir() + "/" + name).indexOf(secret), -1) << name.toStdString();
}

TEST_F(HostileXml, NulBytesInsideTheDocumentLoadOrFailButAreNeverCut) {
    const QByteArray bytes = XmlDocument(QByteArray("<!-- a\0b -->", 12) + XmlPen(PlainPen("Tip")));
    const QString path = Put(bytes);
    TXMLHandler h(path);
    if (h.IsValid()) {
        h.SaveAs(path + ".out");
        EXPECT_EQ(TestEnv::Read(path + ".out"), bytes);
    }
    TXMLHandler inName(Put(XmlDocument(XmlPen(PlainPen(QByteArray("T\0p", 3))))));
    for (const Pen& p : inName.GetPens())
        EXPECT_LE(p.ButtonName.size(), 3u);
}

} // namespace
