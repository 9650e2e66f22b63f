#include "ui/PictureTexture.h"

#include <GL/glew.h>

#include <string>

#include "foundation/exceptions/SpaceException.h"
#include "imaging/ImageLayout.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Texture.h"
#include "sdlgl/TextureException.h"

using TAVO::Migration::ImageLayout;
using TAVO::Migration::ImageMetadata;
using TAVO::Migration::Value;
using TAVO::IK::SDLGL::TextureException;

namespace {

[[noreturn]] void refuse(const std::string& text) { throw TextureException(TAVO::SourceLocation(), text); }

// Where the samples of one source row start and how to read sample i of it
// as a byte.
class SampleReader {
public:
    explicit SampleReader(const ImageMetadata& metadata) : bits_(metadata.type().bits()) {
        const Value& type = metadata.type();
        const bool integer = type.kind() == Value::Unsigned || (type.kind() == Value::Boolean && bits_ == 1);
        if (!integer || !(bits_ == 1 || bits_ == 2 || bits_ == 4 || bits_ == 8 || bits_ == 16 || bits_ == 32))
            refuse("Pictures of " + type.toString() + " samples cannot be shown. ");
        const std::uint64_t samplesPerRow = std::uint64_t(metadata.width()) * metadata.channels();
        if (bits_ >= 8) {
            // Whole-byte samples: the image layout knows the alignments.
            const ImageLayout layout(metadata);
            rowBytes_ = layout.bytesPerRow();
            pixelBytes_ = layout.bytesPerPixel();
            sampleBytes_ = bits_ / 8;
            high_ = type.bigEndian() ? 0 : sampleBytes_ - 1;
        } else {
            if (metadata.pixelAlignment() != 0)
                refuse("Pictures of packed samples with aligned pixels cannot be shown. ");
            std::uint64_t rowBits = samplesPerRow * bits_;
            if (const std::uint32_t alignment = metadata.lineAlignment(); alignment != 0)
                rowBits = (rowBits + alignment - 1) / alignment * alignment;
            rowBytes_ = (rowBits + 7) / 8;
            maximum_ = (1u << bits_) - 1;
        }
        const unsigned __int128 needed = (unsigned __int128)rowBytes_ * metadata.height();
        if (needed > ~0ull)
            throw TAVO::SpaceException<unsigned long long>(TAVO::SourceLocation(), ~0ull, 0xFFFFFFFFull);
        needed_ = std::uint64_t(needed);
    }

    std::uint64_t rowBytes() const { return rowBytes_; }
    std::uint64_t needed() const { return needed_; }

    // Sample c of pixel x of the row.
    std::uint8_t read(const std::uint8_t* row, std::uint32_t x, std::uint32_t c, std::uint32_t channels) const {
        if (bits_ >= 8)
            return row[std::uint64_t(x) * pixelBytes_ + std::uint64_t(c) * sampleBytes_ + high_];
        const std::uint64_t bit = (std::uint64_t(x) * channels + c) * bits_;
        const std::uint32_t shift = 8 - bits_ - std::uint32_t(bit % 8);
        const std::uint32_t value = (row[bit / 8] >> shift) & maximum_;
        return std::uint8_t(value * 255 / maximum_);
    }

private:
    std::uint32_t bits_;
    std::uint64_t rowBytes_ = 0;
    std::uint64_t pixelBytes_ = 0;
    std::uint32_t sampleBytes_ = 1;
    std::uint32_t high_ = 0;
    std::uint32_t maximum_ = 0;
    std::uint64_t needed_ = 0;
};

} // namespace

bool PictureTexture::uploadable(const ImageMetadata& metadata) {
    const std::uint32_t channels = metadata.channels();
    const std::uint32_t format = metadata.format();
    // Alignments that add no padding leave the rows tightly packed.
    const std::uint32_t pixelAlignment = metadata.pixelAlignment();
    const std::uint32_t lineAlignment = metadata.lineAlignment();
    const bool packed = (pixelAlignment == 0 || (8 * channels) % pixelAlignment == 0) &&
                        (lineAlignment == 0 || (std::uint64_t(8) * channels * metadata.width()) % lineAlignment == 0);
    return (channels == 3 || channels == 4) && format == ImageMetadata::Format::RGBA &&
           metadata.type() == Value(8, Value::Unsigned, 0) && packed;
}

Picture PictureTexture::convert(const Picture& picture) {
    const ImageMetadata& metadata = picture.metadataConst();
    const std::uint32_t width = metadata.width();
    const std::uint32_t height = metadata.height();
    const std::uint32_t channels = metadata.channels();
    if (width == 0 || height == 0)
        refuse("A picture without pixels cannot be shown. ");
    if (channels == 0 || channels > 4)
        refuse("Pictures of " + std::to_string(channels) + " channels cannot be shown. ");

    const SampleReader reader(metadata);
    const TAVO::Buffer& source = picture.bufferConst();
    if (reader.needed() > source.size())
        throw TAVO::SpaceException<unsigned long long>(TAVO::SourceLocation(), reader.needed(), source.size());
    if (uploadable(metadata))
        return picture;

    const std::uint32_t outChannels = channels <= 2 ? channels + 2 : channels;
    const std::uint64_t outBytes = std::uint64_t(width) * height * outChannels;
    if (outBytes > 0xFFFFFFFFull)
        throw TAVO::SpaceException<unsigned long long>(TAVO::SourceLocation(), outBytes, 0xFFFFFFFFull);
    // Grey spreads over red, green and blue; alpha follows. Blue-first
    // pictures change places of red and blue.
    std::uint32_t from[4] = {0, 1, 2, 3};
    if (channels <= 2)
        from[0] = from[1] = from[2] = 0, from[3] = 1;
    else if (metadata.format() == ImageMetadata::Format::BGRA)
        from[0] = 2, from[2] = 0;

    Picture converted;
    converted.metadata() = ImageMetadata(width, height, outChannels, outChannels * 8);
    TAVO::IncrementalBuffer& target = converted.buffer();
    target.setSize(std::uint32_t(outBytes));
    std::uint8_t* out = target.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = source.data() + y * reader.rowBytes();
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < outChannels; ++c)
                *out++ = reader.read(row, x, from[c], channels);
    }
    return converted;
}

std::uint32_t PictureTexture::sideLimit() {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    TAVO::IK::SDLGL::checkGLError();
    return limit > 0 ? std::uint32_t(limit) : 0;
}

void PictureTexture::upload(TAVO::IK::SDLGL::Texture& texture, const Picture& picture) {
    upload(texture, picture, sideLimit());
}

void PictureTexture::upload(TAVO::IK::SDLGL::Texture& texture, const Picture& picture, std::uint32_t limit) {
    const ImageMetadata& metadata = picture.metadataConst();
    if (metadata.width() > limit || metadata.height() > limit)
        refuse("A picture of " + std::to_string(metadata.width()) + " x " + std::to_string(metadata.height()) +
               " pixels is larger than the largest texture, " + std::to_string(limit) + " x " +
               std::to_string(limit) + ". ");
    const Picture converted = convert(picture);
    texture.upload(converted.bufferConst(), converted.metadataConst());
}
