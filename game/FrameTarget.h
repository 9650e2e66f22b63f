#pragma once

#include <cstdint>

#include "geometry/Tuple.h"
#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/Texture.h"

// Where a frame is drawn: straight into the window, or with antialiasing into
// a texture of twice the window's size that is blitted down into the window
// with linear filtering at the end of the frame. Main thread only, with the
// OpenGL context current.
class FrameTarget {
public:
    explicit FrameTarget(bool antialiasing) : antialiasing_(antialiasing) {}

    bool antialiasing() const { return antialiasing_; }
    const TAVO::Tuple<2, unsigned int>& windowSize() const { return window_; }

    // The window's new size: a size with a side of 0 is ignored. Sets the
    // window's viewport at once (from the first size reported on) and with
    // antialiasing makes the target anew at twice the size; a size whose
    // double the driver cannot make is drawn without antialiasing, and so
    // is a multisampled window (one the driver made so), which antialiases
    // itself.
    void resize(const TAVO::Tuple<2, unsigned int>& size);
    // Starts a frame: binds the target (its viewport twice the window) or
    // the window (its viewport), and clears it to opaque black unless the
    // caller fills the whole viewport itself (TableDrawing::drawTable).
    void begin(bool clear = true);
    // Clears the bound frame to opaque black.
    static void clear();
    // Ends a frame: with antialiasing, blits the target into the window and
    // leaves the window bound for reading and drawing, with its viewport. A
    // pending OpenGL error throws GLException.
    void end();

    // The antialiasing target; not made without antialiasing, before the
    // first size, or for a size beyond the driver.
    const TAVO::IK::SDLGL::Texture& texture() const { return texture_; }
    const TAVO::IK::SDLGL::FrameBufferObject& frameBuffer() const { return frameBuffer_; }

private:
    // Whether the window's frame buffer has samples of its own.
    static bool windowMultisampled();

    bool antialiasing_;
    TAVO::Tuple<2, unsigned int> window_{0u, 0u};
    TAVO::IK::SDLGL::Texture texture_;
    TAVO::IK::SDLGL::FrameBufferObject frameBuffer_;
};
