#include "sdlgl/Shader.h"

#include <vector>

#include "sdlgl/Checks.h"
#include "sdlgl/ShaderException.h"

namespace TAVO::IK::SDLGL {

Shader::Holder::~Holder() {
    if (name != 0 && currentContext() == context)
        glDeleteShader(name);
}

Shader::Shader(const std::string& text, GLenum type, std::ostream& log) {
    checkContext();
    const GLuint name = glCreateShader(type);
    if (name == 0) {
        checkGLError();
        throw ShaderException(SourceLocation(), "Failed to create shader object. ");
    }
    // Owns the name from here on: any throw below deletes it.
    auto holder = std::make_shared<Holder>(name, type, currentContext());

    const GLchar* source = text.data();
    const GLint length = GLint(text.size());
    glShaderSource(name, 1, &source, &length);
    checkGLError();
    glCompileShader(name);
    checkGLError();

    GLint logLength = 0;
    glGetShaderiv(name, GL_INFO_LOG_LENGTH, &logLength);
    checkGLError();
    if (logLength > 0) {
        std::vector<GLchar> info(std::size_t(logLength) + 1, 0);
        GLsizei written = 0;
        glGetShaderInfoLog(name, logLength, &written, info.data());
        checkGLError();
        log.write(info.data(), written);
    }

    GLint status = GL_FALSE;
    glGetShaderiv(name, GL_COMPILE_STATUS, &status);
    checkGLError();
    if (status == GL_TRUE)
        holder_ = std::move(holder);
}

} // namespace TAVO::IK::SDLGL
