#include "ui/menu/AtlasPageTextures.h"

#include "sdlgl/Texture.h"
#include "ui/PictureTexture.h"

const std::shared_ptr<Shape::Texture>& AtlasPageTextures::changed(std::uint32_t page) {
    while (textures_.size() <= page)
        textures_.push_back(std::make_shared<Shape::Texture>());
    due_.insert(page);
    return textures_[page];
}

void AtlasPageTextures::upload(const std::function<const Picture&(std::uint32_t page)>& pixels) {
    for (const std::uint32_t page : due_)
        PictureTexture::upload(*textures_[page], pixels(page));
    due_.clear();
}
