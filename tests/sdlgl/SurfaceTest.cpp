#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Surface.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using Migration::ImageMetadata;
using Migration::Value;

namespace {

ImageMetadata rgb(std::uint32_t width, std::uint32_t height, std::uint32_t channels) {
    return ImageMetadata(width, height, channels, channels * 8);
}

BorrowConstBuffer view(const std::vector<std::uint8_t>& bytes) {
    return BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size()));
}

std::vector<std::uint8_t> surfaceRow(const SDL_Surface* s, int row) {
    const auto* p = static_cast<const std::uint8_t*>(s->pixels) + row * s->pitch;
    return std::vector<std::uint8_t>(p, p + s->w * s->format->BytesPerPixel);
}

std::string supportText(const std::vector<std::uint8_t>& bytes, const ImageMetadata& metadata) {
    try {
        Surface surface(view(bytes), metadata);
    } catch (const SupportException& e) {
        return e.message();
    }
    return "accepted";
}

} // namespace

// ---- Layout -------------------------------------------------------------------

TEST(SurfaceTest, FourChannelImageStoredBottomFirstBecomesTopFirst) {
    // Stored rows: bottom row (1..8), then top row (11..18).
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18};
    Surface surface(view(bytes), rgb(2, 2, 4));
    SDL_Surface* s = surface.surface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, 2);
    EXPECT_EQ(s->h, 2);
    EXPECT_EQ(s->format->BitsPerPixel, 32);
    EXPECT_EQ(s->format->Amask, 0xFF000000u);
    EXPECT_EQ(surfaceRow(s, 0), (std::vector<std::uint8_t>{11, 12, 13, 14, 15, 16, 17, 18}));
    EXPECT_EQ(surfaceRow(s, 1), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    // Red is the first byte in memory.
    Uint8 r, g, b, a;
    SDL_GetRGBA(*reinterpret_cast<const Uint32*>(s->pixels), s->format, &r, &g, &b, &a);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{11, 12, 13, 14}));
}

TEST(SurfaceTest, ThreeChannelRowsStartAtThePitch) {
    // 3 pixels of 3 bytes: 9 bytes a row, SDL pads the surface's rows to 12.
    std::vector<std::uint8_t> bytes(9 * 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(100 + i);
    Surface surface(view(bytes), rgb(3, 2, 3));
    SDL_Surface* s = surface.surface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format->BitsPerPixel, 24);
    EXPECT_EQ(s->format->Amask, 0u);
    EXPECT_GE(s->pitch, 9);
    EXPECT_EQ(surfaceRow(s, 0), std::vector<std::uint8_t>(bytes.begin() + 9, bytes.end()));
    EXPECT_EQ(surfaceRow(s, 1), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 9));
}

TEST(SurfaceTest, PixelAndLineStridesOfTheImageAreHonoured) {
    // RGB pixels padded to 32 bits, rows padded to 64 bits: 1 pixel of 4
    // bytes plus 4 padding bytes per row.
    ImageMetadata m = rgb(1, 2, 3);
    m.setPixelAlignment(32);
    m.setLineAlignment(128);
    // Row 0 (bottom): pixel 1 2 3 and pad 9; row padding 9 9 9 ... to 16 bytes.
    std::vector<std::uint8_t> bytes(32, 9);
    bytes[0] = 1, bytes[1] = 2, bytes[2] = 3;
    bytes[16] = 4, bytes[17] = 5, bytes[18] = 6;
    Surface surface(view(bytes), m);
    SDL_Surface* s = surface.surface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(surfaceRow(s, 0), (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_EQ(surfaceRow(s, 1), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(SurfaceTest, ResetFreesAndMoveHandsOver) {
    const std::vector<std::uint8_t> bytes(12, 7);
    Surface first(view(bytes), rgb(2, 2, 3));
    SDL_Surface* held = first.surface();
    Surface second(std::move(first));
    EXPECT_EQ(first.surface(), nullptr);
    EXPECT_EQ(second.surface(), held);
    second.reset(SDL_CreateRGBSurface(0, 1, 1, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u));
    EXPECT_NE(second.surface(), nullptr);
    second.reset(nullptr);
    EXPECT_EQ(second.surface(), nullptr);
}

// ---- Refused images -----------------------------------------------------------

TEST(SurfaceTest, RefusesWhatSDLSurfacesOfTheIconDoNotHold) {
    const std::vector<std::uint8_t> bytes(64, 0);
    ImageMetadata bgra = rgb(2, 2, 4);
    bgra.setFormat(ImageMetadata::Format::BGRA);
    EXPECT_EQ(supportText(bytes, bgra), "No support for BGRA format in SDL surface. ");

    ImageMetadata single = rgb(2, 2, 1);
    single.setFormat(ImageMetadata::Format::RGBA);
    EXPECT_EQ(supportText(bytes, single), "No support for 1 channels in SDL surface. ");
    EXPECT_EQ(supportText(bytes, rgb(2, 2, 1)), "No support for INTENSITY format in SDL surface. ");

    ImageMetadata two = rgb(2, 2, 2);
    two.setFormat(ImageMetadata::Format::RGBA);
    EXPECT_EQ(supportText(bytes, two), "No support for 2 channels in SDL surface. ");

    ImageMetadata deep(2, 2, 3, 48);
    EXPECT_EQ(supportText(bytes, deep), "No support for 16-bit unsigned little endian type in SDL surface. ");
    ImageMetadata signedSamples = rgb(2, 2, 3);
    signedSamples.setType(Value(Value::Int8));
    EXPECT_EQ(supportText(bytes, signedSamples), "No support for 8-bit two complement little endian type in SDL surface. ");

    ImageMetadata unknown = rgb(2, 2, 3);
    unknown.setFormat(ImageMetadata::Format(7));
    EXPECT_EQ(supportText(bytes, unknown), "No support for 7 format in SDL surface. ");
}

// A hostile or damaged picture: the metadata promises more rows than the
// buffer holds. Nothing may be read past the buffer, and no surface is kept.
TEST(SurfaceTest, ShortBufferIsRefusedBeforeAnythingIsRead) {
    const std::vector<std::uint8_t> bytes(4 * 4 * 4 - 1, 0);
    try {
        Surface surface(view(bytes), rgb(4, 4, 4));
        FAIL() << "a short buffer was taken";
    } catch (const SpaceException<unsigned long long>& e) {
        EXPECT_EQ(e.message(), "More space requested (64) than what is available (63). ");
    }
    const std::vector<std::uint8_t> none;
    // Rows beyond 32 bits of bytes, or a picture larger than a buffer holds.
    EXPECT_THROW(Surface(view(none), rgb(0x7FFFFFFF, 0x7FFFFFFF, 3)), BoundException<unsigned long long>);
    EXPECT_THROW(Surface(view(none), rgb(0xFFFFFFFF, 1, 4)), BoundException<unsigned long long>);
    EXPECT_THROW(Surface(view(none), rgb(0x10000, 0x10000, 4)), SpaceException<unsigned long long>);
    // Rows padded by a line alignment need their padding too.
    ImageMetadata padded = rgb(3, 2, 3);
    padded.setLineAlignment(32);
    const std::vector<std::uint8_t> tight(18, 0);
    EXPECT_THROW(Surface(view(tight), padded), SpaceException<unsigned long long>);
    const std::vector<std::uint8_t> enough(24, 0);
    EXPECT_NO_THROW(Surface(view(enough), padded));
}

TEST(SurfaceTest, HostileAlignmentsAreRefusedCleanly) {
    const std::vector<std::uint8_t> bytes(64, 0);
    ImageMetadata odd = rgb(2, 2, 3);
    odd.setPixelAlignment(5);
    EXPECT_THROW(Surface(view(bytes), odd), SupportException);
    ImageMetadata huge = rgb(2, 2, 3);
    huge.setPixelAlignment(0xFFFFFFF8u);
    EXPECT_ANY_THROW(Surface(view(bytes), huge));
    ImageMetadata wide = rgb(0xFFFFFFFFu, 2, 4);
    wide.setLineAlignment(0x80000000u);
    EXPECT_ANY_THROW(Surface(view(bytes), wide));
}

TEST(SurfaceTest, AnEmptyImageGivesAnEmptySurface) {
    const std::vector<std::uint8_t> none;
    Surface surface(view(none), rgb(0, 0, 4));
    if (surface.surface() != nullptr) {
        EXPECT_EQ(surface.surface()->w, 0);
    }
}
