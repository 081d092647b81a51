// Pens with hostile values through the graph and the pen editor: a
// PressureResolution of 0 or -1, values and pointer positions at the 32-bit
// limits. Nothing may crash, overflow or take long, and whatever the graph
// writes back into a pen stays a value of that pen's scale.

#include "Hostile.h"
#include "graph/DrawClass.h"
#include "support/MemorySurface.h"
#include "support/Pens.h"
#include "support/ScriptedPrompter.h"
#include "ui/Form_Edit.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

using namespace hostile;

namespace {

// A pen of resolution r whose curve and upper threshold sit at v.
Pen PenWith(int32_t r, int32_t v) {
    return MakePen(r, 0, v, v, v, r, r, v, 0);
}

// Presses at every place where something can be picked and at the corners,
// drags each to pointer positions inside, outside and far beyond the image, and
// releases, with every limiter combination.
void DragEverywhere(TDrawClass& graph, int size) {
    const int m = GraphMargin;
    std::vector<QPoint> starts;
    for (const QPoint& p : graph.GetPoints())
        starts.push_back(p);
    starts.push_back({m - 7, graph.GetUpperThresholdY()});
    starts.push_back({size - m + 7, graph.GetLowerThresholdY()});
    starts.push_back({m, size - m});
    starts.push_back({size - m, m});
    const std::vector<QPoint> targets = {{m, m},
                                         {size / 2, size / 2},
                                         {size - m, size - m},
                                         {-5, size + 5},
                                         {INT_MIN, INT_MIN},
                                         {INT_MAX, INT_MAX},
                                         {INT_MIN, INT_MAX},
                                         {INT_MAX, 0}};
    for (int limiters = 0; limiters < 8; ++limiters) {
        graph.SetPointLimiter(limiters & 1);
        graph.SetThresholdLimiter(limiters & 2);
        graph.SetMiddlePointLimiter(limiters & 4);
        for (const QPoint& from : starts) {
            graph.MouseMove(Qt::NoButton, Qt::NoModifier, from.x(), from.y());
            graph.MouseDown(Qt::LeftButton, Qt::NoModifier, from.x(), from.y());
            for (const QPoint& to : targets)
                graph.MouseMove(Qt::LeftButton, Qt::NoModifier, to.x(), to.y());
            graph.MouseUp(Qt::LeftButton, Qt::NoModifier, 0, 0);
        }
    }
}

TEST(HostileGraph, ResolutionZeroAndMinusOneDrawAndDragWithinTheirScale) {
    for (int size : {500, 300})
        for (int32_t r : {0, -1}) {
            SCOPED_TRACE("R = " + std::to_string(r) + ", image " + std::to_string(size));
            MemorySurface surface(size, size);
            TDrawClass graph(surface, 0xFFFFFF);
            graph.SetPens({PenWith(r, 512), PenWith(r, 0)});
            const Cost cost = Measure([&] {
                for (int index : {0, 1}) {
                    graph.ShowPen(index);
                    DragEverywhere(graph, size);
                }
            });
            EXPECT_LT(cost.Seconds, FastSeconds);
            const APen pens = graph.GetPens();
            ASSERT_EQ(pens.size(), 2u);
            // Pen 1 started with every value on the scale; whatever the drags did, it
            // stays there.
            for (int32_t v : EditedValues(pens[1])) {
                EXPECT_GE(v, std::min(0, r));
                EXPECT_LE(v, std::max(0, r));
            }
            EXPECT_EQ(pens[1].PressureResolution, r);
        }
}

TEST(HostileGraph, ValuesAtTheLimitsDrawAndDragInBoundedTime) {
    std::vector<Pen> pens;
    for (int32_t r : {1, 1023, INT32_MAX, INT32_MIN})
        for (int32_t v : {INT32_MAX, INT32_MIN, -1}) {
            Pen p = PenWith(r, v);
            p.P1X = v;
            p.P3X = v / -2;
            p.LowerThreshold = v;
            pens.push_back(p);
        }
    MemorySurface surface(500, 500);
    TDrawClass graph(surface, 0xFFFFFF);
    graph.SetPens(pens);
    const Cost cost = Measure([&] {
        for (size_t i = 0; i < pens.size(); ++i) {
            graph.ShowPen(static_cast<int>(i));
            DragEverywhere(graph, 500);
        }
    });
    EXPECT_LT(cost.Seconds, FastSeconds);
    // A pen of a positive resolution that was dragged ends with values of its
    // scale where it was dragged: the drags above always end beyond the area's
    // far corner, which clamps to the scale's ends.
    const Pen p = graph.GetPens()[3]; // R = 1023
    EXPECT_GE(p.P2X, 0);
    EXPECT_LE(p.P2X, 1023);
}

TEST(HostileGraph, TenThousandPensShowInBoundedTime) {
    APen pens;
    for (int i = 0; i < 10000; ++i)
        pens.push_back(PenWith(1023, i % 1024));
    MemorySurface surface(500, 500);
    TDrawClass graph(surface, 0xFFFFFF);
    const Cost cost = Measure([&] {
        graph.SetPens(pens);
        graph.ShowPen(9999);
        graph.ShowPen(0);
    });
    EXPECT_LT(cost.Seconds, 2.0);
    EXPECT_EQ(graph.GetPens().size(), 10000u);
}

// ---- the pen editor

class HostileEditor : public ::testing::Test {
protected:
    void Type(const std::vector<const char*>& texts) {
        QLineEdit* fields[] = {Edit.P1X(), Edit.P1Y(), Edit.P2X(), Edit.P2Y(),
                               Edit.P3X(), Edit.P3Y(), Edit.UT(),  Edit.LT()};
        for (size_t i = 0; i < 8; ++i)
            fields[i]->setText(QString::fromLatin1(texts[i]));
    }
    ScriptedPrompter Prompter;
    TFormEdit Edit{Prompter};
};

TEST_F(HostileEditor, ResolutionZeroAndMinusOneKeepEveryValueOnTheirScale) {
    for (int32_t r : {0, -1}) {
        SCOPED_TRACE(r);
        Edit.LoadPen(0, {PenWith(r, 5)});
        Type({"5", "-5", "2147483647", "-2147483648", "0", "1", "1023", "-1"});
        Edit.OKButtonClick();
        EXPECT_TRUE(Prompter.Messages().isEmpty());
        const Pen p = Edit.GetPens().at(0);
        for (int32_t v : EditedValues(p)) {
            EXPECT_GE(v, std::min(0, r));
            EXPECT_LE(v, std::max(0, r));
        }
    }
}

TEST_F(HostileEditor, NumbersBeyondThirtyTwoBitsAreRejected) {
    for (const char* bad : {"2147483648", "-2147483649", "4294967296", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        Prompter.Log.clear();
        Edit.LoadPen(0, {PenWith(1023, 5)});
        Type({"1", "2", "3", "4", "5", "6", "7", bad});
        Edit.OKButtonClick();
        EXPECT_EQ(Prompter.Messages(), QStringList{"Incorrect input data..."});
        EXPECT_NE(Edit.result(), TFormEdit::ResultOK);
    }
    Prompter.Log.clear();
    Edit.LoadPen(0, {PenWith(1023, 5)});
    Type({"2147483647", "-2147483648", "1", "1", "1", "1", "2147483647", "-2147483648"});
    Edit.OKButtonClick();
    EXPECT_TRUE(Prompter.Messages().isEmpty());
    EXPECT_EQ(Edit.GetPens()[0].P1X, 1023);
    EXPECT_EQ(Edit.GetPens()[0].P1Y, 0);
    EXPECT_EQ(Edit.GetPens()[0].UpperThreshold, 1023);
    EXPECT_EQ(Edit.GetPens()[0].LowerThreshold, 0);
}

TEST_F(HostileEditor, AHugeFieldTextIsRejectedQuickly) {
    Edit.LoadPen(0, {PenWith(1023, 5)});
    const std::string digits(1 << 20, '9');
    Type({"1", "2", "3", "4", "5", "6", "7", "8"});
    Edit.LT()->setMaxLength(INT_MAX);
    Edit.LT()->setText(QString::fromStdString(digits));
    const Cost cost = Measure([&] { Edit.OKButtonClick(); });
    EXPECT_LT(cost.Seconds, FastSeconds);
    EXPECT_EQ(Prompter.Messages(), QStringList{"Incorrect input data..."});
}

} // namespace
