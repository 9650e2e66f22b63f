#include "sdlgl/Program.h"

#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Shader.h"
#include "sdlgl/ShaderException.h"

namespace TAVO::IK::SDLGL {

Program::Holder::~Holder() {
    if (name != 0 && currentContext() == context)
        glDeleteProgram(name);
}

Program::Program(const std::vector<Shader>& shaders, std::ostream& log) {
    checkContext();
    const GLuint name = glCreateProgram();
    if (name == 0) {
        checkGLError();
        throw ShaderException(SourceLocation(), "Failed to create program object. ");
    }
    // Owns the name from here on: deleting the program also detaches its shaders.
    auto holder = std::make_shared<Holder>(name, currentContext());

    for (const Shader& shader : shaders) {
        glAttachShader(name, shader.name());
        checkGLError();
    }
    glLinkProgram(name);
    checkGLError();

    GLint logLength = 0;
    glGetProgramiv(name, GL_INFO_LOG_LENGTH, &logLength);
    checkGLError();
    if (logLength > 0) {
        std::vector<GLchar> info(std::size_t(logLength) + 1, 0);
        GLsizei written = 0;
        glGetProgramInfoLog(name, logLength, &written, info.data());
        checkGLError();
        log.write(info.data(), written);
    }

    GLint status = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &status);
    checkGLError();
    for (const Shader& shader : shaders) {
        glDetachShader(name, shader.name());
        checkGLError();
    }
    if (status == GL_TRUE)
        holder_ = std::move(holder);
}

void Program::use() const {
    glUseProgram(name());
    checkGLError();
}

GLint Program::attributeLocation(const std::string& name) const {
    if (empty())
        throw UninitializedException(SourceLocation(), "program");
    const GLint location = glGetAttribLocation(holder_->name, name.c_str());
    checkGLError();
    if (location == -1)
        throw ShaderException(SourceLocation(), "Could not find attribute location, " + name + ". ");
    return location;
}

GLint Program::uniformLocation(const std::string& name) const {
    if (empty())
        throw UninitializedException(SourceLocation(), "program");
    const GLint location = glGetUniformLocation(holder_->name, name.c_str());
    checkGLError();
    if (location == -1)
        throw ShaderException(SourceLocation(), "Could not find uniform location, " + name + ". ");
    return location;
}

} // namespace TAVO::IK::SDLGL
