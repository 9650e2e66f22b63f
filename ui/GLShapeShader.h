#pragma once

#include <memory>

#include "sdlgl/Program.h"
#include "sdlgl/Uniform.h"
#include "ui/Shape.h"

// The shape shader of the game: three linked programs that share the vertex
// step "position * scale + offset" (the interface shader sources):
// - plain: every fragment in "color";
// - vertex colour: the attribute "vertexColor" times "color";
// - textured: "color" times the texture ("textureSampler") at "position *
//   textureScale + textureOffset".
// Meshes are static vertex and index buffers drawn with one indexed call.
// Main thread only, with the OpenGL context current.
class GLShapeShader : public Shape::ShapeShader {
public:
    // Looks up every uniform: a program without one of its names throws
    // ShaderException.
    GLShapeShader(const TAVO::IK::SDLGL::Program& plain, const TAVO::IK::SDLGL::Program& vertexColor,
                  const TAVO::IK::SDLGL::Program& textured);

    std::shared_ptr<const Shape::Mesh> makeMesh(const Shape::MeshData& data, Shape::Program program) override;
    // A mesh not made by a GLShapeShader throws UnexpectedValueException.
    void draw(const Shape::Mesh& mesh, const Shape::DrawState& state) override;
    void drawRange(const Shape::Mesh& mesh, const Shape::DrawState& state, std::uint32_t first,
                   std::uint32_t count) override;

    const TAVO::IK::SDLGL::Program& program(Shape::Program program) const;

private:
    class GLMesh;

    static const GLMesh& glMeshOf(const Shape::Mesh& mesh);

    struct ProgramUniforms {
        TAVO::IK::SDLGL::Program program;
        TAVO::IK::SDLGL::Uniform scale;
        TAVO::IK::SDLGL::Uniform offset;
        TAVO::IK::SDLGL::Uniform color;
        explicit ProgramUniforms(const TAVO::IK::SDLGL::Program& p);
    };

    ProgramUniforms programs_[3];
    TAVO::IK::SDLGL::Uniform textureSampler_;
    TAVO::IK::SDLGL::Uniform textureScale_;
    TAVO::IK::SDLGL::Uniform textureOffset_;
};
