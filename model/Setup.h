#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/serialization/Serializable.h"
#include "geometry/Tuple.h"
#include "imaging/Picture.h"

class Puzzle;

// The parameters of one game: the picture, the piece count asked for and the
// seed of the cut, with the grid and the puzzle size derived from them. A
// saved game keeps only this; its cut is regenerated from it.
class Setup : public TAVO::Serializable {
public:
    Setup() = default;

    const std::string& pictureName() const { return pictureName_; }
    Picture picture() const { return picture_; }
    std::uint32_t seed() const { return seed_; }
    std::uint32_t requestedPieceCount() const { return requested_; }

    // Marks the derived fields for recomputation exactly when the name
    // differs from the stored one (a loaded game keeps its stored grid and size).
    void setPicture(const std::string& name, const Picture& picture);
    // Gives back the picture's pixels (other copies keep theirs), keeping
    // its name and the grid and size derived from it: for a set-up whose
    // pixels nothing reads again. Until the next setPicture the picture has
    // none.
    void releasePicture();
    void setRequestedPieceCount(std::uint32_t count);
    // Moves the requested count one at a time until the real count changes,
    // stopping at maximumRequest going up and 0 going down.
    void stepPieceCount(bool up);

    // columns * rows, after update.
    std::uint32_t pieceCount();
    // The finished puzzle's size in table units, after update.
    TAVO::Tuple<2, float> puzzleSize();
    // (columns, rows), after update.
    TAVO::Tuple<2, unsigned int> grid();
    // Recomputes the grid and size when marked.
    void update();
    // The cut of this set-up; the same fields always give the same cut.
    std::unique_ptr<Puzzle> generate();

    // seed, picture name, requested count, size, grid (after update). Reading
    // refuses what no set-up can hold (see the limits below) with a
    // TAVO::BoundException or TAVO::UnexpectedValueException, and then
    // changes nothing.
    void serialize(TAVO::Serialization& serialization) override;

    // The size of one grid cell in table units.
    static constexpr float cellSize = 64.0f;
    // No puzzle side is shorter.
    static constexpr float shortestSide = 314.96063f;
    // The aspect limit of the grid search.
    static constexpr float aspectLimit = 1.1f;
    // Stepping up stops here.
    static constexpr std::uint32_t maximumRequest = 10000;
    // Limits of a stored set-up.
    static constexpr std::uint32_t maximumNameLength = 4096;
    static constexpr std::uint64_t maximumPieces = std::uint64_t(1) << 20;

private:
    std::string pictureName_;
    Picture picture_;
    std::uint32_t seed_ = 0;
    std::uint32_t requested_ = 16;
    TAVO::Tuple<2, float> puzzleSize_{0.0f, 0.0f};
    TAVO::Tuple<2, unsigned int> grid_{0u, 0u};
    bool dirty_ = true;
};
