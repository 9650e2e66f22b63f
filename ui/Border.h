#pragma once

#include <memory>

#include "geometry/Color.h"
#include "ui/DecoratedComponent.h"
#include "ui/Shape.h"

// A rounded frame of a given width around one owned child, drawn over the
// child while the border is highlighted (as it is when built). The child
// sits the width in from every edge; the border is the child's size plus
// twice the width. Events and updates go to the child as they come. List
// items and tray icons use it to mark their selection.
class Border : public DecoratedComponent {
public:
    // Takes the child (an empty pointer throws UninitializedException) and
    // builds the frame.
    Border(Shape::ShapeShader& shader, std::unique_ptr<Component> child, float width, const TAVO::Color& color);

    // Replaces the child (the old one is destroyed once no event of its own
    // is under way) and rebuilds the frame.
    void setChild(std::unique_ptr<Component> child);
    // Rebuilds the frame for the child's current size, after the child
    // changed its size by itself.
    void childResized();
    // The colour of the frame, drawn opaque.
    void setColor(const TAVO::Color& color);
    const TAVO::Color& color() const { return color_; }
    // Whether the frame is drawn; its geometry stays either way.
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    bool highlighted() const { return highlighted_; }
    float width() const { return width_; }
    const Shape& frame() const { return *frame_; }

    // The child's transform is the border's moved by the width; the frame's
    // is the border's.
    ComponentTransform childTransform(const Component& child) const override;
    // The child gets the size less twice the width (never below 0), then the
    // frame is rebuilt around it.
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    TAVO::Tuple<2, float> size() const override;
    // The child, then the frame when highlighted.
    void draw() override;

private:
    // The outline of a rounded rectangle (radius 15) from b / 2 in from the
    // edge: a ring from the edge to b inside it.
    void rebuildFrame();

    Shape::ShapeShader& shader_;
    float width_;
    TAVO::Color color_;
    std::unique_ptr<Shape> frame_;
    bool highlighted_ = true;
};
