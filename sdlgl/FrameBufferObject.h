#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>

#include "geometry/Tuple.h"
#include "sdlgl/Object.h"

namespace TAVO::IK::SDLGL {

class RenderBufferObject;
class Texture;

// An off-screen render target: colour in a texture, other attachments in
// render buffers. Binding checks completeness and sets the viewport to the
// stored size. Made by the first attach and shared by copying.
class FrameBufferObject {
public:
    struct Resource {
        static void generate(GLuint& name) { glGenFramebuffers(1, &name); }
        static void release(GLuint name) { glDeleteFramebuffers(1, &name); }
        static const char* displayName() { return "Frame buffer object"; }
    };

    void create();
    bool isCreated() const { return static_cast<bool>(handle_); }
    // The viewport of bind; attachments keep their sizes.
    void setSize(const Tuple<2, unsigned int>& size);
    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }

    // Attach level 0 of a texture that exists, or a render buffer, at the
    // attachment point (GL_COLOR_ATTACHMENT0, ...) through the target.
    void attachTexture(GLenum attachment, const Texture& texture, GLenum target = GL_FRAMEBUFFER);
    void attachRenderBuffer(GLenum attachment, const RenderBufferObject& buffer, GLenum target = GL_FRAMEBUFFER);

    // Binds, tests completeness and sets the viewport to the stored size. An
    // incomplete buffer throws FrameBufferException "Frame buffer not
    // complete, status <hex>." and stays bound.
    void bind(GLenum target = GL_FRAMEBUFFER) const;
    // Binds without the test and without the viewport.
    void bindUnchecked(GLenum target = GL_FRAMEBUFFER) const;
    // Binds with the test, without the viewport.
    void bindChecked(GLenum target = GL_FRAMEBUFFER) const;
    // Binds the window's frame buffer (0).
    void unbind(GLenum target = GL_FRAMEBUFFER) const;
    // The same, and the viewport of the window's size.
    void unbindWithViewport(const Tuple<2, unsigned int>& windowSize, GLenum target = GL_FRAMEBUFFER) const;

    // The GL name; a frame buffer never made throws UninitializedException "frame buffer".
    GLuint id() const;

private:
    std::shared_ptr<Object<Resource>> handle_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
};

} // namespace TAVO::IK::SDLGL
