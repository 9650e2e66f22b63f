#pragma once

#include <cstdint>

#include "tools/kestrune-gallery/Canvas.h"

// Layered hills against an evening sky with a low sun and the first stars.
class EveningHills {
public:
    static Canvas draw(std::uint32_t width, std::uint32_t height);
};
