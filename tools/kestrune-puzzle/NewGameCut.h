#pragma once

#include <cstdint>
#include <memory>

#include "geometry/Tuple.h"

class Puzzle;

// The grid cut a new game makes: classic inner edges and straight border
// edges drawn from the seed.
class NewGameCut {
public:
    static std::unique_ptr<Puzzle> grid(std::uint32_t seed, std::uint32_t columns, std::uint32_t rows,
                                        const TAVO::Tuple<2, float>& size);
};
