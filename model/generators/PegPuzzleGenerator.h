#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/Tuple.h"
#include "model/generators/PuzzleGenerator.h"

class EdgeFactory;
class Puzzle;

// A peg puzzle: piece 0 is the board, the whole rectangle; every peg is a
// polygon lifted out of it, a piece whose outline is also a hole of the board.
// The pegs are the "pieces" parameter: numbers separated by "," with ";"
// ending a peg (the end of the text ends the last one), each pair (x, y) a
// corner in fractions of the puzzle size, listed so that the peg's area is
// positive (counter-clockwise with y up). Blanks, tabs and line breaks are
// ignored everywhere, also inside numbers. Every edge, board and pegs, comes
// from one factory.
class PegPuzzleGenerator : public PuzzleGenerator {
public:
    // Receives the parsed text: every coordinate, and every end of a peg.
    class Builder {
    public:
        virtual ~Builder() = default;
        virtual void endPiece() = 0;
        virtual void coordinate(float) {}
    };

    // Counts the ends of pegs.
    class PieceCounter : public Builder {
    public:
        void endPiece() override { ++count_; }
        std::uint32_t count() const { return count_; }

    private:
        std::uint32_t count_ = 0;
    };

    // Builds the puzzle: the board with its four border edges at once, then
    // one peg at every end of a peg.
    class PuzzleBuilder : public Builder {
    public:
        PuzzleBuilder(const TAVO::Tuple<2, float>& size, std::shared_ptr<EdgeFactory> factory);

        // An odd count of coordinates throws TAVO::UnexpectedValueException;
        // fewer than three corners make no peg. A corner outside the puzzle,
        // or corners that enclose no positive area in their order, throw
        // PuzzleGenerationException naming the peg.
        void endPiece() override;
        void coordinate(float value) override { coordinates_.push_back(value); }

        // The puzzle built so far; the builder gives it up.
        std::unique_ptr<Puzzle> take() { return std::move(puzzle_); }

    private:
        TAVO::Tuple<2, float> size_;
        std::shared_ptr<EdgeFactory> factory_;
        std::unique_ptr<Puzzle> puzzle_;
        std::uint32_t board_ = 0;
        std::vector<float> coordinates_;
        // Ends of pegs seen, for messages.
        std::uint32_t ends_ = 0;
    };

    // The default: one pentagonal peg.
    static constexpr const char* defaultPieces = "0.3, 0.3, 0.6, 0.25, 0.7, 0.4, 0.7, 0.7, 0.4, 0.5";
    // The longest "pieces" text taken, in characters.
    static constexpr std::uint32_t maximumTextLength = 1u << 16;

    // Sets "pieces" to the default.
    explicit PegPuzzleGenerator(std::shared_ptr<EdgeFactory> factory);

    // "Peg".
    const char* name() const override { return "Peg"; }
    // Ignores the picture. Errors of the text throw as parse does; see also
    // PuzzleBuilder::endPiece. A missing "pieces" throws TAVO::NotFoundException.
    std::unique_ptr<Puzzle> generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer& pixels,
                                     const TAVO::Migration::ImageMetadata& description) override;
    // The ends of pegs in "pieces" (the board is not counted; a peg of fewer
    // than three corners is).
    std::uint32_t pieceCount() const override;

    // Hands the text's coordinates and ends of pegs to the builder in text
    // order. Text that does not have the form above throws TAVO::ParseException
    // with the target "peg puzzle pieces" and, as its text, the rest of the
    // text (without blanks) from where it stops making sense; a number that is
    // not wholly a float throws TAVO::Text::ConversionException; a text above
    // maximumTextLength throws PuzzleGenerationException.
    static void parse(const std::string& text, Builder& builder);

private:
    std::shared_ptr<EdgeFactory> factory_;
};
