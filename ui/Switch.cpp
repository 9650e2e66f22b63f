#include "ui/Switch.h"

#include <stdexcept>

#include "foundation/exceptions/UninitializedException.h"

Switch::~Switch() {
    for (const auto& child : children_)
        releaseFrom(*child, this);
}

std::uint32_t Switch::add(std::unique_ptr<Component> child) {
    if (!child)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "switch's child");
    const auto index = static_cast<std::uint32_t>(children_.size());
    Component& raw = *child;
    children_.push_back(std::shared_ptr<Component>(std::move(child)));
    setParentOf(raw, this);
    return index;
}

std::shared_ptr<Component> Switch::currentChild() const {
    if (current_ >= children_.size())
        throw std::out_of_range("invalid vector subscript");
    return children_[current_];
}

ComponentTransform Switch::childTransform(const Component&) const { return transform(); }

void Switch::setGeometry(const TAVO::Tuple<2, float>& size) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        const std::shared_ptr<Component> child = children_[i];
        child->setGeometry(size);
    }
}

TAVO::Tuple<2, float> Switch::size() const { return currentChild()->size(); }

bool Switch::pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) {
    return currentChild()->pointerButton(frame, position, pressed);
}

bool Switch::pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) {
    return currentChild()->pointerMotion(frame, position, held);
}

bool Switch::dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) {
    return currentChild()->dragOver(frame, position, drag, dropped);
}

bool Switch::keyPress(const FrameTime& frame, std::uint32_t key) { return currentChild()->keyPress(frame, key); }

void Switch::update(const FrameTime& frame) { currentChild()->update(frame); }

void Switch::draw() { currentChild()->draw(); }
