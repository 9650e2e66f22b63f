#include <GL/glew.h>

#include <cstring>
#include <vector>

#include "support/gl/GLTest.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "geometry/Color.h"
#include "geometry/MatrixSquareLight.h"
#include "sdlgl/ShaderException.h"
#include "sdlgl/Uniform.h"
#include "sdlgl/VertexArrayObject.h"
#include "sdlgl/VertexBufferObject.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;
using KestruneGLTest::RenderTarget;
using KestruneGLTest::Resources;

namespace {

constexpr std::uint32_t columns = 4;
constexpr std::uint32_t columnWidth = 10;
constexpr std::uint32_t targetWidth = columns * columnWidth;
constexpr std::uint32_t targetHeight = 6;

// The outline program, drawing in clip coordinates in one colour.
Program outlineProgram() {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    builder.setPackage(&Resources::package());
    builder.loadSource(GL_VERTEX_SHADER, "shaders/outline.vert");
    builder.loadSource(GL_FRAGMENT_SHADER, "shaders/outline.frag");
    Program program = builder.build();
    program.use();
    MatrixSquareLight<3, float> identity;
    identity[0][0] = identity[1][1] = identity[2][2] = 1.0f;
    Uniform(program, "transformation").setMatrix3(identity);
    Uniform(program, "color").setColor(Color(1.0f, 1.0f, 1.0f));
    return program;
}

template <class T>
VertexBufferObject bufferOf(const std::vector<T>& values, GLenum target) {
    VertexBufferObject buffer(target);
    buffer.setData(BorrowConstBuffer(values.data(), std::uint32_t(values.size() * sizeof(T))), GL_STATIC_DRAW);
    return buffer;
}

float clipX(std::uint32_t pixel) { return -1.0f + 2.0f * float(pixel) / float(targetWidth); }

// Four corners of every column: lower left, lower right, upper right, upper left.
std::vector<float> columnCorners() {
    std::vector<float> points;
    for (std::uint32_t c = 0; c < columns; ++c) {
        const float x0 = clipX(c * columnWidth), x1 = clipX((c + 1) * columnWidth);
        const float corners[] = {x0, -1, x1, -1, x1, 1, x0, 1};
        points.insert(points.end(), std::begin(corners), std::end(corners));
    }
    return points;
}

// Two triangles of every column, six points each.
std::vector<float> columnTriangles() {
    const std::vector<float> corners = columnCorners();
    std::vector<float> points;
    for (std::uint32_t c = 0; c < columns; ++c)
        for (unsigned k : {0u, 1u, 2u, 0u, 2u, 3u}) {
            points.push_back(corners[(c * 4 + k) * 2]);
            points.push_back(corners[(c * 4 + k) * 2 + 1]);
        }
    return points;
}

// Elements 0-5 cover column 0, 6-9 are one triangle of column 1 and a
// spare index, 10-15 cover column 2, 16-21 column 3.
template <class T>
std::vector<T> columnIndices() {
    std::vector<T> indices;
    auto quad = [&](T c) {
        for (T k : {0, 1, 2, 0, 2, 3})
            indices.push_back(T(c * 4 + k));
    };
    quad(0);
    for (T k : {4, 5, 6, 0})
        indices.push_back(k);
    quad(2);
    quad(3);
    return indices;
}

// Which columns the target shows painted, read at the middle of each.
std::vector<bool> paintedColumns(const RenderTarget& target) {
    const std::vector<std::uint8_t> pixels = target.read();
    std::vector<bool> painted;
    for (std::uint32_t c = 0; c < columns; ++c)
        painted.push_back(RenderTarget::pixel(pixels, targetWidth, c * columnWidth + columnWidth / 2, targetHeight / 2)[0] > 128);
    return painted;
}

void clear() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

} // namespace

// A range of first element 10 and count 6 draws the elements 10 to 15
// (byte offset 10 times the index size), whatever the index type.
TEST_F(GLTest, IndexedRangesStartAtTheirElement) {
    RenderTarget target(targetWidth, targetHeight);
    const Program program = outlineProgram();
    const VertexBufferObject corners = bufferOf(columnCorners(), GL_ARRAY_BUFFER);
    struct Case {
        GLenum type;
        VertexBufferObject indices;
    };
    const Case cases[] = {
        {GL_UNSIGNED_BYTE, bufferOf(columnIndices<std::uint8_t>(), GL_ELEMENT_ARRAY_BUFFER)},
        {GL_UNSIGNED_SHORT, bufferOf(columnIndices<std::uint16_t>(), GL_ELEMENT_ARRAY_BUFFER)},
        {GL_UNSIGNED_INT, bufferOf(columnIndices<std::uint32_t>(), GL_ELEMENT_ARRAY_BUFFER)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        VertexArrayObject array(program);
        array.setAttribute("position", corners, 2, GL_FLOAT, false, 0, 0);
        array.setIndexedGeometry(c.indices, c.type, GL_TRIANGLES, 22);
        clear();
        array.drawRange(10, 6);
        EXPECT_EQ(paintedColumns(target), (std::vector<bool>{false, false, true, false}));
        clear();
        array.drawRange(16, 6);
        EXPECT_EQ(paintedColumns(target), (std::vector<bool>{false, false, false, true}));
        // A range past the index data is refused, not read.
        EXPECT_THROW(array.drawRange(20, 6), BoundException<unsigned long long>);
        // draw is the range from element 0 of the stored count.
        array.setIndexedGeometry(c.indices, c.type, GL_TRIANGLES, 6);
        clear();
        array.draw();
        EXPECT_EQ(paintedColumns(target), (std::vector<bool>{true, false, false, false}));
    }
}

TEST_F(GLTest, SwitchingToPlainGeometryDrawsArraysAndKeepsTheLastAttribute) {
    RenderTarget target(targetWidth, targetHeight);
    const Program program = outlineProgram();
    VertexArrayObject array(program);
    const VertexBufferObject corners = bufferOf(columnCorners(), GL_ARRAY_BUFFER);
    const VertexBufferObject indices = bufferOf(columnIndices<std::uint16_t>(), GL_ELEMENT_ARRAY_BUFFER);
    array.setAttribute("position", corners, 2, GL_FLOAT, false, 0, 0);
    array.setIndexedGeometry(indices, GL_UNSIGNED_SHORT, GL_TRIANGLES, 22);

    const VertexBufferObject triangles = bufferOf(columnTriangles(), GL_ARRAY_BUFFER);
    array.setAttribute("position", triangles, 2, GL_FLOAT, false, 8, 0);
    array.setGeometry(GL_TRIANGLES, 24);
    ASSERT_EQ(array.attributes().size(), 1u);
    EXPECT_EQ(array.attributes().at("position").id(), triangles.id());
    EXPECT_EQ(array.indexType(), GLenum(GL_INVALID_VALUE));
    clear();
    // Vertices 6 to 11: column 1, which no index range above reaches.
    array.drawRange(6, 6);
    EXPECT_EQ(paintedColumns(target), (std::vector<bool>{false, true, false, false}));
}

// Vertex data in a buffer made for indices still feeds the attribute: the
// array never falls back to reading a client pointer.
TEST_F(GLTest, AttributesReadTheirBufferWhateverItsTarget) {
    RenderTarget target(targetWidth, targetHeight);
    const Program program = outlineProgram();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    VertexArrayObject array(program);
    const VertexBufferObject corners = bufferOf(columnTriangles(), GL_ELEMENT_ARRAY_BUFFER);
    array.setAttribute("position", corners, 2, GL_FLOAT, false, 0, 6 * 2 * sizeof(float) * 3);
    array.setGeometry(GL_TRIANGLES, 6);
    clear();
    array.draw();
    EXPECT_EQ(paintedColumns(target), (std::vector<bool>{false, false, false, true}));
}

TEST_F(GLTest, ABufferSharedByTwoArraysLivesUntilTheLastCopyGoes) {
    const Program program = outlineProgram();
    GLuint name = 0;
    {
        VertexArrayObject second(program);
        {
            VertexBufferObject buffer = bufferOf(columnCorners(), GL_ARRAY_BUFFER);
            name = buffer.id();
            VertexArrayObject first(program);
            first.setAttribute("position", buffer, 2, GL_FLOAT, false, 0, 0);
            second.setAttribute("position", buffer, 2, GL_FLOAT, false, 0, 0);
            buffer.release();
            first.release();
            EXPECT_TRUE(glIsBuffer(name));
        }
        EXPECT_TRUE(glIsBuffer(name));
    }
    EXPECT_FALSE(glIsBuffer(name));
}

TEST_F(GLTest, ArraysNeedTheirProgramsAttributes) {
    const Program program = outlineProgram();
    VertexArrayObject array(program);
    const VertexBufferObject corners = bufferOf(columnCorners(), GL_ARRAY_BUFFER);
    try {
        array.setAttribute("vertexColor", corners, 4, GL_FLOAT, false, 0, 0);
        FAIL();
    } catch (const ShaderException& e) {
        EXPECT_EQ(e.message(), "Could not find attribute location, vertexColor. ");
    }
    EXPECT_TRUE(array.attributes().empty());
    // A buffer that was never given data cannot feed one.
    EXPECT_THROW(array.setAttribute("position", VertexBufferObject(), 2, GL_FLOAT, false, 0, 0),
                 UninitializedException);
}

TEST_F(GLTest, MovedArraysTakeEverythingAlong) {
    RenderTarget target(targetWidth, targetHeight);
    const Program program = outlineProgram();
    VertexArrayObject array(program);
    array.setAttribute("position", bufferOf(columnCorners(), GL_ARRAY_BUFFER), 2, GL_FLOAT, false, 0, 0);
    array.setIndexedGeometry(bufferOf(columnIndices<std::uint32_t>(), GL_ELEMENT_ARRAY_BUFFER), GL_UNSIGNED_INT,
                             GL_TRIANGLES, 6);
    VertexArrayObject moved;
    moved = std::move(array);
    clear();
    moved.draw();
    EXPECT_EQ(paintedColumns(target), (std::vector<bool>{true, false, false, false}));
}
