#include "ui/SharedComponent.h"

ComponentTransform SharedComponent::childTransform(const Component&) const { return transform(); }

TAVO::Tuple<2, float> SharedComponent::size() const {
    return component_ ? component_->size() : TAVO::Tuple<2, float>(0.0f, 0.0f);
}

void SharedComponent::draw() {
    if (!component_)
        return;
    const std::shared_ptr<Component> shared = component_;
    // A component shared by nothing but drawers has no parent before and
    // after; one that also lives in a tree of its own gets its parent back.
    Component* const previous = shared->parent();
    setParentOf(*shared, this);
    try {
        shared->draw();
    } catch (...) {
        setParentOf(*shared, previous);
        throw;
    }
    setParentOf(*shared, previous);
}
