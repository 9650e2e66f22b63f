#include "sdlgl/Uniform.h"

#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "geometry/Color.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Program.h"

namespace TAVO::IK::SDLGL {

Uniform::Uniform(const Program& program, const std::string& name)
    : location_(program.uniformLocation(name)) {}

GLint Uniform::checkedLocation() const {
    if (location_ < 0)
        throw UninitializedException(SourceLocation(), "uniform");
    return location_;
}

void Uniform::setMatrix2(const MatrixLight<2, 2, float>& matrix) const {
    glUniformMatrix2fv(checkedLocation(), 1, GL_TRUE, matrix.data());
    checkGLError();
}

void Uniform::setMatrix3(const MatrixLight<3, 3, float>& matrix) const {
    glUniformMatrix3fv(checkedLocation(), 1, GL_TRUE, matrix.data());
    checkGLError();
}

void Uniform::setMatrix4(const MatrixLight<4, 4, float>& matrix) const {
    glUniformMatrix4fv(checkedLocation(), 1, GL_TRUE, matrix.data());
    checkGLError();
}

void Uniform::setVector2(const float* values) const {
    glUniform2fv(checkedLocation(), 1, values);
    checkGLError();
}

void Uniform::setVector3(const float* values) const {
    glUniform3fv(checkedLocation(), 1, values);
    checkGLError();
}

void Uniform::setVector4(const Tuple<4, float>& value) const {
    const float v[4] = {value[0], value[1], value[2], value[3]};
    glUniform4fv(checkedLocation(), 1, v);
    checkGLError();
}

void Uniform::setColor(const Color& color) const {
    const float v[4] = {color.rgb()[0], color.rgb()[1], color.rgb()[2], 1.0f};
    glUniform4fv(checkedLocation(), 1, v);
    checkGLError();
}

void Uniform::setInt(GLint value) const {
    glUniform1i(checkedLocation(), value);
    checkGLError();
}

void Uniform::setUnsigned(GLuint value) const {
    glUniform1ui(checkedLocation(), value);
    checkGLError();
}

void Uniform::setFloat(GLfloat value) const {
    glUniform1f(checkedLocation(), value);
    checkGLError();
}

void Uniform::setInt(const Program& program, const std::string& name, GLint value) {
    glUniform1i(program.uniformLocation(name), value);
    checkGLError();
}

void Uniform::setFloat(const Program& program, const std::string& name, GLfloat value) {
    glUniform1f(program.uniformLocation(name), value);
    checkGLError();
}

void Uniform::setIntVector(const Program& program, const std::string& name, int count, const GLint* values) {
    const GLint location = program.uniformLocation(name);
    switch (count) {
    case 2:
        glUniform2iv(location, 1, values);
        break;
    case 3:
        glUniform3iv(location, 1, values);
        break;
    case 4:
        glUniform4iv(location, 1, values);
        break;
    default:
        throw SupportException(SourceLocation(), "integer uniform vectors of other than 2, 3 or 4 components");
    }
    checkGLError();
}

void Uniform::setVector(const Program& program, const std::string& name, int count, const GLfloat* values) {
    const GLint location = program.uniformLocation(name);
    switch (count) {
    case 2:
        glUniform2fv(location, 1, values);
        break;
    case 3:
        glUniform3fv(location, 1, values);
        break;
    case 4:
        glUniform4fv(location, 1, values);
        break;
    default:
        throw SupportException(SourceLocation(), "uniform vectors of other than 2, 3 or 4 components");
    }
    checkGLError();
}

} // namespace TAVO::IK::SDLGL
