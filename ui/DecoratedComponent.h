#pragma once

#include <memory>

#include "ui/Component.h"

// Puts one owned child in its own place (same origin, same transform) and
// forwards everything to it. Buttons and list items derive from it.
class DecoratedComponent : public Component {
public:
    // Takes the child and becomes its parent.
    explicit DecoratedComponent(std::unique_ptr<Component> child);
    ~DecoratedComponent() override;

    // Replaces the child; the old one is destroyed once nothing uses it any
    // more (a replacement from inside the old child's own event waits until
    // that event is over).
    void setChild(std::unique_ptr<Component> child);
    Component& child() const { return *child_; }

    ComponentTransform childTransform(const Component& child) const override;
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    TAVO::Tuple<2, float> size() const override;
    bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
    bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) override;
    bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) override;
    bool keyPress(const FrameTime& frame, std::uint32_t key) override;
    void update(const FrameTime& frame) override;
    void draw() override;

private:
    // Shared only with the forwarding calls in progress.
    std::shared_ptr<Component> child_;
};
