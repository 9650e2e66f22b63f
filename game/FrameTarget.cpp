#include "game/FrameTarget.h"

#include <GL/glew.h>

#include <algorithm>

#include "sdlgl/Checks.h"

using TAVO::Tuple;

void FrameTarget::resize(const Tuple<2, unsigned int>& size) {
    if (size[0] == 0 || size[1] == 0)
        return;
    window_ = size;
    glViewport(0, 0, GLsizei(size[0]), GLsizei(size[1]));
    TAVO::IK::SDLGL::checkGLError();
    if (!antialiasing_)
        return;
    const Tuple<2, unsigned int> doubled(2 * size[0], 2 * size[1]);
    // A target the driver cannot make: this size is drawn straight into the
    // window. So is every frame of a multisampled window, which antialiases
    // itself: no blit copies into it.
    GLint textureLimit = 0;
    GLint viewportLimit[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportLimit);
    TAVO::IK::SDLGL::checkGLError();
    const std::uint64_t limit = std::uint64_t(std::min({textureLimit, viewportLimit[0], viewportLimit[1]}));
    if (size[0] > limit / 2 || size[1] > limit / 2 || windowMultisampled()) {
        texture_ = TAVO::IK::SDLGL::Texture();
        frameBuffer_ = TAVO::IK::SDLGL::FrameBufferObject();
        return;
    }
    TAVO::IK::SDLGL::Texture texture;
    texture.uploadRaw(GL_RGBA8, GLsizei(doubled[0]), GLsizei(doubled[1]), GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    TAVO::IK::SDLGL::checkGLError();
    texture.setFilter(GL_LINEAR);
    frameBuffer_.attachTexture(GL_COLOR_ATTACHMENT0, texture);
    frameBuffer_.setSize(doubled);
    frameBuffer_.unbind();
    texture_ = texture;
}

bool FrameTarget::windowMultisampled() {
    GLint bound = 0, sampleBuffers = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // That of the frame buffer bound for drawing.
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(bound));
    TAVO::IK::SDLGL::checkGLError();
    return sampleBuffers > 0;
}

void FrameTarget::begin(bool clear) {
    if (antialiasing_ && frameBuffer_.isCreated()) {
        frameBuffer_.bind();
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, GLsizei(window_[0]), GLsizei(window_[1]));
        TAVO::IK::SDLGL::checkGLError();
    }
    if (clear)
        FrameTarget::clear();
}

void FrameTarget::clear() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    TAVO::IK::SDLGL::checkGLError();
}

void FrameTarget::end() {
    if (!(antialiasing_ && frameBuffer_.isCreated()))
        return;
    frameBuffer_.unbindWithViewport(window_, GL_DRAW_FRAMEBUFFER);
    frameBuffer_.bindUnchecked(GL_READ_FRAMEBUFFER);
    const GLint w = GLint(window_[0]), h = GLint(window_[1]);
    glBlitFramebuffer(0, 0, 2 * w, 2 * h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    TAVO::IK::SDLGL::checkGLError();
    // Later reads (screenshots, thumbnails) must see the window, not the target.
    frameBuffer_.unbind(GL_READ_FRAMEBUFFER);
}
