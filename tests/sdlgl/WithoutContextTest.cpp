// What the framework must refuse before anything reaches OpenGL: these run
// without a display and without a context.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/Program.h"
#include "sdlgl/RenderBufferObject.h"
#include "sdlgl/Shader.h"
#include "sdlgl/Texture.h"
#include "sdlgl/TextureException.h"
#include "sdlgl/Uniform.h"
#include "sdlgl/VertexArrayObject.h"
#include "sdlgl/VertexBufferObject.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using Migration::ImageMetadata;
using Migration::Value;

namespace {

template <class F>
std::string failure(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return "no exception";
}

ImageMetadata image(std::uint32_t w, std::uint32_t h, std::uint32_t channels, std::uint32_t bits = 8) {
    return ImageMetadata(w, h, channels, channels * bits);
}

std::string uploadFailure(const ImageMetadata& metadata, std::uint32_t bytes = 1 << 16) {
    std::vector<std::uint8_t> pixels(bytes, 0);
    Texture texture;
    const std::string text =
        failure([&] { texture.upload(BorrowConstBuffer(pixels.data(), bytes), metadata); });
    // A refused upload makes no texture.
    EXPECT_FALSE(texture.isCreated()) << text;
    return text;
}

} // namespace

// ---- Handles without GL objects --------------------------------------------------

TEST(WithoutContextTest, MakingAGLObjectIsAClearError) {
    const std::string noContext = "OpenGL context not initialized. ";
    EXPECT_EQ(failure([] { Texture().create(); }), noContext);
    EXPECT_EQ(failure([] { Texture().setFilter(GL_LINEAR); }), noContext);
    EXPECT_EQ(failure([] { VertexBufferObject().create(); }), noContext);
    EXPECT_EQ(failure([] { FrameBufferObject().create(); }), noContext);
    EXPECT_EQ(failure([] { RenderBufferObject().setStorage(GL_DEPTH_COMPONENT16, 4, 4); }), noContext);
    std::ostringstream log;
    EXPECT_EQ(failure([&] { Shader("void main() {}", GL_VERTEX_SHADER, log); }), noContext);
    EXPECT_EQ(failure([&] { Program(std::vector<Shader>(), log); }), noContext);
}

TEST(WithoutContextTest, HandlesThatWereNeverMadeRefuseToBeUsed) {
    EXPECT_EQ(failure([] { Texture().id(); }), "texture not initialized. ");
    EXPECT_EQ(failure([] { Texture().bind(); }), "texture not initialized. ");
    EXPECT_EQ(failure([] {
                  IncrementalBuffer b;
                  ImageMetadata m;
                  Texture().download(b, m);
              }),
              "texture not initialized. ");
    EXPECT_EQ(failure([] { VertexBufferObject().bind(); }), "vertex buffer not initialized. ");
    EXPECT_EQ(failure([] { VertexBufferObject().id(); }), "vertex buffer not initialized. ");
    EXPECT_EQ(failure([] { VertexArrayObject().bind(); }), "vertex array not initialized. ");
    EXPECT_EQ(failure([] { VertexArrayObject().draw(); }), "vertex array not initialized. ");
    EXPECT_EQ(failure([] { VertexArrayObject().drawRange(0, 3); }), "vertex array not initialized. ");
    EXPECT_EQ(failure([] { FrameBufferObject().bind(); }), "frame buffer not initialized. ");
    EXPECT_EQ(failure([] { FrameBufferObject().bindUnchecked(); }), "frame buffer not initialized. ");
    EXPECT_EQ(failure([] { FrameBufferObject().id(); }), "frame buffer not initialized. ");
    EXPECT_EQ(failure([] { RenderBufferObject().bind(); }), "render buffer not initialized. ");
    EXPECT_EQ(failure([] { Uniform().setFloat(1.0f); }), "uniform not initialized. ");
    EXPECT_EQ(failure([] { Program().attributeLocation("position"); }), "program not initialized. ");
    EXPECT_EQ(failure([] { Program().uniformLocation("color"); }), "program not initialized. ");
}

// ---- Geometry ---------------------------------------------------------------------

TEST(WithoutContextTest, IndexTypesAreCheckedBeforeAnythingIsStored) {
    VertexArrayObject array;
    array.setGeometry(GL_LINES, 4);
    VertexBufferObject indices(GL_ELEMENT_ARRAY_BUFFER);
    EXPECT_EQ(failure([&] { array.setIndexedGeometry(indices, GL_FLOAT, GL_TRIANGLES, 6); }),
              "No support for GL geometry type. ");
    EXPECT_EQ(failure([&] { array.setIndexedGeometry(indices, GL_INT, GL_TRIANGLES, 6); }),
              "No support for GL geometry type. ");
    EXPECT_EQ(array.mode(), GLenum(GL_LINES));
    EXPECT_EQ(array.count(), 4u);
    EXPECT_EQ(array.indexType(), GLenum(GL_INVALID_VALUE));
}

TEST(WithoutContextTest, AnIndexedDrawNeedsAnIndexBufferWithData) {
    VertexArrayObject array;
    array.setGeometry(GL_LINES, 4);
    VertexBufferObject indices(GL_ELEMENT_ARRAY_BUFFER);
    EXPECT_EQ(failure([&] { array.setIndexedGeometry(indices, GL_UNSIGNED_SHORT, GL_TRIANGLES, 6); }),
              "index buffer not initialized. ");
    EXPECT_EQ(array.mode(), GLenum(GL_LINES));
    EXPECT_EQ(array.indexType(), GLenum(GL_INVALID_VALUE));
}

// ---- Texture uploads: every refusal comes before OpenGL ---------------------------

TEST(WithoutContextTest, UploadRefusesChannelAndFormatMismatches) {
    ImageMetadata grey = image(2, 2, 1);
    grey.setFormat(ImageMetadata::Format::RGBA);
    EXPECT_EQ(uploadFailure(grey), "Only intensity supported if one channel. ");
    ImageMetadata rgb = image(2, 2, 3);
    rgb.setFormat(ImageMetadata::Format::Intensity);
    EXPECT_EQ(uploadFailure(rgb), "Only RGB and BGR supported if three channels. ");
    ImageMetadata rgba = image(2, 2, 4);
    rgba.setFormat(ImageMetadata::Format(9));
    EXPECT_EQ(uploadFailure(rgba), "Only RGBA and BGRA supported if four channels. ");
    EXPECT_EQ(uploadFailure(image(2, 2, 2)), "Unsupported number of channels. ");
    ImageMetadata none = image(2, 2, 4);
    none.setChannels(0);
    EXPECT_EQ(uploadFailure(none), "Unsupported number of channels. ");
    ImageMetadata many = image(2, 2, 4);
    many.setChannels(0xFFFFFFFFu);
    EXPECT_EQ(uploadFailure(many), "Unsupported number of channels. ");
}

TEST(WithoutContextTest, UploadRefusesTypesWithoutAGLForm) {
    ImageMetadata bits = image(8, 1, 1, 1);
    EXPECT_EQ(uploadFailure(bits), "Binary image textures not supported. ");
    EXPECT_EQ(uploadFailure(image(2, 2, 3, 4)), "Unsupported type: 4-bit unsigned little endian");
    EXPECT_EQ(uploadFailure(image(2, 2, 3, 12)), "Unsupported type: 12-bit unsigned little endian");
    ImageMetadata doubles = image(2, 2, 1, 64);
    doubles.setType(Value(Value::Float64));
    EXPECT_EQ(uploadFailure(doubles), "Unsupported type: 64-bit floating point little endian");
    ImageMetadata half = image(2, 2, 1, 16);
    half.setType(Value(16, Value::FloatingPoint, 0));
    EXPECT_EQ(uploadFailure(half), "Unsupported type: 16-bit floating point little endian");
    ImageMetadata boolean = image(2, 2, 3, 8);
    boolean.setType(Value(8, Value::Boolean, 0));
    EXPECT_EQ(uploadFailure(boolean), "Unsupported type: 8-bit boolean little endian");
}

TEST(WithoutContextTest, UploadNeedsTightlyPackedRows) {
    // 24-bit pixels in rows aligned to 32 bits: a width of 3 pads its rows.
    ImageMetadata three = image(3, 2, 3);
    three.setLineAlignment(32);
    EXPECT_EQ(uploadFailure(three), "Alignment not supported. ");
    ImageMetadata padded = image(2, 2, 3);
    padded.setPixelAlignment(32);
    EXPECT_EQ(uploadFailure(padded), "Alignment not supported. ");
    ImageMetadata hostile = image(3, 2, 3);
    hostile.setLineAlignment(0xFFFFFFFFu);
    EXPECT_EQ(uploadFailure(hostile), "Alignment not supported. ");
    // A width of 4 makes 96-bit rows: accepted, so the next failure is the context.
    ImageMetadata four = image(4, 2, 3);
    four.setLineAlignment(32);
    EXPECT_EQ(uploadFailure(four), "OpenGL context not initialized. ");
}

// A hostile picture whose metadata promises more pixels than its buffer holds
// must not have OpenGL read past the buffer.
TEST(WithoutContextTest, UploadRefusesABufferShorterThanItsImage) {
    EXPECT_EQ(uploadFailure(image(5, 3, 3), 44), "More space requested (45) than what is available (44). ");
    EXPECT_EQ(uploadFailure(image(5, 3, 3), 45), "OpenGL context not initialized. ");
    EXPECT_EQ(uploadFailure(image(4, 4, 4, 16), 127), "More space requested (128) than what is available (127). ");
    // 16 bytes times almost 2^64 pixels: the request does not fit 64 bits.
    EXPECT_EQ(uploadFailure(image(0xFFFFFFFFu, 0xFFFFFFFFu, 4, 32), 16),
              "More space requested (18446744073709551615) than what is available (16). ");
    EXPECT_EQ(uploadFailure(image(0x10000, 0x10000, 1), 16),
              "More space requested (4294967296) than what is available (16). ");
}
