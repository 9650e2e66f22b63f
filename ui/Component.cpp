#include "ui/Component.h"

ComponentTransform Component::childTransform(const Component&) const { return ComponentTransform(); }

Component::~Component() = default;

void Component::setGeometry(const TAVO::Tuple<2, float>&) {}

bool Component::pointerButton(const FrameTime&, const TAVO::Point<2, float>&, bool) { return false; }

bool Component::pointerMotion(const FrameTime&, const TAVO::Point<2, float>&, bool) { return false; }

bool Component::dragOver(const FrameTime&, const TAVO::Point<2, float>&, Drag&, bool) { return false; }

bool Component::keyPress(const FrameTime&, std::uint32_t) { return false; }

void Component::update(const FrameTime&) {}

ComponentTransform Component::transform() const {
    if (parent_ != nullptr)
        return parent_->childTransform(*this);
    const TAVO::Tuple<2, float> s = size();
    const TAVO::Vector<2, float> half(s[0] / 2.0f, s[1] / 2.0f);
    return ComponentTransform(half, half);
}

TAVO::Point<2, float> anchorPoint(const Component& component, const TAVO::Vector<2, float>& fraction) {
    const TAVO::Tuple<2, float> s = component.size();
    return TAVO::Point<2, float>(s[0] * fraction[0], s[1] * fraction[1]);
}
