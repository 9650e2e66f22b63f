#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <random>
#include <set>

#include "Cuts.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/Exception.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/StreamException.h"
#include "model/Part.h"
#include "support/Command.h"

using namespace ModelTest;
using TAVO::Point;
using P2f = Point<2, float>;
using Circle = TAVO::Hypersphere<2, float>;

namespace {

std::string hexOf(const TAVO::Buffer& buffer) {
    std::string text;
    char digits[3];
    for (std::uint32_t i = 0; i < buffer.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", *buffer.data(i));
        text += digits;
    }
    return text;
}

TAVO::IncrementalBuffer serialized(const TAVO::Serializable& object) {
    TAVO::IncrementalBuffer buffer;
    TAVO::BufferStream stream(buffer);
    TAVO::Serialization::serialize(object, stream);
    return buffer;
}

void readInto(const TAVO::Buffer& bytes, TAVO::Serializable& object) {
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Serialization::deserialize(stream, object);
}

TAVO::IncrementalBuffer bytesOf(const std::vector<std::uint8_t>& bytes) {
    TAVO::IncrementalBuffer buffer;
    buffer.setSize(std::uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer.data());
    return buffer;
}

// A counter-clockwise square tree from (0, 0) to (size, size).
PieceTree squareTree(float size) {
    PieceTree tree;
    tree.insert(P2f(0.0f, 0.0f), P2f(size, 0.0f));
    tree.insert(P2f(size, 0.0f), P2f(size, size));
    tree.insert(P2f(size, size), P2f(0.0f, size));
    tree.insert(P2f(0.0f, size), P2f(0.0f, 0.0f));
    return tree;
}

} // namespace

TEST(PieceTree, Constants) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(PieceTree::shortest), 0x358637BEu);
    EXPECT_EQ(PieceTree::parallel, FLT_EPSILON);
    EXPECT_EQ(PieceTree::onLine, 0.001f);
}

TEST(PieceTree, ShortSegmentsNeverMakeNodes) {
    PieceTree tree;
    tree.insert(P2f(0.0f, 0.0f), P2f(0.0009f, 0.0f));
    tree.insert(P2f(5.0f, 5.0f), P2f(5.0f, 5.0f));
    EXPECT_TRUE(tree.empty());
    EXPECT_FALSE(tree.contains(P2f(0.0f, 0.0f)));
    tree.insert(P2f(0.0f, 0.0f), P2f(0.0011f, 0.0f));
    EXPECT_EQ(tree.nodes().size(), 1u);
    // Below the root, too: a short piece makes no node.
    tree.insert(P2f(1.0f, 1.0f), P2f(1.0f, 1.0005f));
    EXPECT_EQ(tree.nodes().size(), 1u);
    for (const auto& node : tree.nodes()) {
        EXPECT_FALSE(std::isnan(node.plane.normal()[0]));
        EXPECT_FALSE(std::isnan(node.plane.offset()));
    }
}

TEST(PieceTree, SquareInsideOutsideAndLines) {
    const PieceTree tree = squareTree(10.0f);
    EXPECT_EQ(tree.nodes().size(), 4u);
    const auto& root = tree.nodes()[0];
    EXPECT_EQ(root.plane.normal()[0], 0.0f);
    EXPECT_EQ(root.plane.normal()[1], 1.0f);
    EXPECT_EQ(root.plane.offset(), 0.0f);
    EXPECT_TRUE(tree.contains(P2f(5.0f, 5.0f)));
    EXPECT_TRUE(tree.contains(P2f(0.01f, 9.99f)));
    EXPECT_FALSE(tree.contains(P2f(-1.0f, 5.0f)));
    EXPECT_FALSE(tree.contains(P2f(5.0f, 11.0f)));
    // On a line counts as behind it: outside.
    EXPECT_FALSE(tree.contains(P2f(5.0f, 0.0f)));
}

TEST(PieceTree, SplitsSegmentsThatCrossALine) {
    // A concave notch: the square with a dent cut into its top.
    PieceTree tree;
    const P2f outline[] = {{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 10.0f}, {6.0f, 10.0f},
                           {5.0f, 3.0f}, {4.0f, 10.0f}, {0.0f, 10.0f}};
    // The chord first, as piece trees do, then the outline.
    tree.insert(P2f(10.0f, 10.0f), P2f(0.0f, 10.0f));
    for (int i = 0; i < 7; ++i)
        tree.insert(outline[i], outline[(i + 1) % 7]);
    EXPECT_GT(tree.nodes().size(), 7u);
    EXPECT_TRUE(tree.contains(P2f(2.0f, 8.0f)));
    EXPECT_TRUE(tree.contains(P2f(5.0f, 2.0f)));
    EXPECT_FALSE(tree.contains(P2f(5.0f, 8.0f))); // in the dent
    EXPECT_FALSE(tree.contains(P2f(5.0f, 11.0f)));
}

TEST(PieceTree, AgreesWithPointInPolygonAwayFromTheOutline) {
    for (std::uint32_t seed : {0u, 1u, 17u, 123456u}) {
        const auto puzzle = gridCut(seed, 4, 3, 256.0f, 192.0f);
        std::mt19937 random(seed);
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
            const PieceTree tree = puzzle->pieceTree(p);
            const Polygon outline = outlineOf(*puzzle, p);
            const auto bounds = puzzle->pieceBounds(p);
            // Sample around the bounds with a margin for the bulges.
            std::uniform_real_distribution<float> x(bounds.origin()[0] - 30.0f,
                                                    bounds.origin()[0] + bounds.extent()[0] + 30.0f);
            std::uniform_real_distribution<float> y(bounds.origin()[1] - 30.0f,
                                                    bounds.origin()[1] + bounds.extent()[1] + 30.0f);
            int inside = 0;
            for (int i = 0; i < 400; ++i) {
                const P2f q(x(random), y(random));
                if (outlineDistance(outline, q[0], q[1]) < 0.05)
                    continue;
                const bool expected = insideOutline(outline, q[0], q[1]);
                inside += expected ? 1 : 0;
                EXPECT_EQ(tree.contains(q), expected) << seed << " piece " << p << " at " << q[0] << "," << q[1];
            }
            EXPECT_GT(inside, 20);
        }
    }
}

TEST(PieceTree, GridPieceCentreInsideAndANeighboursTabOutside) {
    const auto puzzle = gridCut(0, 4, 4, 256.0f, 256.0f);
    int holes = 0;
    for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
        const PieceTree tree = puzzle->pieceTree(p);
        const auto x = p % 4, y = p / 4;
        EXPECT_TRUE(tree.contains(P2f(x * 64.0f + 32.0f, y * 64.0f + 32.0f))) << p;
        for (const PieceEdge& record : puzzle->piece(p)) {
            if (record.neighbour == PieceEdge::border)
                continue;
            // A tab that bulges into this piece's cell lies in the cell's
            // corner square but belongs to the neighbour. Take a point on the
            // way from the chord's middle to the tab's apex.
            const Edge& edge = puzzle->edge(record.edge);
            const P2f apex = edge.pointAt(0.5f), start = edge.pointAt(0.0f), end = edge.pointAt(1.0f);
            const P2f q(0.3f * (start[0] + end[0]) * 0.5f + 0.7f * apex[0],
                        0.3f * (start[1] + end[1]) * 0.5f + 0.7f * apex[1]);
            const bool inCell =
                q[0] > x * 64.0f && q[0] < x * 64.0f + 64.0f && q[1] > y * 64.0f && q[1] < y * 64.0f + 64.0f;
            if (!inCell)
                continue;
            ++holes;
            ASSERT_TRUE(insideOutline(outlineOf(*puzzle, record.neighbour), q[0], q[1]));
            EXPECT_FALSE(tree.contains(q)) << p;
            EXPECT_TRUE(puzzle->pieceTree(record.neighbour).contains(q)) << p;
        }
    }
    EXPECT_EQ(holes, 24);
}

// The trees a part keeps for the whole game hold no room beyond their nodes.
TEST(PieceTree, TreesKeptByPartsHoldNoSpareRoom) {
    const auto puzzle = gridCut(0, 6, 5, 384.0f, 320.0f);
    for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
        const Part part(*puzzle, p);
        ASSERT_EQ(part.trees().size(), 1u);
        const std::vector<PieceTree::Node>& nodes = part.trees().front().nodes();
        EXPECT_GT(nodes.size(), 4u) << p;
        EXPECT_EQ(nodes.capacity(), nodes.size()) << p;
    }
}

TEST(Part, OnePiecePartOfACornerAndOfTheMiddle) {
    const auto puzzle = gridCut(3, 3, 3, 192.0f, 192.0f);
    const Part corner(*puzzle, 0);
    EXPECT_EQ(corner.pieces(), std::vector<std::uint32_t>{0u});
    EXPECT_EQ(corner.neighbours(), (std::set<std::uint32_t>{1u, 3u, PieceEdge::border}));
    EXPECT_EQ(corner.openEdges().size(), 4u);
    EXPECT_EQ(corner.trees().size(), 1u);
    EXPECT_EQ(corner.bounds(), puzzle->pieceBounds(0));
    const Part middle(*puzzle, 4);
    EXPECT_EQ(middle.neighbours(), (std::set<std::uint32_t>{1u, 3u, 5u, 7u}));
    EXPECT_TRUE(middle.contains(P2f(96.0f, 96.0f)));
    EXPECT_FALSE(middle.contains(P2f(32.0f, 32.0f)));
    EXPECT_TRUE(corner.touches(middle.neighbours()) == false);
    EXPECT_TRUE(Part(*puzzle, 1).touches(middle.neighbours()));
    EXPECT_THROW(Part(*puzzle, 9), TAVO::BoundException<unsigned int>);
}

TEST(Part, JoiningTheTwoPiecesOfATwoByOneGrid) {
    const auto puzzle = gridCut(0, 2, 1, 128.0f, 64.0f);
    Part left(*puzzle, 0);
    const Part right(*puzzle, 1);
    EXPECT_TRUE(left.touches(right.neighbours()));
    left.join(*puzzle, right);
    EXPECT_EQ(left.pieces(), (std::vector<std::uint32_t>{0u, 1u}));
    EXPECT_EQ(left.neighbours(), std::set<std::uint32_t>{PieceEdge::border});
    ASSERT_EQ(left.openEdges().size(), 6u);
    for (const Edge* edge : left.openEdges())
        EXPECT_NE(edge, &puzzle->edge(5));
    EXPECT_EQ(left.trees().size(), 2u);
    const auto bounds = left.bounds();
    EXPECT_EQ(bounds.origin(), P2f(0.0f, 0.0f));
    EXPECT_EQ(bounds.extent()[0], 128.0f);
    EXPECT_EQ(bounds.extent()[1], 64.0f);
    EXPECT_TRUE(left.contains(P2f(32.0f, 32.0f)));
    EXPECT_TRUE(left.contains(P2f(96.0f, 32.0f)));
    EXPECT_FALSE(left.contains(P2f(130.0f, 32.0f)));
}

TEST(Part, JoiningEveryPieceInAnyOrderLeavesOnlyTheBorderOpen) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        const auto puzzle = gridCut(seed, 5, 4, 320.0f, 256.0f);
        std::vector<Part> parts;
        for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p)
            parts.emplace_back(*puzzle, p);
        std::mt19937 random(seed);
        // Join touching parts at random until one is left.
        while (parts.size() > 1) {
            const std::size_t a = random() % parts.size();
            std::vector<std::size_t> touching;
            for (std::size_t b = 0; b < parts.size(); ++b)
                if (b != a && parts[b].touches(parts[a].neighbours()))
                    touching.push_back(b);
            ASSERT_FALSE(touching.empty());
            const std::size_t b = touching[random() % touching.size()];
            parts[a].join(*puzzle, parts[b]);
            // The neighbours are exactly the pieces across open records.
            std::set<std::uint32_t> members(parts[a].pieces().begin(), parts[a].pieces().end());
            std::set<std::uint32_t> expected;
            std::size_t open = 0;
            for (std::uint32_t p : parts[a].pieces())
                for (const PieceEdge& record : puzzle->piece(p))
                    if (members.count(record.neighbour) == 0) {
                        expected.insert(record.neighbour);
                        ++open;
                    }
            EXPECT_EQ(parts[a].neighbours(), expected);
            EXPECT_EQ(parts[a].openEdges().size(), open);
            parts.erase(parts.begin() + std::ptrdiff_t(b));
        }
        const Part& whole = parts.front();
        EXPECT_EQ(whole.pieces().size(), 20u);
        EXPECT_EQ(whole.neighbours(), std::set<std::uint32_t>{PieceEdge::border});
        EXPECT_EQ(whole.openEdges().size(), 18u);
        EXPECT_EQ(whole.bounds().origin(), P2f(0.0f, 0.0f));
        EXPECT_EQ(whole.bounds().extent(), (TAVO::Tuple<2, float>(320.0f, 256.0f)));
        for (int i = 0; i < 20; ++i)
            EXPECT_TRUE(whole.contains(P2f(float(i % 5) * 64.0f + 32.0f, float(i / 5) * 64.0f + 32.0f)));
    }
}

TEST(Part, MeetsFindsTheCentreInsideOrAnOpenEdgeWithinTheRadius) {
    const auto puzzle = gridCut(0, 2, 1, 128.0f, 64.0f);
    Part part(*puzzle, 0);
    part.join(*puzzle, Part(*puzzle, 1));
    EXPECT_TRUE(part.meets(Circle(P2f(64.0f, 32.0f), 1.0f)));
    // Just outside the top border (y = 0 edge), within and beyond the radius.
    EXPECT_TRUE(part.meets(Circle(P2f(40.0f, -3.0f), 4.0f)));
    EXPECT_FALSE(part.meets(Circle(P2f(40.0f, -5.0f), 4.0f)));
    EXPECT_TRUE(part.meets(Circle(P2f(131.0f, 20.0f), 4.0f)));
    EXPECT_FALSE(part.meets(Circle(P2f(200.0f, 20.0f), 4.0f)));
    // A lone piece: near its inner edge from the neighbour's side.
    const Part lone(*puzzle, 1);
    const P2f apex = puzzle->edge(5).pointAt(0.5f);
    EXPECT_TRUE(lone.meets(Circle(apex, 0.5f)));
}

TEST(Part, RebuildRestoresWhatWasSavedAndNeverDoublesTrees) {
    const auto puzzle = gridCut(9, 4, 4, 256.0f, 256.0f);
    Part original(*puzzle, 5);
    original.join(*puzzle, Part(*puzzle, 6));
    original.join(*puzzle, Part(*puzzle, 10));

    Part read;
    readInto(serialized(original), read);
    EXPECT_EQ(read.pieces(), original.pieces());
    EXPECT_TRUE(read.trees().empty());
    EXPECT_TRUE(read.neighbours().empty());
    read.rebuild(*puzzle);
    EXPECT_EQ(read.bounds(), original.bounds());
    EXPECT_EQ(read.neighbours(), original.neighbours());
    EXPECT_EQ(read.openEdges(), original.openEdges());
    ASSERT_EQ(read.trees().size(), 3u);
    // Rebuilding again replaces the trees rather than adding to them.
    read.rebuild(*puzzle);
    EXPECT_EQ(read.trees().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(read.trees()[i].nodes().size(), original.trees()[i].nodes().size());

    Part empty;
    empty.rebuild(*puzzle);
    EXPECT_TRUE(empty.trees().empty());
    EXPECT_TRUE(empty.neighbours().empty());
    EXPECT_FALSE(empty.contains(P2f(0.0f, 0.0f)));
}

TEST(Part, SerialisedFormIsTheCountAndTheIndices) {
    const auto puzzle = gridCut(0, 4, 4, 256.0f, 256.0f);
    Part part(*puzzle, 3);
    part.join(*puzzle, Part(*puzzle, 7));
    EXPECT_EQ(hexOf(serialized(part)), "020000000300000007000000");
    const auto python = KestruneTest::Command::python("import struct\nprint(struct.pack('<3I', 2, 3, 7).hex())\n");
    if (python.exitCode == 0) {
        EXPECT_EQ(hexOf(serialized(part)) + "\n", python.output);
    }
    // Reading replaces the list and nothing else.
    Part other(*puzzle, 0);
    readInto(bytesOf({1, 0, 0, 0, 9, 0, 0, 0}), other);
    EXPECT_EQ(other.pieces(), std::vector<std::uint32_t>{9u});
    EXPECT_EQ(other.trees().size(), 1u);
    EXPECT_TRUE(other.neighbours().count(1) == 1);
}

TEST(Part, DamagedStoredPartsFailCleanly) {
    const auto puzzle = gridCut(0, 2, 2, 128.0f, 128.0f);
    // A count far beyond the data: an exception, not gigabytes.
    for (const auto& bytes : std::vector<std::vector<std::uint8_t>>{
             {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}, {2, 0, 0, 0, 1, 0, 0}, {1, 0}, {}}) {
        Part part;
        EXPECT_THROW(readInto(bytesOf(bytes), part), TAVO::Exception);
    }
    // Indices the regenerated puzzle does not have.
    Part bad;
    readInto(bytesOf({2, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0}), bad);
    try {
        bad.rebuild(*puzzle);
        FAIL();
    } catch (const TAVO::BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 4u);
        EXPECT_EQ(e.bound(), 4u);
    }
    EXPECT_TRUE(bad.trees().empty());
    Part huge;
    readInto(bytesOf({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), huge);
    EXPECT_THROW(huge.rebuild(*puzzle), TAVO::BoundException<unsigned int>);
    // Random bytes: a part, or a clean exception.
    std::mt19937 random(5);
    for (int n = 0; n < 2000; ++n) {
        std::vector<std::uint8_t> bytes(random() % 24);
        for (auto& b : bytes)
            b = std::uint8_t(random() % 4 == 0 ? random() : random() % 5);
        Part part;
        try {
            readInto(bytesOf(bytes), part);
            part.rebuild(*puzzle);
            for (std::uint32_t p : part.pieces())
                EXPECT_LT(p, 4u);
        } catch (const TAVO::Exception&) {
        }
    }
}

TEST(Part, NeighboursOfGrowingPartsAgreeWithASetBasedCount) {
    // 120 pieces: parts below and above a sixteenth of the puzzle take the
    // two ways of testing membership.
    const auto puzzle = gridCut(31, 12, 10, 768.0f, 640.0f);
    std::mt19937 random(31);
    std::vector<std::uint32_t> order(puzzle->pieceCount());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    Part copied(*puzzle, order[0]), moved(*puzzle, order[0]);
    std::set<std::uint32_t> members{order[0]};
    for (std::size_t i = 1; i < order.size(); ++i) {
        Part other(*puzzle, order[i]);
        copied.join(*puzzle, other);
        moved.join(*puzzle, std::move(other));
        members.insert(order[i]);
        std::set<std::uint32_t> neighbours;
        std::vector<const Edge*> open;
        for (std::size_t j = 0; j <= i; ++j)
            for (const PieceEdge& record : puzzle->piece(order[j]))
                if (members.count(record.neighbour) == 0) {
                    neighbours.insert(record.neighbour);
                    open.push_back(&puzzle->edge(record.edge));
                }
        ASSERT_EQ(copied.neighbours(), neighbours) << i;
        ASSERT_EQ(copied.openEdges(), open) << i;
        ASSERT_EQ(moved.neighbours(), neighbours) << i;
        ASSERT_EQ(moved.openEdges(), open) << i;
        ASSERT_EQ(moved.pieces(), copied.pieces());
        ASSERT_EQ(moved.trees().size(), i + 1);
        ASSERT_EQ(moved.bounds(), copied.bounds());
    }
    EXPECT_EQ(moved.neighbours(), (std::set<std::uint32_t>{PieceEdge::border}));
}
