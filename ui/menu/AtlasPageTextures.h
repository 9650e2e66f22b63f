#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "imaging/Picture.h"
#include "ui/Shape.h"

// The textures of a thumbnail atlas's pages as a list draws them. A page
// that took thumbnails is uploaded once before the next frame, however many
// came into it meanwhile.
class AtlasPageTextures {
public:
    // The page's texture, its upload due before the next frame.
    const std::shared_ptr<Shape::Texture>& changed(std::uint32_t page);
    // Uploads the pages changed since the last call; `pixels` gives a page's picture.
    void upload(const std::function<const Picture&(std::uint32_t page)>& pixels);

private:
    std::vector<std::shared_ptr<Shape::Texture>> textures_;
    std::set<std::uint32_t> due_;
};
