#include "sdlgl/GLEWException.h"

#include <GL/glew.h>

namespace TAVO::IK::SDLGL {

void GLEWException::print(std::ostream& out) const {
    const GLubyte* text = glewGetErrorString(code_);
    if (text != nullptr)
        out << reinterpret_cast<const char*>(text);
}

} // namespace TAVO::IK::SDLGL
