// Curves carried between pens: the clipboard's text forms, the rescaling between resolutions, the pen's JSON
// object, and the saved presets' file.

#include "data/CurveTransfer.h"
#include "data/CurvePresets.h"
#include "system/AtomicFile.h"

#include "support/Pens.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A pen of resolution 1023 whose values show which of them a paste replaced.
Pen Shown() {
    return MakePen(1023, 1, 2, 3, 4, 5, 6, 900, 30);
}

Pen Pasted(const char* text) {
    Pen pen = Shown();
    const auto curve = ParseCurveText(QString::fromUtf8(text));
    EXPECT_TRUE(curve) << text;
    if (curve)
        PutCurve(*curve, pen);
    return pen;
}

} // namespace

TEST(CurveText, SixNumbersAreTheCurveInFileOrderAtTheShownResolutionWithTheThresholdsKept) {
    for (const char* text :
         {"0 0 700 1300 2047 2047", "0,0,700,1300,2047,2047", "0, 0\n700\r\n1300\t2047 2047\n"})
        EXPECT_EQ(EditedValues(Pasted(text)), (std::vector<int32_t>{0, 0, 1023, 700, 1023, 1023, 900, 30}))
            << text;
}

TEST(CurveText, EightNumbersAddTheUpperThenTheLowerThresholdLimitedToTheResolution) {
    EXPECT_EQ(EditedValues(Pasted("10 0 500 520 1000 1023 950 -4")),
              (std::vector<int32_t>{0, 10, 520, 500, 1023, 1000, 950, 0}));
}

TEST(CurveText, APenObjectOrAnArrayOfOneIsRescaledFromItsResolution) {
    const char* object = R"({"name":"Eraser","resolution":2047,"curve":[0,0,1023,1024,2047,2047],)"
                         R"("upperThreshold":2000,"lowerThreshold":41})";
    // 1023 -> 511.25, 1024 -> 511.75, 2000 -> 999.51, 41 -> 20.49
    const std::vector<int32_t> expected{0, 0, 512, 511, 1023, 1023, 1000, 20};
    EXPECT_EQ(EditedValues(Pasted(object)), expected);
    EXPECT_EQ(EditedValues(Pasted((std::string("[") + object + "]").c_str())), expected);
    // What Copy puts on the clipboard reads back as the same pen.
    const Pen source = MakePen(2047, 0, 0, 1024, 1023, 2047, 2047, 2000, 41, "Eraser");
    EXPECT_EQ(EditedValues(Pasted(PenJsonText(source).constData())), expected);
}

TEST(CurveText, TextThatIsNoCurveIsRefused) {
    for (const char* text :
         {"", "   ", "1 2 3 4 5", "1 2 3 4 5 6 7", "1 2 3 4 5 6 7 8 9", "1 2 3 4 5 x", "1 2 3 4 5 6.5",
          "1 2 3 4 5 99999999999", "[]", "[{}, {}]", "{\"curve\":[1,2]}",
          R"({"resolution":0,"curve":[0,0,1,1,2,2],"upperThreshold":1,"lowerThreshold":0})",
          R"({"resolution":1023,"curve":[0,0,1,1,2,2.5],"upperThreshold":1,"lowerThreshold":0})",
          R"({"resolution":1023,"curve":[0,0,1,1,2,2],"upperThreshold":1})", "{\"resolution\":1023,",
          "PressureCurveControlPoint 0 0 1 1 2 2"})
        EXPECT_FALSE(ParseCurveText(QString::fromUtf8(text))) << text;
}

TEST(Rescale, ValuesMoveByTheRatioOfTheResolutionsWithHalvesToEvenAndStayWithin0ToR) {
    EXPECT_EQ(RescaleValue(1, 2, 1023), 512);  // 511.5 -> 512
    EXPECT_EQ(RescaleValue(3, 2, 1023), 1023); // 1534.5: above R, limited
    EXPECT_EQ(RescaleValue(21, 200, 100), 10); // 10.5 -> 10
    EXPECT_EQ(RescaleValue(23, 200, 100), 12); // 11.5 -> 12
    EXPECT_EQ(RescaleValue(-7, 1023, 2047), 0);
    EXPECT_EQ(RescaleValue(2047, 2047, 1023), 1023);
    EXPECT_EQ(RescaleValue(2147483647, 1, 2147483647), 2147483647); // no overflow on the way
    EXPECT_EQ(RescaleValue(500, 0, 1023), 500);                     // no scale to move from: only limited
}

TEST(Rescale, CarryingAPenPutsCurveAndThresholdsOnAnotherAndNothingElse) {
    const Pen from = MakePen(2047, 0, 10, 1023, 1024, 2047, 2047, 2000, 41);
    Pen to = MakePen(1023, 9, 9, 9, 9, 9, 9, 9, 9, "Eraser");
    to.NodeIndex = 3;
    CarryCurve(from, to);
    EXPECT_EQ(EditedValues(to), (std::vector<int32_t>{0, 5, 511, 512, 1023, 1023, 1000, 20}));
    EXPECT_EQ(to.ButtonName, "Eraser");
    EXPECT_EQ(to.PressureResolution, 1023);
    EXPECT_EQ(to.NodeIndex, 3);
}

TEST(PenJson, ThePenObjectHoldsNameResolutionCurveInFileOrderAndThresholds) {
    const QJsonObject o = PenJson(MakePen(1023, 1, 2, 3, 4, 5, 6, 900, 30, "Tip"));
    EXPECT_EQ(
        QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString(),
        R"({"curve":[2,1,4,3,6,5],"lowerThreshold":30,"name":"Tip","resolution":1023,"upperThreshold":900})");
}

TEST(Presets, BuiltInsFitEveryResolutionAndKeepTheThresholds) {
    for (int32_t R : {1023, 2047, 8191}) {
        const auto presets = BuiltInPresets(R);
        ASSERT_EQ(presets.size(), 5u);
        EXPECT_EQ(presets[0].Name, "Linear");
        for (const TCurvePreset& p : presets) {
            EXPECT_EQ(p.Curve[4], R);
            EXPECT_EQ(p.Curve[5], R);
            Pen pen = MakePen(R, 9, 9, 9, 9, 9, 9, R - 5, 7);
            PutPreset(p, pen);
            EXPECT_EQ(pen.UpperThreshold, R - 5);
            EXPECT_EQ(pen.LowerThreshold, 7);
        }
    }
    // A soft curve gives more output than force at its middle point, a firm one less.
    const auto presets = BuiltInPresets(1023);
    EXPECT_GT(presets[1].Curve[3], presets[1].Curve[2]);
    EXPECT_LT(presets[3].Curve[3], presets[3].Curve[2]);
}

TEST(Presets, SavedPresetsAreWrittenAndReadBackAndPutOnPensOfAnyResolution) {
    TestEnv env;
    const QString path = env.Root() + "/CurvePresets.json";
    {
        TCurvePresets store(path);
        EXPECT_EQ(store.Load(), TCurvePresets::LoadResult::Loaded); // no file yet
        EXPECT_FALSE(TestEnv::Exists(path));
        store.Add({"Mine", 2047, {0, 0, 1023, 1024, 2047, 2047}});
        store.Add({"Other", 1023, {1, 1, 1, 1, 1, 1}});
        store.Rename(1, "Renamed");
        store.Remove(0);
        store.Add({"Renamed", 1023, {0, 0, 100, 900, 1023, 1023}}); // the same name replaces
    }
    TCurvePresets store(path);
    ASSERT_EQ(store.Load(), TCurvePresets::LoadResult::Loaded);
    ASSERT_EQ(store.Saved().size(), 1u);
    EXPECT_EQ(store.Saved()[0], (TCurvePreset{"Renamed", 1023, {0, 0, 100, 900, 1023, 1023}}));
    Pen pen = MakePen(2047, 9, 9, 9, 9, 9, 9, 9, 9);
    PutPreset(store.Saved()[0], pen);
    EXPECT_EQ(EditedValues(pen), (std::vector<int32_t>{0, 0, 1801, 200, 2047, 2047, 9, 9}));
}

TEST(Presets, ADamagedFileIsKeptAsideAndNeverWrittenOver) {
    TestEnv env;
    for (const QByteArray& damaged :
         {QByteArray("{\"presets\": [ {\"name\": \"x\""), QByteArray("[]"),
          QByteArray(R"({"presets":[{"name":"x","resolution":1023,"curve":[1,2,3]}]})")}) {
        const QString path = env.Write("CurvePresets.json", damaged);
        TCurvePresets store(path);
        EXPECT_EQ(store.Load(), TCurvePresets::LoadResult::Damaged) << damaged.constData();
        EXPECT_TRUE(store.Saved().empty());
        EXPECT_FALSE(TestEnv::Exists(path));
        EXPECT_EQ(TestEnv::Read(path + ".bak"), damaged);
        store.Add({"New", 1023, {0, 0, 1, 1, 2, 2}});
        EXPECT_EQ(TestEnv::Read(path + ".bak"), damaged);
        TCurvePresets again(path);
        EXPECT_EQ(again.Load(), TCurvePresets::LoadResult::Loaded);
        EXPECT_EQ(again.Saved().size(), 1u);
    }
}

TEST(Presets, AnUnwritableFolderFailsTheChangeAndKeepsListAndFile) {
    TestEnv env;
    const QString folder = env.Root() + "/locked";
    const QString path = folder + "/CurvePresets.json";
    env.Write(path, R"({"presets":[{"name":"Kept","resolution":1023,"curve":[0,0,1,1,2,2]}]})");
    const QByteArray before = TestEnv::Read(path);
    TCurvePresets store(path);
    ASSERT_EQ(store.Load(), TCurvePresets::LoadResult::Loaded);
    ReadOnlyFolder locked(folder);
#ifdef _WIN32
    if (!locked.Effective())
        GTEST_SKIP() << "no folder can be made unwritable here (wine applies no access lists)";
#endif
    ASSERT_TRUE(locked.Effective());
    EXPECT_THROW(store.Add({"New", 1023, {0, 0, 1, 1, 2, 2}}), WriteError);
    EXPECT_THROW(store.Remove(0), WriteError);
    ASSERT_EQ(store.Saved().size(), 1u);
    EXPECT_EQ(store.Saved()[0].Name, "Kept");
    EXPECT_EQ(TestEnv::Read(path), before);
}

TEST(Presets, ADamagedFileThatCannotBeMovedAsideIsLeftAsItIs) {
    TestEnv env;
    const QString folder = env.Root() + "/locked";
    const QString path = env.Write(folder + "/CurvePresets.json", "not json");
    ReadOnlyFolder locked(folder);
#ifdef _WIN32
    if (!locked.Effective())
        GTEST_SKIP() << "no folder can be made unwritable here (wine applies no access lists)";
#endif
    ASSERT_TRUE(locked.Effective());
    TCurvePresets store(path);
    EXPECT_EQ(store.Load(), TCurvePresets::LoadResult::Stuck);
    EXPECT_THROW(store.Add({"New", 1023, {0, 0, 1, 1, 2, 2}}), WriteError);
    EXPECT_EQ(TestEnv::Read(path), QByteArray("not json"));
}
