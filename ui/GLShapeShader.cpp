#include "ui/GLShapeShader.h"

#include <GL/glew.h>

#include <optional>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Texture.h"
#include "sdlgl/VertexArrayObject.h"
#include "sdlgl/VertexBufferObject.h"

using TAVO::IK::SDLGL::Program;
using TAVO::IK::SDLGL::Uniform;
using TAVO::IK::SDLGL::VertexArrayObject;
using TAVO::IK::SDLGL::VertexBufferObject;

// The buffers of one mesh and a vertex array for every program it is drawn
// with: the one it was made for at once, another (a texture given to a shape
// made without one) on its first draw, so that each program reads its own
// attribute locations.
class GLShapeShader::GLMesh : public Shape::Mesh {
public:
    GLMesh(const Shape::MeshData& data, const GLShapeShader& shader, Shape::Program program)
        : indexCount_(static_cast<std::uint32_t>(data.indices.size())) {
        // Binding the index buffer to fill it would change the index buffer
        // of whatever vertex array was last bound.
        glBindVertexArray(0);
        TAVO::IK::SDLGL::checkGLError();
        positions_.setData(bytesOf(data.positions), GL_STATIC_DRAW);
        if (!data.colors.empty()) {
            colors_.emplace();
            colors_->setData(bytesOf(data.colors), GL_STATIC_DRAW);
        }
        indices_.setData(bytesOf(data.indices), GL_STATIC_DRAW);
        arrayFor(shader, program);
    }

    const VertexArrayObject& arrayFor(const GLShapeShader& shader, Shape::Program program) const {
        std::optional<VertexArrayObject>& slot = arrays_[static_cast<int>(program)];
        if (!slot) {
            VertexArrayObject array(shader.program(program));
            array.setAttribute("position", positions_, 2, GL_FLOAT, false, 0, 0);
            if (program == Shape::Program::vertexColor && colors_)
                array.setAttribute("vertexColor", *colors_, 4, GL_FLOAT, false, 0, 0);
            array.setIndexedGeometry(indices_, GL_UNSIGNED_INT, GL_TRIANGLES, indexCount_);
            array.unbind();
            slot = std::move(array);
        }
        return *slot;
    }

    std::uint32_t indexCount() const { return indexCount_; }

private:
    template <class T>
    static TAVO::BorrowConstBuffer bytesOf(const std::vector<T>& values) {
        return TAVO::BorrowConstBuffer(values.data(), static_cast<std::uint32_t>(values.size() * sizeof(T)));
    }

    VertexBufferObject positions_{GL_ARRAY_BUFFER};
    std::optional<VertexBufferObject> colors_;
    VertexBufferObject indices_{GL_ELEMENT_ARRAY_BUFFER};
    std::uint32_t indexCount_;
    mutable std::optional<VertexArrayObject> arrays_[3];
};

GLShapeShader::ProgramUniforms::ProgramUniforms(const Program& p)
    : program(p), scale(p, "scale"), offset(p, "offset"), color(p, "color") {}

GLShapeShader::GLShapeShader(const Program& plain, const Program& vertexColor, const Program& textured)
    : programs_{ProgramUniforms(plain), ProgramUniforms(vertexColor), ProgramUniforms(textured)},
      textureSampler_(textured, "textureSampler"), textureScale_(textured, "textureScale"),
      textureOffset_(textured, "textureOffset") {}

const Program& GLShapeShader::program(Shape::Program program) const {
    return programs_[static_cast<int>(program)].program;
}

std::shared_ptr<const Shape::Mesh> GLShapeShader::makeMesh(const Shape::MeshData& data, Shape::Program program) {
    return std::make_shared<GLMesh>(data, *this, program);
}

const GLShapeShader::GLMesh& GLShapeShader::glMeshOf(const Shape::Mesh& mesh) {
    const auto* glMesh = dynamic_cast<const GLMesh*>(&mesh);
    if (glMesh == nullptr)
        throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), "A mesh of another shader",
                                             "a mesh of this OpenGL shape shader");
    return *glMesh;
}

void GLShapeShader::draw(const Shape::Mesh& mesh, const Shape::DrawState& state) {
    drawRange(mesh, state, 0, glMeshOf(mesh).indexCount());
}

void GLShapeShader::drawRange(const Shape::Mesh& mesh, const Shape::DrawState& state, std::uint32_t first,
                              std::uint32_t count) {
    const GLMesh& glMesh = glMeshOf(mesh);
    if (std::uint64_t(first) + count > glMesh.indexCount())
        throw TAVO::BoundException<unsigned long long>(TAVO::SourceLocation(), std::uint64_t(first) + count,
                                                       glMesh.indexCount());
    if (count == 0)
        return;
    const ProgramUniforms& uniforms = programs_[static_cast<int>(state.program)];
    const VertexArrayObject& array = glMesh.arrayFor(*this, state.program);
    uniforms.program.use();
    if (state.program == Shape::Program::textured && state.texture != nullptr) {
        glActiveTexture(GL_TEXTURE0);
        TAVO::IK::SDLGL::checkGLError();
        state.texture->bind();
        textureSampler_.setInt(0);
        textureScale_.setVector2(state.textureScale);
        textureOffset_.setVector2(state.textureOffset);
    }
    uniforms.scale.setVector2(state.scale);
    uniforms.offset.setVector2(state.offset);
    uniforms.color.setVector4(state.color);
    if (!state.blend) {
        array.drawRange(first, count);
        return;
    }
    glEnable(GL_BLEND);
    TAVO::IK::SDLGL::checkGLError();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TAVO::IK::SDLGL::checkGLError();
    try {
        array.drawRange(first, count);
    } catch (...) {
        glDisable(GL_BLEND);
        throw;
    }
    glDisable(GL_BLEND);
    TAVO::IK::SDLGL::checkGLError();
}
