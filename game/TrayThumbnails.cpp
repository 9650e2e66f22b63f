#include "game/TrayThumbnails.h"

#include <GL/glew.h>

#include <algorithm>

#include "game/Camera.h"
#include "game/TableDrawing.h"
#include "model/Table.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Texture.h"
#include "ui/menu/MenuStyle.h"

using TAVO::Tuple;

const Tuple<2, unsigned int> TrayThumbnails::initialSize(200u, 2u * MenuStyle::trayIconHeight);

TrayThumbnails::TrayThumbnails(Camera& camera, TableDrawing& drawing) : camera_(camera), drawing_(drawing) {
    reserve(initialSize);
    frameBuffer_.unbind();
}

void TrayThumbnails::reserve(const Tuple<2, unsigned int>& size) {
    if (size[0] <= bufferSize_[0] && size[1] <= bufferSize_[1])
        return;
    const Tuple<2, unsigned int> grown(std::max(size[0], bufferSize_[0]), std::max(size[1], bufferSize_[1]));
    colour_.setStorage(GL_RGB, GLsizei(grown[0]), GLsizei(grown[1]));
    frameBuffer_.attachRenderBuffer(GL_COLOR_ATTACHMENT0, colour_);
    frameBuffer_.setSize(grown);
    bufferSize_ = grown;
}

bool TrayThumbnails::render(const Table& table, std::uint32_t tray, const TAVO::IK::SDLGL::Texture& texture,
                            const TAVO::Hyperrectangle<2, unsigned int>& region, const Tuple<2, unsigned int>& viewSize,
                            bool wireframe) {
    const Tuple<2, unsigned int>& extent = region.extent();
    if (!table.hasTray(tray) || extent[0] == 0 || extent[1] == 0)
        return false;
    const Tuple<2, unsigned int> doubled(2 * extent[0], 2 * extent[1]);
    const Tuple<2, unsigned int> window = camera_.viewport();
    try {
        reserve(doubled);
        frameBuffer_.setSize(doubled);
        frameBuffer_.bind();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        TAVO::IK::SDLGL::checkGLError();

        camera_.setViewport(viewSize);
        const Tray::Background& stored = table.background();
        const Tray::Background background(Tray::Background::noPreview, stored.colour(), stored.pattern());
        drawing_.drawTray(table, tray, table.tray(tray).pose(), background, std::nullopt, wireframe);
        camera_.setViewport(window);

        // The texture is attached through the draw binding alone, so the
        // read binding still names the thumbnail when the blit runs.
        frameBuffer_.unbindWithViewport(window);
        target_.attachTexture(GL_COLOR_ATTACHMENT0, texture, GL_DRAW_FRAMEBUFFER);
        frameBuffer_.bindUnchecked(GL_READ_FRAMEBUFFER);
        const GLint ox = GLint(region.origin()[0]), oy = GLint(region.origin()[1]);
        glBlitFramebuffer(0, 0, GLint(doubled[0]), GLint(doubled[1]), ox, oy, ox + GLint(extent[0]),
                          oy + GLint(extent[1]), GL_COLOR_BUFFER_BIT, GL_LINEAR);
        TAVO::IK::SDLGL::checkGLError();
    } catch (...) {
        camera_.setViewport(window);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, GLsizei(window[0]), GLsizei(window[1]));
        throw;
    }
    frameBuffer_.unbind();
    frameBuffer_.setSize(bufferSize_);
    return true;
}
