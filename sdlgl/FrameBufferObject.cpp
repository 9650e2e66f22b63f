#include "sdlgl/FrameBufferObject.h"

#include <sstream>

#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/Checks.h"
#include "sdlgl/FrameBufferException.h"
#include "sdlgl/RenderBufferObject.h"
#include "sdlgl/Texture.h"

namespace TAVO::IK::SDLGL {

void FrameBufferObject::create() {
    if (!handle_)
        handle_ = std::make_shared<Object<Resource>>();
}

void FrameBufferObject::setSize(const Tuple<2, unsigned int>& size) {
    width_ = size[0];
    height_ = size[1];
}

GLuint FrameBufferObject::id() const {
    if (!handle_)
        throw UninitializedException(SourceLocation(), "frame buffer");
    return handle_->name();
}

void FrameBufferObject::attachTexture(GLenum attachment, const Texture& texture, GLenum target) {
    const GLuint name = texture.id();
    create();
    bindUnchecked(target);
    glFramebufferTexture2D(target, attachment, GL_TEXTURE_2D, name, 0);
    checkGLError();
}

void FrameBufferObject::attachRenderBuffer(GLenum attachment, const RenderBufferObject& buffer, GLenum target) {
    const GLuint name = buffer.id();
    create();
    bindUnchecked(target);
    glFramebufferRenderbuffer(target, attachment, GL_RENDERBUFFER, name);
    checkGLError();
}

void FrameBufferObject::bindUnchecked(GLenum target) const {
    glBindFramebuffer(target, id());
    checkGLError();
}

void FrameBufferObject::bindChecked(GLenum target) const {
    bindUnchecked(target);
    const GLenum status = glCheckFramebufferStatus(target);
    checkGLError();
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        std::ostringstream text;
        text << "Frame buffer not complete, status " << std::hex << status << ".";
        throw FrameBufferException(SourceLocation(), text.str());
    }
}

void FrameBufferObject::bind(GLenum target) const {
    bindChecked(target);
    glViewport(0, 0, GLsizei(width_), GLsizei(height_));
    checkGLError();
}

void FrameBufferObject::unbind(GLenum target) const {
    glBindFramebuffer(target, 0);
    checkGLError();
}

void FrameBufferObject::unbindWithViewport(const Tuple<2, unsigned int>& windowSize, GLenum target) const {
    unbind(target);
    glViewport(0, 0, GLsizei(windowSize[0]), GLsizei(windowSize[1]));
    checkGLError();
}

} // namespace TAVO::IK::SDLGL
