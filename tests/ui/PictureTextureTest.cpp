// Pictures of every form the decoders give are turned into 8-bit RGB or RGBA
// before they reach a texture; what cannot be shown is refused cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/SpaceException.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "sdlgl/TextureException.h"
#include "ui/PictureTexture.h"

using TAVO::Migration::ImageMetadata;
using TAVO::Migration::Value;
using TAVO::IK::SDLGL::TextureException;

namespace {

Picture pictureOf(const ImageMetadata& metadata, const std::vector<std::uint8_t>& bytes) {
    Picture picture;
    picture.metadata() = metadata;
    picture.buffer().setSize(std::uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), picture.buffer().data());
    return picture;
}

ImageMetadata metadataOf(std::uint32_t w, std::uint32_t h, std::uint32_t channels, Value type,
                         ImageMetadata::Format format = ImageMetadata::Format::Intensity) {
    ImageMetadata metadata(w, h, channels, channels * type.bits());
    metadata.setType(type);
    metadata.setFormat(format);
    return metadata;
}

std::vector<std::uint8_t> bytesOf(const Picture& picture) {
    const TAVO::Buffer& buffer = picture.bufferConst();
    return std::vector<std::uint8_t>(buffer.data(), buffer.data() + buffer.size());
}

const Value byte(8, Value::Unsigned, 0);

} // namespace

TEST(PictureTextureTest, GreyBecomesRGBAndGreyWithAlphaKeepsItsAlpha) {
    const Picture grey = PictureTexture::convert(pictureOf(metadataOf(2, 1, 1, byte), {10, 200}));
    EXPECT_EQ(grey.metadataConst().channels(), 3u);
    EXPECT_EQ(grey.metadataConst().format(), ImageMetadata::Format::RGBA);
    EXPECT_EQ(bytesOf(grey), (std::vector<std::uint8_t>{10, 10, 10, 200, 200, 200}));

    const Picture alpha = PictureTexture::convert(pictureOf(metadataOf(2, 1, 2, byte), {10, 128, 200, 255}));
    EXPECT_EQ(alpha.metadataConst().channels(), 4u);
    EXPECT_EQ(bytesOf(alpha), (std::vector<std::uint8_t>{10, 10, 10, 128, 200, 200, 200, 255}));
    EXPECT_TRUE(PictureTexture::uploadable(alpha.metadataConst()));
}

TEST(PictureTextureTest, NarrowSamplesAreStretchedAndWideOnesKeepTheirHighByte) {
    // A 1-bit row of 10 pixels (two bytes, the second padded), two rows.
    const Picture bits = PictureTexture::convert(
        pictureOf(metadataOf(10, 2, 1, Value(1, Value::Unsigned, 0)), {0b10110000, 0b01000000, 0xFF, 0xC0}));
    const std::vector<std::uint8_t> out = bytesOf(bits);
    ASSERT_EQ(out.size(), 60u);
    const int expected[10] = {255, 0, 255, 255, 0, 0, 0, 0, 0, 255};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(out[x * 3], expected[x]) << x;
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(out[30 + x * 3 + 2], 255) << x;

    const Picture nibbles =
        PictureTexture::convert(pictureOf(metadataOf(2, 1, 1, Value(4, Value::Unsigned, 0)), {0x5F}));
    EXPECT_EQ(bytesOf(nibbles), (std::vector<std::uint8_t>{85, 85, 85, 255, 255, 255}));

    // 16-bit samples, most significant byte first, blue first.
    const Picture wide = PictureTexture::convert(pictureOf(
        metadataOf(1, 1, 3, Value(16, Value::Unsigned, 1), ImageMetadata::Format::BGRA), {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(bytesOf(wide), (std::vector<std::uint8_t>{5, 3, 1}));
}

TEST(PictureTextureTest, ReadyPicturesPassUnchanged) {
    const Picture rgb = pictureOf(metadataOf(1, 2, 3, byte, ImageMetadata::Format::RGBA), {1, 2, 3, 4, 5, 6});
    const Picture same = PictureTexture::convert(rgb);
    EXPECT_EQ(&same.bufferConst(), &rgb.bufferConst());
}

// Hostile metadata: every refusal is a clean exception before any byte
// beyond the buffer is read or a large buffer is made.
TEST(PictureTextureTest, PicturesThatCannotBeShownAreRefused) {
    EXPECT_THROW(PictureTexture::convert(Picture()), TextureException);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(1, 1, 5, byte), {1, 2, 3, 4, 5})), TextureException);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(1, 1, 1, Value(32, Value::FloatingPoint, 0)),
                                                   {0, 0, 0, 0})),
                 TextureException);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(1, 1, 1, Value(12, Value::Unsigned, 0)), {0, 0})),
                 TextureException);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(1, 1, 1, Value(0, Value::Unsigned, 0)), {0})),
                 TextureException);
    // Rows the buffer does not hold.
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(100, 100, 1, byte), {1, 2, 3})),
                 TAVO::SpaceException<unsigned long long>);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(0xFFFFFFFFu, 0xFFFFFFFFu, 2, byte), {1})),
                 TAVO::Exception);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(0xFFFFFFFFu, 3, 1, Value(1, Value::Unsigned, 0)), {1})),
                 TAVO::SpaceException<unsigned long long>);
    EXPECT_THROW(PictureTexture::convert(pictureOf(metadataOf(3, 3, 3, byte, ImageMetadata::Format::RGBA), {1})),
                 TAVO::SpaceException<unsigned long long>);
    // Packed samples with aligned pixels have no defined place.
    ImageMetadata aligned = metadataOf(2, 1, 1, Value(1, Value::Unsigned, 0));
    aligned.setPixelAlignment(8);
    EXPECT_THROW(PictureTexture::convert(pictureOf(aligned, {0, 0})), TextureException);
}
