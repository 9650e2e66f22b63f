#include "sdlgl/GLException.h"

namespace TAVO::IK::SDLGL {

const char* GLException::codeName(std::uint32_t code) {
    switch (code) {
    case 0:
        return "no error?";
    case 0x500:
        return "invalid enum";
    case 0x501:
        return "invalid value";
    case 0x502:
        return "invalid operation";
    case 0x503:
        return "stack overflow";
    case 0x504:
        return "stack underflow";
    case 0x505:
        return "out of memory";
    default:
        return "unrecognized";
    }
}

void GLException::print(std::ostream& out) const { out << "OpenGL error occured: " << codeName(code_); }

} // namespace TAVO::IK::SDLGL
