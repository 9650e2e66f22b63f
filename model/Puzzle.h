#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Hyperrectangle.h"
#include "model/PieceEdge.h"
#include "model/PieceTree.h"
#include "model/edges/Edge.h"

class Polygon;

// A cut puzzle: every edge once, and each piece's outline as a list of
// references to them. Read-only once its generator has returned it.
class Puzzle {
public:
    using Piece = std::vector<PieceEdge>;

    Puzzle() = default;
    Puzzle(const Puzzle&) = delete;
    Puzzle& operator=(const Puzzle&) = delete;

    // Takes the edge; returns its index.
    std::uint32_t addEdge(std::unique_ptr<Edge> edge);
    // Appends an empty piece; returns its index.
    std::uint32_t addPiece();

    // A bad index throws TAVO::BoundException<unsigned int> (index, count).
    Edge& edge(std::uint32_t index);
    const Edge& edge(std::uint32_t index) const;
    std::uint32_t edgeCount() const { return std::uint32_t(edges_.size()); }
    Piece& piece(std::uint32_t index);
    const Piece& piece(std::uint32_t index) const;
    std::uint32_t pieceCount() const { return std::uint32_t(pieces_.size()); }

    // The union of the bounds of the piece's edges; the empty rectangle at
    // (0, 0) for a piece without records.
    TAVO::Hyperrectangle<2, float> pieceBounds(std::uint32_t index) const;
    // The piece's hit-test tree: the chord of every record first, then the
    // outline of every curved edge, in walking order.
    PieceTree pieceTree(std::uint32_t index) const;
    // Appends the piece's outline to the polygon: one contour per closed loop,
    // each edge's points in walking order without its first point.
    void pieceOutline(std::uint32_t index, Polygon& polygon) const;

private:
    std::vector<Piece> pieces_;
    std::vector<std::unique_ptr<Edge>> edges_;
};
