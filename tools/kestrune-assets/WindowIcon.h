#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The window icon: a golden jigsaw piece with two tabs and two blanks and a
// dark rim, drawn anti-aliased on a transparent square.
class WindowIcon {
public:
    static constexpr std::uint32_t side = 64;

    // Signed distance in pixels from (x, y) (y up) to the piece's outline:
    // negative inside.
    static double distance(double x, double y);
    // The pixels as 8-bit red, green, blue, alpha, rows from the top.
    static std::vector<std::uint8_t> pixels();
    // Writes the pixels as an 8-bit RGBA PNG file.
    static void writeFile(const std::string& path);
};
