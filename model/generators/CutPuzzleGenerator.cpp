#include "model/generators/CutPuzzleGenerator.h"

#include <algorithm>
#include <bit>
#include <string>

#include "foundation/random/RandomSource.h"
#include "model/Puzzle.h"
#include "model/edges/EdgeFactory.h"
#include "model/generators/PuzzleGenerationException.h"

using TAVO::Point;

namespace {

float squaredDistance(const Point<2, float>& a, const Point<2, float>& b) {
    // (bx - ax)^2 + (by - ay)^2, each step rounded to float.
    const float dx = b[0] - a[0], dy = b[1] - a[1];
    return dx * dx + dy * dy;
}

// Where a piece walks an edge from and to.
Point<2, float> walkStart(const Edge& edge, const PieceEdge& record) {
    return edge.pointAt(record.reversed ? 1.0f : 0.0f);
}

Point<2, float> walkEnd(const Edge& edge, const PieceEdge& record) {
    return edge.pointAt(record.reversed ? 0.0f : 1.0f);
}

} // namespace

// The working state of one generate call.
class CutPuzzleGenerator::Cutter {
public:
    Cutter(const CutPuzzleGenerator& generator, float ratio) : generator_(generator), ratio_(ratio) {
        // lo = (1 - ratio) * 0.5, so that lo + [0, ratio] is centred on 0.5.
        low_ = (1.0f - ratio) * 0.5f;
    }

    std::unique_ptr<Puzzle> run(const TAVO::Tuple<2, float>& size, std::uint32_t passes) {
        const float w = size[0], h = size[1];
        points_ = {Point<2, float>(0.0f, 0.0f), Point<2, float>(w, 0.0f), Point<2, float>(0.0f, h),
                   Point<2, float>(w, h)};
        root_.points = &points_;
        root_.orientation = 2;
        const float t0 = position(), t1 = position();
        setCorners(root_, 0, 1, 2, 3, t0, t1);

        for (std::uint32_t pass = 0; pass < passes; ++pass) {
            // The leaves of this pass are split; their new children wait for the next.
            std::vector<Cell*> leaves;
            collectLeaves(root_, leaves);
            for (Cell* leaf : leaves)
                split(*leaf);
        }

        puzzle_ = std::make_unique<Puzzle>();
        std::vector<Cell*> leaves;
        collectLeaves(root_, leaves);
        for (Cell* leaf : leaves) {
            leaf->pieces[0] = puzzle_->addPiece();
            leaf->pieces[1] = puzzle_->addPiece();
        }
        cutEdges(root_);
        // Border sides by code: 0 is y = 0, 1 y = h, 2 x = 0, 3 x = w.
        for (std::uint32_t side : {1u, 2u, 0u, 3u})
            borderEdges(root_, side % 2, side & 2u, side >= 2);
        for (std::uint32_t p = 0; p < puzzle_->pieceCount(); ++p)
            order(puzzle_->piece(p));
        return std::move(puzzle_);
    }

private:
    // lo + r with r drawn in [0, ratio].
    float position() {
        float r = 0.0f;
        generator_.random_->readFloat(&r, 1, ratio_);
        return low_ + r;
    }

    std::uint32_t addPoint(std::uint32_t from, std::uint32_t to, float t) {
        // from + (to - from) * t: the difference, then its product, then the sum.
        const Point<2, float> a = points_[from], b = points_[to];
        points_.push_back(a + (b - a) * t);
        return std::uint32_t(points_.size() - 1);
    }

    void setCorners(Cell& cell, std::uint32_t c0, std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, float t0,
                    float t1) {
        cell.corners[0] = c0;
        cell.corners[1] = c1;
        cell.corners[2] = c2;
        cell.corners[3] = c3;
        cell.cut[0] = addPoint(c0, c1, t0);
        cell.cut[1] = addPoint(c2, c3, t1);
    }

    std::unique_ptr<Cell> child(Cell& parent, std::uint32_t c0, std::uint32_t c1, std::uint32_t c2,
                                std::uint32_t c3) {
        auto cell = std::make_unique<Cell>();
        cell->points = &points_;
        cell->parent = &parent;
        cell->orientation = 2 - parent.orientation;
        // A child draws its second cut position first.
        const float t1 = position(), t0 = position();
        setCorners(*cell, c0, c1, c2, c3, t0, t1);
        return cell;
    }

    void split(Cell& cell) {
        const std::uint32_t* c = cell.corners;
        cell.first = child(cell, c[0], c[2], cell.cut[0], cell.cut[1]);
        cell.second = child(cell, cell.cut[0], cell.cut[1], c[1], c[3]);
    }

    static void collectLeaves(Cell& cell, std::vector<Cell*>& leaves) {
        if (cell.leaf()) {
            leaves.push_back(&cell);
            return;
        }
        collectLeaves(*cell.first, leaves);
        collectLeaves(*cell.second, leaves);
    }

    // The stretches along a cut of the given orientation that the subtree of
    // x borders, in order from the cut's first point; k is 1 for the subtree
    // on the cut's first side, 0 for the one on its second.
    static void gather(const Cell& x, std::uint32_t k, std::uint32_t orientation, std::vector<Stretch>& out) {
        if (x.orientation != orientation) {
            // x's cut ends on the line.
            if (x.leaf()) {
                out.push_back({x.corners[2 * k], x.cut[k], x.pieces[0]});
                out.push_back({x.cut[k], x.corners[2 * k + 1], x.pieces[1]});
            } else {
                gather(*x.first, k, orientation, out);
                gather(*x.second, k, orientation, out);
            }
        } else if (x.leaf()) {
            // x's cut runs beside the line: only its half on the line counts.
            out.push_back({x.corners[k], x.corners[k + 2], x.pieces[k]});
        } else {
            gather(k == 0 ? *x.first : *x.second, k, orientation, out);
        }
    }

    void cutEdges(const Cell& cell) {
        std::vector<Stretch> firstSide, secondSide;
        if (cell.leaf()) {
            firstSide.push_back({cell.cut[0], cell.cut[1], cell.pieces[0]});
            secondSide.push_back({cell.cut[0], cell.cut[1], cell.pieces[1]});
        } else {
            gather(*cell.first, 1, cell.orientation, firstSide);
            gather(*cell.second, 0, cell.orientation, secondSide);
        }
        merge(firstSide, secondSide, cell.orientation);
        if (!cell.leaf()) {
            cutEdges(*cell.first);
            cutEdges(*cell.second);
        }
    }

    // Walks both sides of a cut line at once and makes one edge for every
    // stretch between two consecutive junctions of either side.
    void merge(const std::vector<Stretch>& a, const std::vector<Stretch>& b, std::uint32_t orientation) {
        std::size_t i = 0, j = 0;
        std::uint32_t cursor = a.front().from;
        while (i < a.size()) {
            // Both sides end at the cut's second point, and a tie goes to the
            // second side: once it is used up, the first side's end (the
            // cursor itself) is taken and no edge is made.
            bool takeFirst = true;
            if (j < b.size())
                takeFirst = squaredDistance(points_[cursor], points_[b[j].to]) >
                            squaredDistance(points_[cursor], points_[a[i].to]);
            const std::uint32_t end = takeFirst ? a[i].to : b[j].to;
            // Where the two sides end stretches at the same place (at the same
            // index, or at two cut points that coincide, as every ratio of 0
            // makes them) no edge of length 0 is made: pieces that meet at a
            // point only are no neighbours.
            if (j < b.size() && end != cursor && !(points_[end] == points_[cursor])) {
                std::unique_ptr<Edge> edge;
                generator_.inner_->create(edge, points_[cursor], points_[end]);
                const std::uint32_t index = puzzle_->addEdge(std::move(edge));
                const std::uint8_t firstReversed = orientation == 0 ? 1 : 0;
                puzzle_->piece(a[i].piece).push_back(record(b[j].piece, index, firstReversed));
                puzzle_->piece(b[j].piece).push_back(record(a[i].piece, index, 1 - firstReversed));
            }
            if (takeFirst)
                ++i;
            else
                ++j;
            cursor = end;
        }
    }

    // The border side of code 2 * (orientation / 2) + k, walked from the root
    // as the cut lines are gathered.
    void borderEdges(const Cell& x, std::uint32_t k, std::uint32_t orientation, bool reversed) {
        const std::uint32_t start = x.corners[(4 - k) % 4];
        if (x.orientation != orientation) {
            if (x.leaf()) {
                borderEdge(start, x.cut[k], x.pieces[k], reversed);
                borderEdge(x.cut[k], x.corners[k + 1], x.pieces[1 - k], reversed);
            } else {
                borderEdges(*x.first, k, orientation, reversed);
                borderEdges(*x.second, k, orientation, reversed);
            }
        } else if (x.leaf()) {
            borderEdge(start, x.corners[(6 - k) % 4], x.pieces[k], reversed);
        } else {
            borderEdges(k == 0 ? *x.first : *x.second, k, orientation, reversed);
        }
    }

    // Made even between two equal points.
    void borderEdge(std::uint32_t from, std::uint32_t to, std::uint32_t piece, bool reversed) {
        std::unique_ptr<Edge> edge;
        generator_.border_->create(edge, points_[from], points_[to]);
        const std::uint32_t index = puzzle_->addEdge(std::move(edge));
        puzzle_->piece(piece).push_back(record(PieceEdge::border, index, reversed ? 1 : 0));
    }

    static PieceEdge record(std::uint32_t neighbour, std::uint32_t edge, std::uint8_t reversed) {
        PieceEdge result;
        result.neighbour = neighbour;
        result.edge = edge;
        result.reversed = reversed;
        result.startsContour = 0;
        return result;
    }

    // Puts a piece's records in walking order: after each record comes the one
    // whose start lies nearest to its end (the first of equals).
    void order(Puzzle::Piece& records) {
        if (records.empty())
            return;
        records.front().startsContour = 1;
        for (std::size_t k = 1; k < records.size(); ++k) {
            const Point<2, float> end = walkEnd(puzzle_->edge(records[k - 1].edge), records[k - 1]);
            std::size_t best = k;
            float bestDistance = 0.0f;
            for (std::size_t i = k; i < records.size(); ++i) {
                const float d = squaredDistance(end, walkStart(puzzle_->edge(records[i].edge), records[i]));
                if (i == k || d < bestDistance) {
                    best = i;
                    bestDistance = d;
                }
            }
            // Moved, not swapped: the records between keep their order.
            std::rotate(records.begin() + std::ptrdiff_t(k), records.begin() + std::ptrdiff_t(best),
                        records.begin() + std::ptrdiff_t(best) + 1);
        }
    }

    const CutPuzzleGenerator& generator_;
    float ratio_;
    float low_ = 0.0f;
    std::vector<Point<2, float>> points_;
    Cell root_;
    std::unique_ptr<Puzzle> puzzle_;
};

CutPuzzleGenerator::CutPuzzleGenerator(TAVO::RandomSource* random, std::shared_ptr<EdgeFactory> inner,
                                       std::shared_ptr<EdgeFactory> border)
    : random_(random), inner_(std::move(inner)), border_(std::move(border)) {
    parameters().set("pieces", "16");
    parameters().set("ratio", "0.25");
}

std::uint32_t CutPuzzleGenerator::pieceCount() const { return parameters().getUnsigned("pieces"); }

std::uint32_t CutPuzzleGenerator::depthFor(std::uint32_t pieces) {
    // 0 for 1 piece, 4 for 9 to 16, 5 for 17 to 32; 32 for 0 (0 - 1 wraps).
    return std::uint32_t(std::bit_width(pieces - 1u));
}

std::uint32_t CutPuzzleGenerator::passesFor(std::uint32_t depth) {
    const std::uint32_t half = depth / 2;
    return half <= 1 ? 1 : 2 * half - 1;
}

std::unique_ptr<Puzzle> CutPuzzleGenerator::generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer&,
                                                     const TAVO::Migration::ImageMetadata&) {
    const float ratio = parameters().getFloat("ratio");
    const std::uint32_t pieces = parameters().getUnsigned("pieces");
    // Outside [0, 1] (or not a number) the cut points would leave their sides.
    if (!(ratio >= 0.0f && ratio <= 1.0f))
        throw PuzzleGenerationException(TAVO::SourceLocation(),
                                        "The cut ratio " + parameters().get("ratio") + " is not within 0 and 1. ");
    // 0 would ask for 2^32 pieces.
    if (pieces == 0 || depthFor(pieces) > maximumDepth)
        throw PuzzleGenerationException(TAVO::SourceLocation(), "A cut puzzle has 1 to " +
                                                                    std::to_string(1u << maximumDepth) +
                                                                    " pieces, not " + std::to_string(pieces) + ". ");
    Cutter cutter(*this, ratio);
    return cutter.run(size, passesFor(depthFor(pieces)));
}
