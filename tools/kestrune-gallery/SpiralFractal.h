#pragma once

#include <cstdint>

#include "tools/kestrune-gallery/Canvas.h"

// A spiral of the Mandelbrot set's seahorse valley in smooth colour bands.
class SpiralFractal {
public:
    static Canvas draw(std::uint32_t width, std::uint32_t height);
};
