#pragma once

#include <cstdint>

#include "foundation/exceptions/Exception.h"

namespace TAVO::IK::SDLGL {

// A failure of GLEW; the message is GLEW's own text for the code, or where
// GLEW has none the code with its meaning.
class GLEWException : public Exception {
public:
    GLEWException(SourceLocation location, std::uint32_t code) : Exception(location), code_(code) {}

    void print(std::ostream& out) const override;
    Exception* clone() const override { return new GLEWException(*this); }

    std::uint32_t code() const { return code_; }

private:
    std::uint32_t code_;
};

} // namespace TAVO::IK::SDLGL
