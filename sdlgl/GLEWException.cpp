#include "sdlgl/GLEWException.h"

#include <GL/glew.h>

#include <cstring>

namespace TAVO::IK::SDLGL {

void GLEWException::print(std::ostream& out) const {
    // GLEW's own text, where it has one: it calls every code it does not name
    // "Unknown error", the missing GLX display among them.
    const GLubyte* text = glewGetErrorString(code_);
    const char* known = reinterpret_cast<const char*>(text);
    if (known != nullptr && *known != '\0' && std::strcmp(known, "Unknown error") != 0) {
        out << known;
        return;
    }
    out << "GLEW error " << code_ << " (";
    if (code_ == GLEW_ERROR_NO_GLX_DISPLAY)
        out << "no GLX display: the OpenGL context is not a GLX one";
    else
        out << "a code GLEW does not name";
    out << ')';
}

} // namespace TAVO::IK::SDLGL
