#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace TAVO::IK::SDLGL {

// One compiled GLSL shader, shared by copying; the last copy deletes it.
// Empty when compilation failed.
class Shader {
public:
    struct Holder {
        GLuint name = 0;
        GLenum type = 0;
        // The context the shader belongs to; it is deleted only while that is current.
        std::uint64_t context = 0;
        Holder(GLuint n, GLenum t, std::uint64_t c) : name(n), type(t), context(c) {}
        ~Holder();
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
    };

    Shader() = default;
    // Compiles the text as a shader of the type and writes the driver's info
    // log, if any, to the log stream. A failed compilation leaves the shader
    // empty. Throws ShaderException "Failed to create shader object. " and
    // GLException; no GL object outlives a throw.
    Shader(const std::string& text, GLenum type, std::ostream& log);

    bool empty() const { return !holder_; }
    explicit operator bool() const { return !empty(); }
    // 0 for an empty shader.
    GLuint name() const { return holder_ ? holder_->name : 0; }
    GLenum type() const { return holder_ ? holder_->type : 0; }

private:
    std::shared_ptr<Holder> holder_;
};

} // namespace TAVO::IK::SDLGL
