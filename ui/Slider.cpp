#include "ui/Slider.h"

#include "foundation/exceptions/UninitializedException.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);

TAVO::Tuple<2, float> sizeOf(const std::unique_ptr<Component>& track) {
    if (!track)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "slider's track");
    return track->size();
}

} // namespace

Slider::Slider(std::unique_ptr<Component> track, std::unique_ptr<Component> knob,
               std::unique_ptr<EventHandler> handler, float value)
    : Panel(sizeOf(track), false), knob_(knob.get()), handler_(std::move(handler)) {
    add(std::move(track), centre, centre, false);
    add(std::move(knob), centre, centre, false);
    setValue(value, false);
}

void Slider::setValue(float value, bool notify) {
    value_ = value;
    TAVO::Vector<2, float> parentAnchor = centre;
    parentAnchor[axis_] = value;
    setAnchors(*knob_, centre, parentAnchor);
    if (notify && handler_) {
        const std::shared_ptr<EventHandler> handler = handler_;
        handler->valueChanged(value);
    }
}

void Slider::follow(const TAVO::Point<2, float>& position) {
    const float length = size()[axis_];
    if (!(length > 0.0f))
        return;
    const ComponentTransform t = transform();
    const float local = position[axis_] * t.scale[axis_] + t.offset[axis_];
    setValue(local / length, true);
}

bool Slider::pointerButton(const FrameTime&, const TAVO::Point<2, float>& position, bool pressed) {
    dragging_ = pressed;
    if (pressed)
        follow(position);
    return true;
}

bool Slider::pointerMotion(const FrameTime&, const TAVO::Point<2, float>& position, bool held) {
    if (!held)
        dragging_ = false;
    else if (dragging_)
        follow(position);
    return true;
}
