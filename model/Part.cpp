#include "model/Part.h"

#include <algorithm>
#include <iterator>

#include "model/Bounds.h"
#include "model/Puzzle.h"

Part::Part(const Puzzle& puzzle, std::uint32_t piece) {
    bounds_ = puzzle.pieceBounds(piece);
    trees_.push_back(puzzle.pieceTree(piece));
    pieces_.push_back(piece);
    updateNeighbours(puzzle);
}

bool Part::touches(const std::set<std::uint32_t>& pieces) const {
    for (std::uint32_t piece : pieces_)
        if (pieces.count(piece) != 0)
            return true;
    return false;
}

void Part::join(const Puzzle& puzzle, const Part& other) {
    pieces_.insert(pieces_.end(), other.pieces_.begin(), other.pieces_.end());
    bounds_ = Bounds::unite(bounds_, other.bounds_);
    trees_.insert(trees_.end(), other.trees_.begin(), other.trees_.end());
    updateNeighbours(puzzle);
}

void Part::join(const Puzzle& puzzle, Part&& other) {
    pieces_.insert(pieces_.end(), other.pieces_.begin(), other.pieces_.end());
    bounds_ = Bounds::unite(bounds_, other.bounds_);
    trees_.insert(trees_.end(), std::make_move_iterator(other.trees_.begin()),
                  std::make_move_iterator(other.trees_.end()));
    other.trees_.clear();
    updateNeighbours(puzzle);
}

void Part::rebuild(const Puzzle& puzzle) {
    if (pieces_.empty())
        return;
    // Built afresh: a part rebuilt twice keeps one tree per piece.
    std::vector<PieceTree> trees;
    trees.reserve(pieces_.size());
    Bounds::Rectangle bounds = puzzle.pieceBounds(pieces_.front());
    for (std::uint32_t piece : pieces_) {
        bounds = Bounds::unite(bounds, puzzle.pieceBounds(piece));
        trees.push_back(puzzle.pieceTree(piece));
    }
    bounds_ = bounds;
    trees_ = std::move(trees);
    updateNeighbours(puzzle);
}

void Part::updateNeighbours(const Puzzle& puzzle) {
    // Membership by binary search in the sorted pieces for a small part, by a
    // flag per piece of the puzzle for a large one: a part of n pieces costs
    // n log n or n, never n squared.
    std::vector<std::uint32_t> members;
    std::vector<std::uint8_t> flags;
    const bool flagged = std::uint64_t(pieces_.size()) * 16 >= puzzle.pieceCount();
    if (flagged) {
        flags.assign(puzzle.pieceCount(), 0);
        for (std::uint32_t piece : pieces_)
            if (piece < flags.size())
                flags[piece] = 1;
    } else {
        members.assign(pieces_.begin(), pieces_.end());
        std::sort(members.begin(), members.end());
    }
    auto member = [&](std::uint32_t piece) {
        if (flagged)
            return piece < flags.size() && flags[piece] != 0;
        return std::binary_search(members.begin(), members.end(), piece);
    };
    std::set<std::uint32_t> neighbours;
    std::vector<const Edge*> open;
    for (std::uint32_t piece : pieces_)
        for (const PieceEdge& record : puzzle.piece(piece)) {
            if (member(record.neighbour))
                continue;
            neighbours.insert(record.neighbour);
            open.push_back(&puzzle.edge(record.edge));
        }
    neighbours_ = std::move(neighbours);
    openEdges_ = std::move(open);
}

bool Part::contains(const TAVO::Point<2, float>& point) const {
    if (!bounds_.contains(point))
        return false;
    for (const PieceTree& tree : trees_)
        if (tree.contains(point))
            return true;
    return false;
}

bool Part::meets(const TAVO::Hypersphere<2, float>& circle) const {
    const TAVO::Point<2, float>& centre = circle.centre();
    const float radius = circle.radius();
    if (contains(centre))
        return true;
    if (!Bounds::grow(bounds_, radius).contains(centre))
        return false;
    for (const Edge* edge : openEdges_)
        if (Bounds::grow(edge->bounds(), radius).contains(centre) && edge->distance(centre) < radius)
            return true;
    return false;
}

void Part::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(pieces_);
}
