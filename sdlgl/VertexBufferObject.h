#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>

#include "sdlgl/Object.h"

namespace TAVO {
class Buffer;
}

namespace TAVO::IK::SDLGL {

// Vertex or index data in an OpenGL buffer, made on first use and shared by
// copying (copies share the GL buffer and copy the target).
class VertexBufferObject {
public:
    struct Resource {
        static void generate(GLuint& name) { glGenBuffers(1, &name); }
        static void release(GLuint name) { glDeleteBuffers(1, &name); }
        static const char* displayName() { return "Vertex buffer object"; }
    };

    // GL_ARRAY_BUFFER for vertex data, GL_ELEMENT_ARRAY_BUFFER for indices.
    explicit VertexBufferObject(GLenum target = GL_ARRAY_BUFFER) : target_(target) {}

    void create();
    bool isCreated() const { return static_cast<bool>(handle_); }
    // Replaces the whole content with the buffer's bytes.
    void setData(const Buffer& data, GLenum usage);

    GLenum target() const { return target_; }
    // The byte count of the last setData through any copy.
    std::uint32_t size() const { return handle_ ? handle_->size : 0; }
    // The GL name; a buffer never made throws UninitializedException "vertex buffer".
    GLuint id() const;
    // Binds to its own target, or to the one given; same failure as id.
    void bind() const { bindTo(target_); }
    void bindTo(GLenum target) const;
    void unbind() const;
    // Drops this copy's share of the GL buffer.
    void release();

private:
    // The GL buffer and the size of its data, shared by the copies.
    struct Holder : Object<Resource> {
        std::uint32_t size = 0;
    };

    std::shared_ptr<Holder> handle_;
    GLenum target_;
};

} // namespace TAVO::IK::SDLGL
