#include "ui/DecoratedComponent.h"

#include "foundation/exceptions/UninitializedException.h"

DecoratedComponent::DecoratedComponent(std::unique_ptr<Component> child) { setChild(std::move(child)); }

DecoratedComponent::~DecoratedComponent() {
    if (child_)
        releaseFrom(*child_, this);
}

void DecoratedComponent::setChild(std::unique_ptr<Component> child) {
    if (!child)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "decorated component's child");
    std::shared_ptr<Component> old = std::move(child_);
    child_ = std::move(child);
    setParentOf(*child_, this);
    if (old)
        releaseFrom(*old, this);
}

ComponentTransform DecoratedComponent::childTransform(const Component&) const { return transform(); }

void DecoratedComponent::setGeometry(const TAVO::Tuple<2, float>& size) {
    const std::shared_ptr<Component> child = child_;
    child->setGeometry(size);
}

TAVO::Tuple<2, float> DecoratedComponent::size() const { return child_->size(); }

bool DecoratedComponent::pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) {
    const std::shared_ptr<Component> child = child_;
    return child->pointerButton(frame, position, pressed);
}

bool DecoratedComponent::pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) {
    const std::shared_ptr<Component> child = child_;
    return child->pointerMotion(frame, position, held);
}

bool DecoratedComponent::dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag,
                                  bool dropped) {
    const std::shared_ptr<Component> child = child_;
    return child->dragOver(frame, position, drag, dropped);
}

bool DecoratedComponent::keyPress(const FrameTime& frame, std::uint32_t key) {
    const std::shared_ptr<Component> child = child_;
    return child->keyPress(frame, key);
}

void DecoratedComponent::update(const FrameTime& frame) {
    const std::shared_ptr<Component> child = child_;
    child->update(frame);
}

void DecoratedComponent::draw() {
    const std::shared_ptr<Component> child = child_;
    child->draw();
}
