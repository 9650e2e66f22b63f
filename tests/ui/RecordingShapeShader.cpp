#include "RecordingShapeShader.h"

#include <gtest/gtest.h>

namespace UiTest {

std::shared_ptr<const Shape::Mesh> RecordingShapeShader::makeMesh(const Shape::MeshData& data,
                                                                  Shape::Program program) {
    auto mesh = std::make_shared<RecordedMesh>();
    mesh->data = data;
    mesh->program = program;
    mesh->number = meshes.size();
    meshes.push_back(mesh);
    return mesh;
}

void RecordingShapeShader::draw(const Shape::Mesh& mesh, const Shape::DrawState& state) {
    const auto* recorded = dynamic_cast<const RecordedMesh*>(&mesh);
    EXPECT_NE(recorded, nullptr) << "a mesh this shader did not make";
    draws.push_back({recorded, state});
}

const RecordingShapeShader::RecordedMesh& RecordingShapeShader::recorded(const Shape& shape) {
    return dynamic_cast<const RecordedMesh&>(shape.mesh());
}

} // namespace UiTest
