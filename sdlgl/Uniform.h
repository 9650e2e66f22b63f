#pragma once

#include <GL/glew.h>

#include <string>

#include "geometry/ComponentStorage.h"
#include "geometry/MatrixLight.h"
#include "geometry/Tuple.h"

namespace TAVO {
class Color;
}

namespace TAVO::IK::SDLGL {

class Program;

// The location of one uniform of a program, looked up once by name. Every
// setter sends its value to the program in use (the caller calls
// Program::use first) and checks for an OpenGL error. Matrices are given row
// by row and sent transposed.
class Uniform {
public:
    // No location: every setter throws UninitializedException "uniform".
    Uniform() = default;
    // Throws ShaderException "Could not find uniform location, <name>. " for
    // a name the program does not use (one the compiler removed included).
    Uniform(const Program& program, const std::string& name);

    GLint location() const { return location_; }

    void setMatrix2(const MatrixLight<2, 2, float>& matrix) const;
    void setMatrix3(const MatrixLight<3, 3, float>& matrix) const;
    void setMatrix4(const MatrixLight<4, 4, float>& matrix) const;
    // Two or three floats: a point, a vector or a tuple.
    template <class S>
    void setVector2(const ComponentStorage<2, float, S>& value) const {
        const float v[2] = {value[0], value[1]};
        setVector2(v);
    }
    template <class S>
    void setVector3(const ComponentStorage<3, float, S>& value) const {
        const float v[3] = {value[0], value[1], value[2]};
        setVector3(v);
    }
    void setVector2(const float* values) const;
    void setVector3(const float* values) const;
    void setVector4(const Tuple<4, float>& value) const;
    // Red, green, blue and 1.
    void setColor(const Color& color) const;
    // Also sampler units.
    void setInt(GLint value) const;
    void setUnsigned(GLuint value) const;
    void setFloat(GLfloat value) const;

    // Setters that look the location up by name on every call (same failure
    // as the constructor), for the program in use.
    static void setInt(const Program& program, const std::string& name, GLint value);
    static void setFloat(const Program& program, const std::string& name, GLfloat value);
    static void setIntVector(const Program& program, const std::string& name, int count, const GLint* values);
    static void setVector(const Program& program, const std::string& name, int count, const GLfloat* values);

private:
    GLint checkedLocation() const;

    GLint location_ = -1;
};

} // namespace TAVO::IK::SDLGL
