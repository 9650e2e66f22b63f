// Shapes without OpenGL: the meshes they hand to the shader, the program
// they choose and the uniforms of a draw in their place.
#include <gtest/gtest.h>

#include <memory>

#include "RecordingShapeShader.h"
#include "TestShapes.h"
#include "TestPackages.h"
#include "foundation/exceptions/BoundException.h"
#include "sdlgl/Texture.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/ShapeFile.h"
#include "ui/ShapeFileException.h"

using namespace UiTest;
using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

ShapeFile::Layer layerOf(const Polygon& polygon, std::vector<Tuple<4, float>> colors = {}) {
    ShapeFile::Layer layer;
    layer.polygon = polygon;
    layer.colors = std::move(colors);
    return layer;
}

// Where the shader puts a mesh point, in normalised window coordinates.
Point<2, float> placed(const Shape::DrawState& s, float x, float y) {
    return Point<2, float>(x * s.scale[0] + s.offset[0], y * s.scale[1] + s.offset[1]);
}

} // namespace

// A 64 by 64 shape at the lower left of an 800 by 600 window covers the
// window's lower-left 64 by 64 pixels.
TEST(Shape, AShapeAtTheLowerLeftOfTheWindow) {
    RecordingShapeShader shader;
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<Shape>(shader, square(0, 0, 1), unit, Tuple<2, float>(64, 64), TAVO::Color(1, 1, 1),
                                     false),
             lowerLeft, lowerLeft, false);
    const auto& shape = static_cast<const Shape&>(*root.children().back());
    EXPECT_EQ(shape.transform().scale, (Vector<2, float>(400, 300)));
    EXPECT_EQ(shape.transform().offset, (Vector<2, float>(400, 300)));
    root.draw();
    ASSERT_EQ(shader.draws.size(), 1u);
    const Shape::DrawState& s = shader.draws[0].state;
    EXPECT_FLOAT_EQ(s.scale[0], 0.16f);
    EXPECT_NEAR(s.scale[1], 0.213333f, 1e-6);
    EXPECT_FLOAT_EQ(s.offset[0], -1.0f);
    EXPECT_FLOAT_EQ(s.offset[1], -1.0f);
    // The mesh's far corner lands 64 pixels in on both axes.
    const Point<2, float> corner = placed(s, 1, 1);
    EXPECT_FLOAT_EQ((corner[0] + 1.0f) * 400.0f, 64.0f);
    EXPECT_FLOAT_EQ((corner[1] + 1.0f) * 300.0f, 64.0f);
    EXPECT_EQ(s.program, Shape::Program::plain);
    EXPECT_EQ(s.color, (Tuple<4, float>(1, 1, 1, 1)));
    EXPECT_EQ(s.texture, nullptr);
}

// Bounds that do not start at the origin are stretched over the component:
// the bounds' corners land on the component's corners wherever it is.
TEST(Shape, TheBoundsAreStretchedOverTheComponent) {
    RecordingShapeShader shader;
    Panel root(Tuple<2, float>(1000, 500), false);
    auto inner = std::make_unique<Panel>(Tuple<2, float>(400, 200), false);
    const Hyperrectangle<2, float> bounds(Point<2, float>(-2, 3), Tuple<2, float>(4, 1));
    inner->add(std::make_unique<Shape>(shader, square(-1, 3, 0.5f), bounds, Tuple<2, float>(80, 20),
                                       TAVO::Color(0, 0, 1), false),
               Vector<2, float>(1, 1), Vector<2, float>(1, 1), Vector<2, float>(-10, -30), false);
    root.add(std::move(inner), centre, centre, false);
    root.draw();
    ASSERT_EQ(shader.draws.size(), 1u);
    // The inner panel spans pixels (300, 150)-(700, 350); the shape's upper
    // right is at (690, 320), so it spans (610, 300)-(690, 320).
    const Shape::DrawState& s = shader.draws[0].state;
    const Point<2, float> low = placed(s, -2, 3), high = placed(s, 2, 4);
    EXPECT_NEAR((low[0] + 1) * 500, 610, 1e-3);
    EXPECT_NEAR((low[1] + 1) * 250, 300, 1e-3);
    EXPECT_NEAR((high[0] + 1) * 500, 690, 1e-3);
    EXPECT_NEAR((high[1] + 1) * 250, 320, 1e-3);

    // The mesh transform takes local points to mesh points.
    const auto& shape = static_cast<const Shape&>(*static_cast<Panel&>(*root.children().back()).children().back());
    const ComponentTransform m = shape.meshTransform();
    EXPECT_EQ(m.apply(Point<2, float>(0, 0)), (Point<2, float>(-2, 3)));
    EXPECT_EQ(m.apply(Point<2, float>(80, 20)), (Point<2, float>(2, 4)));
}

TEST(Shape, APolygonMeshAndItsProgram) {
    RecordingShapeShader shader;
    Shape plain(shader, square(0, 0, 1), unit, Tuple<2, float>(10, 10), TAVO::Color(1, 0, 0), false);
    Shape textured(shader, square(0, 0, 1), unit, Tuple<2, float>(10, 10), TAVO::Color(1, 0, 0), true);
    ASSERT_EQ(shader.meshes.size(), 2u);
    const Shape::MeshData& data = shader.meshes[0]->data;
    EXPECT_EQ(data.positions, (std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_TRUE(data.colors.empty());
    EXPECT_EQ(data.indices.size(), 6u);
    EXPECT_EQ(shader.meshes[0]->program, Shape::Program::plain);
    EXPECT_EQ(shader.meshes[1]->program, Shape::Program::textured);
    EXPECT_FALSE(plain.hasVertexColors());
    // Made for a texture but without one yet: drawn plain.
    EXPECT_EQ(textured.drawState().program, Shape::Program::plain);
}

// A file with colours uses them, textured or not; layers without colours
// of their own are drawn in the shape's colour (white per point), so the
// colour buffer always has one colour for every point.
TEST(Shape, PointColoursAndTheLayersWithout) {
    RecordingShapeShader shader;
    ShapeFile file;
    file.bounds = unit;
    file.name = "assets/mixed.dat";
    const Tuple<4, float> red(1, 0, 0, 1), green(0, 1, 0, 0.5f);
    file.layers.push_back(layerOf(square(0, 0, 0.4f)));
    file.layers.push_back(layerOf(square(0.5f, 0.5f, 0.4f), {red, green, red, green}));
    Shape shape(shader, file, Tuple<2, float>(50, 50), TAVO::Color(1, 1, 1), true);
    const auto& mesh = RecordingShapeShader::recorded(shape);
    EXPECT_EQ(mesh.program, Shape::Program::vertexColor);
    EXPECT_TRUE(shape.hasVertexColors());
    ASSERT_EQ(mesh.data.colors.size(), 8u * 4u);
    EXPECT_EQ(std::vector<float>(mesh.data.colors.begin(), mesh.data.colors.begin() + 16),
              std::vector<float>(16, 1.0f));
    EXPECT_EQ(std::vector<float>(mesh.data.colors.begin() + 16, mesh.data.colors.begin() + 24),
              (std::vector<float>{1, 0, 0, 1, 0, 1, 0, 0.5f}));
    // The second layer's triangles use its own points, after the first's.
    ASSERT_EQ(mesh.data.indices.size(), 12u);
    for (std::size_t i = 6; i < 12; ++i)
        EXPECT_GE(mesh.data.indices[i], 4u);
    EXPECT_EQ(shape.drawState().program, Shape::Program::vertexColor);
}

TEST(Shape, ALayerWithTooFewColoursIsRefused) {
    RecordingShapeShader shader;
    ShapeFile file;
    file.bounds = unit;
    file.name = "assets/short.dat";
    file.layers.push_back(layerOf(square(0, 0, 1), {Tuple<4, float>(1, 0, 0, 1)}));
    try {
        Shape shape(shader, file, Tuple<2, float>(50, 50), TAVO::Color(1, 1, 1), false);
        FAIL() << "built";
    } catch (const ShapeFileException& e) {
        EXPECT_EQ(e.name(), "assets/short.dat");
    }
    EXPECT_TRUE(shader.meshes.empty());
}

// Layers the triangulator refuses (turned the wrong way, or crossing
// themselves) end in an error that names the file and the layer.
TEST(Shape, ALayerThatCannotBeTriangulatedNamesTheFile) {
    RecordingShapeShader shader;
    Polygon clockwise;
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}})
        clockwise.addPoint(Point<2, float>(x, y));
    clockwise.addContour({0, 1, 2, 3});
    Polygon bowTie;
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}})
        bowTie.addPoint(Point<2, float>(x, y));
    bowTie.addContour({0, 1, 2, 3});
    for (const Polygon& bad : {clockwise, bowTie}) {
        ShapeFile file;
        file.bounds = unit;
        file.name = "assets/broken.dat";
        file.layers.push_back(layerOf(square(0.1f, 0.1f, 0.1f)));
        file.layers.push_back(layerOf(bad));
        try {
            Shape shape(shader, file, Tuple<2, float>(50, 50), TAVO::Color(1, 1, 1), false);
            ADD_FAILURE() << "built";
        } catch (const ShapeFileException& e) {
            EXPECT_EQ(e.name(), "assets/broken.dat");
            EXPECT_NE(e.message().find("layer 1"), std::string::npos) << e.message();
        }
    }
}

TEST(Shape, PointsAndTrianglesAreCheckedAgainstEachOther) {
    RecordingShapeShader shader;
    const std::vector<Point<2, float>> points = {{0, 0}, {1, 0}, {0, 1}};
    Shape ok(shader, points, {Tuple<3, unsigned int>(0, 1, 2)}, unit, Tuple<2, float>(5, 5), TAVO::Color(), false);
    EXPECT_EQ(RecordingShapeShader::recorded(ok).data.indices, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_THROW(Shape(shader, points, {Tuple<3, unsigned int>(0, 1, 3)}, unit, Tuple<2, float>(5, 5),
                       TAVO::Color(), false),
                 TAVO::BoundException<unsigned int>);
}

// The texture rectangle's corners are sampled at the bounds' corners.
TEST(Shape, TheTextureRegionMapsTheBoundsOntoTheRectangle) {
    RecordingShapeShader shader;
    auto texture = std::make_shared<Shape::Texture>();
    Shape whole(shader, square(0, 0, 1), unit, Tuple<2, float>(10, 10), TAVO::Color(1, 1, 1), texture, unit);
    EXPECT_EQ(whole.textureScale(), (Vector<2, float>(1, 1)));
    EXPECT_EQ(whole.textureOffset(), (Vector<2, float>(0, 0)));

    const Hyperrectangle<2, float> bounds(Point<2, float>(-1, -1), Tuple<2, float>(2, 2));
    const Hyperrectangle<2, float> region(Point<2, float>(0.25f, 0.5f), Tuple<2, float>(0.5f, 0.25f));
    Shape part(shader, square(-1, -1, 2), bounds, Tuple<2, float>(10, 10), TAVO::Color(1, 1, 1), texture, region);
    auto sample = [&](float x, float y) {
        return Point<2, float>(x * part.textureScale()[0] + part.textureOffset()[0],
                               y * part.textureScale()[1] + part.textureOffset()[1]);
    };
    EXPECT_EQ(sample(-1, -1), (Point<2, float>(0.25f, 0.5f)));
    EXPECT_EQ(sample(1, 1), (Point<2, float>(0.75f, 0.75f)));

    const Shape::DrawState s = part.drawState();
    EXPECT_EQ(s.program, Shape::Program::textured);
    EXPECT_EQ(s.texture, texture.get());
    EXPECT_EQ(s.textureScale, part.textureScale());
    EXPECT_EQ(s.textureOffset, part.textureOffset());
    EXPECT_EQ(RecordingShapeShader::recorded(part).program, Shape::Program::textured);
}

// A shape made plain that is given a texture later draws textured; a shape
// with point colours given a texture draws textured too.
TEST(Shape, ATextureGivenLaterSwitchesTheProgram) {
    RecordingShapeShader shader;
    Shape shape(shader, square(0, 0, 1), unit, Tuple<2, float>(10, 10), TAVO::Color(1, 1, 1), false);
    shape.setTexture(std::make_shared<Shape::Texture>(),
                     Hyperrectangle<2, float>(Point<2, float>(0, 0), Tuple<2, float>(4, 4)));
    EXPECT_EQ(shape.drawState().program, Shape::Program::textured);
    EXPECT_EQ(shape.textureScale(), (Vector<2, float>(4, 4)));
    shape.setTexture(nullptr, unit);
    EXPECT_EQ(shape.drawState().program, Shape::Program::plain);
}

TEST(Shape, ColoursCopiesAndEmptyShapes) {
    RecordingShapeShader shader;
    Panel root(Tuple<2, float>(100, 100), false);
    root.add(std::make_unique<Shape>(shader, square(0, 0, 1), unit, Tuple<2, float>(10, 10),
                                     TAVO::Color(0.25f, 0.5f, 0.75f), false),
             centre, centre, false);
    auto& shape = static_cast<Shape&>(*root.children().back());
    EXPECT_EQ(shape.color(), (Tuple<4, float>(0.25f, 0.5f, 0.75f, 1.0f)));
    shape.setColor(TAVO::Color(1, 0, 0), 0.3f);
    EXPECT_EQ(shape.color(), (Tuple<4, float>(1, 0, 0, 0.3f)));

    Shape copy(shape);
    EXPECT_EQ(copy.parent(), nullptr);
    EXPECT_EQ(&copy.mesh(), &shape.mesh());
    EXPECT_EQ(shader.meshes.size(), 1u) << "a copy makes no mesh";

    // Without area there is nothing to draw (and no division by zero).
    copy.setGeometry(Tuple<2, float>(0, 10));
    copy.draw();
    EXPECT_TRUE(shader.draws.empty());
    copy.setGeometry(Tuple<2, float>(10, 10));
    copy.draw();
    EXPECT_EQ(shader.draws.size(), 1u);
    // A shape takes no input.
    EXPECT_FALSE(root.pointerButton(FrameTime(), Point<2, float>(0, 0), true));
}

// Every shipped shape file loads and makes a shape, the title with its own colours.
TEST(Shape, TheShippedTitleIsDrawnWithItsColours) {
    BuiltInPackage builtIn;
    RecordingShapeShader shader;
    ShapeFile title;
    loadShapeFile(title, builtIn.archive, "assets/title.dat");
    Shape shape(shader, title, Tuple<2, float>(600, 150), TAVO::Color(1, 1, 1), false);
    EXPECT_EQ(shape.drawState().program, Shape::Program::vertexColor);
    const auto& mesh = RecordingShapeShader::recorded(shape).data;
    EXPECT_EQ(mesh.colors.size(), mesh.positions.size() * 2);
}
