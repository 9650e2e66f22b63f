// The small picture of a part carried over the tray bar.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/TableDrawing.h"

using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;

namespace {

// The picture's size in pixels for a window of the viewport.
Tuple<2, float> pixelsOf(const TableDrawing::Matrix3& m, const Hyperrectangle<2, float>& bounds,
                         const Tuple<2, unsigned int>& viewport) {
    return Tuple<2, float>(m[0][0] * bounds.extent()[0] * float(viewport[0]) / 2.0f,
                           m[1][1] * bounds.extent()[1] * float(viewport[1]) / 2.0f);
}

} // namespace

TEST(TableDrawingTest, ACarriedPartIsShownAtTheIconSize) {
    EXPECT_FLOAT_EQ(TableDrawing::iconSide(true), 52.7f);
    EXPECT_FLOAT_EQ(TableDrawing::iconSide(false), 68.51f);

    const Hyperrectangle<2, float> bounds(Point<2, float>(64, 32), Tuple<2, float>(80, 40));
    const Tuple<2, unsigned int> viewport(800, 600);
    const Point<2, float> hover(0.25f, -0.5f);
    TableDrawing::Matrix3 m;
    ASSERT_TRUE(TableDrawing::iconTransformation(bounds, hover, true, viewport, m));
    const Tuple<2, float> pixels = pixelsOf(m, bounds, viewport);
    EXPECT_FLOAT_EQ(pixels[0], 52.7f);
    EXPECT_FLOAT_EQ(pixels[1], 26.35f);
    // Centred on the hover position.
    const float cx = m[0][0] * (64 + 40) + m[0][2];
    const float cy = m[1][1] * (32 + 20) + m[1][2];
    EXPECT_NEAR(cx, hover[0], 1e-6f);
    EXPECT_NEAR(cy, hover[1], 1e-6f);

    ASSERT_TRUE(TableDrawing::iconTransformation(bounds, hover, false, viewport, m));
    EXPECT_FLOAT_EQ(pixelsOf(m, bounds, viewport)[0], 68.51f);
}

TEST(TableDrawingTest, PartsWithoutAreaHaveNoIcon) {
    TableDrawing::Matrix3 m;
    const Hyperrectangle<2, float> flat(Point<2, float>(0, 0), Tuple<2, float>(10, 0));
    EXPECT_FALSE(TableDrawing::iconTransformation(flat, Point<2, float>(0, 0), true, Tuple<2, unsigned int>(800, 600), m));
    const Hyperrectangle<2, float> square(Point<2, float>(0, 0), Tuple<2, float>(10, 10));
    EXPECT_FALSE(TableDrawing::iconTransformation(square, Point<2, float>(0, 0), true, Tuple<2, unsigned int>(0, 600), m));
}
