#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "model/generators/PuzzleGenerator.h"

class EdgeFactory;

namespace TAVO {
class RandomSource;
}

// Cuts the puzzle into columns x rows pieces along a grid. Border edges come
// from the border factory, the edges between pieces from the inner factory,
// each walked in a random direction (or, with random direction off, in an
// alternating layout). The order in which edges are made and values drawn
// is fixed: saved games regenerate their cut from it.
class GridPuzzleGenerator : public PuzzleGenerator {
public:
    // The sides of a grid cell in walking order: 0 at x + 1, 1 at y + 1, 2 at
    // x, 3 at y. The interior lies to the left of each as walked (y up).
    enum Side : std::uint32_t { atNextX = 0, atNextY = 1, atX = 2, atY = 3 };

    // One cell of the grid while it is cut.
    struct Cell {
        std::uint32_t piece = 0xFFFFFFFFu;
        std::uint32_t edges[4] = {0, 0, 0, 0};
        std::uint8_t reversed[4] = {0, 0, 0, 0};
    };

    // Working state of one generate call.
    struct Layout {
        TAVO::Tuple<2, int> size;
        std::vector<Cell> cells;                    // row-major
        std::vector<TAVO::Point<2, float>> corners; // (columns + 1) x (rows + 1), row-major

        // Cell (x, y); outside the grid throws PuzzleGenerationException "(x,y) out of bound. ".
        Cell& cell(int x, int y);
        // Corner (i, j).
        const TAVO::Point<2, float>& corner(int i, int j) const;
    };

    // The source and the factories are shared with the caller; the source is
    // not owned. Grid (4, 4), random direction on.
    GridPuzzleGenerator(TAVO::RandomSource* random, std::shared_ptr<EdgeFactory> inner,
                        std::shared_ptr<EdgeFactory> border);

    void setGridSize(const TAVO::Tuple<2, unsigned int>& grid) { grid_ = grid; }
    void setRandomDirection(bool on) { randomDirection_ = on; }
    const TAVO::Tuple<2, unsigned int>& gridSize() const { return grid_; }

    // "Grid".
    const char* name() const override { return "Grid"; }
    // Uses only the size. A grid with one zero dimension, or with more than
    // maximumPieces pieces, throws PuzzleGenerationException; 0 x 0 gives an
    // empty puzzle.
    std::unique_ptr<Puzzle> generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer& pixels,
                                     const TAVO::Migration::ImageMetadata& description) override;
    // columns * rows (32-bit product).
    std::uint32_t pieceCount() const override { return grid_[0] * grid_[1]; }

    // The grid of about count pieces for a picture, computed in double.
    static TAVO::Tuple<2, unsigned int> gridSizeFor(std::uint32_t count,
                                                    const TAVO::Migration::ImageMetadata& description);
    // The grid for the set-up: nearest to count pieces with pieces as square
    // as the aspect limit allows, computed in float. (1, 1) for a count or a
    // side of 0; never a zero dimension. A picture too long for a second
    // row (or column) gets one, of count pieces.
    static TAVO::Tuple<2, unsigned int> searchGridSize(std::uint32_t count, std::uint32_t width,
                                                       std::uint32_t height, float aspectLimit);

    // The corner a side starts at: 0 (x+1, y), 1 (x+1, y+1), 2 (x, y+1), 3 (x, y).
    // A code of 4 or more throws TAVO::BoundException<GridPuzzleGenerator::Side>.
    static TAVO::Tuple<2, int> startCorner(Side side, int x, int y);
    // The cell across a side. Codes as above.
    static TAVO::Tuple<2, int> neighbour(Side side, int x, int y);
    // (side + 2) mod 4. Codes as above.
    static Side opposite(Side side);

    // The most pieces a grid may have.
    static constexpr std::uint64_t maximumPieces = std::uint64_t(1) << 20;

private:
    // One pass over the lines along one axis (see generate).
    struct Pass;
    void runRandomPass(Puzzle& puzzle, Layout& layout, const Pass& pass);
    void runAlternatingPass(Puzzle& puzzle, Layout& layout, const Pass& pass);
    // The cell's edge on the side, made by the factory from the side's start
    // corner to the next corner.
    void createSide(Puzzle& puzzle, Layout& layout, EdgeFactory& factory, int x, int y, Side side);
    // The cell's side taken from the neighbour across it, the flag inverted.
    void shareSide(Layout& layout, int x, int y, Side side);

    TAVO::RandomSource* random_;
    std::shared_ptr<EdgeFactory> inner_;
    std::shared_ptr<EdgeFactory> border_;
    TAVO::Tuple<2, unsigned int> grid_{4u, 4u};
    bool randomDirection_ = true;
};
