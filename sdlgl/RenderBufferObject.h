#pragma once

#include <GL/glew.h>

#include <memory>

#include "sdlgl/Object.h"

namespace TAVO::IK::SDLGL {

// Storage for a frame buffer attachment (depth, or colour that is never
// sampled), made when its storage is first set and shared by copying.
class RenderBufferObject {
public:
    struct Resource {
        static void generate(GLuint& name) { glGenRenderbuffers(1, &name); }
        static void release(GLuint name) { glDeleteRenderbuffers(1, &name); }
        static const char* displayName() { return "Render buffer object"; }
    };

    // Makes the render buffer on first use, then allocates width x height of the format.
    void setStorage(GLenum internalFormat, GLsizei width, GLsizei height);

    bool isCreated() const { return static_cast<bool>(handle_); }
    // The GL name; a render buffer never made throws UninitializedException "render buffer".
    GLuint id() const;
    void bind() const;

private:
    std::shared_ptr<Object<Resource>> handle_;
};

} // namespace TAVO::IK::SDLGL
