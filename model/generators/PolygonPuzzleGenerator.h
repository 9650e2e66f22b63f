#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Point.h"
#include "geometry/Polygon.h"
#include "model/generators/PuzzleGenerator.h"

class EdgeFactory;
class Puzzle;

// Takes a ready-made cut: every contour of a polygon is a piece. A side that
// two contours walk in opposite directions becomes one edge of the inner
// factory that both pieces share; every other side is a border edge. A
// classic tab's head bulges into the piece with more room in front of the side.
class PolygonPuzzleGenerator : public PuzzleGenerator {
public:
    // One side of the polygon, by its point indices a < b (a == b for a side
    // from a point to itself): the piece walking it each way and its room.
    struct Side {
        // [0] walks from a to b, [1] from b to a.
        std::uint32_t pieces[2] = {noPiece, noPiece};
        float rooms[2] = {0.0f, 0.0f};
        std::uint32_t edge = 0;
    };

    static constexpr std::uint32_t noPiece = 0xFFFFFFFFu;

    PolygonPuzzleGenerator(std::shared_ptr<EdgeFactory> inner, std::shared_ptr<EdgeFactory> border,
                           const Polygon& polygon);

    // "polygon".
    const char* name() const override { return "polygon"; }
    // Uses none of its arguments: the polygon's coordinates are the puzzle's.
    // A point index beyond the point list throws std::out_of_range; a side
    // that two contours (or one twice) walk the same way throws
    // PuzzleGenerationException.
    std::unique_ptr<Puzzle> generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer& pixels,
                                     const TAVO::Migration::ImageMetadata& description) override;
    // The number of contours.
    std::uint32_t pieceCount() const override { return polygon_.contourCount(); }

    // How far a ray from the middle of side k of the contour (from point k to
    // point k + 1), along the side's left normal, runs before it meets the
    // contour again; 0 when it never does, and for contours of fewer than two
    // points.
    static float room(const std::vector<TAVO::Point<2, float>>& points, const Polygon::Contour& contour,
                      std::size_t k);

private:
    std::shared_ptr<EdgeFactory> inner_;
    std::shared_ptr<EdgeFactory> border_;
    Polygon polygon_;
};
