#pragma once

#include <gtest/gtest.h>

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
    // A draw of the indices first to first + count of the mesh.
    struct Draw {
        const RecordedMesh* mesh;
        Shape::DrawState state;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
    };

    std::shared_ptr<const Shape::Mesh> makeMesh(const Shape::MeshData& data, Shape::Program program) override;
    void draw(const Shape::Mesh& mesh, const Shape::DrawState& state) override;
    void drawRange(const Shape::Mesh& mesh, const Shape::DrawState& state, std::uint32_t first,
                   std::uint32_t count) override;

    static const RecordedMesh& recorded(const Shape& shape);

    std::vector<std::shared_ptr<const RecordedMesh>> meshes;
    std::vector<Draw> draws;
};

inline std::shared_ptr<const Shape::Mesh> RecordingShapeShader::makeMesh(const Shape::MeshData& data,
                                                                         Shape::Program program) {
    auto mesh = std::make_shared<RecordedMesh>();
    mesh->data = data;
    mesh->program = program;
    mesh->number = meshes.size();
    meshes.push_back(mesh);
    return mesh;
}

inline void RecordingShapeShader::draw(const Shape::Mesh& mesh, const Shape::DrawState& state) {
    const auto* recorded = dynamic_cast<const RecordedMesh*>(&mesh);
    EXPECT_NE(recorded, nullptr) << "a mesh this shader did not make";
    draws.push_back({recorded, state, 0, recorded ? std::uint32_t(recorded->data.indices.size()) : 0u});
}

inline void RecordingShapeShader::drawRange(const Shape::Mesh& mesh, const Shape::DrawState& state,
                                           std::uint32_t first, std::uint32_t count) {
    const auto* recorded = dynamic_cast<const RecordedMesh*>(&mesh);
    EXPECT_NE(recorded, nullptr) << "a mesh this shader did not make";
    if (recorded) {
        EXPECT_LE(std::uint64_t(first) + count, recorded->data.indices.size()) << "a range beyond the mesh";
    }
    draws.push_back({recorded, state, first, count});
}

inline const RecordingShapeShader::RecordedMesh& RecordingShapeShader::recorded(const Shape& shape) {
    return dynamic_cast<const RecordedMesh&>(shape.mesh());
}

} // namespace UiTest
