#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "sdlgl/Object.h"
#include "sdlgl/Program.h"
#include "sdlgl/VertexBufferObject.h"

namespace TAVO::IK::SDLGL {

// Named attributes of one program fed from vertex buffers, drawn with or
// without an index buffer. Made on first use; the buffers it uses stay alive
// as long as it does.
class VertexArrayObject {
public:
    struct Resource {
        static void generate(GLuint& name) { glGenVertexArrays(1, &name); }
        static void release(GLuint name) { glDeleteVertexArrays(1, &name); }
        static const char* displayName() { return "Vertex buffer array"; }
    };

    VertexArrayObject() = default;
    explicit VertexArrayObject(const Program& program) : program_(program) {}

    // Feeds the program's attribute from the buffer: count components of the
    // type per vertex, stride and offset in bytes. A name the program lacks
    // throws ShaderException; a buffer without data UninitializedException.
    void setAttribute(const std::string& name, const VertexBufferObject& buffer, GLint components, GLenum type,
                      bool normalise, GLsizei stride, std::uint32_t offset);
    // Draws count vertices without indices.
    void setGeometry(GLenum mode, std::uint32_t count);
    // Draws count indices of the type (8-, 16- or 32-bit unsigned) from the
    // index buffer. Another type throws SupportException "GL geometry type"
    // and an index buffer without data UninitializedException "index
    // buffer"; either leaves the geometry unchanged.
    void setIndexedGeometry(const VertexBufferObject& indices, GLenum type, GLenum mode, std::uint32_t count);

    void draw() const { drawRange(0, count_); }
    // Elements first to first + count (indices, or vertices without them).
    // An index range beyond the index buffer's data throws
    // BoundException<unsigned long long>.
    void drawRange(std::uint32_t first, std::uint32_t count) const;

    bool isCreated() const { return static_cast<bool>(handle_); }
    // The GL name; an array never made throws UninitializedException "vertex array".
    GLuint id() const;
    void bind() const;
    void unbind() const;
    // Drops the array, its attribute buffers and its index buffer.
    void release();

    const Program& program() const { return program_; }
    const std::map<std::string, VertexBufferObject>& attributes() const { return attributes_; }
    GLenum mode() const { return mode_; }
    std::uint32_t count() const { return count_; }
    // GL_INVALID_VALUE without an index buffer.
    GLenum indexType() const { return indexType_; }
    std::uint32_t indexSize() const { return indexSize_; }

private:
    void create();

    std::shared_ptr<Object<Resource>> handle_;
    Program program_;
    std::map<std::string, VertexBufferObject> attributes_;
    GLenum mode_ = GL_TRIANGLES;
    std::uint32_t count_ = 0;
    GLenum indexType_ = GL_INVALID_VALUE;
    std::uint32_t indexSize_ = 0;
    VertexBufferObject indexBuffer_{GL_ELEMENT_ARRAY_BUFFER};
};

} // namespace TAVO::IK::SDLGL
