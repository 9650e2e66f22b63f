#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "foundation/serialization/STLVectorSerializable.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Hypersphere.h"
#include "geometry/Point.h"
#include "model/PieceTree.h"

class Edge;
class Puzzle;

// What the player moves: one piece, or pieces joined together. Positions are
// in puzzle coordinates; where the part lies on the table its tray keeps.
// Only the piece list is stored; the rest is rebuilt from the puzzle.
class Part : public TAVO::Serializable {
public:
    // No pieces (a part about to be read).
    Part() = default;
    // The part of one piece. A bad piece index throws TAVO::BoundException<unsigned int>.
    Part(const Puzzle& puzzle, std::uint32_t piece);

    TAVO::Hyperrectangle<2, float> bounds() const { return bounds_; }
    const std::vector<std::uint32_t>& pieces() const { return pieces_; }
    // Pieces outside the part across one of its edges; PieceEdge::border
    // when a piece lies on the puzzle border.
    const std::set<std::uint32_t>& neighbours() const { return neighbours_; }
    // The edges facing those neighbours, in piece and record order (an edge
    // appears once per record that walks it). They point into the puzzle.
    const std::vector<const Edge*>& openEdges() const { return openEdges_; }
    const std::vector<PieceTree>& trees() const { return trees_; }

    // Whether one of the part's pieces is in the set.
    bool touches(const std::set<std::uint32_t>& pieces) const;
    // Takes in the other part's pieces, bounds and trees.
    void join(const Puzzle& puzzle, const Part& other);
    // The same, taking over the other part's pieces and trees instead of
    // copying them (a large part joins in time linear in its pieces).
    void join(const Puzzle& puzzle, Part&& other);
    // Recomputes bounds, trees, neighbours and open edges from the piece list
    // (after reading). Nothing happens for an empty list. A piece the puzzle
    // does not have throws TAVO::BoundException<unsigned int>.
    void rebuild(const Puzzle& puzzle);
    // Recomputes the neighbours and open edges.
    void updateNeighbours(const Puzzle& puzzle);

    // Inside the bounds and inside one of the pieces.
    bool contains(const TAVO::Point<2, float>& point) const;
    // Whether the circle touches the part: its centre inside, or an open edge
    // closer than the radius.
    bool meets(const TAVO::Hypersphere<2, float>& circle) const;

    // The piece list only: a 32-bit count, then each index. Reading replaces
    // the list and nothing else; call rebuild afterwards.
    void serialize(TAVO::Serialization& serialization) override;

private:
    TAVO::Hyperrectangle<2, float> bounds_;
    std::vector<PieceTree> trees_;
    TAVO::STLVectorSerializable<unsigned int> pieces_;
    std::set<std::uint32_t> neighbours_;
    std::vector<const Edge*> openEdges_;
};
