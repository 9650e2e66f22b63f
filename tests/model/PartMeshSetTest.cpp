#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "Tables.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/PartMeshException.h"
#include "geometry/PolygonTriangulator.h"
#include "model/PartMeshSet.h"
#include "model/Setup.h"
#include "model/edges/StraightEdge.h"
#include "support/RangesOf.h"

using namespace ModelTest;
using KestruneTest::rangesOf;
using TAVO::Point;
using P2 = Point<2, float>;

namespace {

// Twice the signed area of the triangle, in double.
double twiceArea(const float* a, const float* b, const float* c) {
    return (double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(c[0]) - a[0]) * (double(b[1]) - a[1]);
}

// The ranges one build of the table makes, from the outlines alone: one per
// part, laid one after the other from 0 in the table's drawing order (trays
// in order, parts bottom first), each three corners for each of the n - 2
// triangles of every piece outline of n points. Indices of a plain build and
// vertices of an attribute build count alike.
std::vector<std::array<std::uint32_t, 3>> rangesFromOutlines(const Puzzle& puzzle, const Table& table) {
    std::vector<std::array<std::uint32_t, 3>> all;
    std::uint32_t next = 0;
    for (unsigned int tray : table.trayOrder())
        for (auto it = table.tray(tray).parts(); it.valid(); it.next()) {
            std::uint32_t count = 0;
            for (std::uint32_t piece : table.part(it.current()).pieces())
                count += 3 * std::uint32_t(outlineOf(puzzle, piece).points().size() - 2);
            all.push_back({it.current(), next, count});
            next += count;
        }
    std::sort(all.begin(), all.end());
    return all;
}

// The corners of the triangles of a part's ranges as vertex numbers.
std::vector<std::uint32_t> cornersOf(const PartMeshSet& meshes, std::uint32_t part, bool attribute) {
    std::vector<std::uint32_t> corners;
    for (const PartMeshSet::DrawRange& range : meshes.ranges().at(part))
        for (std::uint32_t k = range.first; k < range.first + range.count; ++k)
            corners.push_back(attribute ? k : meshes.indices()[k]);
    return corners;
}

struct Areas {
    double total = 0.0;
    // The most negative area of a triangle, in units of what rounding its
    // corners to float can fold a triangle by (its longest side times the
    // spacing of floats at its corners); -1 or more is flat within rounding.
    double smallest = INFINITY;
};

Areas areasOf(const PartMeshSet& meshes, std::uint32_t part, bool attribute) {
    const std::vector<std::uint32_t> corners = cornersOf(meshes, part, attribute);
    const float* p = meshes.positions().data();
    Areas areas;
    for (std::size_t k = 0; k + 2 < corners.size(); k += 3) {
        const float* v[3] = {p + 2 * corners[k], p + 2 * corners[k + 1], p + 2 * corners[k + 2]};
        const double a = twiceArea(v[0], v[1], v[2]) / 2.0;
        areas.total += a;
        double side = 0.0, magnitude = 1.0;
        for (int i = 0; i < 3; ++i) {
            side = std::max(side, std::hypot(double(v[i][0]) - v[(i + 1) % 3][0], double(v[i][1]) - v[(i + 1) % 3][1]));
            magnitude = std::max({magnitude, std::fabs(double(v[i][0])), std::fabs(double(v[i][1]))});
        }
        areas.smallest = std::min(areas.smallest, a / (side * magnitude * FLT_EPSILON));
    }
    return areas;
}

// A puzzle of straight-edged pieces, each a closed walk through the points.
std::unique_ptr<Puzzle> polygonPuzzle(const std::vector<std::vector<P2>>& pieces) {
    auto puzzle = std::make_unique<Puzzle>();
    for (const auto& corners : pieces) {
        const std::uint32_t piece = puzzle->addPiece();
        for (std::size_t i = 0; i < corners.size(); ++i) {
            PieceEdge record;
            record.edge = puzzle->addEdge(std::make_unique<StraightEdge>(corners[i], corners[(i + 1) % corners.size()]));
            record.startsContour = i == 0 ? 1 : 0;
            puzzle->piece(piece).push_back(record);
        }
    }
    return puzzle;
}

// The fraction of a turn of the left normal of the direction (dx, dy).
double normalTurn(double dx, double dy) {
    double turn = std::atan2(dx, -dy);
    if (turn < 0.0)
        turn += 2.0 * std::numbers::pi;
    return turn / (2.0 * std::numbers::pi);
}

struct Segment {
    double ax, ay, bx, by;
};

// Whether the slot's four values at the corners are those of the segment.
bool slotIs(const float* slots, const double corners[3][2], const Segment& s) {
    const double length = std::hypot(s.bx - s.ax, s.by - s.ay);
    if (length < 1e-6)
        return false;
    const double ux = (s.bx - s.ax) / length, uy = (s.by - s.ay) / length;
    if (std::fabs(slots[0] - normalTurn(ux, uy)) > 1e-5 && std::fabs(std::fabs(slots[0] - normalTurn(ux, uy)) - 1.0) > 1e-5)
        return false;
    for (int k = 0; k < 3; ++k) {
        const float* v = slots + k * PartMeshSet::attributesPerVertex;
        const double px = corners[k][0], py = corners[k][1];
        const double line = -uy * (px - s.ax) + ux * (py - s.ay);
        const double start = ux * (px - s.ax) + uy * (py - s.ay);
        const double end = -(ux * (px - s.bx) + uy * (py - s.by));
        if (std::fabs(v[1] - line) > 2e-3 || std::fabs(v[2] - start) > 2e-3 || std::fabs(v[3] - end) > 2e-3)
            return false;
    }
    return true;
}

double pointToSegment(double px, double py, double ax, double ay, double bx, double by) {
    return segmentDistance(px, py, ax, ay, bx, by);
}

} // namespace

TEST(PartMeshSet, MeshAreasEqualOutlineAreasWithoutFoldedTriangles) {
    for (bool attribute : {false, true})
        for (std::uint32_t seed : {0u, 1u, 2u, 77u}) {
            Game game(seed, 5, 4);
            PartMeshSet meshes;
            meshes.build(*game.puzzle, game.table, attribute);
            ASSERT_EQ(rangesOf(meshes), rangesFromOutlines(*game.puzzle, game.table)) << seed;
            EXPECT_EQ(attribute ? meshes.indices().size() : meshes.edgeAttributes().size(), 0u);
            double total = 0.0;
            for (const auto& [id, part] : game.table.parts()) {
                const Areas areas = areasOf(meshes, id, attribute);
                const double outline = shoelace(outlineOf(*game.puzzle, part.pieces().front()));
                EXPECT_NEAR(areas.total, outline, 1e-6 * outline + 1e-3) << seed << " part " << id;
                EXPECT_GT(areas.smallest, -1.0) << seed << " part " << id;
                total += areas.total;
            }
            EXPECT_NEAR(total, 320.0 * 256.0, 0.5) << seed;
        }
}

TEST(PartMeshSet, APiecePartHasOneRangeAndPiecesShareNoVertices) {
    Game game(3, 3, 2);
    const std::uint32_t a = game.partOf(0), b = game.partOf(1);
    PartMeshSet single;
    single.build(*game.puzzle, game.table, false);
    const Polygon outline = outlineOf(*game.puzzle, 0);
    EXPECT_EQ(rangesOf(single), rangesFromOutlines(*game.puzzle, game.table));
    ASSERT_EQ(single.ranges().at(a).size(), 1u);
    // A simple polygon of n points cuts into n - 2 triangles.
    EXPECT_EQ(single.ranges().at(a).front().count, 3 * (outline.points().size() - 2));

    const std::uint32_t joined = game.table.joinParts(0, a, game.table.tray(0).matchingPose(a, b, game.table.tray(0).partPose(b)), {b});
    PartMeshSet meshes;
    meshes.build(*game.puzzle, game.table, false);
    EXPECT_EQ(rangesOf(meshes), rangesFromOutlines(*game.puzzle, game.table));
    ASSERT_EQ(meshes.ranges().at(joined).size(), 1u);
    const std::vector<std::uint32_t> corners = cornersOf(meshes, joined, false);
    ASSERT_EQ(game.table.part(joined).pieces(), (std::vector<std::uint32_t>{0, 1}));
    const std::size_t first = 3 * (outlineOf(*game.puzzle, 0).points().size() - 2);
    const std::uint32_t low = *std::min_element(corners.begin(), corners.end());
    // Pieces 0 then 1: their vertex numbers do not meet.
    const std::uint32_t split = low + std::uint32_t(outlineOf(*game.puzzle, 0).points().size());
    for (std::size_t k = 0; k < corners.size(); ++k)
        EXPECT_EQ(corners[k] < split, k < first) << k;
    // A second build appends a second range for every part.
    meshes.build(*game.puzzle, game.table, true);
    EXPECT_EQ(meshes.ranges().at(joined).size(), 2u);
    EXPECT_EQ(meshes.ranges().at(joined).back().count, meshes.ranges().at(joined).front().count);
    // The attribute build's ranges follow the plain build's vertices.
    const std::uint32_t firstPart = game.table.tray(0).parts().current();
    EXPECT_EQ(meshes.ranges().at(firstPart).back().first,
              meshes.vertexCount() - meshes.edgeAttributes().size() / PartMeshSet::attributesPerVertex);
}

TEST(PartMeshSet, ASquaresSlotsAreItsFourSidesAndTheRestAreEmpty) {
    const auto puzzle = polygonPuzzle({{P2(0.0f, 0.0f), P2(64.0f, 0.0f), P2(64.0f, 64.0f), P2(0.0f, 64.0f)}});
    Table table;
    table.scatter(puzzle.get(), TAVO::Tuple<2, float>(64.0f, 64.0f));
    PartMeshSet meshes;
    meshes.build(*puzzle, table, true);
    ASSERT_EQ(meshes.vertexCount(), 6u);
    const Segment sides[4] = {{0, 0, 64, 0}, {64, 0, 64, 64}, {64, 64, 0, 64}, {0, 64, 0, 0}};
    for (std::uint32_t t = 0; t < 2; ++t) {
        double corners[3][2];
        for (int k = 0; k < 3; ++k)
            corners[k][0] = meshes.positions()[2 * (3 * t + k)], corners[k][1] = meshes.positions()[2 * (3 * t + k) + 1];
        const float* base = meshes.edgeAttributes().data() + 3 * t * PartMeshSet::attributesPerVertex;
        int used = 0;
        for (std::uint32_t s = 0; s < PartMeshSet::edgeSlots; ++s) {
            const float* slot = base + 4 * s;
            if (slot[1] == 1000.0f) {
                for (int k = 0; k < 3; ++k) {
                    const float* v = slot + k * PartMeshSet::attributesPerVertex;
                    EXPECT_EQ(v[0], 0.0f);
                    EXPECT_EQ(v[1], 1000.0f);
                    EXPECT_EQ(v[2], 1000.0f);
                    EXPECT_EQ(v[3], 1000.0f);
                }
                continue;
            }
            ++used;
            int matches = 0;
            for (const Segment& side : sides)
                matches += slotIs(slot, corners, side) ? 1 : 0;
            EXPECT_EQ(matches, 1) << "triangle " << t << " slot " << s;
        }
        // Two sides of its own and the two outline edges at its corners.
        EXPECT_EQ(used, 4) << t;
    }
    // Towards +x the normal is (0, 1), a quarter turn; towards -x three quarters.
    EXPECT_NEAR(normalTurn(1, 0), 0.25, 1e-12);
    EXPECT_NEAR(normalTurn(-1, 0), 0.75, 1e-12);
    bool quarter = false, threeQuarters = false;
    for (std::size_t i = 0; i < meshes.edgeAttributes().size(); i += 4) {
        quarter |= meshes.edgeAttributes()[i] == 0.25f;
        threeQuarters |= meshes.edgeAttributes()[i] == 0.75f;
    }
    EXPECT_TRUE(quarter && threeQuarters);
}

TEST(PartMeshSet, EdgeSlotsOfACutAreOutlineSegmentsWithTheNearestOnesKept) {
    Game game(12, 3, 3);
    PartMeshSet meshes;
    meshes.build(*game.puzzle, game.table, true);
    const float* positions = meshes.positions().data();
    for (const auto& [id, part] : game.table.parts()) {
        const Polygon outline = outlineOf(*game.puzzle, part.pieces().front());
        std::vector<Segment> segments;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> ends;
        for (const auto& contour : outline.contours())
            for (std::size_t i = 0; i < contour.size(); ++i) {
                const auto& a = outline.points()[contour[(i + contour.size() - 1) % contour.size()]];
                const auto& b = outline.points()[contour[i]];
                segments.push_back({a[0], a[1], b[0], b[1]});
            }
        for (std::uint32_t v : cornersOf(meshes, id, true)) {
            if (v % 3 != 0)
                continue;
            double corners[3][2];
            for (int k = 0; k < 3; ++k)
                corners[k][0] = positions[2 * (v + k)], corners[k][1] = positions[2 * (v + k) + 1];
            const float* base = meshes.edgeAttributes().data() + std::size_t(v) * PartMeshSet::attributesPerVertex;
            std::vector<bool> present(segments.size(), false);
            int used = 0;
            for (std::uint32_t s = 0; s < PartMeshSet::edgeSlots; ++s) {
                const float* slot = base + 4 * s;
                if (slot[1] == 1000.0f && slot[2] == 1000.0f)
                    continue;
                ++used;
                bool found = false;
                for (std::size_t g = 0; g < segments.size(); ++g)
                    if (slotIs(slot, corners, segments[g]))
                        present[g] = found = true;
                EXPECT_TRUE(found) << "part " << id << " vertex " << v << " slot " << s;
            }
            if (used == int(PartMeshSet::edgeSlots))
                continue;
            // Not full: every segment clear of the corners with an end within
            // the nearby distance of a side is there.
            for (std::size_t g = 0; g < segments.size(); ++g) {
                const Segment& seg = segments[g];
                bool touchesCorner = false;
                for (const auto& c : corners)
                    touchesCorner |= (c[0] == seg.ax && c[1] == seg.ay) || (c[0] == seg.bx && c[1] == seg.by);
                if (touchesCorner)
                    continue;
                double m = INFINITY;
                for (int k = 0; k < 3; ++k) {
                    const double* p = corners[k];
                    const double* q = corners[(k + 1) % 3];
                    m = std::min({m, pointToSegment(seg.ax, seg.ay, p[0], p[1], q[0], q[1]),
                                  pointToSegment(seg.bx, seg.by, p[0], p[1], q[0], q[1])});
                }
                if (m < PartMeshSet::nearbyDistance - 1e-3) {
                    EXPECT_TRUE(present[g]) << "part " << id << " vertex " << v << " misses a segment at " << m;
                }
            }
        }
    }
}

TEST(PartMeshSet, AnOutlineThatCannotBeTriangulatedNamesItsPiece) {
    const auto puzzle = polygonPuzzle({{P2(0.0f, 0.0f), P2(64.0f, 0.0f), P2(64.0f, 64.0f), P2(0.0f, 64.0f)},
                                       {P2(100.0f, 0.0f), P2(164.0f, 64.0f), P2(164.0f, 0.0f), P2(100.0f, 64.0f)}});
    Table table;
    table.scatter(puzzle.get(), TAVO::Tuple<2, float>(164.0f, 64.0f));
    for (bool attribute : {false, true}) {
        PartMeshSet meshes;
        try {
            meshes.build(*puzzle, table, attribute);
            FAIL() << "built";
        } catch (const PartMeshException& failure) {
            EXPECT_EQ(failure.message().rfind("The outline of piece 1 cannot be cut into triangles: ", 0), 0u)
                << failure.message();
        }
    }
}

TEST(PartMeshSet, EveryPieceOfRealSetUpsTriangulates) {
    // The cuts new games get (seed 0) for pictures of many shapes, up to 10000 pieces.
    for (const auto& [width, height] : {std::pair{1000u, 1000u}, {1920u, 1080u}, {1080u, 1920u}, {4000u, 1000u},
                                        {16384u, 300u}, {300u, 16384u}, {3u, 1u}})
        for (std::uint32_t requested : {1u, 2u, 12u, 100u, 1000u, 10000u}) {
            if (requested == 10000u && width != 1920u)
                continue;
            ::Setup setup = setupOf(width, height, requested);
            const auto puzzle = setup.generate();
            Table table;
            table.scatter(puzzle.get(), setup.puzzleSize());
            PartMeshSet meshes;
            ASSERT_NO_THROW(meshes.build(*puzzle, table, false)) << width << "x" << height << " " << requested;
            double total = 0.0, smallest = INFINITY;
            for (const auto& [id, ranges] : meshes.ranges()) {
                const Areas areas = areasOf(meshes, id, false);
                total += areas.total;
                smallest = std::min(smallest, areas.smallest);
            }
            const double area = double(setup.puzzleSize()[0]) * setup.puzzleSize()[1];
            EXPECT_NEAR(total, area, 1e-5 * area) << width << "x" << height << " " << requested;
            EXPECT_GT(smallest, -1.0) << width << "x" << height << " " << requested << " size " << setup.puzzleSize()[0] << " " << setup.puzzleSize()[1];
        }
}

TEST(PartMeshSet, EveryPieceOfManySeedsTriangulatesAndAWholePartMeshesAsOne) {
    for (std::uint32_t seed = 0; seed < 60; ++seed) {
        const auto puzzle = gridCut(seed * 2654435761u, 8, 6, 512.0f, 384.0f);
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
            const Polygon outline = outlineOf(*puzzle, p);
            std::vector<TAVO::Tuple<3, unsigned int>> triangles;
            ASSERT_NO_THROW(PolygonTriangulator(outline, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles))
                << "seed " << seed << " piece " << p;
        }
    }
    // Every piece joined into one part, one join at a time.
    Game game(21, 20, 15);
    Table& table = game.table;
    std::uint32_t whole = game.partOf(0);
    while (table.parts().size() > 1) {
        std::uint32_t other = 0;
        for (const auto& entry : table.parts())
            if (entry.first != whole && entry.second.touches(table.part(whole).neighbours())) {
                other = entry.first;
                break;
            }
        whole = table.joinParts(0, whole, table.tray(0).partPose(whole), {other});
    }
    EXPECT_TRUE(table.isComplete());
    PartMeshSet meshes;
    meshes.build(*game.puzzle, table, false);
    EXPECT_EQ(rangesOf(meshes), rangesFromOutlines(*game.puzzle, table));
    EXPECT_NEAR(areasOf(meshes, whole, false).total, 1280.0 * 960.0, 1.0);
}
