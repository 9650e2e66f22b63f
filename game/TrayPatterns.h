#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The four grey images the tray background tiles under the parts, made from
// the pattern size N and strength s: 0 blank (4 x 4, all 255), 1 cloth
// (noise from the low value up to 254), 2 diamonds (two solid diamonds of
// 255 on the low value), 3 checker (8-pixel squares of the low value and
// 255, the low value at the origin). The low value is (1 - s) * 255 in single
// precision, truncated. Single-channel bytes, rows in memory order. The
// cloth's noise comes from a generator seeded with a 32-bit zero, so the
// images are the same on every run.
class TrayPatterns {
public:
    enum Index : std::uint32_t { blank = 0, cloth = 1, diamonds = 2, checker = 3 };
    static constexpr std::uint32_t count = 4;
    static constexpr std::uint32_t blankSide = 4;
    static constexpr std::uint32_t checkerSquare = 8;
    // Pattern sizes from 1 to this are made.
    static constexpr std::uint32_t maximumSize = 16384;

    // A size of 0 or above maximumSize throws BoundException<unsigned int>.
    // The strength is saturated to [0, 1] (NaN counts as 0). A strength that
    // leaves no room for noise (low value 255) gives a cloth of the low value.
    TrayPatterns(std::uint32_t size, float strength);

    // The low value of a strength, saturated as the constructor does.
    static std::uint8_t lowValue(float strength);

    std::uint32_t size() const { return size_; }
    std::uint8_t low() const { return low_; }
    // The side of an image: blankSide for the blank one, the size otherwise.
    std::uint32_t side(std::uint32_t index) const { return index == blank ? blankSide : size_; }
    // side x side bytes; pixel (x, y) at y * side + x.
    const std::vector<std::uint8_t>& image(std::uint32_t index) const { return images_.at(index); }

private:
    std::uint32_t size_;
    std::uint8_t low_;
    std::array<std::vector<std::uint8_t>, count> images_;
};
