#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "Cuts.h"
#include "PuzzleChecks.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/ReverseEdge.h"
#include "model/edges/StraightEdge.h"
#include "model/generators/PolygonPuzzleGenerator.h"
#include "model/generators/PuzzleGenerationException.h"

using namespace ModelTest;
using TAVO::Tuple;
using P2f = TAVO::Point<2, float>;

namespace {

Polygon polygonOf(const std::vector<P2f>& points, const std::vector<Polygon::Contour>& contours) {
    Polygon polygon;
    for (const P2f& p : points)
        polygon.addPoint(p);
    for (const auto& contour : contours)
        polygon.addContour(contour);
    return polygon;
}

std::unique_ptr<Puzzle> generated(const Polygon& polygon, ScriptedSource* random = nullptr) {
    std::shared_ptr<EdgeFactory> inner;
    if (random)
        inner = std::make_shared<ClassicEdgeFactory>(random, 1.0f, 0u, 7.5f);
    else
        inner = std::make_shared<StraightEdgeFactory>();
    PolygonPuzzleGenerator generator(inner, std::make_shared<StraightEdgeFactory>(), polygon);
    const TAVO::IncrementalBuffer pixels;
    return generator.generate(Tuple<2, float>(0.0f, 0.0f), pixels, TAVO::Migration::ImageMetadata());
}

bool isReverse(const Edge& edge) { return dynamic_cast<const ReverseEdge*>(&edge) != nullptr; }
bool isClassic(const Edge& edge) {
    if (const auto* reverse = dynamic_cast<const ReverseEdge*>(&edge))
        return dynamic_cast<const ClassicEdge*>(&reverse->wrapped()) != nullptr;
    return dynamic_cast<const ClassicEdge*>(&edge) != nullptr;
}

// The room of a side by brute force, in double: the nearest crossing of the
// ray from the side's middle along its left normal with any other side.
double bruteRoom(const std::vector<P2f>& points, const Polygon::Contour& contour, std::size_t k) {
    const std::size_t n = contour.size();
    const P2f p = points[contour[k]], q = points[contour[(k + 1) % n]];
    const double mx = (double(p[0]) + q[0]) / 2, my = (double(p[1]) + q[1]) / 2;
    const double dx = double(q[0]) - p[0], dy = double(q[1]) - p[1], len = std::hypot(dx, dy);
    const double vx = -dy / len, vy = dx / len;
    double best = INFINITY;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == k)
            continue;
        const P2f a = points[contour[i]], b = points[contour[(i + 1) % n]];
        // m + t v = a + s (b - a)
        const double ex = double(b[0]) - a[0], ey = double(b[1]) - a[1];
        const double det = vx * -ey - vy * -ex;
        if (std::fabs(det) < 1e-12)
            continue;
        const double rx = a[0] - mx, ry = a[1] - my;
        const double t = (rx * -ey - ry * -ex) / det, s = (vx * ry - vy * rx) / det;
        if (t > 1e-9 && s >= 0 && s <= 1)
            best = std::min(best, t);
    }
    return std::isinf(best) ? 0.0 : best;
}

// A grid of jittered points, each cell split into two triangles along a
// diagonal chosen by the seed: contours share their inner sides by index.
Polygon jitteredTriangles(std::uint32_t seed, int columns, int rows, float cell) {
    ScriptedSource random(seed);
    Polygon polygon;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            float jitter[2] = {0.0f, 0.0f};
            random.readFloat(jitter, 2, 0.5f);
            const bool inside = i > 0 && j > 0 && i < columns && j < rows;
            const float x = (float(i) + (inside ? jitter[0] - 0.25f : 0.0f)) * cell;
            const float y = (float(j) + (inside ? jitter[1] - 0.25f : 0.0f)) * cell;
            polygon.addPoint(P2f(x, y));
        }
    auto at = [&](int i, int j) { return std::uint32_t(j * (columns + 1) + i); };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            std::uint32_t diagonal = 0;
            random.readChoices(&diagonal, 1, 2);
            if (diagonal) {
                polygon.addContour({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
                polygon.addContour({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
            } else {
                polygon.addContour({at(i, j), at(i + 1, j), at(i, j + 1)});
                polygon.addContour({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            }
        }
    return polygon;
}

} // namespace

TEST(PolygonPuzzleGenerator, TwoTrianglesMakeTwoPiecesAndFiveEdges) {
    const Polygon polygon = polygonOf({P2f(0, 0), P2f(4, 0), P2f(4, 3), P2f(0, 3)}, {{0, 1, 2}, {0, 2, 3}});
    PolygonPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>(), std::make_shared<StraightEdgeFactory>(),
                                     polygon);
    EXPECT_STREQ(generator.name(), "polygon");
    EXPECT_EQ(generator.pieceCount(), 2u);
    const auto puzzle = generated(polygon);
    ASSERT_EQ(puzzle->pieceCount(), 2u);
    ASSERT_EQ(puzzle->edgeCount(), 5u);
    // Edges in key order: (0,1), (0,2), (0,3), (1,2), (2,3); the diagonal is edge 1.
    const auto& first = puzzle->piece(0);
    const auto& second = puzzle->piece(1);
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    // The first side of a contour runs from its last point to its first.
    EXPECT_EQ(first[0].edge, 1u); // 2 -> 0
    EXPECT_EQ(first[0].reversed, 1);
    EXPECT_EQ(first[0].neighbour, 1u);
    EXPECT_EQ(first[0].startsContour, 1);
    EXPECT_EQ(first[1].edge, 0u); // 0 -> 1
    EXPECT_EQ(first[1].neighbour, PieceEdge::border);
    EXPECT_EQ(second[1].edge, 1u); // 0 -> 2
    EXPECT_EQ(second[1].reversed, 0);
    EXPECT_EQ(second[1].neighbour, 0u);
    EXPECT_EQ(second[1].startsContour, 0);
    expectTiling(*puzzle, 12.0, 1e-5f);
}

TEST(PolygonPuzzleGenerator, TheHeadGoesToThePieceWithMoreRoom) {
    // A unit square split at x = 1 of a 3-wide rectangle: the left piece has
    // 1 of room in front of the shared side, the right piece 2.
    const Polygon polygon = polygonOf({P2f(0, 0), P2f(1, 0), P2f(3, 0), P2f(3, 1), P2f(1, 1), P2f(0, 1)},
                                      {{0, 1, 4, 5}, {1, 2, 3, 4}});
    ScriptedSource random(3);
    const auto puzzle = generated(polygon, &random);
    ASSERT_EQ(puzzle->edgeCount(), 7u);
    // The shared side (1, 4) is the third key: (0,1), (0,5), (1,2), (1,4) ...
    const Edge& shared = puzzle->edge(3);
    EXPECT_TRUE(isClassic(shared));
    // The right piece walks it from 4 to 1 (b to a) with more room: made from
    // 4 to 1 and reversed, so that it still runs from 1 to 4.
    EXPECT_TRUE(isReverse(shared));
    EXPECT_EQ(shared.pointAt(0.0f), P2f(1, 0));
    EXPECT_NEAR(shared.pointAt(1.0f)[1], 1.0f, 1e-6f);
    // Its head bulges into the right piece: some point beyond x = 1.
    float farthest = 0.0f;
    for (std::uint32_t i = 0; i < shared.pointCount(); ++i)
        farthest = std::max(farthest, shared.point(i)[0]);
    EXPECT_GT(farthest, 1.1f);
    // One shape draw set for the one inner edge, no direction draws.
    EXPECT_EQ(random.draws, 10u);
    EXPECT_TRUE(random.choiceModuli.empty());
    expectTiling(*puzzle, 3.0, 1e-5f);
}

TEST(PolygonPuzzleGenerator, EqualRoomMakesTheEdgeFromTheSmallerIndex) {
    // A square cut along its diagonal: both halves mirror each other.
    const Polygon polygon = polygonOf({P2f(0, 0), P2f(2, 0), P2f(2, 2), P2f(0, 2)}, {{0, 1, 2}, {0, 2, 3}});
    ScriptedSource random(1);
    const auto puzzle = generated(polygon, &random);
    EXPECT_EQ(PolygonPuzzleGenerator::room(polygon.points(), polygon.contour(0), 2),
              PolygonPuzzleGenerator::room(polygon.points(), polygon.contour(1), 0));
    const Edge& diagonal = puzzle->edge(1);
    EXPECT_TRUE(isClassic(diagonal));
    EXPECT_FALSE(isReverse(diagonal));
    EXPECT_EQ(diagonal.pointAt(0.0f), P2f(0, 0));
}

TEST(PolygonPuzzleGenerator, BorderSidesHaveNoRoomOnTheirOpenSide) {
    // One contour alone: every side is border. The sides it walks from the
    // higher index to the lower have room against nothing on the other way,
    // and so are made backwards; the others forwards. Nothing is read that
    // was never set.
    const Polygon polygon = polygonOf({P2f(0, 0), P2f(5, 0), P2f(5, 2), P2f(0, 2)}, {{0, 1, 2, 3}});
    const auto puzzle = generated(polygon);
    ASSERT_EQ(puzzle->edgeCount(), 4u);
    // Keys (0,1), (0,3), (1,2), (2,3); only (0,3) is walked from 3 to 0.
    const bool reversed[4] = {false, true, false, false};
    for (std::uint32_t e = 0; e < 4; ++e) {
        EXPECT_EQ(isReverse(puzzle->edge(e)), reversed[e]) << e;
        EXPECT_FALSE(isClassic(puzzle->edge(e))) << e;
    }
    for (const PieceEdge& record : puzzle->piece(0))
        EXPECT_EQ(record.neighbour, PieceEdge::border);
    expectTiling(*puzzle, 10.0, 1e-5f);
}

TEST(PolygonPuzzleGenerator, RoomInFrontOfASide) {
    using G = PolygonPuzzleGenerator;
    const std::vector<P2f> box = {P2f(0, 0), P2f(4, 0), P2f(4, 2), P2f(0, 2)};
    const Polygon::Contour around = {0, 1, 2, 3};
    EXPECT_EQ(G::room(box, around, 0), 2.0f);
    EXPECT_EQ(G::room(box, around, 1), 4.0f);
    EXPECT_EQ(G::room(box, around, 2), 2.0f);
    EXPECT_EQ(G::room(box, around, 3), 4.0f);
    // Walked clockwise the normal points outside: nothing in front.
    const Polygon::Contour clockwise = {0, 3, 2, 1};
    EXPECT_EQ(G::room(box, clockwise, 0), 0.0f);
    // A U: from the middle of the bottom the ray meets the notch's floor first.
    const std::vector<P2f> u = {P2f(0, 0), P2f(6, 0), P2f(6, 5), P2f(4, 5), P2f(4, 1), P2f(2, 1), P2f(2, 5),
                                P2f(0, 5)};
    const Polygon::Contour uContour = {0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(G::room(u, uContour, 0), 1.0f);
    // The notch's floor, walked from (4, 1) to (2, 1): its left is down.
    EXPECT_EQ(G::room(u, uContour, 4), 1.0f);
    // The left arm's top, from (2, 5) to (0, 5): down to the bottom side.
    EXPECT_EQ(G::room(u, uContour, 6), 5.0f);
    // Fewer than two points, and a side of no length.
    EXPECT_EQ(G::room(box, Polygon::Contour{}, 0), 0.0f);
    EXPECT_EQ(G::room(box, Polygon::Contour{2}, 0), 0.0f);
    EXPECT_EQ(G::room({P2f(1, 1), P2f(1, 1), P2f(3, 1), P2f(1, 3)}, Polygon::Contour{0, 1, 2, 3}, 0), 0.0f);
}

TEST(PolygonPuzzleGenerator, RoomAgreesWithABruteForceRayCast) {
    // Star-shaped contours of many corners: the ray from each side's middle
    // meets the contour where a ray cast in double says.
    for (std::uint32_t seed = 0; seed < 60; ++seed) {
        ScriptedSource random(seed);
        std::vector<P2f> points;
        Polygon::Contour contour;
        const std::uint32_t corners = 3 + seed % 10;
        for (std::uint32_t i = 0; i < corners; ++i) {
            float r = 0.0f;
            random.readFloat(&r, 1, 1.0f);
            const double angle = 2.0 * M_PI * i / corners;
            points.push_back(P2f(float((1.0 + 2.0 * r) * std::cos(angle)) * 50.0f,
                                 float((1.0 + 2.0 * r) * std::sin(angle)) * 50.0f));
            contour.push_back(i);
        }
        for (std::size_t k = 0; k < corners; ++k)
            EXPECT_NEAR(PolygonPuzzleGenerator::room(points, contour, k), bruteRoom(points, contour, k), 1e-3)
                << seed << " side " << k;
    }
}

TEST(PolygonPuzzleGenerator, TriangulatedGridsTileTheirRectangle) {
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
        const int columns = 1 + int(seed % 6), rows = 1 + int(seed / 6 % 5);
        const float cell = 64.0f;
        const Polygon polygon = jitteredTriangles(seed, columns, rows, cell);
        ScriptedSource random(seed);
        const auto puzzle = generated(polygon, &random);
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " " << columns << "x" << rows);
        ASSERT_EQ(puzzle->pieceCount(), std::uint32_t(2 * columns * rows));
        // Sides: the grid's lines and one diagonal per cell.
        const std::uint32_t sides = std::uint32_t(columns * (rows + 1) + rows * (columns + 1) + columns * rows);
        ASSERT_EQ(puzzle->edgeCount(), sides);
        const std::uint32_t inner = expectTiling(*puzzle, double(columns * cell) * (rows * cell), 1e-3f);
        EXPECT_EQ(inner, sides - std::uint32_t(2 * (columns + rows)));
        std::uint32_t classic = 0;
        for (std::uint32_t e = 0; e < puzzle->edgeCount(); ++e)
            classic += isClassic(puzzle->edge(e)) ? 1 : 0;
        EXPECT_EQ(classic, inner);
        EXPECT_EQ(random.draws, 10u * inner);
    }
}

TEST(PolygonPuzzleGenerator, BadIndicesAndOverlappingContoursAreRefused) {
    const std::vector<P2f> points = {P2f(0, 0), P2f(1, 0), P2f(1, 1), P2f(0, 1)};
    // An index beyond the points.
    EXPECT_THROW(generated(polygonOf(points, {{0, 1, 7}})), std::out_of_range);
    EXPECT_THROW(generated(polygonOf(points, {{0, 1, 2}, {4294967295u, 2, 3}})), std::out_of_range);
    // Two contours walking a side the same way overlap.
    try {
        generated(polygonOf(points, {{0, 1, 2}, {0, 1, 3}}));
        FAIL();
    } catch (const PuzzleGenerationException& e) {
        EXPECT_EQ(e.message(), "Contours 0 and 1 both walk the side from point 0 to point 1. ");
    }
    // So does one contour walking a side twice.
    EXPECT_THROW(generated(polygonOf(points, {{0, 1, 2, 0, 1, 3}})), PuzzleGenerationException);
    EXPECT_THROW(generated(polygonOf(points, {{2}, {2}})), PuzzleGenerationException);
    // No contours, no pieces; an empty contour, a piece without records.
    EXPECT_EQ(generated(polygonOf(points, {}))->pieceCount(), 0u);
    const auto empty = generated(polygonOf(points, {{}}));
    EXPECT_EQ(empty->pieceCount(), 1u);
    EXPECT_TRUE(empty->piece(0).empty());
}

TEST(PolygonPuzzleGenerator, RoomGoldenBits) {
    // A non-convex hexagon; the values come from an independent
    // implementation of the same single-precision steps.
    const std::vector<P2f> points = {P2f(0.0f, 0.0f),  P2f(10.3f, 0.7f), P2f(13.1f, 9.9f),
                                     P2f(6.1f, 4.4f),  P2f(1.7f, 12.9f), P2f(-2.3f, 5.5f)};
    const Polygon::Contour contour = {0, 1, 2, 3, 4, 5};
    const std::uint32_t golden[6] = {0x40d94a11, 0x4056cca3, 0x4046d795, 0x40deab75, 0x40c5c175, 0x40e712d0};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_EQ(bitsOf(PolygonPuzzleGenerator::room(points, contour, k)), golden[k]) << k;
}
