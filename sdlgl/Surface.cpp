#include "sdlgl/Surface.h"

#include <SDL.h>

#include <cstring>
#include <memory>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/text/Text.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/SDLException.h"

namespace TAVO::IK::SDLGL {

using Migration::ImageLayout;
using Migration::ImageMetadata;
using Migration::Value;

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

} // namespace

Surface::Surface(const Buffer& pixels, const ImageMetadata& metadata) {
    if (metadata.format() != ImageMetadata::Format::RGBA) {
        const ImageMetadata::Format format = metadata.format();
        const std::string name = format.code() <= ImageMetadata::Format::BGRA
                                     ? format.toString()
                                     : Text::toString(format.code());
        throw SupportException(SourceLocation(), name + " format in SDL surface");
    }
    const std::uint32_t channels = metadata.channels();
    if (channels != 3 && channels != 4)
        throw SupportException(SourceLocation(), Text::toString(channels) + " channels in SDL surface");
    if (metadata.type() != Value(Value::UInt8))
        throw SupportException(SourceLocation(), metadata.type().toString() + " type in SDL surface");

    const ImageLayout layout(metadata);
    if (layout.byteCount() > pixels.size())
        throw SpaceException<unsigned long long>(SourceLocation(), layout.byteCount(), pixels.size());
    const std::uint32_t width = layout.width();
    const std::uint32_t height = layout.height();
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        throw SupportException(SourceLocation(), "image size in SDL surface");

    reset(nullptr);
    std::unique_ptr<SDL_Surface, SurfaceDeleter> made(
        SDL_CreateRGBSurface(0, int(width), int(height), int(8 * channels), 0xFFu, 0xFF00u, 0xFF0000u,
                             channels == 4 ? 0xFF000000u : 0u));
    if (!made)
        throw SDLException(SourceLocation(), 0);

    const std::vector<std::uint32_t>& order = layout.channelOrder();
    const std::uint32_t pixelBytes = layout.bytesPerPixel();
    const std::uint32_t rowBytes = layout.bytesPerRow();
    const std::uint8_t* source = pixels.data();
    auto* target = static_cast<std::uint8_t*>(made->pixels);
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* from = source + std::uint64_t(height - 1 - r) * rowBytes;
        std::uint8_t* to = target + std::uint64_t(r) * std::uint32_t(made->pitch);
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < channels; ++c)
                to[x * channels + c] = from[std::uint64_t(x) * pixelBytes + order[c]];
    }
    surface_ = made.release();
}

Surface::~Surface() { reset(nullptr); }

Surface& Surface::operator=(Surface&& other) noexcept {
    if (this != &other) {
        reset(other.surface_);
        other.surface_ = nullptr;
    }
    return *this;
}

void Surface::reset(SDL_Surface* surface) {
    if (surface_ != surface)
        SDL_FreeSurface(surface_);
    surface_ = surface;
}

} // namespace TAVO::IK::SDLGL
