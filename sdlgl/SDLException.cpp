#include "sdlgl/SDLException.h"

#include <SDL.h>

namespace TAVO::IK::SDLGL {

SDLException::SDLException(SourceLocation location, std::int32_t code)
    : Exception(location), code_(code), text_(SDL_GetError()) {}

void SDLException::print(std::ostream& out) const {
    out << "SDL error ";
    if (code_ != 0)
        out << '(' << code_ << ") ";
    out << "- " << text_;
}

} // namespace TAVO::IK::SDLGL
