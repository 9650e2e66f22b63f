#include <GL/glew.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "support/gl/GLTest.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Texture.h"
#include "sdlgl/TextureException.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;
using Migration::ImageMetadata;
using Migration::Value;

namespace {

std::vector<std::uint8_t> randomBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = std::uint8_t(state >> 24);
    }
    return bytes;
}

struct Download {
    IncrementalBuffer pixels;
    ImageMetadata metadata;
    std::vector<std::uint8_t> bytes() const { return std::vector<std::uint8_t>(pixels.data(), pixels.data() + pixels.size()); }
};

Download download(const Texture& texture) {
    Download d;
    texture.download(d.pixels, d.metadata);
    return d;
}

ImageMetadata image(std::uint32_t w, std::uint32_t h, std::uint32_t channels, std::uint32_t bits = 8) {
    return ImageMetadata(w, h, channels, channels * bits);
}

void upload(Texture& texture, const std::vector<std::uint8_t>& bytes, const ImageMetadata& metadata) {
    texture.upload(BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size())), metadata);
}

// The 8-bit value OpenGL stores for an unsigned normalised sample of the bits.
std::uint8_t unorm8(double value, double maximum) { return std::uint8_t(std::lround(value / maximum * 255.0)); }

} // namespace

// Rows of odd byte lengths (5 pixels of 3 bytes) would overrun a download
// packed to 4-byte rows: every format is read back byte for byte.
TEST_F(GLTest, EightBitImagesRoundTripInEveryUploadedFormat) {
    struct Case {
        std::uint32_t channels;
        ImageMetadata::Format format;
        std::uint32_t expectChannels;
    };
    const Case cases[] = {
        {1, ImageMetadata::Format::Intensity, 1},
        {3, ImageMetadata::Format::RGBA, 3},
        {3, ImageMetadata::Format::BGRA, 3},
        {4, ImageMetadata::Format::RGBA, 4},
        {4, ImageMetadata::Format::BGRA, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        SCOPED_TRACE(c.format.code());
        const std::uint32_t w = 5, h = 3;
        const std::vector<std::uint8_t> bytes = randomBytes(w * h * c.channels, c.channels + 10 * c.format);
        ImageMetadata m = image(w, h, c.channels);
        m.setFormat(c.format);
        Texture texture;
        upload(texture, bytes, m);
        const Download d = download(texture);
        EXPECT_EQ(d.metadata.width(), w);
        EXPECT_EQ(d.metadata.height(), h);
        EXPECT_EQ(d.metadata.channels(), c.expectChannels);
        EXPECT_EQ(d.metadata.type(), Value(Value::UInt8));
        EXPECT_EQ(d.metadata.format(), c.channels >= 3 ? ImageMetadata::Format::RGBA : ImageMetadata::Format::Intensity);
        ASSERT_EQ(d.pixels.size(), w * h * c.channels);
        std::vector<std::uint8_t> expected = bytes;
        // Blue first in, red first out.
        if (c.format == ImageMetadata::Format::BGRA)
            for (std::size_t p = 0; p < expected.size(); p += c.channels)
                std::swap(expected[p], expected[p + 2]);
        EXPECT_EQ(d.bytes(), expected);
    }
}

TEST_F(GLTest, WideSamplesAreStoredAsTheirValueInEitherByteOrder) {
    const std::uint16_t samples[] = {0, 0x1234, 0x8000, 0xFFFF, 0x00FF, 0xFF00};
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big);
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t s : samples) {
            const std::uint8_t hi = std::uint8_t(s >> 8), lo = std::uint8_t(s);
            bytes.push_back(big ? hi : lo);
            bytes.push_back(big ? lo : hi);
        }
        ImageMetadata m(2, 1, 3, 48);
        m.setType(Value(16, Value::Unsigned, big ? 1 : 0));
        Texture texture;
        upload(texture, bytes, m);
        const Download d = download(texture);
        std::vector<std::uint8_t> expected;
        for (std::uint16_t s : samples)
            expected.push_back(unorm8(s, 65535.0));
        EXPECT_EQ(d.bytes(), expected);
    }
    // 32-bit big-endian floats.
    const float values[] = {0.0f, 0.25f, 0.5f, 1.0f};
    std::vector<std::uint8_t> bytes;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(std::uint8_t(bits >> shift));
    }
    ImageMetadata m(2, 2, 1, 32);
    m.setType(Value(32, Value::FloatingPoint, 1));
    Texture texture;
    upload(texture, bytes, m);
    EXPECT_EQ(download(texture).bytes(), (std::vector<std::uint8_t>{0, 64, 128, 255}));
}

TEST_F(GLTest, SignedAndThirtyTwoBitSamplesUpload) {
    const std::vector<std::uint8_t> bytes = {0, 64, 127, 0x80};
    ImageMetadata m(2, 2, 1, 8);
    m.setType(Value(Value::Int8));
    Texture texture;
    upload(texture, bytes, m);
    // Signed samples map to -1..1; an unsigned texture keeps 0..1.
    EXPECT_EQ(download(texture).bytes(), (std::vector<std::uint8_t>{0, unorm8(64, 127), 255, 0}));

    std::vector<std::uint8_t> words(4 * 3);
    const std::uint32_t values[] = {0, 0x80000000u, 0xFFFFFFFFu};
    std::memcpy(words.data(), values, sizeof values);
    ImageMetadata wide(1, 1, 3, 96);
    Texture texture32;
    upload(texture32, words, wide);
    EXPECT_EQ(download(texture32).bytes(), (std::vector<std::uint8_t>{0, 128, 255}));
}

TEST_F(GLTest, TheFirstStoredRowIsTextureRowZero) {
    // 1 x 2 RGB: first stored row red, second blue.
    const std::vector<std::uint8_t> bytes = {255, 0, 0, 0, 0, 255};
    Texture texture;
    upload(texture, bytes, image(1, 2, 3));
    // Read the texture's rows through a frame buffer: row 0 comes first.
    FrameBufferObject read;
    read.attachTexture(GL_COLOR_ATTACHMENT0, texture, GL_READ_FRAMEBUFFER);
    std::uint8_t pixels[8] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 8),
              (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 255, 255}));
}

TEST_F(GLTest, RenderTargetsAndRawUploadsDownloadToo) {
    struct Case {
        GLint internal;
        GLenum format;
        std::uint32_t channels;
    };
    const Case cases[] = {
        {GL_RGBA8, GL_RGBA, 4}, {GL_RGB8, GL_RGB, 3}, {GL_R8, GL_RED, 1}, {GL_RG8, GL_RG, 2},
        {GL_RGBA, GL_RGBA, 4},  {GL_LUMINANCE8, GL_LUMINANCE, 1}, {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.internal);
        const std::uint32_t w = 3, h = 3;
        const std::vector<std::uint8_t> bytes = randomBytes(w * h * c.channels, std::uint32_t(c.internal));
        Texture texture;
        texture.uploadRaw(c.internal, w, h, c.format, GL_UNSIGNED_BYTE, bytes.data());
        const Download d = download(texture);
        EXPECT_EQ(d.metadata.channels(), c.channels);
        EXPECT_EQ(d.bytes(), bytes);
    }
    Texture empty;
    empty.uploadRaw(GL_RGBA8, 7, 5, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(download(empty).pixels.size(), 7u * 5u * 4u);
    Texture deep;
    deep.uploadRaw(GL_RGBA16F, 2, 2, GL_RGBA, GL_FLOAT, nullptr);
    try {
        download(deep);
        FAIL() << "a float texture was read back as bytes";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "No support for internal texture format 0x881a. ");
    }
}

TEST_F(GLTest, CopiesShareTheTexture) {
    Texture first;
    first.create();
    Texture second = first;
    EXPECT_EQ(second.id(), first.id());
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    upload(second, bytes, image(2, 1, 4));
    EXPECT_EQ(download(first).bytes(), bytes);
    const GLuint name = first.id();
    first = Texture();
    EXPECT_TRUE(glIsTexture(name));
    second = Texture();
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(GLTest, SettingsMakeTheTextureButBindDoesNot) {
    Texture texture;
    EXPECT_THROW(texture.bind(), UninitializedException);
    texture.setFilter(GL_NEAREST);
    EXPECT_TRUE(texture.isCreated());
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    texture.setWrapST(GL_REPEAT, GL_MIRRORED_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_MIRRORED_REPEAT);
    // An upload resets them to clamped, linear sampling.
    const std::vector<std::uint8_t> bytes(4, 9);
    upload(texture, bytes, image(2, 2, 1));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
}

TEST_F(GLTest, LineAlignedRowsThatAreAlreadyPackedUpload) {
    ImageMetadata m = image(4, 2, 3);
    m.setLineAlignment(32);
    const std::vector<std::uint8_t> bytes = randomBytes(24, 5);
    Texture texture;
    upload(texture, bytes, m);
    EXPECT_EQ(download(texture).bytes(), bytes);
}

// A texture that outlives its application is not deleted from a later
// context, where its name may belong to another texture.
TEST(GLObjectLifetimeTest, ObjectsOfAGoneContextLeaveTheNextContextAlone) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    Texture old;
    GLuint name = 0;
    {
        Application first(GLTest::parameters());
        old.create();
        name = old.id();
    }
    Application second(GLTest::parameters());
    Texture fresh;
    fresh.create();
    if (fresh.id() != name)
        GTEST_SKIP() << "this driver numbers the textures of a new context differently";
    old = Texture();
    EXPECT_TRUE(glIsTexture(fresh.id()));
}
