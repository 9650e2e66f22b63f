#pragma once

#include <memory>

#include "ui/Switch.h"

// Shows its child or an empty placeholder of the same size: a hidden child
// keeps its place in its parent's layout, draws nothing and takes no input.
class VisibleComponent : public Switch {
public:
    // Stands in for the hidden child: the real child's size, nothing else.
    class DummyComponent : public Component {
    public:
        explicit DummyComponent(const Component& real) : real_(&real) {}
        TAVO::Tuple<2, float> size() const override { return real_->size(); }
        void draw() override {}

    private:
        const Component* real_;
    };

    VisibleComponent(std::unique_ptr<Component> child, bool visible);

    void setVisible(bool visible) { select(visible ? real_ : dummy_); }
    bool visible() const { return currentIndex() == real_; }

private:
    std::uint32_t real_ = 0;
    std::uint32_t dummy_ = 0;
};
