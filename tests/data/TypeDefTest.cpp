#include "data/typeDef.h"
#include "support/Pens.h"

#include <gtest/gtest.h>

#include <climits>

TEST(StrToInt32, AcceptsBlanksSignAndDigitsOnly) {
    struct Case {
        const char* Text;
        bool Ok;
        int32_t Value;
    };
    const Case cases[] = {
        {"0", true, 0},    {"1024", true, 1024}, {"  42", true, 42}, {"-7", true, -7},  {"+7", true, 7},
        {"007", true, 7},  {"", false, 0},       {"   ", false, 0},  {"-", false, 0},   {"+", false, 0},
        {"42 ", false, 0}, {"4 2", false, 0},    {"\t42", false, 0}, {"42x", false, 0}, {"0x10", false, 0},
        {"--1", false, 0}, {"- 1", false, 0},    {"1.5", false, 0},  {"$10", false, 0},
    };
    for (const Case& c : cases) {
        int32_t out = 99;
        EXPECT_EQ(StrToInt32(c.Text, out), c.Ok) << '"' << c.Text << '"';
        EXPECT_EQ(out, c.Ok ? c.Value : 99) << '"' << c.Text << "\" must leave the target alone on failure";
    }
}

TEST(StrToInt32, FailsOutsideTheSignedRangeInsteadOfWrapping) {
    int32_t out = 0;
    EXPECT_TRUE(StrToInt32("2147483647", out));
    EXPECT_EQ(out, INT32_MAX);
    EXPECT_TRUE(StrToInt32("-2147483648", out));
    EXPECT_EQ(out, INT32_MIN);
    out = 5;
    EXPECT_FALSE(StrToInt32("2147483648", out));
    EXPECT_FALSE(StrToInt32("-2147483649", out));
    EXPECT_FALSE(StrToInt32("4294967296", out));
    EXPECT_FALSE(StrToInt32("99999999999999999999999999999999", out));
    EXPECT_EQ(out, 5);
}

TEST(CurveText, CutsAndWritesSixNumbersYBeforeX) {
    Pen pen;
    ASSERT_TRUE(CurveFromText("10 20 30 40 50 60", pen));
    EXPECT_EQ(pen, MakePen(0, 20, 10, 40, 30, 60, 50, 0, 0, "")) << "the six points and nothing else";
    EXPECT_EQ(CurveText(pen), "10 20 30 40 50 60");

    pen.P2X = -5;
    EXPECT_EQ(CurveText(pen), "10 20 30 -5 50 60");

    for (const char* bad :
         {"1 2 3 4 5", "1 2 3 4 5 6 7", "1 2 3 4 5 6 ", "1  2 3 4 5 6", "1,2,3,4,5,6", "", "1\t2 3 4 5 6"}) {
        Pen p;
        EXPECT_FALSE(CurveFromText(bad, p)) << '"' << bad << '"';
    }
}

TEST(PenInfoLines, ListsEveryPenInFileVocabulary) {
    const Pen tip = MakePen(1023 /* not listed */, 10, 20, 30, 40, 50, 60, 1000, 5);
    Pen eraser;
    eraser.ButtonName = " Eraser";
    eraser.LowerThreshold = -1;

    const std::vector<std::string> expected = {
        "Pen internal name - Tip",
        "PressureCurveControlPoint 20 10 40 30 60 50",
        "UpperPressureThreshold 1000",
        "LowerPressureThreshold 5",
        "",
        "Pen internal name -  Eraser",
        "PressureCurveControlPoint 0 0 0 0 0 0",
        "UpperPressureThreshold 0",
        "LowerPressureThreshold -1",
        "",
    };
    EXPECT_EQ(PenInfoLines({tip, eraser}), expected);
    EXPECT_TRUE(PenInfoLines({}).empty());
}
