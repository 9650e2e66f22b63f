// Pictures made ready for a texture upload: grey and grey with alpha become
// colour, everything else passes through untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sdlgl/UploadablePicture.h"

using TAVO::Migration::ImageMetadata;

namespace {

Picture pictureOf(std::uint32_t width, std::uint32_t height, std::uint32_t channels, std::uint32_t bits,
                  const std::vector<std::uint8_t>& bytes) {
    Picture picture;
    picture.metadata() = ImageMetadata(width, height, channels, channels * bits);
    picture.buffer().setSize(std::uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), picture.buffer().data());
    return picture;
}

std::vector<std::uint8_t> bytesOf(const Picture& picture) {
    const std::uint8_t* data = picture.bufferConst().data();
    return std::vector<std::uint8_t>(data, data + picture.bufferConst().size());
}

} // namespace

TEST(UploadablePicture, GreyBecomesRGB) {
    const Picture out = uploadablePicture(pictureOf(3, 1, 1, 8, {0, 128, 255}));
    EXPECT_EQ(out.metadataConst().channels(), 3u);
    EXPECT_EQ(out.metadataConst().format(), ImageMetadata::Format::RGBA);
    EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}));
}

TEST(UploadablePicture, GreyWithAlphaKeepsItsAlpha) {
    const Picture out = uploadablePicture(pictureOf(1, 2, 2, 8, {10, 200, 90, 0}));
    EXPECT_EQ(out.metadataConst().channels(), 4u);
    EXPECT_EQ(out.metadataConst().width(), 1u);
    EXPECT_EQ(out.metadataConst().height(), 2u);
    EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{10, 10, 10, 200, 90, 90, 90, 0}));
}

// Colour pictures, pictures without content, wider samples and buffers
// shorter than their metadata are the upload's to take or refuse.
TEST(UploadablePicture, OtherPicturesPassThroughShared) {
    const std::vector<Picture> untouched = {
        pictureOf(1, 1, 3, 8, {1, 2, 3}),
        pictureOf(1, 1, 4, 8, {1, 2, 3, 4}),
        pictureOf(2, 1, 1, 16, {1, 2, 3, 4}),
        pictureOf(4, 4, 2, 8, {1, 2, 3}),
    };
    for (const Picture& in : untouched) {
        const Picture out = uploadablePicture(in);
        EXPECT_EQ(&out.bufferConst(), &in.bufferConst());
    }
    EXPECT_FALSE(uploadablePicture(Picture()).hasPixels());
}
