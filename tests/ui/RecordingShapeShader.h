#pragma once

#include <memory>
#include <vector>

#include "ui/Shape.h"

namespace UiTest {

// A shape shader without OpenGL: it keeps every mesh it is asked to make and
// every draw it is asked for.
class RecordingShapeShader : public Shape::ShapeShader {
public:
    struct RecordedMesh : Shape::Mesh {
        Shape::MeshData data;
        Shape::Program program = Shape::Program::plain;
        std::size_t number = 0;
    };
    struct Draw {
        const RecordedMesh* mesh;
        Shape::DrawState state;
    };

    std::shared_ptr<const Shape::Mesh> makeMesh(const Shape::MeshData& data, Shape::Program program) override;
    void draw(const Shape::Mesh& mesh, const Shape::DrawState& state) override;

    static const RecordedMesh& recorded(const Shape& shape);

    std::vector<std::shared_ptr<const RecordedMesh>> meshes;
    std::vector<Draw> draws;
};

} // namespace UiTest
