#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace TAVO::IK::SDLGL {

class Shader;

// One linked GLSL program, shared by copying; the last copy deletes it.
// Empty when linking failed.
class Program {
public:
    struct Holder {
        GLuint name = 0;
        // The context the program belongs to; it is deleted only while that is current.
        std::uint64_t context = 0;
        Holder(GLuint n, std::uint64_t c) : name(n), context(c) {}
        ~Holder();
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
    };

    Program() = default;
    // Links the shaders (attached in list order, detached afterwards) and
    // writes the driver's info log, if any, to the log stream. A failed link
    // leaves the program empty. Throws ShaderException "Failed to create
    // program object. " and GLException; no GL object outlives a throw.
    Program(const std::vector<Shader>& shaders, std::ostream& log);

    bool empty() const { return !holder_; }
    explicit operator bool() const { return !empty(); }
    // 0 for an empty program.
    GLuint name() const { return holder_ ? holder_->name : 0; }

    // glUseProgram with the program, or 0 for an empty one.
    void use() const;
    // The location of an active attribute or uniform. A name the program does
    // not use throws ShaderException "Could not find attribute location, <name>. "
    // (or "uniform"); an empty program throws UninitializedException "program".
    GLint attributeLocation(const std::string& name) const;
    GLint uniformLocation(const std::string& name) const;

private:
    std::shared_ptr<Holder> holder_;
};

} // namespace TAVO::IK::SDLGL
