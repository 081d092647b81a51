#include "data/Data_textClass.h"

#include "support/Pens.h"
#include "support/Portable.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>


#include <stdexcept>

namespace {

QByteArray Join(std::initializer_list<const char*> lines, const char* eol = "\r\n") {
    QByteArray out;
    for (const char* line : lines)
        out += QByteArray(line) + eol;
    return out;
}

// Two ordinary pen blocks after a header line, CR LF line ends.
const std::initializer_list<const char*> TwoPens = {
    "[Wacom Tablet Preferences]",                      // 0
    "ButtonName Tip",                                  // 1
    "PressureResolution 1023",                         // 2
    "PressureCurveControlPoint 0 0 400 300 1023 1023", // 3
    "UpperPressureThreshold 1000",                     // 4
    "LowerPressureThreshold 20",                       // 5
    "SomeOtherSetting 7",                              // 6
    "ButtonName Eraser",                               // 7
    "PressureResolution 511",                          // 8
    "PressureCurveControlPoint 1 2 3 4 5 6",           // 9
    "UpperPressureThreshold 500",                      // 10
    "LowerPressureThreshold 10",                       // 11
};

class TextHandlerTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) { return env.Write("AppData/WTablet/Pen_Tablet.dat", bytes); }
    TestEnv env;
};

} // namespace

TEST_F(TextHandlerTest, ReadsPenBlocksInFileOrder) {
    TTextHandler h(Write(Join(TwoPens)));
    ASSERT_TRUE(h.IsValid());
    const APen pens = h.GetPens();
    ASSERT_EQ(pens.size(), 2u);
    // The name's value text keeps its leading blank; the curve's numbers stand Y before X.
    Pen tip = MakePen(1023, 0, 0, 300, 400, 1023, 1023, 1000, 20, " Tip");
    tip.CurveLine = "PressureCurveControlPoint 0 0 400 300 1023 1023";
    tip.CurveLineIndex = 3;
    tip.UpperLineIndex = 4;
    tip.LowerLineIndex = 5;
    EXPECT_EQ(pens[0], tip);
    EXPECT_EQ(pens[1].ButtonName, " Eraser");
    EXPECT_EQ(pens[1].P3X, 6);
    EXPECT_EQ(pens[1].CurveLineIndex, 9);
    EXPECT_EQ(h.GetLines().size(), 12u);
}

TEST_F(TextHandlerTest, LineZeroNeverCountsAsAValueLine) {
    // The resolution on line 0 is never found, so the block never completes.
    TTextHandler a(Write(Join({"PressureResolution 1023", "PressureCurveControlPoint 0 0 1 1 2 2",
                               "UpperPressureThreshold 5", "LowerPressureThreshold 1"})));
    EXPECT_FALSE(a.IsValid());
    EXPECT_TRUE(a.GetPens().empty());

    // Without a name line the block takes its name from line 0; the next block without a name of its own
    // takes the same one.
    TTextHandler b(Write(Join(
        {"Header line", "PressureResolution 10", "PressureCurveControlPoint 0 0 1 1 2 2",
         "UpperPressureThreshold 5", "LowerPressureThreshold 1", "PressureResolution 20",
         "PressureCurveControlPoint 0 0 1 1 2 2", "LowerPressureThreshold 1", "UpperPressureThreshold 9"})));
    ASSERT_TRUE(b.IsValid());
    ASSERT_EQ(b.GetPens().size(), 2u);
    EXPECT_EQ(b.GetPens()[0].ButtonName, " line");
    EXPECT_EQ(b.GetPens()[1].ButtonName, " line");
    // A block is complete at whichever of its four lines comes last.
    EXPECT_EQ(b.GetPens()[1].UpperThreshold, 9);
    EXPECT_EQ(b.GetPens()[1].UpperLineIndex, 8);
}

TEST_F(TextHandlerTest, BlocksAndRepeats) {
    // A new name before the block completes drops it; a keyword repeated within a block takes the later line.
    TTextHandler h(Write(Join(
        {"x", "ButtonName Dropped", "PressureResolution 1", "PressureCurveControlPoint 0 0 0 0 0 0",
         "ButtonName Kept", "PressureResolution 1", "PressureResolution 2",
         "PressureCurveControlPoint 0 0 0 0 0 0", "UpperPressureThreshold 3", "LowerPressureThreshold 4"})));
    ASSERT_TRUE(h.IsValid());
    ASSERT_EQ(h.GetPens().size(), 1u);
    EXPECT_EQ(h.GetPens()[0].ButtonName, " Kept");
    EXPECT_EQ(h.GetPens()[0].PressureResolution, 2);
}

TEST_F(TextHandlerTest, ValueTextAndIndentation) {
    auto resolution = [&](const char* line) {
        TTextHandler h(Write(Join({"x", "ButtonName P", line, "PressureCurveControlPoint 0 0 0 0 0 0",
                                   "UpperPressureThreshold 3", "LowerPressureThreshold 4"})));
        return h.IsValid() ? h.GetPens()[0].PressureResolution : -1;
    };
    EXPECT_EQ(resolution("PressureResolution  1024"), 1024);
    EXPECT_EQ(resolution("PressureResolution 1024 "), -1);
    EXPECT_EQ(resolution(" PressureResolution 1024"), -1);
    EXPECT_EQ(resolution("\tPressureResolution 1024"), 1024);

    auto curveOk = [&](const char* line) {
        TTextHandler h(Write(Join({"x", "ButtonName P", "PressureResolution 1", line,
                                   "UpperPressureThreshold 3", "LowerPressureThreshold 4"})));
        return h.IsValid();
    };
    EXPECT_TRUE(curveOk("\tPressureCurveControlPoint 1 2 3 4 5 6"));
    EXPECT_FALSE(curveOk("  PressureCurveControlPoint 1 2 3 4 5 6"));
    EXPECT_FALSE(curveOk("PressureCurveControlPoint 1 2 3 4 5"));
    EXPECT_FALSE(curveOk("PressureCurveControlPoint"));
}

TEST_F(TextHandlerTest, FailedPenStaysAndOnlyTheLastCompleteBlockDecides) {
    const QString path =
        Write(Join({"x", "ButtonName Bad", "PressureResolution 1023", "PressureCurveControlPoint 1 2 3 4 5",
                    "UpperPressureThreshold 900", "LowerPressureThreshold 7", "ButtonName Good",
                    "PressureResolution 1023", "PressureCurveControlPoint 1 2 3 4 5 6",
                    "UpperPressureThreshold 900", "LowerPressureThreshold 7"}));
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    ASSERT_EQ(h.GetPens().size(), 2u);
    const Pen bad = h.GetPens()[0];
    EXPECT_EQ(bad.UpperLineIndex, 4); // filled before the curve failed
    EXPECT_EQ(bad.LowerLineIndex, 5);
    EXPECT_EQ(bad.CurveLineIndex, 0);

    // The same blocks the other way round: the last complete block failed.
    TTextHandler r(Write(
        Join({"x", "ButtonName Good", "PressureResolution 1023", "PressureCurveControlPoint 1 2 3 4 5 6",
              "UpperPressureThreshold 900", "LowerPressureThreshold 7", "ButtonName Bad",
              "PressureResolution 1023", "PressureCurveControlPoint 1 2 3 4 5 6", "UpperPressureThreshold 9x",
              "LowerPressureThreshold 7"})));
    EXPECT_FALSE(r.IsValid());
    ASSERT_EQ(r.GetPens().size(), 2u);
    EXPECT_EQ(r.GetPens()[1].PressureResolution, 1023);
    EXPECT_EQ(r.GetPens()[1].UpperLineIndex, 0);
}

TEST_F(TextHandlerTest, AcceptsEveryLineEndAndWritesCrLf) {
    const QByteArray mixed =
        "x\r\nButtonName Tip\rPressureResolution 10\nPressureCurveControlPoint 0 0 1 1 2 2\r\n"
        "\r\nUpperPressureThreshold 5\n\nLowerPressureThreshold 1";
    TTextHandler h(Write(mixed));
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.GetLines().size(), 8u); // the empty lines between the breaks count
    h.Save();
    EXPECT_EQ(
        TestEnv::Read(h.GetFileName()),
        QByteArray("x\r\nButtonName Tip\r\nPressureResolution 10\r\nPressureCurveControlPoint 0 0 1 1 2 2\r\n"
                   "\r\nUpperPressureThreshold 5\r\n\r\nLowerPressureThreshold 1\r\n"));

    // A break at the very end starts no line, whichever it is; a lone CR there is no half of a CR LF.
    const std::vector<std::pair<QByteArray, std::vector<std::string>>> ends = {
        {"a\r", {"a"}},       {"a\n", {"a"}},       {"a\r\n", {"a"}},       {"\r", {""}},
        {"a\n\r", {"a", ""}}, {"a\r\r", {"a", ""}}, {"a\r\n\r", {"a", ""}}, {"", {}}};
    for (const auto& [bytes, lines] : ends)
        EXPECT_EQ(TTextHandler(Write(bytes)).GetLines(), lines) << bytes.toStdString();
}

TEST_F(TextHandlerTest, BytesPassThroughUnconverted) {
    const QByteArray bytes = Join({"caf\xe9 \xff\xfe", "ButtonName Stift \xe4", "PressureResolution 1",
                                   "PressureCurveControlPoint 0 0 0 0 0 0", "UpperPressureThreshold 1",
                                   "LowerPressureThreshold 0"});
    TTextHandler h(Write(bytes));
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.GetPens()[0].ButtonName, " Stift \xe4");
    const QString copy = env.Root() + "/copy/deeper/out.dat"; // SaveAs creates the folders
    h.SaveAs(copy);
    EXPECT_EQ(TestEnv::Read(copy), bytes);
}

TEST_F(TextHandlerTest, StoreReplacesOnlyTheValueLines) {
    // The tab before the curve keyword reads fine; the rewritten line loses it.
    const QString path = Write(Join({"x", "ButtonName Tip", "PressureResolution 1023",
                                     "\tPressureCurveControlPoint 0 0 400 300 1023 1023",
                                     "UpperPressureThreshold 1000", "LowerPressureThreshold 20", "tail"},
                                    "\n"));
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());

    APen pens = h.GetPens();
    pens[0].P2Y = 10;
    pens[0].P2X = -20;
    pens[0].UpperThreshold = 999;
    pens[0].LowerThreshold = 0;
    pens[0].ButtonName = " Renamed"; // never written
    pens[0].PressureResolution = 5;  // never written
    h.StorePens(pens);
    EXPECT_EQ(h.GetPens(), pens);
    h.Save();
    EXPECT_EQ(TestEnv::Read(path), Join({"x", "ButtonName Tip", "PressureResolution 1023",
                                         "PressureCurveControlPoint 0 0 10 -20 1023 1023",
                                         "UpperPressureThreshold 999", "LowerPressureThreshold 0", "tail"}));
}

TEST_F(TextHandlerTest, FailedPenIsNeverWritten) {
    // The first pen fails at its lower threshold: its upper line is known, its curve and lower lines are 0.
    const QByteArray bytes = Join({"Header that must survive", "ButtonName Bad", "PressureResolution 1023",
                                   "PressureCurveControlPoint 1 2 3 4 5 6", "UpperPressureThreshold 900",
                                   "LowerPressureThreshold x", "ButtonName Good", "PressureResolution 1023",
                                   "PressureCurveControlPoint 1 2 3 4 5 6", "UpperPressureThreshold 900",
                                   "LowerPressureThreshold 7"});
    const QString path = Write(bytes);
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    APen pens = h.GetPens();
    ASSERT_EQ(pens[0].LowerLineIndex, 0);
    pens[0].UpperThreshold = 1;
    pens[0].LowerThreshold = 2;
    pens[1].LowerThreshold = 8;
    h.StorePens(pens);
    h.Save();
    QByteArray expected = bytes;
    expected.replace("LowerPressureThreshold 7", "LowerPressureThreshold 8");
    EXPECT_EQ(TestEnv::Read(path), expected);

    // A pen without any line of its own (an XML pen, say) touches nothing either.
    Pen foreign;
    foreign.ButtonName = "Tip";
    h.StorePens({foreign});
    h.Save();
    EXPECT_EQ(TestEnv::Read(path), expected);
}

TEST_F(TextHandlerTest, StoreOutsideTheLinesRaisesAfterEarlierPens) {
    TTextHandler h(Write(Join(TwoPens)));
    APen pens = h.GetPens();
    pens[0].UpperThreshold = 1;
    pens[1].LowerLineIndex = 12; // one past the last line
    EXPECT_THROW(h.StorePens(pens), std::out_of_range);
    EXPECT_EQ(h.GetLines()[4], "UpperPressureThreshold 1");
}

TEST_F(TextHandlerTest, MissingAndUnreadableFiles) {
    TTextHandler missing(env.WTablet() + "/none.dat");
    EXPECT_FALSE(missing.IsValid());
    EXPECT_TRUE(missing.GetLines().empty());

    const QString path = Write(Join(TwoPens));
    TTextHandler h(path);
    ASSERT_TRUE(h.IsValid());
    // LoadFrom with a missing file on either side changes nothing but validity.
    h.LoadFrom(env.Root() + "/none.bak");
    EXPECT_FALSE(h.IsValid());
    EXPECT_EQ(h.GetPens().size(), 2u);
    EXPECT_EQ(h.GetLines().size(), 12u);

    // A file too big to be a preference file cannot be loaded: the error reaches the caller and the handler
    // is left empty (a sparse file, so the test writes next to nothing).
    const QString huge = env.Root() + "/huge.dat";
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(TFileHandler::MaxFileBytes + 1));
    }
    EXPECT_THROW(TTextHandler{huge}, std::runtime_error);
    EXPECT_THROW(h.LoadFrom(huge), std::runtime_error);
    EXPECT_FALSE(h.IsValid());
    EXPECT_TRUE(h.GetLines().empty());
    EXPECT_EQ(h.GetFileName(), path);
    h.Reload();
    ASSERT_TRUE(h.IsValid());

    if (UnreadableFile locked(path); locked.Effective()) {
        EXPECT_THROW(TTextHandler{path}, std::runtime_error);
        EXPECT_THROW(h.Reload(), std::runtime_error);
        EXPECT_FALSE(h.IsValid());
        EXPECT_TRUE(h.GetPens().empty());
        EXPECT_EQ(h.GetFileName(), path);
    }
}

TEST_F(TextHandlerTest, LoadFromReadsAnotherFileButSavesOverTheOwn) {
    const QString own = Write(Join(TwoPens));
    const QByteArray backupBytes =
        Join({"b", "ButtonName Old", "PressureResolution 1", "PressureCurveControlPoint 0 0 0 0 0 0",
              "UpperPressureThreshold 1", "LowerPressureThreshold 0"});
    const QString backup = env.Write("app/Backup/FirstRunBackup.bak", backupBytes);
    TTextHandler h(own);
    h.LoadFrom(backup);
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.GetPens()[0].ButtonName, " Old");
    EXPECT_EQ(h.GetFileName(), own);
    h.Save();
    EXPECT_EQ(TestEnv::Read(own), backupBytes);
}

TEST_F(TextHandlerTest, PensReadFromOtherLinesAreRefused) {
    const QByteArray ownBytes = Join(TwoPens);
    const QString own = Write(ownBytes);
    const QByteArray otherBytes = Join({"one", "two", "three", "ButtonName Tip", "PressureResolution 2047",
                                        "PressureCurveControlPoint 0 0 1 1 2 2", "UpperPressureThreshold 9",
                                        "LowerPressureThreshold 1", "tail 1", "tail 2", "tail 3", "tail 4"});
    const QString other = env.Write("other.dat", otherBytes);
    TTextHandler h(own);
    const APen ownPens = h.GetPens();
    // The handler now holds the other file's lines while the caller still has the own file's pens (a
    // restore whose write failed, say): storing them would put values on the other file's name lines.
    h.LoadFrom(other);
    ASSERT_TRUE(h.IsValid());
    EXPECT_THROW(h.StorePens(ownPens), std::runtime_error);
    EXPECT_EQ(h.GetLines()[3], "ButtonName Tip");
    EXPECT_EQ(h.GetLines()[9], "tail 2");

    // Pens stored again into their own lines pass, however often.
    h.Reload();
    APen pens = h.GetPens();
    pens[1].UpperThreshold = 1;
    h.StorePens(pens);
    h.StorePens(pens);
    EXPECT_EQ(h.GetLines()[10], "UpperPressureThreshold 1");
}
