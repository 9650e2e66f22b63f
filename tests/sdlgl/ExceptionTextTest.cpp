#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <memory>

#include "sdlgl/Checks.h"
#include "sdlgl/FrameBufferException.h"
#include "sdlgl/GLEWException.h"
#include "sdlgl/GLException.h"
#include "sdlgl/SDLException.h"
#include "sdlgl/ShaderBuildException.h"
#include "sdlgl/ShaderException.h"
#include "sdlgl/TextureException.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;

TEST(GLExceptionTest, NamesEveryCodeOfTheTable) {
    const std::pair<std::uint32_t, const char*> table[] = {
        {0, "no error?"},          {0x500, "invalid enum"},    {0x501, "invalid value"},
        {0x502, "invalid operation"}, {0x503, "stack overflow"}, {0x504, "stack underflow"},
        {0x505, "out of memory"},  {0x506, "unrecognized"},    {0x9999, "unrecognized"},
    };
    for (const auto& [code, name] : table)
        EXPECT_EQ(GLException(SourceLocation(), code).message(), std::string("OpenGL error occured: ") + name);
}

TEST(GLExceptionTest, DescriptionNamesTheClass) {
    EXPECT_EQ(GLException(SourceLocation(), GL_OUT_OF_MEMORY).describe(),
              "TAVO TAVO::IK::SDLGL::GLException: OpenGL error occured: out of memory\n");
}

TEST(SDLExceptionTest, CodeIsPrintedSignedWithSDLsText) {
    SDL_SetError("%s", "No available video device");
    EXPECT_EQ(SDLException(SourceLocation(), -1).message(), "SDL error (-1) - No available video device");
    SDL_SetError("%s", "other");
    const SDLException positive(SourceLocation(), 7);
    EXPECT_EQ(positive.message(), "SDL error (7) - other");
    // The text is taken when the exception is made.
    SDL_SetError("%s", "later");
    EXPECT_EQ(positive.text(), "other");
    EXPECT_EQ(SDLException(SourceLocation(), std::int32_t(0xFFFFFFFEu), "x").message(), "SDL error (-2) - x");
}

TEST(SDLExceptionTest, ANullPointerFailureHasNoCode) {
    EXPECT_EQ(SDLException(SourceLocation(), 0, "Couldn't find matching GLX visual").message(),
              "SDL error - Couldn't find matching GLX visual");
}

TEST(GLEWExceptionTest, PrintsGLEWsText) {
    EXPECT_EQ(GLEWException(SourceLocation(), GLEW_ERROR_NO_GL_VERSION).message(), "Missing GL version");
    EXPECT_EQ(GLEWException(SourceLocation(), GLEW_ERROR_GL_VERSION_10_ONLY).message(),
              "GL 1.1 and up are not supported");
}

// GLEW calls every code it does not name "Unknown error": such a code is
// told with its number and what it means.
TEST(GLEWExceptionTest, ACodeGLEWDoesNotNameIsToldWithItsNumberAndMeaning) {
    EXPECT_EQ(GLEWException(SourceLocation(), GLEW_ERROR_NO_GLX_DISPLAY).message(),
              "GLEW error 4 (no GLX display: the OpenGL context is not a GLX one)");
    EXPECT_EQ(GLEWException(SourceLocation(), 77).message(), "GLEW error 77 (a code GLEW does not name)");
}

TEST(ShaderBuildExceptionTest, DetailIsParenthesisedOnlyWhenPresent) {
    EXPECT_EQ(ShaderBuildException(SourceLocation(), "compilation", "").message(), "Shader error: compilation");
    EXPECT_EQ(ShaderBuildException(SourceLocation(), "loading", "shaders/part.vert").message(),
              "Shader error: loading(shaders/part.vert)");
}

TEST(FrameworkExceptionTest, ClonesKeepClassAndText) {
    const ShaderBuildException build(SourceLocation(), "linking", "0:1(1): error");
    const ShaderException shader(SourceLocation(), "Could not find uniform location, color. ");
    const TextureException texture(SourceLocation(), "Alignment not supported. ");
    const FrameBufferException frame(SourceLocation(), "Frame buffer not complete, status 8cd6.");
    const SDLException sdl(SourceLocation(), -3, "gone");
    const Exception* originals[] = {&build, &shader, &texture, &frame, &sdl};
    for (const Exception* original : originals) {
        std::unique_ptr<Exception> copy(original->clone());
        EXPECT_EQ(copy->describe(), original->describe());
        EXPECT_EQ(typeid(*copy), typeid(*original));
    }
    EXPECT_EQ(texture.describe(), "TAVO TAVO::IK::SDLGL::TextureException: Alignment not supported. \n");
}

TEST(ChecksTest, SDLAndGLEWResultsOtherThanZeroThrowWithTheirCode) {
    EXPECT_NO_THROW(checkSDL(SourceLocation(), 0));
    SDL_SetError("%s", "bad");
    try {
        checkSDL(SourceLocation(), 2);
        FAIL();
    } catch (const SDLException& e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(e.message(), "SDL error (2) - bad");
    }
    EXPECT_THROW(checkSDL(SourceLocation(), -1), SDLException);
    EXPECT_NO_THROW(checkGLEW(SourceLocation(), 0));
    try {
        checkGLEW(SourceLocation(), GLEW_ERROR_NO_GL_VERSION);
        FAIL();
    } catch (const GLEWException& e) {
        EXPECT_EQ(e.code(), std::uint32_t(GLEW_ERROR_NO_GL_VERSION));
    }
}
