#pragma once

#include <cstdint>

#include "tools/kestrune-gallery/Canvas.h"

// A quilt of square patches in many colours, each with its own motif
// (rings, stripes, a flower or a diamond), stitched round the edges.
class Patchwork {
public:
    static Canvas draw(std::uint32_t width, std::uint32_t height);
};
