// Value <-> pixel mappings: places of the rounding, halves to even, the value 0, the current image size.

#include "GraphFixture.h"

#include <limits>

namespace {

struct Mapping : ::testing::Test {
    MemorySurface Surface{500, 500};
    TDrawClass Graph{Surface, 0xFFFFFFFF};
};

} // namespace

TEST_F(Mapping, ResolutionTopAndMiddleOnA500PixelImage) {
    EXPECT_EQ(Graph.ValueToX(1023, 0), 12);
    EXPECT_EQ(Graph.ValueToY(1023, 0), 488);
    EXPECT_EQ(Graph.ValueToX(1023, 1023), 488);
    EXPECT_EQ(Graph.ValueToY(1023, 1023), 12);
    EXPECT_EQ(Graph.ValueToX(1023, 512), 250);
    EXPECT_EQ(Graph.ValueToY(1023, 512), 250);
    // 238 / 476 * 1023 = 511.5: the x reading rounds it to 512, the y reading subtracts it from 1023.
    EXPECT_EQ(Graph.XToValue(1023, 250), 512);
    EXPECT_EQ(Graph.YToValue(1023, 250), 511);
    EXPECT_EQ(Graph.XToValue(1023, 12), 0);
    EXPECT_EQ(Graph.YToValue(1023, 488), 0);
    EXPECT_EQ(Graph.XToValue(1023, 488), 1023);
    EXPECT_EQ(Graph.YToValue(1023, 12), 1023);
}

TEST_F(Mapping, ExactHalvesGoToTheEvenNeighbour) {
    // 238 / 476 * 21 = 10.5 -> 10.
    EXPECT_EQ(Graph.XToValue(21, 250), 10);
    EXPECT_EQ(Graph.YToValue(21, 250), 11);
    // 476 / (952 / v) = v / 2: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
    EXPECT_EQ(Graph.ValueToX(952, 1), 12);
    EXPECT_EQ(Graph.ValueToX(952, 3), 14);
    EXPECT_EQ(Graph.ValueToX(952, 5), 14);
    EXPECT_EQ(Graph.ValueToY(952, 5), 486);
}

TEST_F(Mapping, ValuesOutsideTheScaleAreNotClamped) {
    EXPECT_EQ(Graph.ValueToX(1023, -1023), 12 - 476);
    EXPECT_EQ(Graph.ValueToY(1023, 2046), 488 - 952);
    EXPECT_EQ(Graph.XToValue(1023, 0), -26);
    EXPECT_EQ(Graph.YToValue(1023, 500), -26);
}

TEST_F(Mapping, ZeroMapsToTheMarginLinesWithoutDividing) {
    for (int R : {0, -7, 1023}) {
        EXPECT_EQ(Graph.ValueToX(R, 0), 12) << R;
        EXPECT_EQ(Graph.ValueToY(R, 0), 488) << R;
    }
}

TEST_F(Mapping, TheImageSizeIsReadAtEachCall) {
    EXPECT_EQ(Graph.ValueToX(1023, 1023), 488);
    Surface.Img = QImage(300, 200, QImage::Format_RGB32);
    EXPECT_EQ(Graph.ValueToX(1023, 1023), 288);
    EXPECT_EQ(Graph.ValueToY(1023, 1023), 12);
    EXPECT_EQ(Graph.ValueToY(1023, 0), 188);
    EXPECT_EQ(Graph.XToValue(1023, 150), 512); // 138 / 276 * 1023 = 511.5
    EXPECT_EQ(Graph.YToValue(1023, 100), 511); // 88 / 176 * 1023 = 511.5
}

TEST_F(Mapping, NoResultOverflowsEvenForAbsurdInputs) {
    // Each of these would convert an infinity or an out-of-range double to an integer unguarded.
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    EXPECT_GT(Graph.ValueToX(1, big), 1 << 28);
    EXPECT_LT(Graph.ValueToY(1, big), -(1 << 28));
    EXPECT_EQ(Graph.ValueToX(0, 5), 12);
    EXPECT_EQ(Graph.ValueToY(-1, 5), 488);
    EXPECT_EQ(Graph.XToValue(big, big), big);
    EXPECT_EQ(Graph.YToValue(big, small), big);
    EXPECT_EQ(Graph.YToValue(small, big), big);         // R - (a huge negative product)
    Surface.Img = QImage(24, 24, QImage::Format_RGB32); // a graph area of width 0
    EXPECT_EQ(Graph.XToValue(1023, 12), 0);
    EXPECT_EQ(Graph.XToValue(1023, 13), big);
    EXPECT_EQ(Graph.YToValue(1023, 11), big);
}
