#include "sdlgl/Checks.h"

#include <GL/glew.h>
#include <SDL.h>

#include "foundation/exceptions/UninitializedException.h"
#include "sdlgl/GLEWException.h"
#include "sdlgl/GLException.h"
#include "sdlgl/SDLException.h"

namespace TAVO::IK::SDLGL {

std::uint32_t checkGLError(SourceLocation location) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        throw GLException(location, code);
    return 0;
}

void checkSDL(SourceLocation location, int result) {
    if (result != 0)
        throw SDLException(location, result);
}

void checkGLEW(SourceLocation location, std::uint32_t result) {
    if (result != 0)
        throw GLEWException(location, result);
}

namespace {

std::uint64_t madeContexts = 0;
std::uint64_t liveContext = 0;

} // namespace

std::uint64_t currentContext() {
    // glGenVertexArrays is the newest entry point the framework needs; GLEW
    // leaves it null until glewInit ran on a 3.0 context.
    if (liveContext == 0 || glGenVertexArrays == nullptr || SDL_GL_GetCurrentContext() == nullptr)
        return 0;
    return liveContext;
}

bool contextCurrent() { return currentContext() != 0; }

void contextMade() { liveContext = ++madeContexts; }

void contextGone() { liveContext = 0; }

void checkContext() {
    if (!contextCurrent())
        throw UninitializedException(SourceLocation(), "OpenGL context");
}

} // namespace TAVO::IK::SDLGL
