#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"

class Puzzle;

// Rasterises the cut lines of a puzzle into the edge map the light-map part
// program reads: W x H pixels of four bytes, pixel (x, y) covering puzzle
// coordinates [x, x + 1) x [y, y + 1), rows from y = 0 up. Each pixel holds
// the angle and distance codes of its nearest cut segment (bytes 0 and 1)
// and of the second nearest (bytes 2 and 3); 255 everywhere means no cut
// nearer than edgeSize + 1.
//
//   distance code = trunc(clamp(d / (edgeSize + 1) * 255, 0, 255))
//   angle code    = trunc(clamp(a / (2 pi) * 255, 0, 255))
//
// with d the distance from the pixel centre to the segment and a the angle,
// in [0, 2 pi), of the vector from the segment's nearest point to the centre.
// Points, lengths and distances are single precision, the angle is taken in
// double precision, and a code equal to a stored one changes nothing, so the
// map is the same on every run.
class LightMapPainter {
public:
    static constexpr float edgeSize = 5.0f;

    // The map's size for a puzzle size: each side truncated, at least 1. A
    // side above sideLimit (the largest texture) or more pixels than the
    // image model holds throws TextureException before anything is made.
    static TAVO::Tuple<2, unsigned int> mapSize(const TAVO::Tuple<2, float>& puzzleSize, std::uint32_t sideLimit);

    // Every byte 255. The size is one mapSize accepts.
    LightMapPainter(std::uint32_t width, std::uint32_t height);

    // Paints the segment from start along the unit direction for length.
    void paintSegment(const TAVO::Point<2, float>& start, const TAVO::Vector<2, float>& direction, float length);
    // Paints every segment of every edge of the puzzle: from each point after
    // the first towards the point before it. A large map is painted in up to
    // `threads` bands of rows (0: one per core) side by side as far as the
    // process has threads to spare (TAVO::Bands), every band meeting the
    // segments in the same order, so every pixel gets the codes one pass
    // would give it.
    void paintPuzzle(const Puzzle& puzzle, unsigned int threads = 0);

    // Maps of fewer pixels than this a thread are painted on the calling thread alone.
    static constexpr std::uint64_t pixelsPerThread = 1u << 18;

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // The four bytes of pixel (x, y).
    const std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) const {
        return bytes_.data() + (std::size_t(y) * width_ + x) * 4;
    }

    // Writes the bytes to the file at path as they are, without a header,
    // then prints to out how to read them back with a numeric scripting
    // tool. A file that cannot be written throws StreamException before
    // anything is printed.
    void dump(const std::string& path, std::ostream& out) const;

private:
    struct Segment {
        TAVO::Point<2, float> start;
        TAVO::Vector<2, float> direction;
        float length;
    };
    // paintSegment within the map rows from first to last (not included).
    void paintRows(const Segment& segment, std::int64_t first, std::int64_t last);

    std::uint32_t width_;
    std::uint32_t height_;
    std::vector<std::uint8_t> bytes_;
};
