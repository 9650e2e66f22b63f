#pragma once

#include <cstdint>
#include <memory>

#include "ui/Panel.h"

// A knob on a track that reports a position between 0 and 1 along the x
// axis. A press sets the value from the pointer's place and starts a drag;
// motions with the button held move the knob while the drag lasts. The drag
// ends with a release or a motion without the button that reach the slider:
// a release elsewhere leaves it on, and the next held motion over the slider
// moves the knob again. The slider takes every press, release and motion that
// reaches it.
class Slider : public Panel {
public:
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        virtual void valueChanged(float value) = 0;
    };

    // A panel of the track's size holding the track and then the knob, both
    // centred, neither following; the knob is placed at the value without
    // calling the handler (which may be empty).
    Slider(std::unique_ptr<Component> track, std::unique_ptr<Component> knob, std::unique_ptr<EventHandler> handler,
           float value);

    // The knob's centre goes to that fraction of the track; with notify the
    // handler hears of the value.
    void setValue(float value, bool notify);
    float value() const { return value_; }
    bool dragging() const { return dragging_; }
    std::uint32_t axis() const { return axis_; }

    bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
    bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) override;

private:
    // The value under the pointer: its local coordinate on the axis as a
    // fraction of the slider's size.
    void follow(const TAVO::Point<2, float>& position);

    bool dragging_ = false;
    std::uint32_t axis_ = 0;
    float value_ = 0.0f;
    Component* knob_;
    std::shared_ptr<EventHandler> handler_;
};
