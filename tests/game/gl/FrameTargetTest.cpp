// Frames drawn into the window directly or through the antialiasing target
// of twice its size.
#include <GL/glew.h>

#include <array>
#include <vector>

#include "game/FrameTarget.h"
#include "support/gl/GLTest.h"

using KestruneGLTest::GLTest;
using KestruneGLTest::RenderTarget;
using TAVO::Tuple;

namespace {

constexpr std::uint32_t w = 64;
constexpr std::uint32_t h = 48;

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

GLint binding(GLenum which) {
    GLint name = -1;
    glGetIntegerv(which, &name);
    return name;
}

// The left half of the viewport in red, by scissored clearing.
void paintLeftHalf() {
    const std::array<GLint, 4> v = viewport();
    glEnable(GL_SCISSOR_TEST);
    glScissor(v[0], v[1], v[2] / 2, v[3]);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

} // namespace

// The first size reported sets the viewport, and every frame starts from
// black whatever the last one left.
TEST_F(GLTest, FramesStartClearedInTheWindowsViewport) {
    FrameTarget frame(false);
    frame.resize(Tuple<2, unsigned int>(w, h));
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, GLint(w), GLint(h)}));
    frame.resize(Tuple<2, unsigned int>(0, h));
    EXPECT_EQ(frame.windowSize()[0], w);

    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, 5, 5);
    frame.begin();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, GLint(w), GLint(h)}));
    frame.end();
    const std::vector<std::uint8_t> pixels = windowPixels(w, h);
    EXPECT_EQ(RenderTarget::pixel(pixels, w, w - 1, h - 1)[1], 0);
    EXPECT_FALSE(frame.texture().isCreated());
}

// With antialiasing the frame is drawn at twice the size and blitted down;
// afterwards the window is bound for reading and drawing again.
TEST_F(GLTest, AntialiasedFramesAreBlittedDownIntoTheWindow) {
    FrameTarget frame(true);
    frame.resize(Tuple<2, unsigned int>(w, h));
    EXPECT_EQ(frame.frameBuffer().width(), 2 * w);
    EXPECT_EQ(frame.frameBuffer().height(), 2 * h);
    frame.begin();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, GLint(2 * w), GLint(2 * h)}));
    EXPECT_EQ(binding(GL_DRAW_FRAMEBUFFER_BINDING), GLint(frame.frameBuffer().id()));
    paintLeftHalf();
    frame.end();
    EXPECT_EQ(binding(GL_READ_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(binding(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, GLint(w), GLint(h)}));
    const std::vector<std::uint8_t> pixels = windowPixels(w, h);
    EXPECT_EQ(RenderTarget::pixel(pixels, w, 3, 3)[0], 255);
    EXPECT_EQ(RenderTarget::pixel(pixels, w, w - 3, 3)[0], 0);
    EXPECT_EQ(RenderTarget::pixel(pixels, w, w - 3, 3)[3], 255);

    // A new size makes the target anew at twice that size.
    frame.resize(Tuple<2, unsigned int>(40, 30));
    EXPECT_EQ(frame.frameBuffer().width(), 80u);
    GLint width = 0;
    frame.texture().bind();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 80);

    // A window whose double the driver cannot make is drawn without antialiasing.
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    frame.resize(Tuple<2, unsigned int>(std::uint32_t(limit), h));
    EXPECT_FALSE(frame.frameBuffer().isCreated());
    frame.begin();
    EXPECT_EQ(binding(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    frame.end();
}
