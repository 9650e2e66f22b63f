#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace TAVO::IK::SDLGL {
class Texture;
}

// Puts a decoded picture into a texture, whatever form the decoder gave it:
// grey pictures become RGB, grey with alpha becomes RGBA (the alpha kept),
// samples of 1, 2, 4, 16 or 32 bits become bytes. Both the pieces of a game
// and the menu's picture preview upload through here.
class PictureTexture {
public:
    // The picture as 8-bit samples in red, green, blue (and alpha) order with
    // tightly packed rows: 3 channels from 1 or 3, 4 from 2 or 4. Samples of
    // fewer than 8 bits are packed in rows, the first sample in the most
    // significant bits, each row starting on a whole byte, and are stretched
    // to 0..255; wider ones keep their most significant byte. A picture
    // already in that form is returned as it is (sharing its content).
    // Throws TextureException for pictures that cannot be shown: no pixels,
    // 0 or more than 4 channels, samples that are not unsigned integers of
    // those widths; SpaceException when the buffer is shorter than its rows.
    static Picture convert(const Picture& picture);
    // True when the picture is already in the converted form.
    static bool uploadable(const TAVO::Migration::ImageMetadata& metadata);

    // Converts the picture and uploads it. A side above the largest texture
    // the driver takes throws TextureException before anything is converted
    // or uploaded, so the caller can refuse the picture and go on.
    static void upload(TAVO::IK::SDLGL::Texture& texture, const Picture& picture);
    static void upload(TAVO::IK::SDLGL::Texture& texture, const Picture& picture, std::uint32_t sideLimit);
    // The driver's largest texture side (GL_MAX_TEXTURE_SIZE).
    static std::uint32_t sideLimit();
};
