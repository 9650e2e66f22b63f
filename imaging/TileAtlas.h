#pragma once

#include <cstdint>

#include "geometry/Hyperrectangle.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"

// Equal tiles packed n x n to a page. Tile t lies on page t / (n x n), in
// column t mod n and row (t / n) mod n of that page. Tiles are never given back.
class TileAtlas {
public:
    TileAtlas(std::uint32_t tilesPerSide, const TAVO::Tuple<2, unsigned int>& tileSize);

    // The next tile.
    std::uint32_t allocate() { return allocated_++; }
    std::uint32_t allocated() const { return allocated_; }
    std::uint32_t page(std::uint32_t tile) const { return tile / (tilesPerSide_ * tilesPerSide_); }
    TAVO::Vector<2, unsigned int> pageSize() const;
    // The tile's pixels within its page.
    TAVO::Hyperrectangle<2, unsigned int> tileRegion(std::uint32_t tile) const;
    // The tile in texture coordinates of its page, from its first pixel to its
    // last: the origin and the size between the two.
    TAVO::Hyperrectangle<2, float> tileTransformation(std::uint32_t tile) const;
    // The same rectangle under the name the menus use.
    TAVO::Hyperrectangle<2, float> tileTextureRegion(std::uint32_t tile) const { return tileTransformation(tile); }

private:
    std::uint32_t tilesPerSide_;
    TAVO::Tuple<2, unsigned int> tileSize_;
    std::uint32_t allocated_ = 0;
};
