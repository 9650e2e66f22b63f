#include "sdlgl/VertexBufferObject.h"

#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/Buffer.h"
#include "sdlgl/Checks.h"

namespace TAVO::IK::SDLGL {

void VertexBufferObject::create() {
    if (!handle_)
        handle_ = std::make_shared<Holder>();
}

void VertexBufferObject::setData(const Buffer& data, GLenum usage) {
    create();
    bind();
    glBufferData(target_, GLsizeiptr(data.size()), data.data(), usage);
    checkGLError();
    handle_->size = data.size();
}

GLuint VertexBufferObject::id() const {
    if (!handle_)
        throw UninitializedException(SourceLocation(), "vertex buffer");
    return handle_->name();
}

void VertexBufferObject::bindTo(GLenum target) const {
    glBindBuffer(target, id());
    checkGLError();
}

void VertexBufferObject::unbind() const {
    glBindBuffer(target_, 0);
    checkGLError();
}

void VertexBufferObject::release() {
    handle_.reset();
}

} // namespace TAVO::IK::SDLGL
