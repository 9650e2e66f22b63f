// Meshes built in runs of parts side by side: the bytes of one build in
// order, whatever the number of threads, and its failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/PartMeshException.h"
#include "model/PartMeshSet.h"
#include "model/Tables.h"
#include "model/edges/StraightEdge.h"

using namespace ModelTest;
using P2 = TAVO::Point<2, float>;

namespace {

std::uint64_t fnv(std::uint64_t h, const void* data, std::size_t n) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

// Every byte of the meshes and of their ranges.
std::uint64_t digestOf(const PartMeshSet& meshes) {
    std::uint64_t h = 14695981039346656037ull;
    h = fnv(h, meshes.positions().data(), meshes.positions().size() * sizeof(float));
    h = fnv(h, meshes.indices().data(), meshes.indices().size() * sizeof(std::uint32_t));
    h = fnv(h, meshes.edgeAttributes().data(), meshes.edgeAttributes().size() * sizeof(float));
    for (const auto& [id, list] : meshes.ranges()) {
        h = fnv(h, &id, sizeof id);
        for (const PartMeshSet::DrawRange& range : list) {
            h = fnv(h, &range.first, sizeof range.first);
            h = fnv(h, &range.count, sizeof range.count);
        }
    }
    return h;
}

// A 20 x 15 cut played a little: rows of pieces joined into parts of four,
// and every part whose id is 5 modulo 12 sent to a second tray.
void play(Game& game) {
    Table& table = game.table;
    for (std::uint32_t row = 0; row < 15; row += 3)
        for (std::uint32_t column = 0; column + 3 < 20; column += 5) {
            const std::uint32_t piece = row * 20 + column;
            std::uint32_t part = game.partOf(piece);
            for (std::uint32_t k = 1; k < 4; ++k)
                part = table.joinParts(0, part, table.tray(0).partPose(part), {game.partOf(piece + k)});
        }
    table.addTray(1);
    std::vector<std::uint32_t> sent;
    for (auto it = table.tray(0).parts(); it.valid(); it.next())
        if (it.current() % 12 == 5)
            sent.push_back(it.current());
    for (std::uint32_t part : sent) {
        Table::TypedAction& action = table.movePart(0, 1, part, table.tray(0).partPose(part));
        action.action().apply(table);
    }
}

void expectSame(const PartMeshSet& a, const PartMeshSet& b, const std::string& what) {
    EXPECT_TRUE(a.positions() == b.positions()) << what;
    EXPECT_TRUE(a.indices() == b.indices()) << what;
    EXPECT_TRUE(a.edgeAttributes() == b.edgeAttributes()) << what;
    ASSERT_EQ(a.ranges().size(), b.ranges().size()) << what;
    for (const auto& [id, list] : a.ranges()) {
        ASSERT_EQ(b.ranges().count(id), 1u) << what << " part " << id;
        const auto& other = b.ranges().at(id);
        ASSERT_EQ(list.size(), other.size()) << what << " part " << id;
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i].first, other[i].first) << what << " part " << id;
            EXPECT_EQ(list[i].count, other[i].count) << what << " part " << id;
        }
    }
}

// Squares in a row, with bow ties (which no triangulation takes) at the
// pieces given.
std::unique_ptr<Puzzle> squaresWithBowTies(std::uint32_t count, const std::vector<std::uint32_t>& bowTies) {
    auto puzzle = std::make_unique<Puzzle>();
    for (std::uint32_t i = 0; i < count; ++i) {
        const float x = 100.0f * float(i);
        const bool bowTie = std::find(bowTies.begin(), bowTies.end(), i) != bowTies.end();
        const std::vector<P2> corners =
            bowTie ? std::vector<P2>{P2(x, 0.0f), P2(x + 64.0f, 64.0f), P2(x + 64.0f, 0.0f), P2(x, 64.0f)}
                   : std::vector<P2>{P2(x, 0.0f), P2(x + 64.0f, 0.0f), P2(x + 64.0f, 64.0f), P2(x, 64.0f)};
        const std::uint32_t piece = puzzle->addPiece();
        for (std::size_t k = 0; k < corners.size(); ++k) {
            PieceEdge record;
            record.edge = puzzle->addEdge(std::make_unique<StraightEdge>(corners[k], corners[(k + 1) % corners.size()]));
            record.startsContour = k == 0 ? 1 : 0;
            puzzle->piece(piece).push_back(record);
        }
    }
    return puzzle;
}

std::string failureOf(const Puzzle& puzzle, const Table& table, unsigned int threads) {
    PartMeshSet meshes;
    try {
        meshes.build(puzzle, table, true, threads);
    } catch (const PartMeshException& failure) {
        return failure.message();
    }
    return "built";
}

} // namespace

// The digests were taken from the meshes of this table before their runs
// were built side by side: the drawn meshes keep every byte.
TEST(PartMeshRuns, ThePlayedTableKeepsTheBytesItsMeshesAlwaysHad) {
    Game game(3, 20, 15);
    play(game);
    ASSERT_NO_THROW(game.table.validate());
    ASSERT_EQ(game.table.trayOrder().size(), 2u);
    for (unsigned int threads : {0u, 1u, 4u}) {
        PartMeshSet plain, attribute;
        plain.build(*game.puzzle, game.table, false, threads);
        attribute.build(*game.puzzle, game.table, true, threads);
        EXPECT_EQ(plain.vertexCount(), 17020u);
        EXPECT_EQ(digestOf(plain), 0x12726fc79295b164ull) << threads << " threads";
        EXPECT_EQ(attribute.vertexCount(), 49260u);
        EXPECT_EQ(digestOf(attribute), 0xfb6c107a1f925047ull) << threads << " threads";
    }
}

// However many runs, the set is the one a build in order makes, also when
// it holds meshes already (a build appends).
TEST(PartMeshRuns, AnyNumberOfThreadsGivesTheBuildInOrder) {
    Game game(11, 24, 18);
    play(game);
    for (bool attribute : {false, true}) {
        PartMeshSet inOrder;
        inOrder.build(*game.puzzle, game.table, attribute, 1);
        inOrder.build(*game.puzzle, game.table, attribute, 1);
        for (unsigned int threads : {2u, 3u, 5u, 6u, 64u}) {
            PartMeshSet side;
            side.build(*game.puzzle, game.table, attribute, 1);
            side.build(*game.puzzle, game.table, attribute, threads);
            expectSame(inOrder, side, std::to_string(threads) + (attribute ? " threads, attribute" : " threads, plain"));
        }
    }
}

// The meshes are sized once to what they hold, whatever the number of
// threads: the set the view takes keeps no spare room.
TEST(PartMeshRuns, TheMeshesKeepNoSpareRoom) {
    Game game(3, 20, 15);
    play(game);
    for (unsigned int threads : {1u, 4u})
        for (bool attribute : {false, true}) {
            PartMeshSet meshes;
            meshes.build(*game.puzzle, game.table, attribute, threads);
            const std::string what = std::to_string(threads) + (attribute ? " threads, attribute" : " threads, plain");
            EXPECT_GT(meshes.positions().size(), 0u) << what;
            EXPECT_EQ(meshes.positions().capacity(), meshes.positions().size()) << what;
            EXPECT_EQ(meshes.indices().capacity(), meshes.indices().size()) << what;
            EXPECT_EQ(meshes.edgeAttributes().capacity(), meshes.edgeAttributes().size()) << what;
        }
}

// A table of fewer pieces than one thread is given is built here alone; a
// table of one huge part and a few small ones still comes out in order.
TEST(PartMeshRuns, UnevenPartsStillComeOutInOrder) {
    Game game(5, 16, 12);
    Table& table = game.table;
    std::uint32_t whole = game.partOf(0);
    for (std::uint32_t piece = 1; piece < 150; ++piece) {
        const std::uint32_t next = game.partOf(piece);
        if (next != whole && table.part(whole).touches(table.part(next).neighbours()))
            whole = table.joinParts(0, whole, table.tray(0).partPose(whole), {next});
    }
    ASSERT_GT(table.part(whole).pieces().size(), 100u);
    for (bool attribute : {false, true}) {
        PartMeshSet inOrder, side;
        inOrder.build(*game.puzzle, table, attribute, 1);
        side.build(*game.puzzle, table, attribute, 8);
        expectSame(inOrder, side, attribute ? "attribute" : "plain");
    }
}

// Two outlines no triangulation takes, in different runs: the one reported
// is the one a build in order meets first.
TEST(PartMeshRuns, TheFailureReportedIsTheEarliestPartsAsInOrder) {
    const std::uint32_t count = 8 * PartMeshSet::piecesPerThread;
    for (const std::vector<std::uint32_t>& bad : {std::vector<std::uint32_t>{3, 500}, {500, 3}, {200}, {511}}) {
        const auto puzzle = squaresWithBowTies(count, bad);
        Table table;
        table.scatter(puzzle.get(), TAVO::Tuple<2, float>(100.0f * float(count), 64.0f));
        const std::string inOrder = failureOf(*puzzle, table, 1);
        ASSERT_EQ(inOrder.rfind("The outline of piece ", 0), 0u) << inOrder;
        for (unsigned int threads : {2u, 3u, 8u})
            EXPECT_EQ(failureOf(*puzzle, table, threads), inOrder) << threads << " threads";
    }
}
