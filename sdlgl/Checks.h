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

// The application's context: a number of its own for every context the
// application makes (a new context may reuse the address of an old one), 0
// while there is none or it is not current. GL objects remember the context
// they were made in and are deleted only while it is current. Main thread only.
std::uint64_t currentContext();
// True when currentContext() is not 0.
bool contextCurrent();
// The application reports its context made and about to be deleted.
void contextMade();
void contextGone();
// Throws UninitializedException "OpenGL context" unless contextCurrent(): GL
// objects made before the application exists fail clearly instead of calling
// through entry points that were never loaded.
void checkContext();

} // namespace TAVO::IK::SDLGL
