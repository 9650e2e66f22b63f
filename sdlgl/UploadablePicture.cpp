#include "sdlgl/UploadablePicture.h"

#include <cstdint>

using TAVO::Migration::ImageMetadata;

Picture uploadablePicture(const Picture& picture) {
    if (!picture.hasPixels())
        return picture;
    const ImageMetadata& from = picture.metadataConst();
    const std::uint32_t channels = from.channels();
    if ((channels != 1 && channels != 2) || from.type().bits() != 8)
        return picture;
    const std::uint64_t pixels = std::uint64_t(from.width()) * from.height();
    if (std::uint64_t(picture.bufferConst().size()) < pixels * channels)
        return picture;
    const std::uint32_t outChannels = channels + 2;
    Picture converted;
    converted.metadata() = ImageMetadata(from.width(), from.height(), outChannels, outChannels * 8);
    converted.buffer().setSize(std::uint32_t(pixels * outChannels));
    const std::uint8_t* in = picture.bufferConst().data();
    std::uint8_t* out = converted.buffer().data();
    for (std::uint64_t p = 0; p < pixels; ++p, in += channels, out += outChannels) {
        out[0] = out[1] = out[2] = in[0];
        if (channels == 2)
            out[3] = in[1];
    }
    return converted;
}
