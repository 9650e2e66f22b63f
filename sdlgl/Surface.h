#pragma once

struct SDL_Surface;

namespace TAVO {
class Buffer;
}
namespace TAVO::Migration {
class ImageMetadata;
}

namespace TAVO::IK::SDLGL {

// The owner of one SDL surface made from an image (the window icon).
class Surface {
public:
    Surface() = default;
    // A surface of the image's size in 8-bit red, green, blue (and alpha) with
    // the image's top row first. Only "RGBA" images of 3 or 4 channels of
    // 8-bit unsigned samples are taken; others throw SupportException. A
    // buffer shorter than the metadata's rows throws SpaceException before
    // anything is made.
    Surface(const Buffer& pixels, const Migration::ImageMetadata& metadata);
    ~Surface();

    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&& other) noexcept : surface_(other.surface_) { other.surface_ = nullptr; }
    Surface& operator=(Surface&& other) noexcept;

    SDL_Surface* surface() const { return surface_; }
    // Frees the held surface and takes the given one (null allowed).
    void reset(SDL_Surface* surface);

private:
    SDL_Surface* surface_ = nullptr;
};

} // namespace TAVO::IK::SDLGL
