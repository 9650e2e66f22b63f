#pragma once

#include <cstdint>
#include <vector>

namespace TAVO {
class Buffer;
}

namespace TAVO::Migration {

class Metadata;

// The memory layout of an image's pixel bytes, derived from its metadata:
// bytes per pixel, bytes per row and the channel order (entry i is the index
// of the stored channel that holds logical channel i).
class ImageLayout {
public:
    // From an ImageMetadata's fields, or from the texts of any other metadata.
    // Throws SupportException "non-byte-aligned pixels" when an aligned pixel
    // or row is not a whole number of bytes, BoundException when the pixel or
    // the row is larger than 32 bits of bytes or there are more channels than
    // the image model holds, and UnexpectedValueException for "BGRA" with
    // fewer than 3 channels.
    explicit ImageLayout(const Metadata& metadata);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    std::uint32_t bytesPerPixel() const { return bytesPerPixel_; }
    std::uint32_t bytesPerRow() const { return bytesPerRow_; }
    const std::vector<std::uint32_t>& channelOrder() const { return channelOrder_; }
    // bytesPerRow x height, in 64 bits.
    std::uint64_t byteCount() const { return std::uint64_t(bytesPerRow_) * height_; }
    // The byte count when it fits a buffer (32 bits); otherwise
    // BoundException<unsigned long long>(count, 0xFFFFFFFF).
    std::uint32_t bufferSize() const;

    bool operator==(const ImageLayout& other) const = default;

    // Copies pixels from one buffer and layout into another. Equal layouts need
    // equal buffer sizes (else UnexpectedValueException: target size, source
    // size) and copy every byte. Otherwise each pixel of the target's width and
    // height takes the smaller pixel size's bytes of the source pixel at the
    // same position; the target must not be wider or taller than the source
    // (BoundException<unsigned int>), and each buffer must hold its layout's
    // rows (SpaceException<unsigned long long>: needed, available).
    static void copy(const Buffer& source, const ImageLayout& sourceLayout, Buffer& target,
                     const ImageLayout& targetLayout);

private:
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t bytesPerPixel_ = 0;
    std::uint32_t bytesPerRow_ = 0;
    std::vector<std::uint32_t> channelOrder_;
};

} // namespace TAVO::Migration
