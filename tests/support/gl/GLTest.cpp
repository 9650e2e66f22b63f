#include "support/gl/GLTest.h"

#include <GL/glew.h>

#include <cstdlib>
#include <fstream>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/CppOutStream.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGExporter.h"
#include "sdlgl/Checks.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;

namespace KestruneGLTest {

bool GLTest::haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

Application::Parameters GLTest::parameters() {
    Application::Parameters p;
    p.width = windowWidth;
    p.height = windowHeight;
    p.resizable = true;
    p.title = "Kestrune OpenGL test";
    return p;
}

Application::Parameters GLTest::parameters(std::uint32_t width, std::uint32_t height) {
    Application::Parameters p = parameters();
    p.width = width;
    p.height = height;
    p.resizable = false;
    return p;
}

std::vector<std::uint8_t> GLTest::windowPixels(std::uint32_t width, std::uint32_t height) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    checkGLError();
    return pixels;
}

void GLTest::SetUp() {
    // A fatal failure here keeps the test's body from running.
    ASSERT_TRUE(haveDisplay()) << noDisplay;
    try {
        application_ = std::make_unique<Application>(windowParameters());
    } catch (const Exception& e) {
        FAIL() << e;
    }
    SDL_SetEventFilter(pushedPointerOnly, nullptr);
}

void GLTest::TearDown() {
    SDL_SetEventFilter(nullptr, nullptr);
    application_.reset();
}

int SDLCALL GLTest::pushedPointerOnly(void*, SDL_Event* event) {
    switch (event->type) {
    case SDL_MOUSEMOTION:
        return event->motion.windowID == 0;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event->button.windowID == 0;
    case SDL_MOUSEWHEEL:
        return event->wheel.windowID == 0;
    default:
        return 1;
    }
}

const FSPackage& Resources::package() {
    static const FSPackage package(std::string(KESTRUNE_SOURCE_DIR) + "/resources");
    return package;
}

RenderTarget::RenderTarget(std::uint32_t w, std::uint32_t h) : width(w), height(h) {
    texture.uploadRaw(GL_RGBA8, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    texture.setFilter(GL_NEAREST);
    frameBuffer.attachTexture(GL_COLOR_ATTACHMENT0, texture);
    frameBuffer.setSize(Tuple<2, unsigned int>(w, h));
    frameBuffer.bind();
}

std::vector<std::uint8_t> RenderTarget::read() const {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    checkGLError();
    return pixels;
}

void RenderTarget::writePNG(const std::string& path) const {
    frameBuffer.bindUnchecked(GL_READ_FRAMEBUFFER);
    const std::vector<std::uint8_t> pixels = read();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    CppOutStream stream(file);
    Migration::PNGExporter exporter;
    exporter.setStream(stream);
    exporter.write(BorrowConstBuffer(pixels.data(), std::uint32_t(pixels.size())),
                   Migration::ImageMetadata(width, height, 4, 32));
    exporter.clearStream();
}

} // namespace KestruneGLTest
