#pragma once

#include <memory>

#include "ui/DecoratedComponent.h"

// Passes on only changes of height: the child keeps its own width.
class HeightOnlyResize : public DecoratedComponent {
public:
    explicit HeightOnlyResize(std::unique_ptr<Component> child) : DecoratedComponent(std::move(child)) {}

    // The child gets (its current width, the height).
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
};
