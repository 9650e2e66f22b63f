#pragma once

#include <cstdint>

#include "tools/kestrune-gallery/Canvas.h"

// A window of jewel-coloured glass cells joined by dark lead, lit from the
// upper left.
class StainedGlass {
public:
    static Canvas draw(std::uint32_t width, std::uint32_t height);
};
