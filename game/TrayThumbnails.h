#pragma once

#include <cstdint>

#include "geometry/Hyperrectangle.h"
#include "geometry/Tuple.h"
#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/RenderBufferObject.h"

namespace TAVO::IK::SDLGL {
class Texture;
}

class Camera;
class Table;
class TableDrawing;

// Renders a tray into a region of a texture, for the tray bar's icons: the
// tray is drawn at twice the region's size into a render buffer of its own,
// then blitted down into the region with linear filtering. Main thread only,
// with the OpenGL context current.
class TrayThumbnails {
public:
    // The render buffer's first size: two tray icons of 100 x 62.
    static const TAVO::Tuple<2, unsigned int> initialSize;

    // Makes the render buffer and its frame buffer.
    TrayThumbnails(Camera& camera, TableDrawing& drawing);

    // Draws the tray as a window of viewSize pixels would show it at the
    // tray's own pose, with the table's background without its preview and
    // every part of the tray (with triangle outlines when wireframe is set),
    // into the region (in pixels) of the texture. The camera keeps its
    // viewport and the window's frame buffer is bound afterwards, with the
    // viewport of the camera's size. False, drawing nothing, for a tray the
    // table lacks or an empty region. OpenGL failures throw GLException.
    bool render(const Table& table, std::uint32_t tray, const TAVO::IK::SDLGL::Texture& texture,
                const TAVO::Hyperrectangle<2, unsigned int>& region, const TAVO::Tuple<2, unsigned int>& viewSize,
                bool wireframe);

    const TAVO::Tuple<2, unsigned int>& bufferSize() const { return bufferSize_; }

private:
    // The render buffer holds at least the size.
    void reserve(const TAVO::Tuple<2, unsigned int>& size);

    Camera& camera_;
    TableDrawing& drawing_;
    TAVO::Tuple<2, unsigned int> bufferSize_{0u, 0u};
    TAVO::IK::SDLGL::RenderBufferObject colour_;
    TAVO::IK::SDLGL::FrameBufferObject frameBuffer_;
    // Wraps the target texture for the blit.
    TAVO::IK::SDLGL::FrameBufferObject target_;
};
