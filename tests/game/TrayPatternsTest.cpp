// The four tray pattern images, from the pattern size and strength.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "game/TrayPatterns.h"

namespace {

std::uint8_t at(const TrayPatterns& patterns, std::uint32_t index, std::uint32_t x, std::uint32_t y) {
    return patterns.image(index)[std::size_t(y) * patterns.side(index) + x];
}

// The pixels of value 255.
std::vector<std::pair<std::uint32_t, std::uint32_t>> bright(const TrayPatterns& patterns, std::uint32_t index) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> found;
    const std::uint32_t side = patterns.side(index);
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x)
            if (at(patterns, index, x, y) == 255)
                found.emplace_back(x, y);
    return found;
}

} // namespace

TEST(TrayPatternsTest, TheDefaultsGiveTheWorkedImages) {
    const TrayPatterns patterns(64, 0.1f);
    EXPECT_EQ(patterns.low(), 229);
    EXPECT_EQ(patterns.image(TrayPatterns::blank), std::vector<std::uint8_t>(16, 255));
    EXPECT_EQ(patterns.side(TrayPatterns::blank), 4u);

    // Diamonds of radius 3 around (16, 16) and (48, 48): 25 pixels each.
    const auto diamonds = bright(patterns, TrayPatterns::diamonds);
    EXPECT_EQ(diamonds.size(), 50u);
    for (const auto& [x, y] : diamonds) {
        const int c = x < 32 ? 16 : 48;
        EXPECT_LE(std::abs(int(x) - c) + std::abs(int(y) - c), 3) << x << ", " << y;
    }
    EXPECT_EQ(at(patterns, TrayPatterns::diamonds, 16, 13), 255);
    EXPECT_EQ(at(patterns, TrayPatterns::diamonds, 16, 12), 229);
    EXPECT_EQ(at(patterns, TrayPatterns::diamonds, 50, 49), 255);
    EXPECT_EQ(at(patterns, TrayPatterns::diamonds, 0, 0), 229);

    // 8-pixel squares, the low value at the origin.
    EXPECT_EQ(at(patterns, TrayPatterns::checker, 0, 0), 229);
    EXPECT_EQ(at(patterns, TrayPatterns::checker, 7, 7), 229);
    EXPECT_EQ(at(patterns, TrayPatterns::checker, 8, 0), 255);
    EXPECT_EQ(at(patterns, TrayPatterns::checker, 0, 15), 255);
    EXPECT_EQ(at(patterns, TrayPatterns::checker, 8, 8), 229);
    EXPECT_EQ(bright(patterns, TrayPatterns::checker).size(), 64u * 64u / 2u);
}

// One draw below 255 - low for every byte in memory order, from a generator
// seeded with four zero bytes.
TEST(TrayPatternsTest, TheClothIsTheSameNoiseEveryRun) {
    const TrayPatterns patterns(64, 0.1f);
    TAVO::MersenneTwister reference;
    const std::uint8_t zero[4] = {0, 0, 0, 0};
    reference.seed(TAVO::BorrowConstBuffer(zero, 4));
    const std::vector<std::uint8_t>& cloth = patterns.image(TrayPatterns::cloth);
    ASSERT_EQ(cloth.size(), 64u * 64u);
    for (std::size_t i = 0; i < cloth.size(); ++i)
        ASSERT_EQ(cloth[i], 229 + reference.draw() % 26) << "byte " << i;
    EXPECT_EQ(TrayPatterns(64, 0.1f).image(TrayPatterns::cloth), cloth);
}

TEST(TrayPatternsTest, StrengthsAreSaturated) {
    EXPECT_EQ(TrayPatterns::lowValue(0.0f), 255);
    EXPECT_EQ(TrayPatterns::lowValue(-3.0f), 255);
    EXPECT_EQ(TrayPatterns::lowValue(NAN), 255);
    EXPECT_EQ(TrayPatterns::lowValue(1.0f), 0);
    EXPECT_EQ(TrayPatterns::lowValue(7.5f), 0);
    EXPECT_EQ(TrayPatterns::lowValue(INFINITY), 0);
    EXPECT_EQ(TrayPatterns::lowValue(0.5f), 127);

    // Strength 1: black squares and diamond background, noise from 0 to 254.
    const TrayPatterns strong(16, 1.0f);
    EXPECT_EQ(at(strong, TrayPatterns::checker, 0, 0), 0);
    EXPECT_EQ(at(strong, TrayPatterns::diamonds, 0, 0), 0);
    for (std::uint8_t v : strong.image(TrayPatterns::cloth))
        EXPECT_LE(v, 254);
}

// Strength 0 leaves no room for noise: no draw with a bound of 0 is made and
// every image is plain white.
TEST(TrayPatternsTest, StrengthZeroGivesPlainImages) {
    const TrayPatterns plain(64, 0.0f);
    for (std::uint32_t i = 0; i < TrayPatterns::count; ++i)
        EXPECT_EQ(bright(plain, i).size(), std::size_t(plain.side(i)) * plain.side(i)) << i;
}

TEST(TrayPatternsTest, SmallAndUnevenSizes) {
    // Below 20 each diamond is one pixel.
    const TrayPatterns small(12, 0.1f);
    const auto diamonds = bright(small, TrayPatterns::diamonds);
    ASSERT_EQ(diamonds.size(), 2u);
    EXPECT_EQ(diamonds[0], std::make_pair(3u, 3u));
    EXPECT_EQ(diamonds[1], std::make_pair(9u, 9u));
    // A size not divisible by 8 ends the checker with a partial square.
    EXPECT_EQ(at(small, TrayPatterns::checker, 11, 0), 255);
    EXPECT_EQ(at(small, TrayPatterns::checker, 11, 11), 229);
    // One pixel: both diamonds at the origin.
    EXPECT_EQ(bright(TrayPatterns(1, 0.1f), TrayPatterns::diamonds).size(), 1u);
}

TEST(TrayPatternsTest, SizesOutsideOneTo16384AreRefused) {
    EXPECT_THROW(TrayPatterns(0, 0.1f), TAVO::BoundException<unsigned int>);
    EXPECT_THROW(TrayPatterns(16385, 0.1f), TAVO::BoundException<unsigned int>);
    EXPECT_THROW(TrayPatterns(0xFFFFFFFFu, 0.1f), TAVO::BoundException<unsigned int>);
}
