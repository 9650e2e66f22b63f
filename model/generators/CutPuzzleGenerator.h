#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Point.h"
#include "model/generators/PuzzleGenerator.h"

class EdgeFactory;
class Puzzle;

namespace TAVO {
class RandomSource;
}

// Cuts the puzzle by recursive, slightly random bisection: the root cell (the
// whole rectangle) is cut from its top side to its bottom side, and every
// further level cuts each half across its parent's cut. Pieces are the two
// halves of every leaf cell. Configured through its parameters:
//   "pieces" (default "16"): 4 pieces for 1 to 8, 16 for 9 to 32, 64 for 33
//       to 128, 256 for 129 to 512 and so on, at most 65536;
//   "ratio" (default "0.25"): the width of the band, centred on each side,
//       in which a cut meets it, as a fraction of the side (0 to 1).
// The random draws and the order in which edges are made are fixed, so the
// same seed gives the same cut.
class CutPuzzleGenerator : public PuzzleGenerator {
public:
    // One node of the cut tree. A cell is a quadrilateral of four corners; its
    // cut runs from cut point 0, on the side from corner 0 to corner 1, to
    // cut point 1, on the side from corner 2 to corner 3. Its first child lies
    // on the side of corners 0 and 2, its second on the side of corners 1 and 3.
    struct Cell {
        const std::vector<TAVO::Point<2, float>>* points = nullptr;
        std::uint32_t corners[4] = {0, 0, 0, 0};
        std::uint32_t cut[2] = {0, 0};
        Cell* parent = nullptr;
        std::unique_ptr<Cell> first;
        std::unique_ptr<Cell> second;
        // 2 for the root, then 0, 2, 0 ... level by level.
        std::uint32_t orientation = 2;
        // The piece on each side of the cut of a leaf.
        std::uint32_t pieces[2] = {noPiece, noPiece};

        bool leaf() const { return !first; }
    };

    // One stretch of a cut line between two junctions, and the piece beside it.
    struct Stretch {
        std::uint32_t from;
        std::uint32_t to;
        std::uint32_t piece;
    };

    static constexpr std::uint32_t noPiece = 0xFFFFFFFFu;
    // The deepest cut tree: up to 65536 pieces.
    static constexpr std::uint32_t maximumDepth = 16;

    // The source and the factories are shared with the caller; the source is
    // not owned. Sets "pieces" to "16" and "ratio" to "0.25".
    CutPuzzleGenerator(TAVO::RandomSource* random, std::shared_ptr<EdgeFactory> inner,
                       std::shared_ptr<EdgeFactory> border);

    // "Cut".
    const char* name() const override { return "Cut"; }
    // Uses only the size. A "pieces" or "ratio" that is no number throws
    // TAVO::Text::ConversionException; a missing one TAVO::NotFoundException.
    // "pieces" of 0 or above 65536, and a "ratio" outside [0, 1], throw
    // PuzzleGenerationException before anything is drawn.
    std::unique_ptr<Puzzle> generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer& pixels,
                                     const TAVO::Migration::ImageMetadata& description) override;
    // The "pieces" parameter as it stands; generate makes 4^n pieces from it.
    std::uint32_t pieceCount() const override;

    // The depth of the cut tree for a piece count: the bit length of pieces - 1.
    static std::uint32_t depthFor(std::uint32_t pieces);
    // The number of passes that split every leaf for a depth: 1 up to depth 3,
    // else 2 * (depth / 2) - 1. The puzzle gets 2^(passes + 1) pieces.
    static std::uint32_t passesFor(std::uint32_t depth);

private:
    class Cutter;

    TAVO::RandomSource* random_;
    std::shared_ptr<EdgeFactory> inner_;
    std::shared_ptr<EdgeFactory> border_;
};
