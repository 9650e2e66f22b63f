#include "ui/Shape.h"

#include <string>

#include "foundation/exceptions/BoundException.h"
#include "geometry/PolygonTriangulator.h"
#include "ui/ShapeFile.h"
#include "ui/ShapeFileException.h"

namespace {

// Triangles over the polygon's points: swept upwards, outer contours
// counter-clockwise.
std::vector<TAVO::Tuple<3, unsigned int>> triangulate(const Polygon& polygon) {
    std::vector<TAVO::Tuple<3, unsigned int>> triangles;
    PolygonTriangulator(polygon, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles);
    return triangles;
}

void appendPoints(Shape::MeshData& data, const std::vector<TAVO::Point<2, float>>& points) {
    for (const auto& p : points) {
        data.positions.push_back(p[0]);
        data.positions.push_back(p[1]);
    }
}

void appendTriangles(Shape::MeshData& data, const std::vector<TAVO::Tuple<3, unsigned int>>& triangles,
                     std::uint32_t base) {
    for (const auto& t : triangles)
        for (int k = 0; k < 3; ++k)
            data.indices.push_back(base + t[k]);
}

Shape::MeshData meshOf(const Polygon& polygon) {
    Shape::MeshData data;
    appendPoints(data, polygon.points());
    appendTriangles(data, triangulate(polygon), 0);
    return data;
}

Shape::MeshData meshOf(const ShapeFile& file) {
    bool colored = false;
    for (const ShapeFile::Layer& layer : file.layers) {
        const std::size_t colors = layer.colors.size();
        if (colors != 0 && colors != layer.polygon.points().size())
            throw ShapeFileException(TAVO::SourceLocation(), file.name,
                                     "a layer has " + std::to_string(colors) + " colours for " +
                                         std::to_string(layer.polygon.points().size()) + " points");
        colored = colored || colors != 0;
    }
    Shape::MeshData data;
    for (std::size_t l = 0; l < file.layers.size(); ++l) {
        const ShapeFile::Layer& layer = file.layers[l];
        const auto base = static_cast<std::uint32_t>(data.positions.size() / 2);
        appendPoints(data, layer.polygon.points());
        if (colored) {
            for (std::size_t i = 0; i < layer.polygon.points().size(); ++i) {
                // A layer without colours of its own is drawn in the shape's colour.
                const TAVO::Tuple<4, float> white(1.0f, 1.0f, 1.0f, 1.0f);
                const TAVO::Tuple<4, float>& c = layer.colors.empty() ? white : layer.colors[i];
                for (int k = 0; k < 4; ++k)
                    data.colors.push_back(c[k]);
            }
        }
        try {
            appendTriangles(data, triangulate(layer.polygon), base);
        } catch (const TAVO::Exception& e) {
            throw ShapeFileException(TAVO::SourceLocation(), file.name,
                                     "layer " + std::to_string(l) + " cannot be triangulated (" + e.message() + ")");
        }
    }
    return data;
}

TAVO::Tuple<4, float> opaque(const TAVO::Color& color) {
    return TAVO::Tuple<4, float>(color.rgb()[0], color.rgb()[1], color.rgb()[2], 1.0f);
}

} // namespace

Shape::Shape(ShapeShader& shader, const TAVO::Hyperrectangle<2, float>& bounds, const TAVO::Tuple<2, float>& size,
             const TAVO::Color& color)
    : shader_(shader), bounds_(bounds), color_(opaque(color)), size_(size) {}

Shape::Shape(ShapeShader& shader, const ShapeFile& file, const TAVO::Tuple<2, float>& size, const TAVO::Color& color,
             bool textured)
    : Shape(shader, file.bounds, size, color) {
    build(meshOf(file), textured);
}

Shape::Shape(ShapeShader& shader, const Polygon& polygon, const TAVO::Hyperrectangle<2, float>& bounds,
             const TAVO::Tuple<2, float>& size, const TAVO::Color& color, bool textured)
    : Shape(shader, bounds, size, color) {
    build(meshOf(polygon), textured);
}

Shape::Shape(ShapeShader& shader, const Polygon& polygon, const TAVO::Hyperrectangle<2, float>& bounds,
             const TAVO::Tuple<2, float>& size, const TAVO::Color& color, std::shared_ptr<Texture> texture,
             const TAVO::Hyperrectangle<2, float>& textureRectangle)
    : Shape(shader, bounds, size, color) {
    build(meshOf(polygon), true);
    setTexture(std::move(texture), textureRectangle);
}

Shape::Shape(ShapeShader& shader, const std::vector<TAVO::Point<2, float>>& points,
             const std::vector<TAVO::Tuple<3, unsigned int>>& triangles, const TAVO::Hyperrectangle<2, float>& bounds,
             const TAVO::Tuple<2, float>& size, const TAVO::Color& color, bool textured)
    : Shape(shader, bounds, size, color) {
    const auto count = static_cast<unsigned int>(points.size());
    for (const auto& t : triangles)
        for (int k = 0; k < 3; ++k)
            if (t[k] >= count)
                throw TAVO::BoundException<unsigned int>(TAVO::SourceLocation(), t[k], count);
    MeshData data;
    appendPoints(data, points);
    appendTriangles(data, triangles, 0);
    build(data, textured);
}

void Shape::build(const MeshData& data, bool textured) {
    vertexColors_ = !data.colors.empty();
    const Program program = vertexColors_ ? Program::vertexColor : textured ? Program::textured : Program::plain;
    mesh_ = shader_.makeMesh(data, program);
}

void Shape::setColor(const TAVO::Color& color, float alpha) {
    color_ = TAVO::Tuple<4, float>(color.rgb()[0], color.rgb()[1], color.rgb()[2], alpha);
}

void Shape::setTexture(std::shared_ptr<Texture> texture, const TAVO::Hyperrectangle<2, float>& textureRectangle) {
    texture_ = std::move(texture);
    setTextureRegion(textureRectangle);
}

void Shape::setTextureRegion(const TAVO::Hyperrectangle<2, float>& textureRectangle) {
    for (int i = 0; i < 2; ++i) {
        textureScale_[i] = textureRectangle.extent()[i] / bounds_.extent()[i];
        textureOffset_[i] = textureRectangle.origin()[i] - bounds_.origin()[i] * textureScale_[i];
    }
}

ComponentTransform Shape::meshTransform() const {
    ComponentTransform t;
    for (int i = 0; i < 2; ++i) {
        t.scale[i] = bounds_.extent()[i] / size_[i];
        t.offset[i] = bounds_.origin()[i];
    }
    return t;
}

Shape::DrawState Shape::drawState() const {
    DrawState state;
    state.program = texture_ ? Program::textured : vertexColors_ ? Program::vertexColor : Program::plain;
    const ComponentTransform t = transform();
    for (int i = 0; i < 2; ++i) {
        const float k = bounds_.extent()[i] / size_[i];
        state.scale[i] = 1.0f / (k * t.scale[i]);
        state.offset[i] = -(bounds_.origin()[i] + k * t.offset[i]) * state.scale[i];
    }
    state.color = color_;
    if (texture_) {
        state.texture = texture_.get();
        state.textureScale = textureScale_;
        state.textureOffset = textureOffset_;
    }
    return state;
}

void Shape::draw() {
    for (int i = 0; i < 2; ++i)
        if (!(size_[i] > 0.0f && bounds_.extent()[i] > 0.0f))
            return;
    shader_.draw(*mesh_, drawState());
    ++draws_;
}
