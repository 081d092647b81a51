// The curve read as a mapping between force and output, against worked cases of the quadratic Bezier
// curve (points given as output x, force y).

#include "graph/CurveMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double Tight = 1e-9;

// The three shapes a user makes most: straight, soft (much output for little force) and firm (the mirror).
const TCurveMap Linear(0, 0, 500, 500, 1000, 1000);
const TCurveMap Soft(0, 0, 800, 200, 1000, 1000);
const TCurveMap Firm(0, 0, 200, 800, 1000, 1000);

} // namespace

TEST(CurveMap, StraightSoftAndFirmCurvesMapBothWays) {
    for (double v : {0.0, 1.0, 333.25, 999.0, 1000.0}) {
        EXPECT_NEAR(Linear.OutputAt(v), v, Tight);
        EXPECT_NEAR(Linear.ForceAt(v), v, Tight);
    }
    // Half way along the soft curve: force 350, output 650; a quarter of the way: force 137.5, output 362.5.
    EXPECT_NEAR(Soft.OutputAt(350), 650, Tight);
    EXPECT_NEAR(Soft.ForceAt(650), 350, Tight);
    EXPECT_NEAR(Soft.OutputAt(137.5), 362.5, Tight);
    EXPECT_NEAR(Soft.ForceAt(362.5), 137.5, Tight);
    EXPECT_NEAR(Firm.OutputAt(650), 350, Tight);
    EXPECT_NEAR(Firm.ForceAt(350), 650, Tight);
    // The ends exactly, also where the curve reaches them along a bend.
    EXPECT_EQ(Soft.OutputAt(0), 0);
    EXPECT_EQ(Soft.OutputAt(1000), 1000);
    EXPECT_EQ(Firm.ForceAt(1000), 1000);
}

TEST(CurveMap, ACurveThatRisesAndFallsAnswersWithItsFirstPoint) {
    // The force rises to 500 half way and falls back to 0 while the output runs 0 to 1000.
    const TCurveMap arch(0, 0, 500, 1000, 1000, 0);
    // Force 375 is met at t = 0.25 and t = 0.75: the first one, output 250.
    EXPECT_NEAR(arch.OutputAt(375), 250, Tight);
    // Force 0 at both ends: the lower point.
    EXPECT_EQ(arch.OutputAt(0), 0);
    // A force above the top is closest at the turning point, which is not on the asked force.
    const TCurvePoint top = arch.AtForce(800);
    EXPECT_NEAR(top.Output, 500, Tight);
    EXPECT_NEAR(top.Force, 500, Tight);
    EXPECT_FALSE(top.Exact);
    // The inverse along the other axis: output 750 is at t = 0.75, force 375.
    EXPECT_NEAR(arch.ForceAt(750), 375, Tight);

    // An output that runs back: out to 625 at t = 0.625, back to the upper point's 400.
    const TCurveMap hook(0, 0, 1000, 500, 400, 1000);
    // Output 600 at t = 0.5 (force 500) and t = 0.75 (force 750); output 400 at t = 0.25 (force 250) and at
    // the upper point (force 1000): the first each time.
    EXPECT_NEAR(hook.ForceAt(600), 500, Tight);
    EXPECT_NEAR(hook.ForceAt(400), 250, Tight);
}

TEST(CurveMap, FlatAndDegenerateCurvesAnswerWithTheirFirstPoint) {
    const TCurveMap point(300, 300, 300, 300, 300, 300);
    for (double v : {0.0, 300.0, 1000.0}) {
        EXPECT_EQ(point.OutputAt(v), 300);
        EXPECT_EQ(point.ForceAt(v), 300);
    }
    // Every point at force 500: met everywhere, and the first is the lower point; closest everywhere for
    // any other force, and again the first.
    const TCurveMap flat(100, 500, 600, 500, 900, 500);
    EXPECT_EQ(flat.OutputAt(500), 100);
    EXPECT_TRUE(flat.AtForce(500).Exact);
    EXPECT_EQ(flat.OutputAt(20), 100);
    EXPECT_FALSE(flat.AtForce(20).Exact);
    // The middle point on the lower one: a straight line run at a changing pace.
    const TCurveMap bunched(0, 0, 0, 0, 1000, 1000);
    EXPECT_NEAR(bunched.OutputAt(250), 250, Tight);
    EXPECT_NEAR(bunched.AtForce(250).T, 0.5, Tight);
}

TEST(CurveMap, ValuesOutsideTheCurveAnswerWithTheNearestEnd) {
    // Lower point at force 100, upper at force 900.
    const TCurveMap raised(0, 100, 500, 500, 1000, 900);
    EXPECT_EQ(raised.OutputAt(50), 0);
    EXPECT_EQ(raised.OutputAt(-1e9), 0);
    EXPECT_EQ(raised.OutputAt(950), 1000);
    EXPECT_FALSE(raised.AtForce(950).Exact);
    EXPECT_EQ(raised.ForceAt(-10), 100);
    EXPECT_EQ(raised.ForceAt(1e300), 900);
    // Points far outside any pen's scale still give finite answers.
    const TCurveMap wild(-2147483648.0, 2147483647.0, 2147483647.0, -2147483648.0, 0, 0);
    EXPECT_TRUE(std::isfinite(wild.OutputAt(5)));
    EXPECT_TRUE(std::isfinite(wild.ForceAt(-7)));
    // Not a number: the lower point, marked as not met.
    const TCurvePoint none = raised.AtForce(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(none.Output, 0);
    EXPECT_FALSE(none.Exact);
}
