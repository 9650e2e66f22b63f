#include "imaging/ImageLayout.h"

#include <algorithm>
#include <cstring>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/text/Text.h"
#include "imaging/ImageMetadata.h"

namespace TAVO::Migration {

namespace {

constexpr std::uint64_t max32 = 0xFFFFFFFFull;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

// The number of bytes `bytes` needed for a range of the buffer; throws
// SpaceException when the buffer is smaller.
void checkHolds(const Buffer& buffer, std::uint64_t bytes) {
    if (bytes > buffer.size())
        throw SpaceException<unsigned long long>(SourceLocation(), bytes, buffer.size());
}

} // namespace

ImageLayout::ImageLayout(const Metadata& metadata) {
    std::uint32_t channels = 0;
    std::uint32_t pixelAlignment = 0;
    std::uint32_t lineAlignment = 0;
    std::uint32_t bits = 0;
    if (const auto* image = dynamic_cast<const ImageMetadata*>(&metadata)) {
        width_ = image->width();
        height_ = image->height();
        channels = image->channels();
        pixelAlignment = image->pixelAlignment();
        lineAlignment = image->lineAlignment();
        bits = image->type().bits();
    } else {
        width_ = Text::parseUnsigned(metadata.get(ImageMetadata::widthKey));
        height_ = Text::parseUnsigned(metadata.get(ImageMetadata::heightKey));
        pixelAlignment = Text::parseUnsigned(metadata.get(ImageMetadata::pixelAlignmentKey));
        channels = Text::parseUnsigned(metadata.get(ImageMetadata::channelsKey));
        bits = Value::parse(metadata.get(ImageMetadata::typeKey)).bits();
        lineAlignment = Text::parseUnsigned(metadata.get(ImageMetadata::lineAlignmentKey));
    }
    if (channels > ImageMetadata::maximumChannels)
        throw BoundException<unsigned int>(SourceLocation(), channels, ImageMetadata::maximumChannels);

    std::uint64_t bitsPerPixel = std::uint64_t(channels) * bits;
    if (pixelAlignment > 0) {
        bitsPerPixel = roundUp(bitsPerPixel, pixelAlignment);
        if (bitsPerPixel % 8 != 0)
            throw SupportException(SourceLocation(), "non-byte-aligned pixels");
    }
    const std::uint64_t bytesPerPixel = bitsPerPixel / 8;
    if (bytesPerPixel > max32)
        throw BoundException<unsigned long long>(SourceLocation(), bytesPerPixel, max32);
    std::uint64_t bytesPerRow = bytesPerPixel * width_;
    if (lineAlignment > 0) {
        const std::uint64_t rowBits = roundUp(bytesPerRow * 8, lineAlignment);
        if (rowBits % 8 != 0)
            throw SupportException(SourceLocation(), "non-byte-aligned pixels");
        bytesPerRow = rowBits / 8;
    }
    if (bytesPerRow > max32)
        throw BoundException<unsigned long long>(SourceLocation(), bytesPerRow, max32);
    bytesPerPixel_ = std::uint32_t(bytesPerPixel);
    bytesPerRow_ = std::uint32_t(bytesPerRow);

    channelOrder_.resize(channels);
    for (std::uint32_t i = 0; i < channels; ++i)
        channelOrder_[i] = i;
    if (ImageMetadata::Format::parse(metadata.get(ImageMetadata::formatKey)) == ImageMetadata::Format::BGRA) {
        if (channels < 3)
            throw UnexpectedValueException(SourceLocation(), Text::toString(channels) + " channels in BGRA order",
                                           "at least 3 channels");
        std::swap(channelOrder_[0], channelOrder_[2]);
    }
}

std::uint32_t ImageLayout::bufferSize() const {
    const std::uint64_t count = byteCount();
    if (count > max32)
        throw BoundException<unsigned long long>(SourceLocation(), count, max32);
    return std::uint32_t(count);
}

void ImageLayout::copy(const Buffer& source, const ImageLayout& sourceLayout, Buffer& target,
                       const ImageLayout& targetLayout) {
    if (sourceLayout == targetLayout) {
        if (source.size() != target.size())
            throw UnexpectedValueException(SourceLocation(), Text::toString(target.size()),
                                           Text::toString(source.size()));
        if (source.size() > 0)
            std::memmove(target.data(), source.data(), source.size());
        return;
    }
    if (targetLayout.width_ > sourceLayout.width_)
        throw BoundException<unsigned int>(SourceLocation(), targetLayout.width_, sourceLayout.width_);
    if (targetLayout.height_ > sourceLayout.height_)
        throw BoundException<unsigned int>(SourceLocation(), targetLayout.height_, sourceLayout.height_);
    const std::uint32_t pixelBytes = std::min(sourceLayout.bytesPerPixel_, targetLayout.bytesPerPixel_);
    if (targetLayout.width_ == 0 || targetLayout.height_ == 0 || pixelBytes == 0)
        return;
    // The last byte each side touches lies within its buffer.
    const std::uint64_t rows = targetLayout.height_ - 1;
    const std::uint64_t columns = targetLayout.width_ - 1;
    checkHolds(source, rows * sourceLayout.bytesPerRow_ + columns * sourceLayout.bytesPerPixel_ + pixelBytes);
    checkHolds(target, rows * targetLayout.bytesPerRow_ + columns * targetLayout.bytesPerPixel_ + pixelBytes);
    for (std::uint64_t y = 0; y <= rows; ++y) {
        const std::uint8_t* from = source.data() + y * sourceLayout.bytesPerRow_;
        std::uint8_t* to = target.data() + y * targetLayout.bytesPerRow_;
        for (std::uint64_t x = 0; x <= columns; ++x)
            std::memcpy(to + x * targetLayout.bytesPerPixel_, from + x * sourceLayout.bytesPerPixel_, pixelBytes);
    }
}

} // namespace TAVO::Migration
