#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/Component.h"

// Owns several children and shows one of them, the current one, in its own
// place. Every operation that reaches the current child throws
// std::out_of_range ("invalid vector subscript") when the current index names
// no child; select itself accepts any index.
class Switch : public Component {
public:
    Switch() = default;
    ~Switch() override;

    // Appends the child, becomes its parent and returns its index. An empty
    // pointer throws UninitializedException.
    std::uint32_t add(std::unique_ptr<Component> child);
    void select(std::uint32_t index) { current_ = index; }
    std::uint32_t currentIndex() const { return current_; }
    Component& current() const { return *currentChild(); }
    std::uint32_t count() const { return static_cast<std::uint32_t>(children_.size()); }

    ComponentTransform childTransform(const Component& child) const override;
    // Every child gets the size, the hidden ones too.
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    // The rest reach the current child only.
    TAVO::Tuple<2, float> size() const override;
    bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
    bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) override;
    bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) override;
    bool keyPress(const FrameTime& frame, std::uint32_t key) override;
    void update(const FrameTime& frame) override;
    void draw() override;

private:
    std::shared_ptr<Component> currentChild() const;

    std::vector<std::shared_ptr<Component>> children_;
    std::uint32_t current_ = 0;
};
