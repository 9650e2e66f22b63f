#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "Cuts.h"
#include "foundation/exceptions/BoundException.h"
#include "geometry/PolygonTriangulator.h"
#include "model/Setup.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/ReverseEdge.h"
#include "model/edges/StraightEdge.h"
#include "model/generators/PuzzleGenerationException.h"

using namespace ModelTest;
using TAVO::Point;
using TAVO::Tuple;
using P2f = Point<2, float>;
using Grid = Tuple<2, unsigned int>;

namespace {

const std::uint32_t border = PieceEdge::border;

bool isInner(const Edge& edge) { return dynamic_cast<const StraightEdge*>(&edge) == nullptr; }

// The shape values of a classic edge or of the classic edge a reverse wraps.
const ClassicEdge::Shape& shapeOf(const Edge& edge) {
    if (const auto* reverse = dynamic_cast<const ReverseEdge*>(&edge))
        return dynamic_cast<const ClassicEdge&>(reverse->wrapped()).shape();
    return dynamic_cast<const ClassicEdge&>(edge).shape();
}

P2f walkStart(const Puzzle& puzzle, const PieceEdge& record) {
    const Edge& edge = puzzle.edge(record.edge);
    return edge.point(record.reversed ? edge.pointCount() - 1 : 0);
}

P2f walkEnd(const Puzzle& puzzle, const PieceEdge& record) {
    const Edge& edge = puzzle.edge(record.edge);
    return edge.point(record.reversed ? 0 : edge.pointCount() - 1);
}

struct Cut {
    std::uint32_t seed, columns, rows;
    float width, height;
};

// Cuts of the kind games make: grids and sizes from set-ups of several
// pictures, and a few grids of long cells. Set-ups make cells up to 1.6 times
// as long as wide for most counts (1.73 at most, for a handful of pieces; see
// the test of those below); beyond about 1.65 the tabs of opposite sides of
// a cell can meet for some seeds.
std::vector<Cut> cuts() {
    std::vector<Cut> result;
    const std::uint32_t pictures[][3] = {{1000, 1000, 16}, {1920, 1080, 100}, {1080, 1920, 48}, {640, 480, 12},
                                         {4000, 1000, 30}, {300, 2000, 9},   {800, 600, 250}, {1000, 1, 16}};
    std::uint32_t seed = 0;
    for (const auto& p : pictures) {
        Picture picture;
        picture.metadata() = TAVO::Migration::ImageMetadata(p[0], p[1], 3, 24);
        Setup setup;
        setup.setPicture("picture", picture);
        setup.setRequestedPieceCount(p[2]);
        const Grid grid = setup.grid();
        const Tuple<2, float> size = setup.puzzleSize();
        for (int n = 0; n < 6; ++n)
            result.push_back({seed++ * 7919u, grid[0], grid[1], size[0], size[1]});
    }
    result.push_back({3, 5, 1, 1000.0f, 64.0f});
    result.push_back({4, 1, 5, 64.0f, 1000.0f});
    result.push_back({5, 6, 6, 384.0f, 614.4f});
    result.push_back({8, 4, 3, 409.6f, 192.0f});
    result.push_back({6, 2, 2, 0.5f, 0.5f});
    return result;
}

} // namespace

TEST(GridPuzzleGenerator, OneByOneHasFourBorderEdgesAndNoDraws) {
    std::uint64_t draws = 99;
    const auto puzzle = gridCut(0, 1, 1, 64.0f, 32.0f, &draws);
    EXPECT_EQ(draws, 0u);
    ASSERT_EQ(puzzle->edgeCount(), 4u);
    ASSERT_EQ(puzzle->pieceCount(), 1u);
    // Edge 0 is side 3 (y = 0), 1 side 1, 2 side 2, 3 side 0.
    EXPECT_EQ(puzzle->edge(0).point(0), P2f(0.0f, 0.0f));
    EXPECT_EQ(puzzle->edge(0).point(1), P2f(64.0f, 0.0f));
    EXPECT_EQ(puzzle->edge(1).point(0), P2f(64.0f, 32.0f));
    EXPECT_EQ(puzzle->edge(2).point(0), P2f(0.0f, 32.0f));
    EXPECT_EQ(puzzle->edge(3).point(0), P2f(64.0f, 0.0f));
    const std::uint32_t edges[4] = {3, 1, 2, 0};
    for (std::uint32_t s = 0; s < 4; ++s) {
        const PieceEdge& record = puzzle->piece(0)[s];
        EXPECT_EQ(record.edge, edges[s]);
        EXPECT_EQ(record.neighbour, border);
        EXPECT_EQ(record.reversed, 0);
        EXPECT_EQ(record.startsContour, s == 0 ? 1 : 0);
    }
    EXPECT_EQ(puzzle->pieceBounds(0).origin(), P2f(0.0f, 0.0f));
    EXPECT_EQ(puzzle->pieceBounds(0).extent(), (Tuple<2, float>(64.0f, 32.0f)));
}

TEST(GridPuzzleGenerator, TwoByOneSharesItsInnerEdge) {
    std::uint64_t draws = 0;
    const auto puzzle = gridCut(0, 2, 1, 128.0f, 64.0f, &draws);
    EXPECT_EQ(draws, 11u);
    ASSERT_EQ(puzzle->edgeCount(), 7u);
    for (std::uint32_t e = 0; e < 7; ++e)
        EXPECT_EQ(isInner(puzzle->edge(e)), e == 5) << e;
    const PieceEdge& right = puzzle->piece(1)[2];
    EXPECT_EQ(right.edge, 5u);
    EXPECT_EQ(right.reversed, 0);
    EXPECT_EQ(right.neighbour, 0u);
    const PieceEdge& left = puzzle->piece(0)[0];
    EXPECT_EQ(left.edge, 5u);
    EXPECT_EQ(left.reversed, 1);
    EXPECT_EQ(left.neighbour, 1u);
    // The inner edge runs down the line x = 64 from (64, 64) to (64, 0).
    EXPECT_EQ(puzzle->edge(5).point(0), P2f(64.0f, 64.0f));
    EXPECT_NEAR(puzzle->edge(5).point(puzzle->edge(5).pointCount() - 1)[1], 0.0f, 1e-4f);
}

TEST(GridPuzzleGenerator, SeedZeroGoldenValues) {
    const std::uint32_t golden[10] = {0x3e9b6ed4, 0xbda9917f, 0xbc99231f, 0xbcb5a354, 0x3e8ea4a9,
                                      0x3c9e085e, 0x3e80960c, 0x3f0a15d2, 0x3e4e1d09, 0x3ee6fac0};
    // The first inner edge of any seed-0 cut: reversed, with these values.
    for (const Grid& grid : {Grid(2u, 1u), Grid(4u, 4u)}) {
        const auto puzzle = gridCut(0, grid[0], grid[1], 315.0f, 315.0f);
        std::uint32_t first = 0;
        while (!isInner(puzzle->edge(first)))
            ++first;
        ASSERT_NE(dynamic_cast<const ReverseEdge*>(&puzzle->edge(first)), nullptr);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(bitsOf(shapeOf(puzzle->edge(first))[i]), golden[i]) << i;
    }
    // 4 x 4: the directions of the 24 inner edges, 264 draws.
    std::uint64_t draws = 0;
    const auto puzzle = gridCut(0, 4, 4, 315.0f, 315.0f, &draws);
    EXPECT_EQ(draws, 264u);
    EXPECT_EQ(puzzle->edgeCount(), 40u);
    std::string directions;
    for (std::uint32_t e = 0; e < puzzle->edgeCount(); ++e)
        if (isInner(puzzle->edge(e)))
            directions += dynamic_cast<const ReverseEdge*>(&puzzle->edge(e)) ? '0' : '1';
    EXPECT_EQ(directions, "011111001001100101000101");
}

TEST(GridPuzzleGenerator, SeedZeroOutlineGolden) {
    // Points of the 2 x 1 cut of a 128 x 64 puzzle from seed 0, as checked
    // against an independent implementation of the cut (see the tool's tests).
    const auto puzzle = gridCut(0, 2, 1, 128.0f, 64.0f);
    const Edge& inner = puzzle->edge(5);
    ASSERT_EQ(inner.pointCount(), 16u);
    const std::uint32_t golden[][2] = {{0x42800000, 0x42800000}, {0x42811f4d, 0x4206d098},
                                       {0x427791ac, 0x420cd666}, {0x42687b7a, 0x421b6a03},
                                       {0x4257d133, 0x422a3a86}, {0x42486808, 0x4230f705}};
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(bitsOf(inner.point(i)[0]), golden[i][0]) << i;
        EXPECT_EQ(bitsOf(inner.point(i)[1]), golden[i][1]) << i;
    }
    const Polygon outline = outlineOf(*puzzle, 0);
    ASSERT_EQ(outline.points().size(), 18u);
    EXPECT_EQ(bitsOf(outline.points()[0][0]), 0x4282648cu);
    EXPECT_EQ(bitsOf(outline.points()[0][1]), 0x4187e436u);
}

TEST(GridPuzzleGenerator, EdgeAndDrawCountsFollowTheGrid) {
    for (std::uint32_t c = 1; c <= 6; ++c)
        for (std::uint32_t r = 1; r <= 6; ++r) {
            std::uint64_t draws = 0;
            const auto puzzle = gridCut(c * 10 + r, c, r, 64.0f * c, 64.0f * r, &draws);
            EXPECT_EQ(puzzle->edgeCount(), c * (r + 1) + r * (c + 1));
            EXPECT_EQ(puzzle->pieceCount(), c * r);
            const std::uint32_t inner = c * (r - 1) + r * (c - 1);
            EXPECT_EQ(draws, 11u * inner);
            std::uint32_t counted = 0;
            for (std::uint32_t e = 0; e < puzzle->edgeCount(); ++e)
                counted += isInner(puzzle->edge(e)) ? 1 : 0;
            EXPECT_EQ(counted, inner);
        }
}

TEST(GridPuzzleGenerator, SameSeedSameCutOtherSeedOtherCut) {
    const auto a = gridCut(42, 5, 4, 320.0f, 256.0f), b = gridCut(42, 5, 4, 320.0f, 256.0f);
    const auto c = gridCut(43, 5, 4, 320.0f, 256.0f);
    bool differs = false;
    for (std::uint32_t e = 0; e < a->edgeCount(); ++e) {
        ASSERT_EQ(a->edge(e).pointCount(), b->edge(e).pointCount());
        for (std::uint32_t i = 0; i < a->edge(e).pointCount(); ++i) {
            EXPECT_EQ(a->edge(e).point(i), b->edge(e).point(i));
            differs = differs || !(a->edge(e).point(i) == c->edge(e).point(i));
        }
    }
    EXPECT_TRUE(differs);
}

TEST(GridPuzzleGenerator, RecordsPairUpAndOutlinesClose) {
    for (const Cut& cut : cuts()) {
        const auto puzzle = gridCut(cut.seed, cut.columns, cut.rows, cut.width, cut.height);
        SCOPED_TRACE(::testing::Message() << cut.seed << " " << cut.columns << "x" << cut.rows);
        std::map<std::uint32_t, std::vector<std::pair<std::uint32_t, PieceEdge>>> uses;
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p)
            for (const PieceEdge& record : puzzle->piece(p))
                uses[record.edge].push_back({p, record});
        ASSERT_EQ(uses.size(), puzzle->edgeCount());
        for (const auto& [edge, records] : uses) {
            if (!isInner(puzzle->edge(edge))) {
                ASSERT_EQ(records.size(), 1u);
                EXPECT_EQ(records[0].second.neighbour, border);
                continue;
            }
            // An inner edge: two records of two pieces that name each other,
            // walking it in opposite directions.
            ASSERT_EQ(records.size(), 2u);
            EXPECT_EQ(records[0].second.neighbour, records[1].first);
            EXPECT_EQ(records[1].second.neighbour, records[0].first);
            EXPECT_NE(records[0].second.reversed, records[1].second.reversed);
        }
        const float tolerance = 1e-4f * std::max(cut.width, cut.height);
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
            const auto& records = puzzle->piece(p);
            ASSERT_EQ(records.size(), 4u);
            for (std::size_t i = 0; i < 4; ++i) {
                const P2f end = walkEnd(*puzzle, records[i]), next = walkStart(*puzzle, records[(i + 1) % 4]);
                EXPECT_NEAR(end[0], next[0], tolerance);
                EXPECT_NEAR(end[1], next[1], tolerance);
            }
        }
    }
}

TEST(GridPuzzleGenerator, PieceOutlinesAreCounterClockwiseTileThePuzzleAndTriangulate) {
    for (const Cut& cut : cuts()) {
        const auto puzzle = gridCut(cut.seed, cut.columns, cut.rows, cut.width, cut.height);
        SCOPED_TRACE(::testing::Message() << cut.seed << " " << cut.columns << "x" << cut.rows << " "
                                          << cut.width << "x" << cut.height);
        double total = 0.0;
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
            const Polygon outline = outlineOf(*puzzle, p);
            ASSERT_EQ(outline.contourCount(), 1u);
            const double area = shoelace(outline);
            EXPECT_GT(area, 0.0) << "piece " << p;
            total += area;
            // The meshes of the next stage: the triangulator takes every
            // outline, and its triangles cover exactly the outline's area.
            std::vector<Tuple<3, unsigned int>> triangles;
            try {
                PolygonTriangulator(outline, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles);
            } catch (const TAVO::Exception& e) {
                ADD_FAILURE() << "piece " << p << ": " << e.message();
                continue;
            }
            double covered = 0.0;
            for (const auto& t : triangles) {
                const auto &a = outline.points()[t[0]], &b = outline.points()[t[1]], &c = outline.points()[t[2]];
                covered += 0.5 * ((double(b[0]) - a[0]) * (double(c[1]) - a[1]) -
                                  (double(b[1]) - a[1]) * (double(c[0]) - a[0]));
            }
            EXPECT_NEAR(covered, area, 1e-4 * area) << "piece " << p;
        }
        const double whole = double(cut.width) * cut.height;
        EXPECT_NEAR(total, whole, 1e-5 * whole);
    }
}

TEST(GridPuzzleGenerator, AlternatingLayoutDrawsNoDirectionsAndChecksItsParity) {
    ScriptedSource random(7);
    GridPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 16u, 0.0f),
                                  std::make_shared<StraightEdgeFactory>());
    generator.setGridSize(Grid(5u, 4u));
    generator.setRandomDirection(false);
    const TAVO::IncrementalBuffer pixels;
    const auto puzzle = generator.generate(Tuple<2, float>(5.0f, 4.0f), pixels, TAVO::Migration::ImageMetadata());
    EXPECT_TRUE(random.choiceModuli.empty());
    EXPECT_EQ(random.draws, 10u * (5u * 3u + 4u * 4u));
    ASSERT_EQ(puzzle->edgeCount(), 5u * 5u + 4u * 6u);
    for (std::uint32_t e = 0; e < puzzle->edgeCount(); ++e) {
        EXPECT_EQ(dynamic_cast<const ReverseEdge*>(&puzzle->edge(e)), nullptr);
        if (isInner(puzzle->edge(e))) {
            EXPECT_EQ(puzzle->edge(e).pointCount(), 19u);
        }
    }
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 5; ++x) {
            const auto& records = puzzle->piece(y * 5 + x);
            // Rows (parity 0): a cell with x + y even makes both of its row
            // edges; columns (parity 1): a cell with x + y odd makes both.
            const bool rowMaker = (x + y) % 2 == 0, columnMaker = (x + y + 1) % 2 == 0;
            if (y > 0) {
                EXPECT_EQ(records[3].reversed, rowMaker ? 0 : 1) << x << "," << y;
            }
            if (y < 3) {
                EXPECT_EQ(records[1].reversed, rowMaker ? 0 : 1) << x << "," << y;
            }
            if (x > 0) {
                EXPECT_EQ(records[2].reversed, columnMaker ? 0 : 1) << x << "," << y;
            }
            if (x < 4) {
                EXPECT_EQ(records[0].reversed, columnMaker ? 0 : 1) << x << "," << y;
            }
        }
    double total = 0.0;
    for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
        const double area = shoelace(outlineOf(*puzzle, p));
        EXPECT_GT(area, 0.0);
        total += area;
    }
    EXPECT_NEAR(total, 20.0, 1e-4);
}

TEST(GridPuzzleGenerator, DegenerateGrids) {
    ScriptedSource random;
    GridPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f),
                                  std::make_shared<StraightEdgeFactory>());
    EXPECT_EQ(generator.pieceCount(), 16u);
    EXPECT_STREQ(generator.name(), "Grid");
    const TAVO::IncrementalBuffer pixels;
    const TAVO::Migration::ImageMetadata description;
    const Tuple<2, float> size(100.0f, 100.0f);

    generator.setGridSize(Grid(0u, 0u));
    const auto empty = generator.generate(size, pixels, description);
    EXPECT_EQ(empty->pieceCount(), 0u);
    EXPECT_EQ(empty->edgeCount(), 0u);

    for (const Grid& grid : {Grid(0u, 3u), Grid(3u, 0u), Grid(0u, 0xFFFFFFFFu), Grid(0xFFFFFFFFu, 0u)}) {
        generator.setGridSize(grid);
        try {
            generator.generate(size, pixels, description);
            ADD_FAILURE() << grid[0] << "x" << grid[1];
        } catch (const PuzzleGenerationException& e) {
            EXPECT_EQ(e.message(), "(0,0) out of bound. ");
        }
    }
    // More pieces than a game can hold is refused before anything is allocated.
    for (const Grid& grid : {Grid(1025u, 1024u), Grid(65536u, 65536u), Grid(0xFFFFFFFFu, 0xFFFFFFFFu)}) {
        generator.setGridSize(grid);
        EXPECT_THROW(generator.generate(size, pixels, description), PuzzleGenerationException);
    }
    EXPECT_EQ(random.draws, 0u);
}

TEST(GridPuzzleGenerator, SideCodesAndIndexErrors) {
    using G = GridPuzzleGenerator;
    EXPECT_EQ(G::opposite(G::atNextX), G::atX);
    EXPECT_EQ(G::opposite(G::atY), G::atNextY);
    EXPECT_EQ(G::neighbour(G::atNextY, 2, 3), (Tuple<2, int>(2, 4)));
    EXPECT_EQ(G::startCorner(G::atX, 2, 3), (Tuple<2, int>(2, 4)));
    try {
        G::opposite(G::Side(4));
        FAIL();
    } catch (const TAVO::BoundException<G::Side>& e) {
        EXPECT_EQ(e.message(), "Value (4) out of bound (4). ");
    }
    EXPECT_THROW(G::neighbour(G::Side(7), 0, 0), TAVO::BoundException<G::Side>);
    const auto puzzle = gridCut(0, 2, 2, 10.0f, 10.0f);
    try {
        puzzle->edge(12);
        FAIL();
    } catch (const TAVO::BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 12u);
        EXPECT_EQ(e.bound(), 12u);
    }
    EXPECT_THROW(puzzle->piece(4), TAVO::BoundException<unsigned int>);
    EXPECT_THROW(puzzle->pieceBounds(4), TAVO::BoundException<unsigned int>);
    Puzzle blank;
    EXPECT_EQ(blank.addPiece(), 0u);
    EXPECT_EQ(blank.pieceBounds(0).origin(), P2f(0.0f, 0.0f));
    EXPECT_EQ(blank.pieceBounds(0).extent(), (Tuple<2, float>(0.0f, 0.0f)));
}

TEST(GridPuzzleGenerator, GridSizeForAPicture) {
    auto picture = [](std::uint32_t w, std::uint32_t h) { return TAVO::Migration::ImageMetadata(w, h, 3, 24); };
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(12, picture(400, 300)), Grid(4u, 3u));
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(12, picture(300, 400)), Grid(3u, 4u));
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(0, picture(400, 300)), Grid(0u, 0u));
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(16, picture(1, 1)), Grid(4u, 4u));
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(4, TAVO::Migration::ImageMetadata()), Grid(2u, 2u));
    EXPECT_EQ(GridPuzzleGenerator::gridSizeFor(1, picture(1000, 10)), Grid(10u, 0u));
    // Extreme counts stay defined.
    const Grid huge = GridPuzzleGenerator::gridSizeFor(0xFFFFFFFFu, picture(1, 1));
    EXPECT_EQ(huge, Grid(65536u, 65536u));
}

TEST(GridPuzzleGenerator, SearchGridSize) {
    using G = GridPuzzleGenerator;
    EXPECT_EQ(G::searchGridSize(0, 100, 100, 1.1f), Grid(1u, 1u));
    EXPECT_EQ(G::searchGridSize(10, 0, 100, 1.1f), Grid(1u, 1u));
    EXPECT_EQ(G::searchGridSize(10, 100, 0, 1.1f), Grid(1u, 1u));
    EXPECT_EQ(G::searchGridSize(16, 1000, 1000, 1.1f), Grid(4u, 4u));
    EXPECT_EQ(G::searchGridSize(12, 400, 300, 1.1f), Grid(4u, 3u));
    EXPECT_EQ(G::searchGridSize(12, 300, 400, 1.1f), Grid(3u, 4u));
    // A limit below 1 is used as it is.
    EXPECT_EQ(G::searchGridSize(12, 400, 300, 1.0f / 1.1f), Grid(4u, 3u));
    // One and two pieces: the candidate of 0 columns is skipped.
    EXPECT_EQ(G::searchGridSize(1, 100, 100, 1.1f), Grid(1u, 1u));
    EXPECT_EQ(G::searchGridSize(2, 100, 100, 1.1f), Grid(1u, 2u));
    EXPECT_EQ(G::searchGridSize(2, 100, 120, 1.1f), Grid(1u, 2u));
    // Very long pictures get one row (or column), never zero, and that row
    // holds the requested count: the count of square pieces along the long
    // side (126 and 73 here) would make far more pieces than asked for.
    EXPECT_EQ(G::searchGridSize(16, 1000, 1, 1.1f), Grid(16u, 1u));
    EXPECT_EQ(G::searchGridSize(16, 1, 1000, 1.1f), Grid(1u, 16u));
    EXPECT_EQ(G::searchGridSize(16, 1000, 3, 1.1f), Grid(16u, 1u));
    EXPECT_EQ(G::searchGridSize(16, 3, 1000, 1.1f), Grid(1u, 16u));
    EXPECT_EQ(G::searchGridSize(9, 16384, 1, 1.1f), Grid(9u, 1u));
    // Where the search itself rounds the short side to one piece, its grid
    // stands as it always was (set-ups of such pictures keep their cut).
    EXPECT_EQ(G::searchGridSize(16, 1000, 30, 1.1f), Grid(23u, 1u));
    EXPECT_EQ(G::searchGridSize(16, 1000, 60, 1.1f), Grid(16u, 1u));
    for (std::uint32_t n : {1u, 2u, 3u, 16u, 100u, 1000u, 10000u, 0xFFFFFFFFu})
        for (std::uint32_t w : {1u, 2u, 7u, 100u, 1000u, 16384u})
            for (std::uint32_t h : {1u, 3u, 100u, 16384u}) {
                const Grid grid = G::searchGridSize(n, w, h, 1.1f);
                EXPECT_GE(grid[0], 1u) << n << " " << w << "x" << h;
                EXPECT_GE(grid[1], 1u) << n << " " << w << "x" << h;
            }
}

TEST(GridPuzzleGenerator, TheMostElongatedCellsOfNewGamesTriangulate) {
    // Every new game is cut from seed 0. Its cells are longest for a few
    // pieces on pictures of the wrong aspect for them (3 pieces on 469 x 812
    // make 2 x 2 cells 1.73 times as tall as wide).
    int tested = 0;
    for (std::uint32_t w : {300u, 469u, 500u, 640u, 812u, 1000u, 1080u, 1600u, 1920u, 4000u})
        for (std::uint32_t h : {300u, 469u, 500u, 640u, 812u, 1000u, 1080u, 1600u, 1920u, 4000u})
            for (std::uint32_t n = 2; n <= 40; ++n) {
                const Grid grid = GridPuzzleGenerator::searchGridSize(n, w, h, ::Setup::aspectLimit);
                const double cellW = double(w) / grid[0], cellH = double(h) / grid[1];
                if (grid[0] < 2 || grid[1] < 2 || std::max(cellW / cellH, cellH / cellW) < 1.5)
                    continue;
                ::Setup setup = setupOf(w, h, n);
                const auto puzzle = setup.generate();
                ++tested;
                for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
                    std::vector<Tuple<3, unsigned int>> triangles;
                    EXPECT_NO_THROW(PolygonTriangulator(outlineOf(*puzzle, p), TAVO::Vector<2, float>(0.0f, 1.0f),
                                                        true)
                                        .triangulate(triangles))
                        << w << "x" << h << " n=" << n << " piece " << p;
                }
            }
    EXPECT_GT(tested, 20);
}

TEST(GridPuzzleGenerator, ManySeedsGivePositiveOutlinesThatTriangulate) {
    const float stretch[3] = {1.0f, 1.3f, 1.6f};
    for (std::uint32_t seed = 1000; seed < 1300; ++seed) {
        const float aspect = stretch[seed % 3];
        const auto puzzle = gridCut(seed, 4, 3, 256.0f, 192.0f * aspect);
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
            const Polygon outline = outlineOf(*puzzle, p);
            EXPECT_GT(shoelace(outline), 0.0) << seed << " piece " << p;
            std::vector<Tuple<3, unsigned int>> triangles;
            EXPECT_NO_THROW(PolygonTriangulator(outline, TAVO::Vector<2, float>(0.0f, 1.0f), true)
                                .triangulate(triangles))
                << seed << " piece " << p;
        }
    }
}
