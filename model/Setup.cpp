#include "model/Setup.h"

#include <algorithm>
#include <cmath>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"

using TAVO::Tuple;

void Setup::setPicture(const std::string& name, const Picture& picture) {
    dirty_ = name != pictureName_;
    pictureName_ = name;
    picture_ = picture;
}

void Setup::releasePicture() {
    update();
    picture_ = Picture();
}

void Setup::setRequestedPieceCount(std::uint32_t count) {
    requested_ = count;
    dirty_ = true;
}

void Setup::stepPieceCount(bool up) {
    update();
    const std::uint32_t before = grid_[0] * grid_[1];
    while (up ? requested_ < maximumRequest : requested_ > 0) {
        requested_ = up ? requested_ + 1 : requested_ - 1;
        dirty_ = true;
        update();
        if (grid_[0] * grid_[1] != before)
            break;
    }
}

std::uint32_t Setup::pieceCount() {
    update();
    return grid_[0] * grid_[1];
}

Tuple<2, float> Setup::puzzleSize() {
    update();
    return puzzleSize_;
}

Tuple<2, unsigned int> Setup::grid() {
    update();
    return grid_;
}

void Setup::update() {
    if (!dirty_)
        return;
    const bool pixels = picture_.hasPixels();
    const std::uint32_t width = pixels ? picture_.metadataConst().width() : 0;
    const std::uint32_t height = pixels ? picture_.metadataConst().height() : 0;
    grid_ = GridPuzzleGenerator::searchGridSize(requested_, width, height, aspectLimit);
    if (pixels) {
        // Target: 64 units a cell, no side below 314.96063; all in float.
        const float tx = std::max(float(grid_[0]) * cellSize, shortestSide);
        const float ty = std::max(float(grid_[1]) * cellSize, shortestSide);
        const float w = float(width), h = float(height);
        // s = max(tx / W, ty / H); each side roundf(W * s), halves away from zero.
        const float s = std::max(tx / w, ty / h);
        puzzleSize_ = Tuple<2, float>(std::round(w * s), std::round(h * s));
    } else {
        puzzleSize_ = Tuple<2, float>(1.0f, 1.0f);
    }
    dirty_ = false;
}

std::unique_ptr<Puzzle> Setup::generate() {
    update();
    TAVO::MersenneTwister random;
    // The seed's four bytes in memory order: the state depends on it alone.
    random.seed(TAVO::BorrowConstBuffer(&seed_, sizeof seed_));
    auto border = std::make_shared<StraightEdgeFactory>();
    auto inner = std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f);
    GridPuzzleGenerator generator(&random, inner, border);
    generator.setGridSize(grid_);
    if (picture_.hasPixels())
        return generator.generate(puzzleSize_, picture_.bufferConst(), picture_.metadataConst());
    const TAVO::IncrementalBuffer noPixels;
    return generator.generate(puzzleSize_, noPixels, TAVO::Migration::ImageMetadata());
}

void Setup::serialize(TAVO::Serialization& serialization) {
    update();
    if (!serialization.reading()) {
        serialization.serialize(seed_);
        serialization.serialize(pictureName_);
        serialization.serialize(requested_);
        serialization.serialize(puzzleSize_);
        serialization.serialize(grid_);
        return;
    }
    // Read into locals and check before anything changes: a damaged saved
    // game must not leave a set-up that cannot be generated.
    unsigned int seed = 0, requested = 0, nameLength = 0;
    serialization.serialize(seed);
    serialization.serialize(nameLength);
    if (nameLength > maximumNameLength)
        throw TAVO::BoundException<unsigned int>(TAVO::SourceLocation(), nameLength, maximumNameLength);
    std::string name(nameLength, '\0');
    for (char& c : name) {
        unsigned char byte = 0;
        serialization.serialize(byte);
        c = char(byte);
    }
    serialization.serialize(requested);
    Tuple<2, float> size;
    Tuple<2, unsigned int> grid;
    serialization.serialize(size);
    serialization.serialize(grid);
    for (int i = 0; i < 2; ++i)
        if (!(std::isfinite(size[i]) && size[i] > 0.0f))
            throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), "A puzzle side of " + std::to_string(size[i]),
                                                 "a finite positive size");
    const std::uint64_t pieces = std::uint64_t(grid[0]) * grid[1];
    if (pieces == 0 || pieces > maximumPieces)
        throw TAVO::UnexpectedValueException(
            TAVO::SourceLocation(), "A grid of " + std::to_string(grid[0]) + " x " + std::to_string(grid[1]),
            "a grid of 1 to " + std::to_string(maximumPieces) + " pieces");
    seed_ = seed;
    pictureName_ = std::move(name);
    requested_ = requested;
    puzzleSize_ = size;
    grid_ = grid;
    dirty_ = false;
}
