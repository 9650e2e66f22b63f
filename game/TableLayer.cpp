#include "game/TableLayer.h"

#include <GL/glew.h>

#include "foundation/exceptions/Exception.h"
#include "sdlgl/Checks.h"

using TAVO::IK::SDLGL::checkGLError;

TableLayer::Target TableLayer::currentTarget() {
    Target target;
    GLint draw = 0, read = 0, sampleBuffers = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_VIEWPORT, target.viewport);
    // That of the frame buffer bound for drawing.
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    checkGLError();
    target.draw = draw;
    target.read = read;
    target.multisampled = sampleBuffers > 0;
    return target;
}

void TableLayer::bindTarget() const {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(target_.draw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(target_.read));
    glViewport(target_.viewport[0], target_.viewport[1], target_.viewport[2], target_.viewport[3]);
    checkGLError();
}

TableLayer::Step TableLayer::prepare(Record record) {
    target_ = currentTarget();
    if (target_.multisampled) {
        forget();
        return Step::draw;
    }
    record.push_back(std::uint32_t(target_.draw));
    for (std::int32_t value : target_.viewport)
        record.push_back(std::uint32_t(value));
    if (record != last_) {
        last_ = std::move(record);
        holds_ = false;
        return Step::draw;
    }
    if (holds_)
        return Step::copy;
    return reserve() ? Step::keep : Step::draw;
}

bool TableLayer::reserve() {
    const std::int32_t width = target_.viewport[2], height = target_.viewport[3];
    if (width <= 0 || height <= 0)
        return false;
    if (texture_.isCreated() && width_ == std::uint32_t(width) && height_ == std::uint32_t(height))
        return true;
    // A size the driver refused once is not asked for again every frame.
    if (refusedWidth_ == std::uint32_t(width) && refusedHeight_ == std::uint32_t(height))
        return false;
    texture_ = TAVO::IK::SDLGL::Texture();
    frameBuffer_ = TAVO::IK::SDLGL::FrameBufferObject();
    width_ = height_ = 0;
    bool made = false;
    try {
        TAVO::IK::SDLGL::Texture texture;
        texture.uploadRaw(GL_RGBA8, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        TAVO::IK::SDLGL::FrameBufferObject frameBuffer;
        frameBuffer.attachTexture(GL_COLOR_ATTACHMENT0, texture);
        made = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        checkGLError();
        if (made) {
            texture_ = texture;
            frameBuffer_ = frameBuffer;
            width_ = std::uint32_t(width);
            height_ = std::uint32_t(height);
        }
    } catch (const TAVO::Exception&) {
        made = false;
    }
    if (!made) {
        // What failed is not left pending for the next check.
        while (glGetError() != GL_NO_ERROR) {
        }
        refusedWidth_ = std::uint32_t(width);
        refusedHeight_ = std::uint32_t(height);
    }
    bindTarget();
    return made;
}

void TableLayer::keep() {
    const GLint x = target_.viewport[0], y = target_.viewport[1];
    const GLint w = GLint(width_), h = GLint(height_);
    frameBuffer_.bindUnchecked(GL_DRAW_FRAMEBUFFER);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(target_.draw));
    glBlitFramebuffer(x, y, x + w, y + h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    bindTarget();
    holds_ = true;
}

void TableLayer::copy() const {
    const GLint x = target_.viewport[0], y = target_.viewport[1];
    const GLint w = GLint(width_), h = GLint(height_);
    frameBuffer_.bindUnchecked(GL_READ_FRAMEBUFFER);
    glBlitFramebuffer(0, 0, w, h, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(target_.read));
    checkGLError();
}

void TableLayer::forget() {
    last_.clear();
    holds_ = false;
}
