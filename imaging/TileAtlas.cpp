#include "imaging/TileAtlas.h"

#include "foundation/exceptions/UnexpectedValueException.h"

using namespace TAVO;

TileAtlas::TileAtlas(std::uint32_t tilesPerSide, const Tuple<2, unsigned int>& tileSize)
    : tilesPerSide_(tilesPerSide), tileSize_(tileSize) {
    if (tilesPerSide == 0 || tileSize[0] == 0 || tileSize[1] == 0)
        throw UnexpectedValueException(SourceLocation(), "An empty tile", "a usable atlas tile");
}

Vector<2, unsigned int> TileAtlas::pageSize() const {
    return Vector<2, unsigned int>(tilesPerSide_ * tileSize_[0], tilesPerSide_ * tileSize_[1]);
}

Hyperrectangle<2, unsigned int> TileAtlas::tileRegion(std::uint32_t tile) const {
    const Point<2, unsigned int> origin((tile % tilesPerSide_) * tileSize_[0],
                                        ((tile / tilesPerSide_) % tilesPerSide_) * tileSize_[1]);
    return Hyperrectangle<2, unsigned int>(origin, tileSize_);
}

Hyperrectangle<2, float> TileAtlas::tileTransformation(std::uint32_t tile) const {
    const Hyperrectangle<2, unsigned int> region = tileRegion(tile);
    const Vector<2, unsigned int> page = pageSize();
    // A page of one pixel along an axis has no texture extent to scale by.
    const float sx = page[0] > 1 ? 1.0f / float(page[0] - 1) : 1.0f;
    const float sy = page[1] > 1 ? 1.0f / float(page[1] - 1) : 1.0f;
    const float x0 = float(region.origin()[0]) * sx;
    const float y0 = float(region.origin()[1]) * sy;
    const float x1 = float(region.origin()[0] + tileSize_[0] - 1) * sx;
    const float y1 = float(region.origin()[1] + tileSize_[1] - 1) * sy;
    return Hyperrectangle<2, float>(Point<2, float>(x0, y0), Tuple<2, float>(x1 - x0, y1 - y0));
}
