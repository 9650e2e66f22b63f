// Rounded rectangles and outlines, checked against geometry worked out
// independently in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "ui/ShapeGeometry.h"

using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;

namespace {

double signedArea(const std::vector<Point<2, float>>& points, const Polygon::Contour& contour) {
    double twice = 0.0;
    for (std::size_t i = 0; i < contour.size(); ++i) {
        const auto& a = points[contour[i]];
        const auto& b = points[contour[(i + 1) % contour.size()]];
        twice += double(a[0]) * b[1] - double(b[0]) * a[1];
    }
    return twice / 2.0;
}

double triangleArea(const ShapeGeometry::Triangles& t, std::size_t i) {
    const auto& a = t.points[t.triangles[i][0]];
    const auto& b = t.points[t.triangles[i][1]];
    const auto& c = t.points[t.triangles[i][2]];
    return ((double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(b[1]) - a[1]) * (double(c[0]) - a[0])) / 2.0;
}

Polygon path(std::initializer_list<std::pair<float, float>> corners) {
    Polygon p;
    Polygon::Contour contour;
    for (auto [x, y] : corners)
        contour.push_back(p.addPoint(Point<2, float>(x, y)));
    p.addContour(contour);
    return p;
}

} // namespace

// Radius 15: three segments per quarter, four points per quarter, every
// point on its corner's circle, counter-clockwise from the upper right.
TEST(ShapeGeometry, ARoundedRectangleOfRadiusFifteen) {
    const Hyperrectangle<2, float> r(Point<2, float>(2.5f, 2.5f), Tuple<2, float>(105, 55));
    const Polygon p = ShapeGeometry::roundedRectangle(r, 15.0f);
    ASSERT_EQ(p.points().size(), 16u);
    ASSERT_EQ(p.contourCount(), 1u);
    EXPECT_EQ(p.contour(0).size(), 16u);
    const double centres[4][2] = {{92.5, 42.5}, {17.5, 42.5}, {17.5, 17.5}, {92.5, 17.5}};
    for (int q = 0; q < 4; ++q)
        for (int i = 0; i < 4; ++i) {
            const auto& pt = p.points()[q * 4 + i];
            const double angle = std::numbers::pi / 2.0 * (q + i / 3.0);
            EXPECT_NEAR(pt[0], centres[q][0] + 15.0 * std::cos(angle), 1e-4) << q << " " << i;
            EXPECT_NEAR(pt[1], centres[q][1] + 15.0 * std::sin(angle), 1e-4) << q << " " << i;
        }
    // The rectangle less its corners, plus four fans of three chords each.
    const double n = 3.0, radius = 15.0;
    const double expected = 105.0 * 55.0 - 4.0 * radius * radius + 4.0 * n * 0.5 * radius * radius *
                                                                      std::sin(std::numbers::pi / (2.0 * n));
    EXPECT_NEAR(signedArea(p.points(), p.contour(0)), expected, 1e-2);
}

TEST(ShapeGeometry, SegmentsFollowTheRadius) {
    const Hyperrectangle<2, float> r(Point<2, float>(0, 0), Tuple<2, float>(100, 100));
    EXPECT_EQ(ShapeGeometry::roundedRectangle(r, 5.0f).points().size(), 8u);
    EXPECT_EQ(ShapeGeometry::roundedRectangle(r, 5.5f).points().size(), 12u);
    EXPECT_EQ(ShapeGeometry::roundedRectangle(r, 40.0f).points().size(), 36u);
    // No radius is still a closed path of finite points, its corners doubled.
    const Polygon sharp = ShapeGeometry::roundedRectangle(r, 0.0f);
    ASSERT_EQ(sharp.points().size(), 8u);
    for (const auto& pt : sharp.points())
        EXPECT_TRUE(std::isfinite(pt[0]) && std::isfinite(pt[1]));
    EXPECT_NEAR(signedArea(sharp.points(), sharp.contour(0)), 10000.0, 1e-3);
}

// A square stroked with half width 1 is the band between the squares one
// unit out and one unit in; on straight runs the mitre is the half width.
TEST(ShapeGeometry, TheOutlineOfASquareIsABandAroundIt) {
    const Polygon square = path({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const ShapeGeometry::Triangles band = ShapeGeometry::outline(square, 1.0f);
    ASSERT_EQ(band.points.size(), 12u);
    ASSERT_EQ(band.triangles.size(), 16u);
    // Corner (10, 0): outer (11, -1), on the path, inner (9, 1).
    EXPECT_NEAR(band.points[3][0], 11.0f, 1e-5);
    EXPECT_NEAR(band.points[3][1], -1.0f, 1e-5);
    EXPECT_EQ(band.points[4], (Point<2, float>(10, 0)));
    EXPECT_NEAR(band.points[5][0], 9.0f, 1e-5);
    EXPECT_NEAR(band.points[5][1], 1.0f, 1e-5);
    double area = 0.0;
    for (std::size_t i = 0; i < band.triangles.size(); ++i)
        area += std::fabs(triangleArea(band, i));
    EXPECT_NEAR(area, 12.0 * 12.0 - 8.0 * 8.0, 1e-3);

    // A point in the middle of a straight run is offset by exactly the half width.
    const ShapeGeometry::Triangles run = ShapeGeometry::outline(path({{0, 0}, {5, 0}, {10, 0}, {10, 10}}), 2.0f);
    EXPECT_NEAR(run.points[3][0], 5.0f, 1e-6);
    EXPECT_NEAR(run.points[3][1], -2.0f, 1e-6);
    EXPECT_NEAR(run.points[5][1], 2.0f, 1e-6);
}

// Where the path turns right back the mitre has no direction; the band
// takes the plain offset there instead of dividing by zero.
TEST(ShapeGeometry, AnEdgeDoublingBackKeepsTheOutlineFinite) {
    const ShapeGeometry::Triangles band = ShapeGeometry::outline(path({{0, 0}, {10, 0}, {5, 0}}), 1.0f);
    ASSERT_EQ(band.points.size(), 9u);
    for (const auto& pt : band.points) {
        EXPECT_TRUE(std::isfinite(pt[0]) && std::isfinite(pt[1]));
        EXPECT_LE(std::fabs(pt[1]), 1.0f + 1e-6f);
    }
    // At (10, 0) the incoming edge's offset: one unit either side.
    EXPECT_NEAR(band.points[3][1], -1.0f, 1e-6);
    EXPECT_NEAR(band.points[5][1], 1.0f, 1e-6);
    // Repeated points have no edge at all and are no trouble either.
    const ShapeGeometry::Triangles repeated = ShapeGeometry::outline(path({{0, 0}, {0, 0}, {4, 0}, {4, 4}}), 1.0f);
    for (const auto& pt : repeated.points)
        EXPECT_TRUE(std::isfinite(pt[0]) && std::isfinite(pt[1]));
}

// Each contour is a ring of its own: no triangle joins two contours.
TEST(ShapeGeometry, EveryContourIsClosedOnItself) {
    Polygon two = path({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    Polygon::Contour second;
    for (auto [x, y] : {std::pair{20.0f, 0.0f}, {30.0f, 0.0f}, {25.0f, 10.0f}})
        second.push_back(two.addPoint(Point<2, float>(x, y)));
    two.addContour(second);
    const ShapeGeometry::Triangles band = ShapeGeometry::outline(two, 0.5f);
    ASSERT_EQ(band.points.size(), 21u);
    ASSERT_EQ(band.triangles.size(), 28u);
    for (const auto& t : band.triangles) {
        const bool first = t[0] < 12;
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(t[k] < 12, first);
    }
    // Each ring's triangles use all of its points.
    std::set<unsigned int> used;
    for (const auto& t : band.triangles)
        used.insert({t[0], t[1], t[2]});
    EXPECT_EQ(used.size(), 21u);
}
