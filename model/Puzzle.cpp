#include "model/Puzzle.h"

#include "foundation/exceptions/BoundException.h"
#include "geometry/Polygon.h"
#include "model/Bounds.h"

using TAVO::BoundException;
using TAVO::Point;

namespace {

void check(std::uint32_t index, std::size_t count) {
    if (index >= count)
        throw BoundException<unsigned int>(TAVO::SourceLocation(), index, unsigned(count));
}

} // namespace

std::uint32_t Puzzle::addEdge(std::unique_ptr<Edge> edge) {
    edges_.push_back(std::move(edge));
    return std::uint32_t(edges_.size() - 1);
}

std::uint32_t Puzzle::addPiece() {
    pieces_.emplace_back();
    return std::uint32_t(pieces_.size() - 1);
}

Edge& Puzzle::edge(std::uint32_t index) {
    check(index, edges_.size());
    return *edges_[index];
}

const Edge& Puzzle::edge(std::uint32_t index) const {
    check(index, edges_.size());
    return *edges_[index];
}

Puzzle::Piece& Puzzle::piece(std::uint32_t index) {
    check(index, pieces_.size());
    return pieces_[index];
}

const Puzzle::Piece& Puzzle::piece(std::uint32_t index) const {
    check(index, pieces_.size());
    return pieces_[index];
}

TAVO::Hyperrectangle<2, float> Puzzle::pieceBounds(std::uint32_t index) const {
    const Piece& records = piece(index);
    if (records.empty())
        return Bounds::at(Point<2, float>(0.0f, 0.0f));
    Bounds::Rectangle result = edge(records.front().edge).bounds();
    for (std::size_t i = 1; i < records.size(); ++i)
        result = Bounds::unite(result, edge(records[i].edge).bounds());
    return result;
}

PieceTree Puzzle::pieceTree(std::uint32_t index) const {
    const Piece& records = piece(index);
    std::vector<const Edge*> edges;
    edges.reserve(records.size());
    for (const PieceEdge& record : records)
        edges.push_back(&edge(record.edge));
    PieceTree tree;
    // The chords first: the corner-to-corner outline cuts the top of the tree.
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Point<2, float> start = edges[i]->pointAt(0.0f), end = edges[i]->pointAt(1.0f);
        if (records[i].reversed)
            tree.insert(end, start);
        else
            tree.insert(start, end);
    }
    // Then the curved outline; a two-point edge's chord is its outline.
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint32_t count = edges[i]->pointCount();
        if (count <= 2)
            continue;
        for (std::uint32_t j = 1; j < count; ++j) {
            if (records[i].reversed)
                tree.insert(edges[i]->point(count - j), edges[i]->point(count - 1 - j));
            else
                tree.insert(edges[i]->point(j - 1), edges[i]->point(j));
        }
    }
    tree.shrink();
    return tree;
}

void Puzzle::pieceOutline(std::uint32_t index, Polygon& polygon) const {
    Polygon::Contour contour;
    for (const PieceEdge& record : piece(index)) {
        if (record.startsContour && !contour.empty()) {
            polygon.addContour(contour);
            contour.clear();
        }
        const Edge& e = edge(record.edge);
        const std::uint32_t count = e.pointCount();
        // The first point in walking order is the previous edge's last.
        for (std::uint32_t j = 1; j < count; ++j)
            contour.push_back(polygon.addPoint(e.point(record.reversed ? count - 1 - j : j)));
    }
    if (!contour.empty())
        polygon.addContour(contour);
}
