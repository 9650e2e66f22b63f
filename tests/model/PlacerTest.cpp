#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/placers/OuterRectanglePlacer.h"

using TAVO::Point;
using TAVO::Vector;
using Rectangle = TAVO::Hyperrectangle<2, float>;

namespace {

Rectangle rectangle(float x, float y, float w, float h) {
    return Rectangle(Point<2, float>(x, y), TAVO::Tuple<2, float>(w, h));
}

Point<2, float> at(float x, float y) { return Point<2, float>(x, y); }

Point<2, float> placed(OuterRectanglePlacer& placer, float w, float h) {
    return placer.place(rectangle(123.0f, -45.0f, w, h)).position();
}

// Whether the open interiors of two rectangles meet, in double.
bool overlap(double ax, double ay, double aw, double ah, double bx, double by, double bw, double bh) {
    return ax < bx + bw && bx < ax + aw && ay < by + bh && by < ay + ah;
}

} // namespace

TEST(OuterRectanglePlacer, SquaresAroundAnEmptyRectangleSpiralOutwards) {
    OuterRectanglePlacer placer(rectangle(0.0f, 0.0f, 0.0f, 0.0f), Vector<2, float>(5.0f, 5.0f));
    // The first slot at (0, 0); the second to its left, level with it; two
    // slots side by side are wide, so the third starts a row under the second.
    EXPECT_EQ(placed(placer, 10.0f, 10.0f), at(5.0f, 5.0f));
    EXPECT_EQ(placed(placer, 10.0f, 10.0f), at(-15.0f, 5.0f));
    EXPECT_EQ(placed(placer, 10.0f, 10.0f), at(-15.0f, -15.0f));
    // That row goes left to right under the first two.
    EXPECT_EQ(placed(placer, 10.0f, 10.0f), at(5.0f, -15.0f));
    EXPECT_EQ(placer.covered(), rectangle(-20.0f, -20.0f, 40.0f, 40.0f));
    // Only the size of the bounds matters; the angle is always 0.
    EXPECT_EQ(placer.place(rectangle(-999.0f, 999.0f, 10.0f, 10.0f)).orientation().value(), 0.0);
}

TEST(OuterRectanglePlacer, ExactlyTheGoldenRatioIsNotWide) {
    const float h = 100.0f;
    const float w = h * OuterRectanglePlacer::goldenRatio;
    // Not wide: a column left of the left side (the far side is to the
    // right), top to bottom.
    OuterRectanglePlacer column(rectangle(0.0f, 0.0f, w, h), Vector<2, float>(5.0f, 5.0f));
    EXPECT_EQ(placed(column, 10.0f, 10.0f), at(-15.0f, 85.0f));
    // A hair wider: a row under the bottom side, left to right.
    OuterRectanglePlacer row(rectangle(0.0f, 0.0f, std::nextafter(w, 1e9f), h), Vector<2, float>(5.0f, 5.0f));
    EXPECT_EQ(placed(row, 10.0f, 10.0f), at(5.0f, -15.0f));
    // A square is not wide either.
    OuterRectanglePlacer square(rectangle(10.0f, 10.0f, 50.0f, 50.0f), Vector<2, float>(5.0f, 5.0f));
    EXPECT_EQ(placed(square, 10.0f, 10.0f), at(-5.0f, 45.0f));
}

TEST(OuterRectanglePlacer, SymmetricAboutTheOriginIsNotFar) {
    // Equal distances: the run goes up the right side.
    OuterRectanglePlacer placer(rectangle(-50.0f, -50.0f, 100.0f, 100.0f), Vector<2, float>(5.0f, 5.0f));
    EXPECT_EQ(placed(placer, 10.0f, 10.0f), at(55.0f, -45.0f));
    EXPECT_EQ(placed(placer, 10.0f, 30.0f), at(55.0f, -25.0f));
    // Wide and symmetric: the run goes right to left above the top side.
    OuterRectanglePlacer wide(rectangle(-100.0f, -10.0f, 200.0f, 20.0f), Vector<2, float>(2.0f, 3.0f));
    EXPECT_EQ(placed(wide, 8.0f, 4.0f), at(100.0f - 12.0f + 2.0f, 10.0f + 3.0f));
}

TEST(OuterRectanglePlacer, SlotsNeverOverlapEachOtherOrTheInnerArea) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::uniform_real_distribution<float> size(1.0f, round % 2 ? 40.0f : 200.0f);
        const Rectangle inner =
            round % 3 == 0 ? rectangle(0.0f, 0.0f, 0.0f, 0.0f)
                           : rectangle(-size(random) * 3.0f, -size(random) * 2.0f, size(random) * 6.0f, size(random) * 4.0f);
        const Vector<2, float> gap(float(round % 4), 5.0f);
        OuterRectanglePlacer placer(inner, gap);
        struct Slot {
            double x, y, w, h;
        };
        std::vector<Slot> slots;
        double low[2] = {inner.origin()[0], inner.origin()[1]};
        double high[2] = {low[0] + inner.extent()[0], low[1] + inner.extent()[1]};
        for (int i = 0; i < 300; ++i) {
            const float w = size(random), h = size(random);
            const Point<2, float> at = placed(placer, w, h);
            // The slot: the part and the gap on every side.
            const Slot slot{double(at[0]) - gap[0], double(at[1]) - gap[1], double(w) + 2 * gap[0],
                            double(h) + 2 * gap[1]};
            // A float rounding may leave a sliver where slots touch.
            ASSERT_FALSE(overlap(slot.x + 1e-3, slot.y + 1e-3, slot.w - 2e-3, slot.h - 2e-3, inner.origin()[0],
                                 inner.origin()[1], inner.extent()[0], inner.extent()[1]))
                << "round " << round << " slot " << i << " at " << slot.x << "," << slot.y << " size " << slot.w << "," << slot.h
                << " inner " << inner.origin()[0] << "," << inner.origin()[1] << " " << inner.extent()[0] << "," << inner.extent()[1];
            for (std::size_t j = 0; j < slots.size(); ++j) {
                const Slot& other = slots[j];
                ASSERT_FALSE(overlap(slot.x + 1e-3, slot.y + 1e-3, slot.w - 2e-3, slot.h - 2e-3, other.x, other.y,
                                     other.w, other.h))
                    << "round " << round << " slot " << i << " meets slot " << j;
            }
            slots.push_back(slot);
            low[0] = std::min(low[0], slot.x), low[1] = std::min(low[1], slot.y);
            high[0] = std::max(high[0], slot.x + slot.w), high[1] = std::max(high[1], slot.y + slot.h);
        }
        // The covered rectangle is the union of everything handed out.
        EXPECT_NEAR(placer.covered().origin()[0], low[0], 1e-2);
        EXPECT_NEAR(placer.covered().origin()[1], low[1], 1e-2);
        EXPECT_NEAR(placer.covered().extent()[0], high[0] - low[0], 1e-1);
        EXPECT_NEAR(placer.covered().extent()[1], high[1] - low[1], 1e-1);
        // Rings stay compact: the covered area is at most a few times the slots' area.
        double area = 0.0;
        for (const Slot& slot : slots)
            area += slot.w * slot.h;
        EXPECT_LT((high[0] - low[0]) * (high[1] - low[1]), 4.0 * (area + double(inner.extent()[0]) * inner.extent()[1]))
            << "round " << round;
    }
}
