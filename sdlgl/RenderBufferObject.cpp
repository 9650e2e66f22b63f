#include "sdlgl/RenderBufferObject.h"

#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/Checks.h"

namespace TAVO::IK::SDLGL {

void RenderBufferObject::setStorage(GLenum internalFormat, GLsizei width, GLsizei height) {
    if (!handle_)
        handle_ = std::make_shared<Object<Resource>>();
    bind();
    glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, width, height);
    checkGLError();
}

GLuint RenderBufferObject::id() const {
    if (!handle_)
        throw UninitializedException(SourceLocation(), "render buffer");
    return handle_->name();
}

void RenderBufferObject::bind() const {
    glBindRenderbuffer(GL_RENDERBUFFER, id());
    checkGLError();
}

} // namespace TAVO::IK::SDLGL
