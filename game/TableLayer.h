#pragma once

#include <cstdint>
#include <vector>

#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/Texture.h"

// The table as the last frames drew it, kept in a texture of the frame's
// size so that a frame whose table did not change (a part carried over a
// still table, a menu animating over it) copies it instead of drawing the
// background and every part again.
//
// A frame's table is described by a record: every value it is drawn from
// (the tray, its pose, its parts with their poses and bounds, the background,
// the puzzle loaded, the target drawn into). Every table is drawn into the
// frame as before; when its record equals the last frame's, what was drawn
// is also copied into the layer, and while the record stays the same later
// frames copy the layer into the frame instead of drawing. Any other record
// costs nothing more than before, so a table that changes every frame (a
// tray being panned or zoomed) is drawn as it always was. The layer holds
// the very pixels drawn into the frame: a copy of equal size changes none.
//
// The table must be the first thing a frame draws, into a frame cleared to
// opaque black (TableDrawing::drawTable clears it): the copy replaces the
// whole viewport. A multisampled target (a window the driver made so) is
// never kept: OpenGL copies into such a frame buffer by no blit, and out of
// it only into one of its own format; every table is drawn there.
// Main thread only, with the OpenGL context current.
class TableLayer {
public:
    using Record = std::vector<std::uint32_t>;

    // What the frame's table takes.
    enum class Step {
        // Drawn into the frame as it is bound.
        draw,
        // Drawn into the frame, then kept with keep.
        keep,
        // Copied from the layer.
        copy,
    };

    // The step for a table described by the record, drawn into the frame
    // buffer bound for drawing at the viewport set. The target (frame
    // buffer, viewport) becomes part of the record. A multisampled target,
    // or a layer that cannot be made, gives draw.
    Step prepare(Record record);
    // Copies the table just drawn into the frame into the layer, which now
    // holds the record's table.
    void keep();
    // Copies the layer into the frame.
    void copy() const;
    // Nothing is kept: the next record is drawn, whatever it is. The
    // texture stays for the next table of its size.
    void forget();

    // The layer holds the table of the last record (after a keep, until the
    // record changes).
    bool holds() const { return holds_; }
    const TAVO::IK::SDLGL::Texture& texture() const { return texture_; }

private:
    // The frame buffers bound for drawing and reading, the viewport, and
    // whether the one drawn into is multisampled.
    struct Target {
        std::int32_t draw = 0;
        std::int32_t read = 0;
        std::int32_t viewport[4] = {0, 0, 0, 0};
        bool multisampled = false;
    };
    static Target currentTarget();
    void bindTarget() const;
    // A texture of the viewport's size attached to the layer's frame buffer;
    // false when the driver refuses one.
    bool reserve();

    Record last_;
    bool holds_ = false;
    Target target_;
    TAVO::IK::SDLGL::Texture texture_;
    TAVO::IK::SDLGL::FrameBufferObject frameBuffer_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t refusedWidth_ = 0;
    std::uint32_t refusedHeight_ = 0;
};
