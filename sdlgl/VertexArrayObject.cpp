#include "sdlgl/VertexArrayObject.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/Checks.h"

namespace TAVO::IK::SDLGL {

void VertexArrayObject::create() {
    if (!handle_)
        handle_ = std::make_shared<Object<Resource>>();
}

GLuint VertexArrayObject::id() const {
    if (!handle_)
        throw UninitializedException(SourceLocation(), "vertex array");
    return handle_->name();
}

void VertexArrayObject::bind() const {
    glBindVertexArray(id());
    checkGLError();
}

void VertexArrayObject::unbind() const {
    glBindVertexArray(0);
    checkGLError();
}

void VertexArrayObject::setAttribute(const std::string& name, const VertexBufferObject& buffer, GLint components,
                                     GLenum type, bool normalise, GLsizei stride, std::uint32_t offset) {
    create();
    bind();
    const GLint location = program_.attributeLocation(name);
    // Attributes read from the array binding whatever the buffer's own
    // target: with nothing bound there, the offset would be a client pointer.
    buffer.bindTo(GL_ARRAY_BUFFER);
    glEnableVertexAttribArray(GLuint(location));
    checkGLError();
    glVertexAttribPointer(GLuint(location), components, type, normalise ? GL_TRUE : GL_FALSE, stride,
                          reinterpret_cast<const void*>(std::uintptr_t(offset)));
    checkGLError();
    attributes_.insert_or_assign(name, buffer);
}

void VertexArrayObject::setGeometry(GLenum mode, std::uint32_t count) {
    indexBuffer_.release();
    indexType_ = GL_INVALID_VALUE;
    indexSize_ = 0;
    mode_ = mode;
    count_ = count;
}

void VertexArrayObject::setIndexedGeometry(const VertexBufferObject& indices, GLenum type, GLenum mode,
                                           std::uint32_t count) {
    std::uint32_t size = 0;
    switch (type) {
    case GL_UNSIGNED_BYTE:
        size = 1;
        break;
    case GL_UNSIGNED_SHORT:
        size = 2;
        break;
    case GL_UNSIGNED_INT:
        size = 4;
        break;
    default:
        throw SupportException(SourceLocation(), "GL geometry type");
    }
    // Without a GL buffer the draw's offset would be read as a client pointer.
    if (!indices.isCreated())
        throw UninitializedException(SourceLocation(), "index buffer");
    indexBuffer_ = indices;
    indexType_ = type;
    indexSize_ = size;
    mode_ = mode;
    count_ = count;
}

void VertexArrayObject::drawRange(std::uint32_t first, std::uint32_t count) const {
    bind();
    if (indexType_ != GL_INVALID_VALUE) {
        const std::uint64_t end = (std::uint64_t(first) + count) * indexSize_;
        if (end > indexBuffer_.size())
            throw BoundException<unsigned long long>(SourceLocation(), end, indexBuffer_.size());
        indexBuffer_.bindTo(GL_ELEMENT_ARRAY_BUFFER);
        glDrawElements(mode_, GLsizei(count), indexType_,
                       reinterpret_cast<const void*>(std::uintptr_t(first) * indexSize_));
    } else {
        glDrawArrays(mode_, GLint(first), GLsizei(count));
    }
    checkGLError();
}

void VertexArrayObject::release() {
    handle_.reset();
    attributes_.clear();
    indexBuffer_.release();
    indexType_ = GL_INVALID_VALUE;
    indexSize_ = 0;
}

} // namespace TAVO::IK::SDLGL
