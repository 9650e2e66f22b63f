#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "Cuts.h"
#include "model/Puzzle.h"

namespace ModelTest {

struct Use {
    std::uint32_t piece;
    PieceEdge record;
};

// Every record of every piece, by edge.
inline std::map<std::uint32_t, std::vector<Use>> usesOf(const Puzzle& puzzle) {
    std::map<std::uint32_t, std::vector<Use>> uses;
    for (std::uint32_t p = 0; p < puzzle.pieceCount(); ++p)
        for (const PieceEdge& record : puzzle.piece(p))
            uses[record.edge].push_back({p, record});
    return uses;
}

inline TAVO::Point<2, float> walkStartOf(const Puzzle& puzzle, const PieceEdge& record) {
    const Edge& edge = puzzle.edge(record.edge);
    return edge.point(record.reversed ? edge.pointCount() - 1 : 0);
}

inline TAVO::Point<2, float> walkEndOf(const Puzzle& puzzle, const PieceEdge& record) {
    const Edge& edge = puzzle.edge(record.edge);
    return edge.point(record.reversed ? 0 : edge.pointCount() - 1);
}

// The records of a piece split into closed loops: a loop starts at the first
// record and at every record marked as starting one.
inline std::vector<std::vector<PieceEdge>> loopsOf(const Puzzle::Piece& records) {
    std::vector<std::vector<PieceEdge>> loops;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i == 0 || records[i].startsContour)
            loops.emplace_back();
        loops.back().push_back(records[i]);
    }
    return loops;
}

// What every generated puzzle must be: each edge used once on the border or
// by exactly two pieces that name each other and walk it opposite ways; every
// loop of records closes within the tolerance; every outline has a positive
// area and together they cover the whole area; with firstMarked, every
// piece's first record is marked as starting a contour. Returns the number of
// inner edges.
inline std::uint32_t expectTiling(const Puzzle& puzzle, double wholeArea, float tolerance, bool firstMarked = true) {
    const auto uses = usesOf(puzzle);
    EXPECT_EQ(uses.size(), puzzle.edgeCount()) << "every edge is walked";
    std::uint32_t inner = 0;
    for (const auto& [edge, records] : uses) {
        if (records.size() == 1) {
            EXPECT_EQ(records[0].record.neighbour, PieceEdge::border) << "edge " << edge;
            continue;
        }
        ++inner;
        if (records.size() != 2) {
            ADD_FAILURE() << "edge " << edge << " is walked " << records.size() << " times";
            continue;
        }
        EXPECT_NE(records[0].piece, records[1].piece) << "edge " << edge;
        EXPECT_EQ(records[0].record.neighbour, records[1].piece) << "edge " << edge;
        EXPECT_EQ(records[1].record.neighbour, records[0].piece) << "edge " << edge;
        EXPECT_NE(records[0].record.reversed != 0, records[1].record.reversed != 0) << "edge " << edge;
    }
    double total = 0.0;
    for (std::uint32_t p = 0; p < puzzle.pieceCount(); ++p) {
        const auto& records = puzzle.piece(p);
        EXPECT_FALSE(records.empty()) << "piece " << p;
        if (firstMarked && !records.empty()) {
            EXPECT_NE(records.front().startsContour, 0) << "piece " << p << " starts no contour";
        }
        for (const auto& loop : loopsOf(records))
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const auto end = walkEndOf(puzzle, loop[i]), next = walkStartOf(puzzle, loop[(i + 1) % loop.size()]);
                EXPECT_NEAR(end[0], next[0], tolerance) << "piece " << p << " record " << i;
                EXPECT_NEAR(end[1], next[1], tolerance) << "piece " << p << " record " << i;
            }
        const double area = shoelace(outlineOf(puzzle, p));
        EXPECT_GT(area, 0.0) << "piece " << p;
        total += area;
    }
    EXPECT_NEAR(total, wholeArea, 1e-5 * wholeArea);
    return inner;
}

} // namespace ModelTest
