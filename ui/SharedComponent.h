#pragma once

#include <memory>

#include "ui/Component.h"

// Draws a component that is shared with other places of the interface. While
// it is drawn here its parent is this component, so it appears in this one's
// place; between draws it has the parent it had before (none, unless it
// also lives in a tree of its own). Input never reaches it and
// setGeometry does not size it: its owner elsewhere does. Built empty, it is
// of size (0, 0) and draws nothing.
class SharedComponent : public Component {
public:
    explicit SharedComponent(std::shared_ptr<Component> component) : component_(std::move(component)) {}
    explicit SharedComponent(std::unique_ptr<Component> component) : component_(std::move(component)) {}

    const std::shared_ptr<Component>& shared() const { return component_; }

    ComponentTransform childTransform(const Component& child) const override;
    TAVO::Tuple<2, float> size() const override;
    void draw() override;

private:
    std::shared_ptr<Component> component_;
};
