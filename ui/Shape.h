#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Color.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"
#include "geometry/Polygon.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"
#include "ui/Component.h"

namespace TAVO::IK::SDLGL {
class Texture;
}

struct ShapeFile;

// A triangle mesh drawn in one colour, optionally with a colour per point or
// a texture, its bounds stretched over the component's size. Every shape
// draws through a ShapeShader given from outside: the OpenGL one
// (GLShapeShader), or one that only records what it is asked, so that a
// shape's mesh and uniforms can be checked without a window. A shape takes no
// input.
class Shape : public Component {
public:
    using Texture = TAVO::IK::SDLGL::Texture;

    // The three programs a shape is drawn with.
    enum class Program : std::uint8_t { plain = 0, vertexColor = 1, textured = 2 };

    // The mesh as it goes to the shader: two floats per point, four per
    // point colour (none, or one colour for every point), three point
    // indices per triangle.
    struct MeshData {
        std::vector<float> positions;
        std::vector<float> colors;
        std::vector<std::uint32_t> indices;
    };

    // What one draw of a shape sets: a mesh point p lands at p * scale +
    // offset in normalised device coordinates; textured draws sample the
    // texture at p * textureScale + textureOffset.
    struct DrawState {
        Program program = Program::plain;
        TAVO::Vector<2, float> scale;
        TAVO::Vector<2, float> offset;
        TAVO::Tuple<4, float> color;
        const Texture* texture = nullptr;
        TAVO::Vector<2, float> textureScale;
        TAVO::Vector<2, float> textureOffset;
        // Whether the draw blends with the source alpha (switched off again
        // after it); digit text draws opaque without it.
        bool blend = true;
    };

    // A mesh made by a shader, shared by the copies of a shape.
    class Mesh {
    public:
        virtual ~Mesh() = default;
    };

    // The programs every shape of the game draws with, and the meshes they draw.
    class ShapeShader {
    public:
        virtual ~ShapeShader() = default;
        // Makes the mesh once; program is the one it is mostly drawn with.
        virtual std::shared_ptr<const Mesh> makeMesh(const MeshData& data, Program program) = 0;
        // Draws the whole mesh with the state's program and uniforms, blending
        // with the source alpha switched on for the draw and off after it
        // when the state asks for it. With a texture, texture unit 0 holds
        // it; without, unit 0 is left alone.
        virtual void draw(const Mesh& mesh, const DrawState& state) = 0;
        // The same for the triangles of the indices first to first + count
        // only (a glyph of a font mesh). A range beyond the mesh's indices
        // throws BoundException.
        virtual void drawRange(const Mesh& mesh, const DrawState& state, std::uint32_t first,
                               std::uint32_t count) = 0;

    protected:
        ShapeShader() = default;
        ShapeShader(const ShapeShader&) = default;
        ShapeShader& operator=(const ShapeShader&) = default;
    };

    // Every layer of the file triangulated, with the file's point colours
    // when any layer has them (layers without get white). A layer that cannot
    // be triangulated throws ShapeFileException naming the file.
    Shape(ShapeShader& shader, const ShapeFile& file, const TAVO::Tuple<2, float>& size, const TAVO::Color& color,
          bool textured);
    // The polygon triangulated, no point colours.
    Shape(ShapeShader& shader, const Polygon& polygon, const TAVO::Hyperrectangle<2, float>& bounds,
          const TAVO::Tuple<2, float>& size, const TAVO::Color& color, bool textured);
    // Textured: the bounds are mapped onto the texture rectangle.
    Shape(ShapeShader& shader, const Polygon& polygon, const TAVO::Hyperrectangle<2, float>& bounds,
          const TAVO::Tuple<2, float>& size, const TAVO::Color& color, std::shared_ptr<Texture> texture,
          const TAVO::Hyperrectangle<2, float>& textureRectangle);
    // Points and triangles as they are. An index beyond the points throws
    // BoundException<unsigned int>.
    Shape(ShapeShader& shader, const std::vector<TAVO::Point<2, float>>& points,
          const std::vector<TAVO::Tuple<3, unsigned int>>& triangles, const TAVO::Hyperrectangle<2, float>& bounds,
          const TAVO::Tuple<2, float>& size, const TAVO::Color& color, bool textured);
    // Shares the mesh and the texture; the copy is in no tree.
    Shape(const Shape& other) = default;

    // The colour's red, green and blue with the alpha.
    void setColor(const TAVO::Color& color, float alpha);
    // Replaces the texture and maps the bounds onto the texture rectangle.
    void setTexture(std::shared_ptr<Texture> texture, const TAVO::Hyperrectangle<2, float>& textureRectangle);
    // textureScale = rectangle extent / bounds extent, textureOffset =
    // rectangle origin - bounds origin * textureScale: the bounds' corners
    // sample the rectangle's corners.
    void setTextureRegion(const TAVO::Hyperrectangle<2, float>& textureRectangle);
    // From local space to mesh coordinates: scale = bounds extent / size,
    // offset = bounds origin.
    ComponentTransform meshTransform() const;

    // The program and uniforms of a draw in the shape's current place: with
    // k = bounds extent / size and T the shape's transform, scale = 1 / (k *
    // T.scale) and offset = -(bounds origin + k * T.offset) * scale.
    DrawState drawState() const;

    const TAVO::Hyperrectangle<2, float>& bounds() const { return bounds_; }
    const TAVO::Tuple<4, float>& color() const { return color_; }
    const std::shared_ptr<Texture>& texture() const { return texture_; }
    const TAVO::Vector<2, float>& textureScale() const { return textureScale_; }
    const TAVO::Vector<2, float>& textureOffset() const { return textureOffset_; }
    bool hasVertexColors() const { return vertexColors_; }
    const Mesh& mesh() const { return *mesh_; }

    void setGeometry(const TAVO::Tuple<2, float>& size) override { size_ = size; }
    TAVO::Tuple<2, float> size() const override { return size_; }
    // Draws the mesh through the shader; a shape without area (a size or
    // bounds of zero width or height) draws nothing.
    void draw() override;
    // How many draws reached the shader: whoever changes a shape's look over
    // time tells from it whether the shape is on screen.
    std::uint64_t drawCount() const { return draws_; }

private:
    Shape(ShapeShader& shader, const TAVO::Hyperrectangle<2, float>& bounds, const TAVO::Tuple<2, float>& size,
          const TAVO::Color& color);
    void build(const MeshData& data, bool textured);

    ShapeShader& shader_;
    TAVO::Hyperrectangle<2, float> bounds_;
    TAVO::Tuple<4, float> color_;
    TAVO::Tuple<2, float> size_;
    std::shared_ptr<const Mesh> mesh_;
    std::shared_ptr<Texture> texture_;
    TAVO::Vector<2, float> textureScale_{1.0f, 1.0f};
    TAVO::Vector<2, float> textureOffset_{0.0f, 0.0f};
    bool vertexColors_ = false;
    std::uint64_t draws_ = 0;
};
