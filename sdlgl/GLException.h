#pragma once

#include <cstdint>

#include "foundation/exceptions/Exception.h"

namespace TAVO::IK::SDLGL {

// An OpenGL error code taken from glGetError: "OpenGL error occured: " and the
// code's name ("invalid enum", "out of memory", ...; "unrecognized" for a code
// outside the table).
class GLException : public Exception {
public:
    GLException(SourceLocation location, std::uint32_t code) : Exception(location), code_(code) {}

    void print(std::ostream& out) const override;
    Exception* clone() const override { return new GLException(*this); }

    std::uint32_t code() const { return code_; }
    // The name of a GL error code as the message writes it.
    static const char* codeName(std::uint32_t code);

private:
    std::uint32_t code_;
};

} // namespace TAVO::IK::SDLGL
