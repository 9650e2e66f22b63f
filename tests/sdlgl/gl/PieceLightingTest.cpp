// Pieces drawn with the built-in programs into a frame buffer and read back,
// compared with values computed here from the lighting's description.
#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "EdgeLightOracle.h"
#include "support/gl/GLTest.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "geometry/MatrixSquareLight.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Uniform.h"
#include "sdlgl/VertexArrayObject.h"
#include "sdlgl/VertexBufferObject.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::EdgeLightOracle;
using KestruneGLTest::GLTest;
using KestruneGLTest::RenderTarget;
using KestruneGLTest::Resources;

namespace {

using Record = std::array<double, 4>;
using Records = std::array<Record, 12>;
const Record empty = {0, 1000, 1000, 1000};

Program buildProgram(const char* vertex, bool vertexLight, const char* fragment, bool fragmentLight) {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    builder.setPackage(&Resources::package());
    builder.define("EDGES", "12");
    unsigned int v = builder.loadSource(GL_VERTEX_SHADER, "shaders/part_base.vert.inc");
    builder.loadSource(GL_VERTEX_SHADER, vertex, v);
    unsigned int f = builder.loadSource(GL_FRAGMENT_SHADER, "shaders/part_base.frag.inc");
    if (fragmentLight)
        builder.loadSource(GL_FRAGMENT_SHADER, "shaders/part_light.frag.inc", f);
    builder.loadSource(GL_FRAGMENT_SHADER, fragment, f);
    (void)vertexLight;
    return builder.build();
}

// A picture of one colour.
Texture solidPicture(std::array<std::uint8_t, 3> rgb) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 4; ++i)
        bytes.insert(bytes.end(), rgb.begin(), rgb.end());
    Texture picture;
    picture.upload(BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size())),
                   Migration::ImageMetadata(2, 2, 3, 24));
    return picture;
}

// Puzzle coordinates [0, w) x [0, h) onto the whole target, the picture over
// the puzzle, and the view's light.
void setPartUniforms(const Program& program, float w, float h, bool lit) {
    program.use();
    MatrixSquareLight<3, float> m;
    m[0][0] = 2.0f / w;
    m[0][2] = -1.0f;
    m[1][1] = 2.0f / h;
    m[1][2] = -1.0f;
    m[2][2] = 1.0f;
    Uniform(program, "partTransformation").setMatrix3(m);
    Uniform(program, "pictureSampler").setInt(0);
    Uniform(program, "pictureScale").setVector2(Vector<2, float>(1.0f / w, 1.0f / h));
    if (!lit)
        return;
    const double root = std::sqrt(1.5);
    const float direction[3] = {float(-0.5 / root), float(-0.5 / root), float(-1.0 / root)};
    Uniform(program, "edgeLightDirection").setVector3(direction);
    Uniform(program, "edgeSize").setFloat(5.0f);
    Uniform(program, "ambient").setFloat(float(1.0 - 1.0 / root));
    Uniform(program, "diffuse").setFloat(float(1.0 / root));
    Uniform(program, "specular").setFloat(0.5f);
    Uniform(program, "shininess").setFloat(25.0f);
}

template <class T>
VertexBufferObject bufferOf(const std::vector<T>& values) {
    VertexBufferObject buffer(GL_ARRAY_BUFFER);
    buffer.setData(BorrowConstBuffer(values.data(), std::uint32_t(values.size() * sizeof(T))), GL_STATIC_DRAW);
    return buffer;
}

// The rectangle [0, w] x [0, h] as two triangles.
std::vector<float> rectangle(float w, float h) { return {0, 0, w, 0, w, h, 0, 0, w, h, 0, h}; }

int channel(double value) { return int(std::lround(std::clamp(value, 0.0, 1.0) * 255.0)); }

// Draws the rectangle with the attribute program, every vertex's records
// given by recordsAt(x) for its x coordinate.
template <class F>
std::vector<std::uint8_t> drawWithRecords(std::uint32_t w, std::uint32_t h, const Texture& picture, F recordsAt) {
    RenderTarget target(w, h);
    const Program program =
        buildProgram("shaders/part_light_attribute.vert", false, "shaders/part_light_attribute.frag", true);
    setPartUniforms(program, float(w), float(h), true);
    const std::vector<float> positions = rectangle(float(w), float(h));
    std::vector<float> edges;
    for (std::size_t v = 0; v < positions.size(); v += 2) {
        const Records records = recordsAt(positions[v]);
        for (const Record& r : records)
            for (double value : r)
                edges.push_back(float(value));
    }
    const VertexBufferObject positionBuffer = bufferOf(positions);
    const VertexBufferObject edgeBuffer = bufferOf(edges);
    VertexArrayObject array(program);
    array.setAttribute("position", positionBuffer, 2, GL_FLOAT, false, 0, 0);
    for (unsigned int i = 0; i < 12; ++i)
        array.setAttribute("edge" + std::to_string(i), edgeBuffer, 4, GL_FLOAT, false, 192, 16 * i);
    array.setGeometry(GL_TRIANGLES, 6);
    glActiveTexture(GL_TEXTURE0);
    picture.bind();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    array.draw();
    return target.read();
}

// Every pixel against the oracle's colour, at most `tolerance` off per channel.
template <class F>
int worstError(const std::vector<std::uint8_t>& pixels, std::uint32_t w, std::uint32_t h, F expectedAt) {
    int worst = 0;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::array<double, 3> e = expectedAt(x, y);
            const std::uint8_t* p = RenderTarget::pixel(pixels, w, x, y);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(p[c]) - channel(e[c])));
            worst = std::max(worst, std::abs(int(p[3]) - 255));
        }
    return worst;
}

Records uniformRecords(const Record& r) {
    Records records;
    records.fill(r);
    return records;
}

} // namespace

// ---- The attribute variant -------------------------------------------------------

// Five or more units from every cut the rim faces the viewer: the inside of a
// white piece is lit evenly with the view's light to 0.853 (217.6 of 255).
TEST_F(GLTest, TheInsideOfAWhitePieceIsEvenlyLit) {
    const EdgeLightOracle oracle;
    const std::array<double, 3> expected = oracle.lighting(1.0, {1.0, 0.0}, {1.0, 1.0, 1.0});
    // The worked numbers: ambient + diffuse / sqrt(1.5) + 0.5 * (1 / sqrt(1.5))^25.
    EXPECT_NEAR(expected[0], (1 - 1 / std::sqrt(1.5)) + 1 / 1.5 + 0.5 * std::pow(1 / std::sqrt(1.5), 25), 1e-6);
    EXPECT_NEAR(expected[0], 0.8533, 1e-4);
    const std::vector<std::uint8_t> pixels =
        drawWithRecords(24, 8, solidPicture({255, 255, 255}), [](float) { return uniformRecords(empty); });
    EXPECT_LE(worstError(pixels, 24, 8, [&](std::uint32_t, std::uint32_t) { return expected; }), 1);
    EXPECT_EQ(int(RenderTarget::pixel(pixels, 24, 5, 5)[0]), 218);
}

// The rim rises from the cut at x = 0 (outward normal towards -x) and is
// flat from 5 units on.
TEST_F(GLTest, TheRimIsShadedByItsDistanceFromTheCut) {
    const EdgeLightOracle oracle;
    const std::array<std::uint8_t, 3> colour = {200, 150, 100};
    const std::vector<std::uint8_t> pixels = drawWithRecords(24, 4, solidPicture(colour), [](float x) {
        Records records = uniformRecords(empty);
        records[3] = {0.0, x, 1000, 1000};
        return records;
    });
    const int worst = worstError(pixels, 24, 4, [&](std::uint32_t x, std::uint32_t) {
        Records records = uniformRecords(empty);
        records[3] = {0.0, x + 0.5, 1000, 1000};
        return oracle.attribute(records, {colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0});
    });
    EXPECT_LE(worst, 2);
    // Brighter towards the light's side of the rim than the flat inside.
    EXPECT_NE(RenderTarget::pixel(pixels, 24, 1, 1)[0], RenderTarget::pixel(pixels, 24, 20, 1)[0]);
}

// On the cut itself the record's terms vanish; the edge normal stands in.
// With the light at right angles to the outward direction only the ambient
// term remains.
TEST_F(GLTest, OnTheCutWithTheLightAtRightAnglesOnlyAmbientRemains) {
    const EdgeLightOracle oracle;
    // Normal at 135 degrees: outwards is (1, -1) / sqrt(2), across the light's (1, 1).
    const Record onCut = {0.375, 0.0, 1000, 1000};
    const std::vector<std::uint8_t> pixels = drawWithRecords(8, 4, solidPicture({255, 255, 255}), [&](float) {
        Records records = uniformRecords(empty);
        records[0] = onCut;
        return records;
    });
    const int ambient = channel(oracle.ambient);
    EXPECT_NEAR(RenderTarget::pixel(pixels, 8, 4, 2)[0], ambient, 1);
    EXPECT_NEAR(RenderTarget::pixel(pixels, 8, 4, 2)[2], ambient, 1);
}

// A record with a negative second value is no edge; when all twelve are
// like that the last is taken at d = 1 and the piece is lit as inside, not
// darkened by a direction of length zero.
TEST_F(GLTest, PiecesWithoutNearEdgesAreLitAsInside) {
    const EdgeLightOracle oracle;
    const std::array<double, 3> inside = oracle.lighting(1.0, {1.0, 0.0}, {1.0, 1.0, 1.0});
    for (const Record& none : {Record{0.25, -1.0, 1000, 1000}, Record{0.0, -2.0, -3.0, -3.0}, Record{0.6, -0.5, 0, 0}}) {
        const std::vector<std::uint8_t> pixels =
            drawWithRecords(8, 4, solidPicture({255, 255, 255}), [&](float) { return uniformRecords(none); });
        EXPECT_LE(worstError(pixels, 8, 4, [&](std::uint32_t, std::uint32_t) { return inside; }), 1)
            << none[0] << " " << none[1];
    }
}

TEST_F(GLTest, TheNearestRecordWinsAndTheLaterOneOnATie) {
    const EdgeLightOracle oracle;
    const std::array<double, 3> white = {1.0, 1.0, 1.0};
    struct Case {
        Records records;
    };
    std::vector<Records> cases;
    Records tie = uniformRecords(empty);
    tie[0] = {0.0, 2.0, 1000, 1000};
    tie[5] = {0.5, 2.0, 1000, 1000};
    cases.push_back(tie);
    Records nearer = uniformRecords(empty);
    nearer[2] = {0.5, 1.0, 1000, 1000};
    nearer[7] = {0.0, 3.0, 1000, 1000};
    cases.push_back(nearer);
    Records capped = uniformRecords(empty);
    // Beyond the start cap: distance sqrt(2^2 + 3^2), direction (2, 3) turned by the normal.
    capped[1] = {0.125, 2.0, -3.0, 1000};
    capped[9] = {0.0, 3.9, 1000, 1000};
    cases.push_back(capped);
    for (const Records& records : cases) {
        const std::vector<std::uint8_t> pixels =
            drawWithRecords(8, 4, solidPicture({255, 255, 255}), [&](float) { return records; });
        const std::array<double, 3> expected = oracle.attribute(records, white);
        EXPECT_LE(worstError(pixels, 8, 4, [&](std::uint32_t, std::uint32_t) { return expected; }), 2);
    }
    // The tie really distinguishes the two records.
    EXPECT_GT(std::abs(channel(oracle.lighting(0.4, {1, 0}, white)[0]) - channel(oracle.lighting(0.4, {-1, 0}, white)[0])), 10);
}

// ---- The map variant --------------------------------------------------------------

namespace {

// Draws a puzzle of w x h units at `scale` pixels a unit with the light-map
// program over a map of the given texel bytes.
std::vector<std::uint8_t> drawWithMap(std::uint32_t w, std::uint32_t h, std::uint32_t scale,
                                      const std::vector<std::uint8_t>& map, const Texture& picture) {
    RenderTarget target(w * scale, h * scale);
    const Program program = buildProgram("shaders/part_light_map.vert", false, "shaders/part_light_map.frag", true);
    setPartUniforms(program, float(w), float(h), true);
    Uniform(program, "edgeMapSampler").setInt(1);
    Uniform(program, "edgeMapScale").setVector2(Vector<2, float>(1.0f / float(w), 1.0f / float(h)));
    Texture edgeMap;
    edgeMap.upload(BorrowConstBuffer(map.data(), std::uint32_t(map.size())), Migration::ImageMetadata(w, h, 4, 32));
    edgeMap.setFilter(GL_NEAREST);
    const VertexBufferObject positions = bufferOf(rectangle(float(w), float(h)));
    VertexArrayObject array(program);
    array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
    array.setGeometry(GL_TRIANGLES, 6);
    glActiveTexture(GL_TEXTURE1);
    edgeMap.bind();
    glActiveTexture(GL_TEXTURE0);
    picture.bind();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    array.draw();
    return target.read();
}

} // namespace

TEST_F(GLTest, TheLightMapIsDecodedPerTexel) {
    const EdgeLightOracle oracle;
    const std::uint32_t w = 12, h = 8, scale = 4;
    std::vector<std::uint8_t> map(w * h * 4);
    std::uint32_t state = 2024;
    for (auto& b : map) {
        state = state * 1664525u + 1013904223u;
        b = std::uint8_t(state >> 24);
    }
    // Some texels far from every cut, as most of a map is.
    for (std::size_t t = 0; t < map.size(); t += 4 * 5)
        map[t] = map[t + 1] = map[t + 2] = map[t + 3] = 255;
    const std::array<std::uint8_t, 3> colour = {180, 120, 60};
    const std::vector<std::uint8_t> pixels = drawWithMap(w, h, scale, map, solidPicture(colour));
    int worst = 0, compared = 0;
    for (std::uint32_t y = 0; y < h * scale; ++y)
        for (std::uint32_t x = 0; x < w * scale; ++x) {
            const EdgeLightOracle::Vec2 p = {(x + 0.5) / scale, (y + 0.5) / scale};
            const std::size_t texel = (std::size_t(std::floor(p[1])) * w + std::size_t(std::floor(p[0]))) * 4;
            const std::array<double, 4> codes = {map[texel] / 255.0, map[texel + 1] / 255.0, map[texel + 2] / 255.0,
                                                 map[texel + 3] / 255.0};
            double margin = 0;
            const std::array<double, 3> e =
                oracle.map(p, codes, {colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0}, margin);
            // Away from the decisions a rounding could tip.
            if (margin < 1e-3)
                continue;
            ++compared;
            const std::uint8_t* got = RenderTarget::pixel(pixels, w * scale, x, y);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(got[c]) - channel(e[c])));
        }
    EXPECT_GT(compared, int(w * h * scale * scale * 9 / 10));
    EXPECT_LE(worst, 2);
}

// A fragment exactly on the coded edge (distance 0 at the texel centre) keeps
// the edge's normal instead of losing it to a sign of zero.
TEST_F(GLTest, AFragmentOnTheMappedEdgeKeepsItsNormal) {
    const EdgeLightOracle oracle;
    const std::uint32_t w = 4, h = 4;
    // Angle code 159: a normal of about 225 degrees, so that the outward
    // side (its opposite) faces the light.
    std::vector<std::uint8_t> map;
    for (std::uint32_t i = 0; i < w * h; ++i)
        map.insert(map.end(), {159, 0, 0, 255});
    const std::vector<std::uint8_t> pixels = drawWithMap(w, h, 1, map, solidPicture({255, 255, 255}));
    const double angle = 159.0 / 255.0 * 2 * EdgeLightOracle::pi;
    const std::array<double, 3> expected =
        oracle.lighting(0.0, {-std::cos(angle), -std::sin(angle)}, {1.0, 1.0, 1.0});
    EXPECT_GT(channel(expected[0]), channel(oracle.ambient) + 50);
    EXPECT_LE(worstError(pixels, w, h, [&](std::uint32_t, std::uint32_t) { return expected; }), 2);
}

// ---- Unlit pieces and interface shapes ---------------------------------------------

TEST_F(GLTest, UnlitPiecesShowThePictureTexelForTexel) {
    const std::uint32_t w = 6, h = 4;
    std::vector<std::uint8_t> bytes(w * h * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 37 + 11);
    Texture picture;
    picture.upload(BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size())), Migration::ImageMetadata(w, h, 3, 24));
    picture.setFilter(GL_NEAREST);
    RenderTarget target(w, h);
    const Program program = buildProgram("shaders/part.vert", false, "shaders/part.frag", false);
    setPartUniforms(program, float(w), float(h), false);
    const VertexBufferObject positions = bufferOf(rectangle(float(w), float(h)));
    VertexArrayObject array(program);
    array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
    array.setGeometry(GL_TRIANGLES, 6);
    glActiveTexture(GL_TEXTURE0);
    picture.bind();
    array.draw();
    const std::vector<std::uint8_t> pixels = target.read();
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = RenderTarget::pixel(pixels, w, x, y);
            const std::uint8_t* e = bytes.data() + (y * w + x) * 3;
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{e[0], e[1], e[2], 255}))
                << x << "," << y;
        }
}

// A shape of bounds (0, 0, 1, 1) drawn 64 pixels square in the lower left of
// an 800 x 600 window: scale (0.16, 0.21333), offset (-1, -1).
TEST_F(GLTest, InterfaceShapesLandWhereScaleAndOffsetPutThem) {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    builder.setPackage(&Resources::package());
    const unsigned int v = builder.loadSource(GL_VERTEX_SHADER, "shaders/ui_base.vert.inc");
    builder.loadSource(GL_VERTEX_SHADER, "shaders/ui_shape_color.vert", v);
    builder.loadSource(GL_FRAGMENT_SHADER, "shaders/ui_shape_color.frag");
    const Program program = builder.build();
    program.use();
    Uniform(program, "scale").setVector2(Vector<2, float>(0.16f, 64.0f / 300.0f));
    Uniform(program, "offset").setVector2(Vector<2, float>(-1.0f, -1.0f));
    Uniform(program, "color").setVector4(Tuple<4, float>(1.0f, 0.5f, 1.0f, 1.0f));
    const VertexBufferObject positions = bufferOf(std::vector<float>{0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1});
    std::vector<float> colours;
    for (int i = 0; i < 6; ++i)
        colours.insert(colours.end(), {0.2f, 0.8f, 0.4f, 1.0f});
    const VertexBufferObject colourBuffer = bufferOf(colours);
    VertexArrayObject array(program);
    array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
    array.setAttribute("vertexColor", colourBuffer, 4, GL_FLOAT, false, 0, 0);
    array.setGeometry(GL_TRIANGLES, 6);
    RenderTarget target(800, 600);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    array.draw();
    const std::vector<std::uint8_t> pixels = target.read();
    auto at = [&](std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* p = RenderTarget::pixel(pixels, 800, x, y);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(0, 0), (std::vector<int>{51, 102, 102}));
    EXPECT_EQ(at(63, 63), (std::vector<int>{51, 102, 102}));
    EXPECT_EQ(at(64, 10), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(at(10, 64), (std::vector<int>{0, 0, 0}));
}

// ---- A whole piece -----------------------------------------------------------------

namespace {

// The edge map of a square piece [lo, hi]^2 in a w x h puzzle: every texel
// the codes of its two nearest sides.
std::vector<std::uint8_t> squareEdgeMap(std::uint32_t w, std::uint32_t h, double lo, double hi) {
    const double pi = EdgeLightOracle::pi;
    const double sides[4][4] = {{lo, lo, hi, lo}, {hi, lo, hi, hi}, {hi, hi, lo, hi}, {lo, hi, lo, lo}};
    std::vector<std::uint8_t> map(std::size_t(w) * h * 4, 255);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* texel = map.data() + (std::size_t(y) * w + x) * 4;
            const double cx = x + 0.5, cy = y + 0.5;
            for (const auto& s : sides) {
                const double dx = s[2] - s[0], dy = s[3] - s[1];
                const double length = std::hypot(dx, dy);
                const double t = std::clamp(((cx - s[0]) * dx + (cy - s[1]) * dy) / length, 0.0, length);
                const double vx = cx - (s[0] + t * dx / length), vy = cy - (s[1] + t * dy / length);
                double angle = std::atan2(vy, vx);
                if (angle < 0)
                    angle += 2 * pi;
                const auto code = [](double v) { return std::uint8_t(std::clamp(v * 255.0, 0.0, 255.0)); };
                const std::uint8_t distance = code(std::hypot(vx, vy) / 6.0), direction = code(angle / (2 * pi));
                if (distance < texel[1]) {
                    texel[2] = texel[0], texel[3] = texel[1];
                    texel[0] = direction, texel[1] = distance;
                } else if (distance < texel[3]) {
                    texel[2] = direction, texel[3] = distance;
                }
            }
        }
    return map;
}

} // namespace

// The light comes from the upper right: the piece's right and top rims are
// brighter than its inside, the left and bottom rims darker.
TEST_F(GLTest, ASquarePieceIsLitFromTheUpperRight) {
    const std::uint32_t w = 64, h = 64, scale = 4;
    const std::vector<std::uint8_t> map = squareEdgeMap(w, h, 8, 56);
    RenderTarget target(w * scale, h * scale);
    const Program program = buildProgram("shaders/part_light_map.vert", false, "shaders/part_light_map.frag", true);
    setPartUniforms(program, float(w), float(h), true);
    Uniform(program, "edgeMapSampler").setInt(1);
    Uniform(program, "edgeMapScale").setVector2(Vector<2, float>(1.0f / float(w), 1.0f / float(h)));
    Texture edgeMap;
    edgeMap.upload(BorrowConstBuffer(map.data(), std::uint32_t(map.size())), Migration::ImageMetadata(w, h, 4, 32));
    edgeMap.setFilter(GL_NEAREST);
    // A picture with a gentle gradient.
    std::vector<std::uint8_t> picture;
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x < 16; ++x)
            picture.insert(picture.end(), {std::uint8_t(120 + 6 * x), std::uint8_t(90 + 5 * y), 160});
    Texture pictureTexture;
    pictureTexture.upload(BorrowConstBuffer(picture.data(), std::uint32_t(picture.size())),
                          Migration::ImageMetadata(16, 16, 3, 24));
    const std::vector<float> square = {8, 8, 56, 8, 56, 56, 8, 8, 56, 56, 8, 56};
    const VertexBufferObject positions = bufferOf(square);
    VertexArrayObject array(program);
    array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
    array.setGeometry(GL_TRIANGLES, 6);
    glActiveTexture(GL_TEXTURE1);
    edgeMap.bind();
    glActiveTexture(GL_TEXTURE0);
    pictureTexture.bind();
    glClearColor(0.1f, 0.1f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    array.draw();
    const std::vector<std::uint8_t> pixels = target.read();
    if (const char* folder = std::getenv("KESTRUNE_TEST_SNAPSHOTS"))
        target.writePNG(std::string(folder) + "/lit-square-piece.png");

    // Brightness summed over the three channels, three units inside each rim
    // (where the rim's slope turns it most towards or away from the light)
    // and in the middle.
    auto brightness = [&](double ux, double uy) {
        const std::uint8_t* p = RenderTarget::pixel(pixels, w * scale, std::uint32_t(ux * scale), std::uint32_t(uy * scale));
        return int(p[0]) + p[1] + p[2];
    };
    const int inside = brightness(32, 32);
    EXPECT_GT(brightness(53, 32), inside + 30);
    EXPECT_GT(brightness(32, 53), inside + 30);
    EXPECT_LT(brightness(11, 32), inside - 30);
    EXPECT_LT(brightness(32, 11), inside - 30);
    // Outside the piece nothing was drawn.
    EXPECT_EQ(brightness(4, 4), 3 * 26);
}
