#include <GL/glew.h>

#include <cmath>
#include <vector>

#include "support/gl/GLTest.h"
#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/FrameBufferException.h"
#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/RenderBufferObject.h"
#include "sdlgl/Texture.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;
using KestruneGLTest::RenderTarget;

namespace {

std::vector<GLint> currentViewport() {
    std::vector<GLint> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

GLint boundFrameBuffer(GLenum binding = GL_DRAW_FRAMEBUFFER_BINDING) {
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return name;
}

} // namespace

TEST_F(GLTest, AColourTextureWithoutAnImageLeavesTheFrameBufferIncomplete) {
    Texture texture;
    texture.create();
    FrameBufferObject frameBuffer;
    frameBuffer.attachTexture(GL_COLOR_ATTACHMENT0, texture);
    frameBuffer.setSize(Tuple<2, unsigned int>(8, 8));
    glViewport(0, 0, 3, 3);
    try {
        frameBuffer.bind();
        FAIL() << "an incomplete frame buffer was bound";
    } catch (const FrameBufferException& e) {
        EXPECT_EQ(e.message(), "Frame buffer not complete, status 8cd6.");
    }
    // The binding stays; the viewport was not touched.
    EXPECT_EQ(boundFrameBuffer(), GLint(frameBuffer.id()));
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 3, 3}));
    EXPECT_THROW(frameBuffer.bindChecked(), FrameBufferException);
    // Unchecked binding neither tests nor sets the viewport.
    frameBuffer.unbind();
    EXPECT_NO_THROW(frameBuffer.bindUnchecked());
    EXPECT_EQ(boundFrameBuffer(), GLint(frameBuffer.id()));
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 3, 3}));
}

TEST_F(GLTest, BindingSetsTheTargetsViewportAndUnbindingTheWindows) {
    RenderTarget target(40, 30);
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 40, 30}));
    target.frameBuffer.unbindWithViewport(Tuple<2, unsigned int>(windowWidth, windowHeight));
    EXPECT_EQ(boundFrameBuffer(), 0);
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, GLint(windowWidth), GLint(windowHeight)}));
    target.frameBuffer.bindChecked();
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, GLint(windowWidth), GLint(windowHeight)}));
    target.frameBuffer.unbind();
    EXPECT_EQ(boundFrameBuffer(), 0);
}

TEST_F(GLTest, RenderBuffersMakeCompleteTargets) {
    RenderBufferObject colour;
    EXPECT_THROW(colour.bind(), UninitializedException);
    colour.setStorage(GL_RGB8, 200, 124);
    RenderBufferObject depth;
    depth.setStorage(GL_DEPTH_COMPONENT16, 200, 124);
    FrameBufferObject frameBuffer;
    frameBuffer.attachRenderBuffer(GL_COLOR_ATTACHMENT0, colour);
    frameBuffer.attachRenderBuffer(GL_DEPTH_ATTACHMENT, depth);
    frameBuffer.setSize(Tuple<2, unsigned int>(200, 124));
    EXPECT_NO_THROW(frameBuffer.bind());
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 200, 124}));
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::uint8_t pixel[4] = {};
    glReadPixels(199, 123, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(std::vector<int>(pixel, pixel + 4), (std::vector<int>{0, 255, 0, 255}));
    // Attaching what was never made fails before anything is bound.
    FrameBufferObject other;
    EXPECT_THROW(other.attachTexture(GL_COLOR_ATTACHMENT0, Texture()), UninitializedException);
    EXPECT_THROW(other.attachRenderBuffer(GL_DEPTH_ATTACHMENT, RenderBufferObject()), UninitializedException);
    EXPECT_FALSE(other.isCreated());
}

// The antialiasing path: a target of twice the size blitted down with
// linear filtering averages each 2 x 2 block.
TEST_F(GLTest, HalvingBlitAveragesTwoByTwoBlocks) {
    const std::uint32_t w = 12, h = 8;
    std::vector<std::uint8_t> source(std::size_t(2 * w) * 2 * h * 4);
    std::uint32_t state = 12345;
    for (auto& b : source) {
        state = state * 1664525u + 1013904223u;
        b = std::uint8_t(state >> 24);
    }
    RenderTarget small(w, h);
    Texture large;
    large.uploadRaw(GL_RGBA8, 2 * w, 2 * h, GL_RGBA, GL_UNSIGNED_BYTE, source.data());
    FrameBufferObject read;
    read.attachTexture(GL_COLOR_ATTACHMENT0, large, GL_READ_FRAMEBUFFER);
    read.setSize(Tuple<2, unsigned int>(2 * w, 2 * h));
    read.bindChecked(GL_READ_FRAMEBUFFER);
    small.frameBuffer.bind(GL_DRAW_FRAMEBUFFER);
    glBlitFramebuffer(0, 0, 2 * w, 2 * h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    small.frameBuffer.bindUnchecked(GL_READ_FRAMEBUFFER);
    const std::vector<std::uint8_t> result = small.read();
    int worst = 0;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            for (std::uint32_t c = 0; c < 4; ++c) {
                double sum = 0;
                for (std::uint32_t dy = 0; dy < 2; ++dy)
                    for (std::uint32_t dx = 0; dx < 2; ++dx)
                        sum += source[((std::size_t(2 * y + dy) * 2 * w) + 2 * x + dx) * 4 + c];
                const int expected = int(std::lround(sum / 4));
                const int got = RenderTarget::pixel(result, w, x, y)[c];
                worst = std::max(worst, std::abs(got - expected));
            }
    EXPECT_LE(worst, 2);
}
