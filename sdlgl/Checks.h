#pragma once

#include <cstdint>

#include "foundation/exceptions/SourceLocation.h"

namespace TAVO::IK::SDLGL {

// The checks that follow every call into OpenGL, SDL and GLEW.

// Takes the first pending OpenGL error, if any, and throws GLException with
// it; returns 0 otherwise.
std::uint32_t checkGLError(SourceLocation location = SourceLocation());
// Throws SDLException for any result other than 0.
void checkSDL(SourceLocation location, int result);
// Throws GLEWException for any result other than 0.
void checkGLEW(SourceLocation location, std::uint32_t result);

// True when an OpenGL context is current on this thread and its entry points
// have been loaded.
bool contextCurrent();
// Throws UninitializedException "OpenGL context" unless contextCurrent(): GL
// objects made before the application exists fail clearly instead of calling
// through entry points that were never loaded.
void checkContext();

} // namespace TAVO::IK::SDLGL
