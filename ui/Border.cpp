#include "ui/Border.h"

#include <algorithm>

#include "ui/ShapeGeometry.h"

namespace {

constexpr float cornerRadius = 15.0f;

} // namespace

Border::Border(Shape::ShapeShader& shader, std::unique_ptr<Component> child, float width, const TAVO::Color& color)
    : DecoratedComponent(std::move(child)), shader_(shader), width_(width), color_(color) {
    rebuildFrame();
}

void Border::setChild(std::unique_ptr<Component> child) {
    DecoratedComponent::setChild(std::move(child));
    rebuildFrame();
}

void Border::childResized() { rebuildFrame(); }

void Border::rebuildFrame() {
    const float b = width_;
    const TAVO::Tuple<2, float> c = child().size();
    const TAVO::Tuple<2, float> outer(c[0] + 2.0f * b, c[1] + 2.0f * b);
    const Polygon path = ShapeGeometry::roundedRectangle(
        TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(b / 2.0f, b / 2.0f),
                                       TAVO::Tuple<2, float>(c[0] + b, c[1] + b)),
        cornerRadius);
    const ShapeGeometry::Triangles ring = ShapeGeometry::outline(path, b / 2.0f);
    frame_ = std::make_unique<Shape>(shader_, ring.points, ring.triangles,
                                     TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(0.0f, 0.0f), outer), outer,
                                     color_, false);
    setParentOf(*frame_, this);
}

void Border::setColor(const TAVO::Color& color) {
    color_ = color;
    frame_->setColor(color, 1.0f);
}

ComponentTransform Border::childTransform(const Component& child) const {
    ComponentTransform t = transform();
    if (&child != frame_.get())
        for (int i = 0; i < 2; ++i)
            t.offset[i] -= width_;
    return t;
}

void Border::setGeometry(const TAVO::Tuple<2, float>& size) {
    // max(0, NaN) is 0 as well.
    DecoratedComponent::setGeometry(TAVO::Tuple<2, float>(std::max(0.0f, size[0] - 2.0f * width_),
                                                          std::max(0.0f, size[1] - 2.0f * width_)));
    rebuildFrame();
}

TAVO::Tuple<2, float> Border::size() const { return frame_->size(); }

void Border::draw() {
    DecoratedComponent::draw();
    if (highlighted_)
        frame_->draw();
}
