#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "Cuts.h"
#include "PuzzleChecks.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/text/ConversionException.h"
#include "geometry/PolygonTriangulator.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/StraightEdge.h"
#include "model/generators/CutPuzzleGenerator.h"
#include "model/generators/PuzzleGenerationException.h"

using namespace ModelTest;
using TAVO::Tuple;
using P2f = TAVO::Point<2, float>;

namespace {

struct CutResult {
    std::unique_ptr<Puzzle> puzzle;
    std::uint64_t draws = 0;
    std::vector<float> scales;
};

// A cut with the given parameter texts. Classic inner edges share the cut's
// random source, as in a game; straight ones draw nothing.
CutResult cut(std::uint32_t seed, const std::string& pieces, const std::string& ratio, float w, float h,
              bool classic = true, std::deque<float> scripted = {}) {
    ScriptedSource random(seed);
    random.floats = std::move(scripted);
    std::shared_ptr<EdgeFactory> inner;
    if (classic)
        inner = std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f);
    else
        inner = std::make_shared<StraightEdgeFactory>();
    CutPuzzleGenerator generator(&random, inner, std::make_shared<StraightEdgeFactory>());
    generator.parameters().set("pieces", pieces);
    generator.parameters().set("ratio", ratio);
    const TAVO::IncrementalBuffer pixels;
    CutResult result;
    result.puzzle = generator.generate(Tuple<2, float>(w, h), pixels, TAVO::Migration::ImageMetadata());
    result.draws = random.draws;
    result.scales = random.floatScales;
    return result;
}

// The cells of a cut with the given number of pieces (2 pieces a leaf).
std::uint64_t cellsFor(std::uint32_t pieces) { return pieces - 1; }

// The x of every junction on the border side y = at: every junction starts
// an edge there (a border edge or a cut), and edges start at their exact
// points. The corners of the puzzle are left out.
std::set<float> junctionsAlong(const Puzzle& puzzle, float at, float width) {
    std::set<float> xs;
    for (std::uint32_t e = 0; e < puzzle.edgeCount(); ++e) {
        const P2f p = puzzle.edge(e).pointAt(0.0f);
        if (p[1] == at && p[0] > 0.0f && p[0] < width)
            xs.insert(p[0]);
    }
    return xs;
}

bool isStraight(const Edge& edge) { return dynamic_cast<const StraightEdge*>(&edge) != nullptr; }

} // namespace

TEST(CutPuzzleGenerator, DefaultsMakeSixteenPiecesFromThirtyDrawsInTheMiddleBand) {
    ScriptedSource random;
    CutPuzzleGenerator generator(&random, std::make_shared<StraightEdgeFactory>(),
                                 std::make_shared<StraightEdgeFactory>());
    EXPECT_STREQ(generator.name(), "Cut");
    EXPECT_EQ(generator.parameters().get("pieces"), "16");
    EXPECT_EQ(generator.parameters().get("ratio"), "0.25");
    EXPECT_EQ(generator.pieceCount(), 16u);
    const TAVO::IncrementalBuffer pixels;
    const auto puzzle = generator.generate(Tuple<2, float>(400.0f, 300.0f), pixels, TAVO::Migration::ImageMetadata());
    EXPECT_EQ(puzzle->pieceCount(), 16u);
    // Two positions for each of the 15 cells, each r in [0, 0.25] after 0.375.
    EXPECT_EQ(random.draws, 30u);
    EXPECT_EQ(random.floatScales, std::vector<float>(30, 0.25f));
    expectTiling(*puzzle, 400.0 * 300.0, 1e-3f);
}

TEST(CutPuzzleGenerator, SeedZeroGoldenValues) {
    // From an independent implementation of the cut (see the tool's tests):
    // the first edge is the root's cut from its top point, with these shape
    // values; the first and the last piece walk these records.
    const auto result = cut(0, "16", "0.25", 400.0f, 300.0f);
    const Puzzle& puzzle = *result.puzzle;
    const auto& first = dynamic_cast<const ClassicEdge&>(puzzle.edge(0));
    const std::uint32_t shape[10] = {0x3ea9bf4b, 0xbd42776b, 0xbcd80d04, 0xbcc15769, 0x3e4d5139,
                                     0x3ce559f2, 0x3e90edd6, 0x3f090e44, 0x3e667af5, 0x3f08a2df};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bitsOf(first.shape()[i]), shape[i]) << i;
    EXPECT_EQ(bitsOf(first.point(0)[0]), 0x43482599u);
    EXPECT_EQ(bitsOf(first.point(0)[1]), 0x00000000u);
    ASSERT_EQ(first.pointCount(), 12u);
    EXPECT_EQ(bitsOf(first.point(1)[1]), 0x414e3b66u);
    auto records = [&](std::uint32_t p) {
        std::string text;
        for (const PieceEdge& record : puzzle.piece(p))
            text += std::to_string(record.edge) + ":" + std::to_string(record.reversed) + " ";
        return text;
    };
    EXPECT_EQ(records(0), "10:0 13:1 37:1 41:0 ");
    EXPECT_EQ(records(15), "30:1 32:0 47:1 36:0 ");
    EXPECT_EQ(puzzle.edgeCount(), 49u);
}

TEST(CutPuzzleGenerator, TheLowestAndHighestDrawsCutAtTheEdgesOfTheBand) {
    // Every draw 0: every cut at 0.375 of its sides. The top side is cut by
    // the root at 0.375 * 400, and by the two cells of the second level that
    // touch it at 0.375 of the two parts.
    const auto low = cut(0, "16", "0.25", 400.0f, 300.0f, false, std::deque<float>(30, 0.0f));
    EXPECT_EQ(junctionsAlong(*low.puzzle, 0.0f, 400.0f), (std::set<float>{56.25f, 150.0f, 243.75f}));
    EXPECT_EQ(junctionsAlong(*low.puzzle, 300.0f, 400.0f), (std::set<float>{56.25f, 150.0f, 243.75f}));
    // Every draw 0.25: every cut at 0.625.
    const auto high = cut(0, "16", "0.25", 400.0f, 300.0f, false, std::deque<float>(30, 0.25f));
    EXPECT_EQ(junctionsAlong(*high.puzzle, 0.0f, 400.0f), (std::set<float>{156.25f, 250.0f, 343.75f}));
    expectTiling(*low.puzzle, 120000.0, 1e-3f);
    expectTiling(*high.puzzle, 120000.0, 1e-3f);
}

TEST(CutPuzzleGenerator, CutPositionsOfManySeedsStayInTheirBand) {
    // The root's cut meets the top and the bottom sides between 0.375 and
    // 0.625 of the width, and every level halves its cell no closer to a side.
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        const auto result = cut(seed, "4", "0.25", 1000.0f, 800.0f, false);
        for (float y : {0.0f, 800.0f}) {
            const auto xs = junctionsAlong(*result.puzzle, y, 1000.0f);
            ASSERT_EQ(xs.size(), 1u) << seed;
            EXPECT_GE(*xs.begin(), 375.0f) << seed;
            EXPECT_LE(*xs.begin(), 625.0f) << seed;
        }
    }
}

TEST(CutPuzzleGenerator, PieceCountsAreFourToThePowerOfTheLevel) {
    const auto count = [](std::uint32_t pieces) {
        return cut(pieces, std::to_string(pieces), "0.25", 640.0f, 480.0f, false).puzzle->pieceCount();
    };
    for (std::uint32_t n = 1; n <= 8; ++n)
        EXPECT_EQ(count(n), 4u) << n;
    for (std::uint32_t n = 9; n <= 32; ++n)
        EXPECT_EQ(count(n), 16u) << n;
    for (std::uint32_t n : {33u, 64u, 100u, 128u})
        EXPECT_EQ(count(n), 64u) << n;
    for (std::uint32_t n : {129u, 512u})
        EXPECT_EQ(count(n), 256u) << n;
    EXPECT_EQ(count(513), 1024u);
    EXPECT_EQ(count(2048), 1024u);
    EXPECT_EQ(count(2049), 4096u);

    using C = CutPuzzleGenerator;
    EXPECT_EQ(C::depthFor(1), 0u);
    EXPECT_EQ(C::depthFor(2), 1u);
    EXPECT_EQ(C::depthFor(8), 3u);
    EXPECT_EQ(C::depthFor(9), 4u);
    EXPECT_EQ(C::depthFor(16), 4u);
    EXPECT_EQ(C::depthFor(17), 5u);
    EXPECT_EQ(C::depthFor(65536), 16u);
    EXPECT_EQ(C::depthFor(65537), 17u);
    EXPECT_EQ(C::depthFor(0), 32u);
    const std::uint32_t passes[] = {1, 1, 1, 1, 3, 3, 5, 5, 7};
    for (std::uint32_t depth = 0; depth < 9; ++depth)
        EXPECT_EQ(C::passesFor(depth), passes[depth]) << depth;
    EXPECT_EQ(C::passesFor(16), 15u);
}

TEST(CutPuzzleGenerator, PieceCountReportsTheParameterAsItStands) {
    ScriptedSource random;
    CutPuzzleGenerator generator(&random, std::make_shared<StraightEdgeFactory>(),
                                 std::make_shared<StraightEdgeFactory>());
    generator.parameters().set("pieces", "100");
    EXPECT_EQ(generator.pieceCount(), 100u);
    generator.parameters().set("pieces", "many");
    EXPECT_THROW(generator.pieceCount(), TAVO::Text::ConversionException);
}

TEST(CutPuzzleGenerator, TheLargestCutHas65536Pieces) {
    const auto result = cut(1, "65536", "0.25", 4096.0f, 4096.0f, false);
    EXPECT_EQ(result.puzzle->pieceCount(), 65536u);
    EXPECT_EQ(result.draws, 2u * cellsFor(65536));
    double total = 0.0;
    for (std::uint32_t p = 0; p < result.puzzle->pieceCount(); ++p)
        total += shoelace(outlineOf(*result.puzzle, p));
    EXPECT_NEAR(total, 4096.0 * 4096.0, 1e-4 * 4096.0 * 4096.0);
}

TEST(CutPuzzleGenerator, RefusesCountsAndRatiosThatCannotBeCutBeforeDrawing) {
    ScriptedSource random;
    CutPuzzleGenerator generator(&random, std::make_shared<StraightEdgeFactory>(),
                                 std::make_shared<StraightEdgeFactory>());
    const TAVO::IncrementalBuffer pixels;
    const TAVO::Migration::ImageMetadata description;
    const Tuple<2, float> size(100.0f, 100.0f);
    auto refusal = [&](const std::string& pieces, const std::string& ratio) {
        generator.parameters().set("pieces", pieces);
        generator.parameters().set("ratio", ratio);
        try {
            generator.generate(size, pixels, description);
        } catch (const PuzzleGenerationException& e) {
            return e.message();
        }
        return std::string("accepted");
    };
    // 0 would mean 2^32 pieces; beyond 65536 the tree grows past its cap.
    EXPECT_EQ(refusal("0", "0.25"), "A cut puzzle has 1 to 65536 pieces, not 0. ");
    EXPECT_EQ(refusal("65537", "0.25"), "A cut puzzle has 1 to 65536 pieces, not 65537. ");
    EXPECT_EQ(refusal("4294967295", "0.25"), "A cut puzzle has 1 to 65536 pieces, not 4294967295. ");
    // A ratio outside [0, 1] would put cut points beyond their sides.
    EXPECT_EQ(refusal("16", "-0.01"), "The cut ratio -0.01 is not within 0 and 1. ");
    EXPECT_EQ(refusal("16", "1.0001"), "The cut ratio 1.0001 is not within 0 and 1. ");
    EXPECT_EQ(refusal("16", "3e38"), "The cut ratio 3e38 is not within 0 and 1. ");
    EXPECT_EQ(random.draws, 0u);

    // Texts that are no numbers of the wanted kind.
    for (const auto& [pieces, ratio] : std::vector<std::pair<std::string, std::string>>{
             {"16x", "0.25"}, {"1.5", "0.25"}, {"-4", "0.25"}, {"", "0.25"}, {"16", "nan"}, {"16", "0.25 "},
             {"16", "quarter"}, {"16", ""}, {"99999999999", "0.25"}}) {
        generator.parameters().set("pieces", pieces);
        generator.parameters().set("ratio", ratio);
        EXPECT_THROW(generator.generate(size, pixels, description), TAVO::Text::ConversionException)
            << pieces << " / " << ratio;
    }
    TAVO::Parameters empty;
    generator.parameters() = empty;
    EXPECT_THROW(generator.generate(size, pixels, description), TAVO::NotFoundException<std::string>);
    EXPECT_EQ(random.draws, 0u);
}

TEST(CutPuzzleGenerator, FourPiecesMakeThirteenEdges) {
    // The root's cut is split where the two halves' cuts meet it: three
    // edges; each half's cut is one; the border is cut once on each side.
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        const auto result = cut(seed, "4", "0.25", 300.0f, 200.0f);
        const Puzzle& puzzle = *result.puzzle;
        ASSERT_EQ(puzzle.pieceCount(), 4u);
        ASSERT_EQ(puzzle.edgeCount(), 13u);
        std::uint32_t straight = 0, records = 0;
        for (std::uint32_t e = 0; e < 13; ++e)
            straight += isStraight(puzzle.edge(e)) ? 1 : 0;
        for (std::uint32_t p = 0; p < 4; ++p)
            records += std::uint32_t(puzzle.piece(p).size());
        EXPECT_EQ(straight, 8u);
        EXPECT_EQ(records, 18u);
        // The inner edges come first: the root's cut, then each half's.
        for (std::uint32_t e = 0; e < 5; ++e)
            EXPECT_FALSE(isStraight(puzzle.edge(e))) << e;
        // Draws: six positions, then ten shape values per inner edge.
        EXPECT_EQ(result.draws, 6u + 10u * 5u);
        EXPECT_EQ(expectTiling(puzzle, 60000.0, 1e-3f), 5u);
    }
}

TEST(CutPuzzleGenerator, PositionsAreDrawnFirstThenTheInnerEdges) {
    const auto result = cut(77, "40", "0.5", 512.0f, 512.0f);
    const std::uint64_t positions = 2u * cellsFor(64);
    std::uint32_t inner = 0;
    for (std::uint32_t e = 0; e < result.puzzle->edgeCount(); ++e)
        inner += isStraight(result.puzzle->edge(e)) ? 0 : 1;
    EXPECT_EQ(result.draws, positions + 10u * inner);
    ASSERT_EQ(result.scales.size(), result.draws);
    for (std::uint64_t i = 0; i < positions; ++i)
        EXPECT_EQ(result.scales[i], 0.5f) << i;
    // The first shape value of the first edge: the neck width's range.
    EXPECT_EQ(bitsOf(result.scales[positions]), 0x3DCCCCCCu);
}

TEST(CutPuzzleGenerator, EveryRecordFollowsTheOneBeforeIt) {
    const auto result = cut(3, "64", "0.25", 800.0f, 600.0f);
    for (std::uint32_t p = 0; p < result.puzzle->pieceCount(); ++p) {
        const auto& records = result.puzzle->piece(p);
        ASSERT_GE(records.size(), 4u);
        EXPECT_EQ(loopsOf(records).size(), 1u) << p;
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(records[i].startsContour, i == 0 ? 1 : 0) << p;
    }
}

TEST(CutPuzzleGenerator, ManySeedsRatiosAndSizesTileThePuzzleWithStraightEdges) {
    const char* ratios[] = {"0.25", "0.5", "0.05", "0.9", "1", "0"};
    const char* pieces[] = {"1", "16", "30", "64", "200"};
    const float sizes[][2] = {{400.0f, 300.0f}, {1000.0f, 100.0f}, {64.0f, 640.0f}, {1.0f, 1.0f}, {333.3f, 777.7f}};
    for (std::uint32_t seed = 0; seed < 90; ++seed) {
        const char* ratio = ratios[seed % 6];
        const char* count = pieces[(seed / 6) % 5];
        const auto& size = sizes[seed % 5];
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " pieces " << count << " ratio " << ratio << " "
                                          << size[0] << "x" << size[1]);
        const auto result = cut(seed * 101u, count, ratio, size[0], size[1], false);
        expectTiling(*result.puzzle, double(size[0]) * size[1], 2e-4f * std::max(size[0], size[1]));
    }
}

TEST(CutPuzzleGenerator, ManySeedsTileThePuzzleWithClassicEdges) {
    // Tabs grow with their edge: on pieces much longer than wide, the tabs of
    // the long sides can reach across. Puzzles near square keep them apart.
    const float sizes[][2] = {{400.0f, 300.0f}, {512.0f, 512.0f}, {300.0f, 400.0f}, {1000.0f, 900.0f}};
    const char* pieces[] = {"4", "16", "64"};
    for (std::uint32_t seed = 0; seed < 150; ++seed) {
        const auto& size = sizes[seed % 4];
        const char* count = pieces[seed % 3];
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " pieces " << count << " " << size[0] << "x"
                                          << size[1]);
        const auto result = cut(seed, count, "0.25", size[0], size[1]);
        expectTiling(*result.puzzle, double(size[0]) * size[1], 2e-4f * std::max(size[0], size[1]));
    }
}

TEST(CutPuzzleGenerator, StraightCutsTriangulate) {
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        const auto result = cut(seed, "64", seed % 2 ? "0.25" : "0.6", 640.0f, 480.0f, false);
        for (std::uint32_t p = 0; p < result.puzzle->pieceCount(); ++p) {
            std::vector<Tuple<3, unsigned int>> triangles;
            EXPECT_NO_THROW(PolygonTriangulator(outlineOf(*result.puzzle, p), TAVO::Vector<2, float>(0.0f, 1.0f),
                                                true)
                                .triangulate(triangles))
                << seed << " piece " << p;
        }
    }
}

TEST(CutPuzzleGenerator, AZeroRatioCutsEveryCellInItsMiddle) {
    // All positions 0.5: the cut of a power-of-two square is a regular grid,
    // and where four pieces meet at one point no edge of length 0 is made.
    const auto result = cut(5, "16", "0", 256.0f, 256.0f, false);
    EXPECT_EQ(junctionsAlong(*result.puzzle, 0.0f, 256.0f), (std::set<float>{64.0f, 128.0f, 192.0f}));
    for (std::uint32_t e = 0; e < result.puzzle->edgeCount(); ++e) {
        const Edge& edge = result.puzzle->edge(e);
        EXPECT_FALSE(edge.pointAt(0.0f) == edge.pointAt(1.0f)) << "edge " << e << " has no length";
    }
    expectTiling(*result.puzzle, 256.0 * 256.0, 1e-4f);
}

TEST(CutPuzzleGenerator, SameSeedSameCut) {
    const auto a = cut(42, "64", "0.25", 500.0f, 400.0f), b = cut(42, "64", "0.25", 500.0f, 400.0f);
    const auto c = cut(43, "64", "0.25", 500.0f, 400.0f);
    ASSERT_EQ(a.puzzle->edgeCount(), b.puzzle->edgeCount());
    bool differs = a.puzzle->edgeCount() != c.puzzle->edgeCount();
    for (std::uint32_t e = 0; e < a.puzzle->edgeCount(); ++e) {
        ASSERT_EQ(a.puzzle->edge(e).pointCount(), b.puzzle->edge(e).pointCount());
        for (std::uint32_t i = 0; i < a.puzzle->edge(e).pointCount(); ++i)
            EXPECT_EQ(a.puzzle->edge(e).point(i), b.puzzle->edge(e).point(i));
        if (!differs && e < c.puzzle->edgeCount())
            differs = !(a.puzzle->edge(e).point(0) == c.puzzle->edge(e).point(0));
    }
    EXPECT_TRUE(differs);
}
