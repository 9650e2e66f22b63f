#pragma once

#include <cstdint>

// One step of a piece's outline: an edge of the puzzle, walked forwards or
// backwards, and the piece across it.
struct PieceEdge {
    // The piece across the edge; border when the edge lies on the puzzle border.
    std::uint32_t neighbour = border;
    // Index into the puzzle's edges.
    std::uint32_t edge = 0;
    // Non-zero when the piece walks the edge from its last point to its first.
    std::uint8_t reversed = 0;
    // Non-zero on the first record of each closed contour.
    std::uint8_t startsContour = 0;

    static constexpr std::uint32_t border = 0xFFFFFFFFu;
};
