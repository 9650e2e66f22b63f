#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "geometry/CyclicElement.h"
#include "geometry/PolygonTriangulator.h"
#include "PolygonShapes.h"

using namespace TAVO;
using namespace GeometryTest;

namespace {

using P2f = Point<2, float>;
using V2f = Vector<2, float>;
using Triangle = Tuple<3, unsigned int>;
using Contours = std::vector<std::vector<std::uint32_t>>;

const V2f up(0.0f, 1.0f);

std::vector<Triangle> triangles(const Polygon& polygon, V2f direction = up, bool flag = true) {
    std::vector<Triangle> out;
    PolygonTriangulator(polygon, direction, flag).triangulate(out);
    return out;
}

Polygon polygonOf(const std::vector<P2f>& points, const Contours& contours) {
    Polygon polygon;
    for (const P2f& p : points)
        polygon.addPoint(p);
    for (const auto& contour : contours)
        polygon.addContour(contour);
    return polygon;
}

double cross(const P2f& a, const P2f& b, const P2f& c) {
    return (double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(b[1]) - a[1]) * (double(c[0]) - a[0]);
}

double signedArea(const std::vector<P2f>& points, const Triangle& t) {
    return 0.5 * cross(points[t[0]], points[t[1]], points[t[2]]);
}

double polygonArea(const Polygon& polygon) {
    double sum = 0.0;
    for (const auto& contour : polygon.contours())
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const P2f& a = polygon.points()[contour[i]];
            const P2f& b = polygon.points()[contour[(i + 1) % contour.size()]];
            sum += 0.5 * (double(a[0]) * b[1] - double(b[0]) * a[1]);
        }
    return sum;
}

// Points are taken in double so that the centroid of a sliver stays inside it.
struct D2 {
    double x, y;
};

D2 d2(const P2f& p) { return D2{p[0], p[1]}; }

double crossD(const D2& a, const D2& b, const D2& c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

bool strictlyInside(const D2& p, const D2& a, const D2& b, const D2& c) {
    return crossD(a, b, p) > 0 && crossD(b, c, p) > 0 && crossD(c, a, p) > 0;
}

bool properlyCross(const P2f& a, const P2f& b, const P2f& c, const P2f& d) {
    auto sign = [](double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
    return sign(cross(a, b, c)) * sign(cross(a, b, d)) < 0 && sign(cross(c, d, a)) * sign(cross(c, d, b)) < 0;
}

// Whether the interiors of two counter-clockwise triangles meet.
bool overlap(const std::vector<P2f>& points, const Triangle& s, const Triangle& t) {
    const P2f a[3] = {points[s[0]], points[s[1]], points[s[2]]};
    const P2f b[3] = {points[t[0]], points[t[1]], points[t[2]]};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (properlyCross(a[i], a[(i + 1) % 3], b[j], b[(j + 1) % 3]))
                return true;
    const D2 da[3] = {d2(a[0]), d2(a[1]), d2(a[2])};
    const D2 db[3] = {d2(b[0]), d2(b[1]), d2(b[2])};
    for (int i = 0; i < 3; ++i)
        if (strictlyInside(da[i], db[0], db[1], db[2]) || strictlyInside(db[i], da[0], da[1], da[2]))
            return true;
    const D2 ca{(da[0].x + da[1].x + da[2].x) / 3, (da[0].y + da[1].y + da[2].y) / 3};
    const D2 cb{(db[0].x + db[1].x + db[2].x) / 3, (db[0].y + db[1].y + db[2].y) / 3};
    return strictlyInside(ca, db[0], db[1], db[2]) || strictlyInside(cb, da[0], da[1], da[2]);
}

std::string describe(const std::vector<P2f>& points, const Triangle& t) {
    std::ostringstream text;
    text.precision(9);
    for (int k = 0; k < 3; ++k)
        text << t[k] << "(" << points[t[k]][0] << ", " << points[t[k]][1] << ") ";
    text << "area " << signedArea(points, t);
    return text.str();
}

// Every triangle positive, only the polygon's points, areas adding up to the
// polygon's, no two overlapping, and n + 2 holes - 2 triangles in all.
void expectTriangulation(const Polygon& polygon, std::size_t holes, const std::string& name) {
    std::vector<Triangle> out;
    ASSERT_NO_THROW(out = triangles(polygon)) << name;
    const auto& points = polygon.points();
    std::size_t vertices = 0;
    for (const auto& contour : polygon.contours())
        vertices += contour.size();
    ASSERT_EQ(out.size(), vertices + 2 * holes - 2) << name;
    double sum = 0.0;
    struct Box { float x0, y0, x1, y1; };
    std::vector<Box> boxes;
    for (const Triangle& t : out) {
        for (int k = 0; k < 3; ++k)
            ASSERT_LT(t[k], points.size()) << name;
        const double area = signedArea(points, t);
        ASSERT_GT(area, 0.0) << name << " triangle " << t[0] << " " << t[1] << " " << t[2];
        sum += area;
        Box box{points[t[0]][0], points[t[0]][1], points[t[0]][0], points[t[0]][1]};
        for (int k = 1; k < 3; ++k) {
            box.x0 = std::min(box.x0, points[t[k]][0]);
            box.y0 = std::min(box.y0, points[t[k]][1]);
            box.x1 = std::max(box.x1, points[t[k]][0]);
            box.y1 = std::max(box.y1, points[t[k]][1]);
        }
        boxes.push_back(box);
    }
    const double area = polygonArea(polygon);
    ASSERT_NEAR(sum, area, 1e-5 * std::fabs(area)) << name;
    for (std::size_t i = 0; i < out.size(); ++i)
        for (std::size_t j = i + 1; j < out.size(); ++j) {
            if (boxes[i].x1 <= boxes[j].x0 || boxes[j].x1 <= boxes[i].x0 || boxes[i].y1 <= boxes[j].y0 ||
                boxes[j].y1 <= boxes[i].y0)
                continue;
            ASSERT_FALSE(overlap(points, out[i], out[j]))
                << name << " triangles " << i << " and " << j << ": " << describe(points, out[i]) << " / "
                << describe(points, out[j]);
        }
}

} // namespace

TEST(PolygonTriangulator, UnitSquare) {
    const Polygon square = polygonOf({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1, 2, 3}});
    const auto out = triangles(square);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], Triangle(0u, 1u, 2u));
    EXPECT_EQ(out[1], Triangle(3u, 0u, 2u));
}

TEST(PolygonTriangulator, SquareWithAHoleIsBridgedAndSplit) {
    const Polygon framed = polygonOf({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 1}, {1, 3}, {3, 3}, {3, 1}},
                                     {{0, 1, 2, 3}, {4, 5, 6, 7}});
    const PolygonTriangulator triangulator(framed, up, true);
    EXPECT_EQ(triangulator.polygon().contours(), (Contours{{0, 7, 4, 5, 2, 3}, {5, 6, 7, 0, 1, 2}}));
    expectTriangulation(framed, 1, "framed square");
}

TEST(PolygonTriangulator, EmptyPolygonAndRepeatedCalls) {
    EXPECT_TRUE(triangles(Polygon()).empty());
    const Polygon triangle = polygonOf({{0, 0}, {2, 0}, {1, 2}}, {{0, 1, 2}});
    const PolygonTriangulator triangulator(triangle, up, true);
    std::vector<Triangle> out;
    triangulator.triangulate(out);
    triangulator.triangulate(out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], out[1]);
}

TEST(PolygonTriangulator, HeightTiesRunFromTheLargerAcrossCoordinate) {
    // Both bottom corners share y = 0; the right one comes first, so the fan
    // starts at the rightmost of the lowest points' neighbours.
    const Polygon square = polygonOf({{0, 0}, {2, 0}, {2, 1}, {1, 2}, {0, 1}}, {{0, 1, 2, 3, 4}});
    expectTriangulation(square, 0, "pentagon");
    // A cleared flag reads every contour the other way round.
    const Polygon clockwise = polygonOf({{0, 0}, {0, 1}, {1, 2}, {2, 1}, {2, 0}}, {{0, 1, 2, 3, 4}});
    const auto out = triangles(clockwise, up, false);
    ASSERT_EQ(out.size(), 3u);
    double sum = 0;
    for (const Triangle& t : out)
        sum += signedArea(clockwise.points(), t);
    EXPECT_NEAR(sum, -polygonArea(clockwise), 1e-6); // triangles wind like the input
}

TEST(PolygonTriangulator, CoincidentPointsMakeOneEvent) {
    // Point 4 lies where point 1 lies; the outline touches itself there.
    const Polygon touching = polygonOf({{0, 0}, {2, 0}, {4, 0}, {4, 2}, {2, 0}, {0, 2}}, {{0, 1, 2, 3, 4, 5}});
    std::vector<Triangle> out;
    EXPECT_NO_THROW(out = triangles(touching));
    for (const Triangle& t : out)
        for (int k = 0; k < 3; ++k)
            EXPECT_LT(t[k], 6u);
}

TEST(PolygonTriangulator, RandomStarsWithHoles) {
    PolygonShapes shapes(20240601);
    for (int round = 0; round < 1500; ++round) {
        Polygon polygon;
        const int holes = shapes.integer(0, 4);
        polygon.addContour(shapes.star(polygon, 0.0, 0.0, 50.0, 100.0, shapes.integer(holes ? 8 : 3, 40)));
        // Holes on a ring of slots inside the smallest radius, each in its own slot.
        for (int h = 0; h < holes; ++h) {
            const double angle = 2.0 * std::numbers::pi * h / 4 + shapes.uniform(-0.2, 0.2);
            const double distance = shapes.uniform(20.0, 28.0);
            polygon.addContour(shapes.star(polygon, distance * std::cos(angle), distance * std::sin(angle), 4.0, 9.0,
                                           shapes.integer(3, 12), true));
        }
        expectTriangulation(polygon, holes, "star round " + std::to_string(round));
    }
}

TEST(PolygonTriangulator, RandomJigsawOutlines) {
    PolygonShapes shapes(77);
    for (int round = 0; round < 1000; ++round) {
        Polygon polygon;
        polygon.addContour(shapes.jigsaw(polygon, shapes.uniform(-50, 50), shapes.uniform(-50, 50), 100.0,
                                         shapes.integer(48, 160)));
        const bool hole = shapes.integer(0, 1) == 1;
        if (hole) // a hole in the middle, clear of every tab
            polygon.addContour(polygon.contour(0).empty()
                                   ? std::vector<std::uint32_t>()
                                   : shapes.star(polygon, polygon.points()[0][0] + 50.0, polygon.points()[0][1] + 50.0,
                                                 5.0, 15.0, shapes.integer(3, 20), true));
        expectTriangulation(polygon, hole ? 1 : 0, "jigsaw round " + std::to_string(round));
    }
}

TEST(PolygonTriangulator, SeveralOutlinesAndRotatedSweeps) {
    PolygonShapes shapes(5);
    for (int round = 0; round < 200; ++round) {
        Polygon polygon;
        for (int piece = 0; piece < 3; ++piece)
            polygon.addContour(shapes.jigsaw(polygon, piece * 200.0, shapes.uniform(0, 300), 100.0, 60));
        const double angle = shapes.uniform(0, 6.28);
        const V2f direction(float(std::cos(angle)), float(std::sin(angle)));
        std::vector<Triangle> out;
        ASSERT_NO_THROW(PolygonTriangulator(polygon, direction, true).triangulate(out));
        double sum = 0;
        for (const Triangle& t : out)
            sum += signedArea(polygon.points(), t);
        EXPECT_NEAR(sum, polygonArea(polygon), 1e-4 * polygonArea(polygon)) << round;
    }
}

TEST(PolygonTriangulator, MalformedInputThrows) {
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {1, 0}}, {{0, 1}})), UnexpectedValueException);
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {1, 0}, {1, 1}}, {{}})), UnexpectedValueException);
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {1, 0}, {1, 1}}, {{0, 1, 7}})), BoundException<unsigned int>);
    // A bow tie crosses itself.
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {2, 2}, {2, 0}, {0, 2}}, {{0, 1, 2, 3}})), UnexpectedValueException);
    // A hole that reaches out of its outline.
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 1}, {1, 3}, {5, 3}, {5, 1}},
                                     {{0, 1, 2, 3}, {4, 5, 6, 7}})),
                 UnexpectedValueException);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_THROW(triangles(polygonOf({{0, 0}, {nan, 0}, {1, 1}}, {{0, 1, 2}})), UnexpectedValueException);
}

TEST(PolygonTriangulator, WronglyWoundInputNeverReadsOutOfRange) {
    PolygonShapes shapes(31);
    for (int round = 0; round < 300; ++round) {
        Polygon polygon;
        polygon.addContour(shapes.star(polygon, 0, 0, 50, 100, shapes.integer(3, 30), round % 2 == 0));
        if (round % 3 == 0)
            polygon.addContour(shapes.star(polygon, 10, 0, 5, 10, shapes.integer(3, 10), round % 2 == 1));
        std::vector<Triangle> out;
        try {
            PolygonTriangulator(polygon, up, round % 5 != 0).triangulate(out);
        } catch (const Exception&) {
            continue;
        }
        for (const Triangle& t : out)
            for (int k = 0; k < 3; ++k)
                ASSERT_LT(t[k], polygon.points().size());
    }
}

TEST(PolygonTriangulator, PolygonOperations) {
    Polygon polygon;
    polygon.insertRectangle(Hyperrectangle<2, float>(P2f(1.0f, 2.0f), Tuple<2, float>(3.0f, 4.0f)));
    EXPECT_EQ(polygon.points()[2], P2f(4.0f, 6.0f));
    EXPECT_EQ(polygon.area(), 12.0f);
    Polygon other = polygon;
    other.transform(Transformation<2, float>::Translation(V2f(10.0f, 0.0f)));
    polygon.append(other);
    EXPECT_EQ(polygon.contourCount(), 2u);
    EXPECT_EQ(polygon.contour(1), (std::vector<std::uint32_t>{4, 5, 6, 7}));
    EXPECT_EQ(polygon.points()[4], P2f(11.0f, 2.0f));
    polygon.removeContour(0);
    EXPECT_EQ(polygon.contour(0), (std::vector<std::uint32_t>{4, 5, 6, 7}));
    EXPECT_THROW(polygon.removeContour(1), BoundException<unsigned int>);
    EXPECT_THROW(polygon.contour(5), BoundException<unsigned int>);
}

TEST(PolygonTriangulator, CyclicElement) {
    const std::vector<std::uint32_t> ring{10, 11, 12};
    EXPECT_EQ(cyclicElement(ring, -1), 12u);
    EXPECT_EQ(cyclicElement(ring, -3), 10u);
    EXPECT_EQ(cyclicElement(ring, 3), 10u);
    EXPECT_EQ(cyclicElement(ring, -7), 12u);
    EXPECT_THROW(cyclicElement({}, 0), UnexpectedValueException);
}

TEST(PolygonTriangulator, BridgeInsertion) {
    std::vector<std::uint32_t> p{0, 1, 2, 3};
    PolygonTriangulator::insertBridge(p, {4, 5, 6, 7}, 0, 3);
    EXPECT_EQ(p, (std::vector<std::uint32_t>{0, 7, 4, 5, 6, 7, 0, 1, 2, 3}));
}
