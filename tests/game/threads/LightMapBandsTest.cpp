// A large light map painted in bands of rows side by side holds the bytes
// of one pass, whatever the number of threads.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/LightMapPainter.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Puzzle.h"
#include "model/Setup.h"

namespace {

std::uint64_t digestOf(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

std::unique_ptr<Puzzle> cutOf(std::uint32_t width, std::uint32_t height, std::uint32_t requested, ::Setup& setup) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    picture.buffer().setSize(width * height * 3);
    setup.setPicture("picture.png", picture);
    setup.setRequestedPieceCount(requested);
    return setup.generate();
}

} // namespace

TEST(LightMapBands, AnyNumberOfBandsPaintsTheMapOfOnePass) {
    ::Setup setup;
    const auto puzzle = cutOf(1600, 1200, 300, setup);
    const TAVO::Tuple<2, unsigned int> size = LightMapPainter::mapSize(setup.puzzleSize(), 16384);
    ASSERT_GE(std::uint64_t(size[0]) * size[1] / LightMapPainter::pixelsPerThread, 4u);
    LightMapPainter onePass(size[0], size[1]);
    onePass.paintPuzzle(*puzzle, 1);
    // The digest was taken from the map painted before the bands were.
    EXPECT_EQ(digestOf(onePass.bytes()), 0xd0d0c4b1058bf288ull);
    for (unsigned int threads : {0u, 2u, 3u, 7u, 64u}) {
        LightMapPainter bands(size[0], size[1]);
        bands.paintPuzzle(*puzzle, threads);
        EXPECT_TRUE(bands.bytes() == onePass.bytes()) << threads << " threads";
    }
}
