// Shapes drawn with OpenGL into a frame buffer and read back: the shipped
// icons against an even-odd fill worked out per pixel, point colours,
// textures, blending and outlines.
#include <GL/glew.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../TestPackages.h"
#include "../TestShapes.h"
#include "ShapeDrawingFixture.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/Texture.h"
#include "ui/GLShapeShader.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/ShapeFile.h"
#include "ui/ShapeGeometry.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::RenderTarget;
using KestruneGLTest::Resources;
using UiTest::ShapeDrawing;
using UiTest::centre;
using UiTest::lowerLeft;
using UiTest::square;
using UiTest::unit;

// A 40 by 40 square at the lower left of a 100 by 100 window covers exactly
// its 40 by 40 pixels.
TEST_F(ShapeDrawing, APlainShapeCoversItsPixels) {
    auto t = target(100, 100);
    Panel root(Tuple<2, float>(100, 100), false);
    root.add(std::make_unique<Shape>(*shader, square(0, 0, 1), unit, Tuple<2, float>(40, 40), Color(1, 0, 0), false),
             lowerLeft, lowerLeft, false);
    root.draw();
    const auto pixels = t->read();
    keep(*t, "plain");
    expectPixel(pixels, 100, 0, 0, 255, 0, 0);
    expectPixel(pixels, 100, 39, 39, 255, 0, 0);
    expectPixel(pixels, 100, 40, 20, 0, 0, 0);
    expectPixel(pixels, 100, 20, 40, 0, 0, 0);
    expectPixel(pixels, 100, 99, 99, 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "blending is switched off after the draw";
}

// Every shipped icon drawn at 50 by 50 pixels fills exactly the pixels whose
// centres the even-odd rule puts inside its outline, away from the edges.
TEST_F(ShapeDrawing, EveryShippedIconFillsItsOutline) {
    UiTest::BuiltInPackage builtIn;
    std::vector<std::string> names = builtIn.shapeFileNames();
    std::erase_if(names, [](const std::string& n) { return n == "assets/title.dat" || n == "assets/digits.dat"; });
    ASSERT_EQ(names.size(), 20u);
    const std::uint32_t size = 50;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ShapeFile file;
        loadShapeFile(file, builtIn.archive, name);
        auto t = target(size, size);
        Shape shape(*shader, file, Tuple<2, float>(float(size), float(size)), Color(1, 1, 1), false);
        shape.draw();
        const auto pixels = t->read();
        const auto outline = UiTest::rings(file.layers[0]);
        std::size_t wrong = 0, inked = 0;
        for (std::uint32_t y = 0; y < size; ++y)
            for (std::uint32_t x = 0; x < size; ++x) {
                const UiTest::Vec2 p = {(x + 0.5) / size, (y + 0.5) / size};
                if (UiTest::edgeDistance(outline, p) < 0.75 / size)
                    continue;
                const bool inside = UiTest::evenOddInside(outline, p);
                const std::uint8_t value = RenderTarget::pixel(pixels, size, x, y)[0];
                inked += inside;
                if (value != (inside ? 255 : 0))
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0u);
        EXPECT_GT(inked, 0u);
        keep(*t, name.substr(7, name.size() - 11));
    }
}

// Point colours times the shape's colour; a layer without colours of its
// own is drawn in the shape's colour alone.
TEST_F(ShapeDrawing, PointColoursAndALayerWithout) {
    auto t = target(100, 50);
    ShapeFile file;
    file.bounds = Hyperrectangle<2, float>(Point<2, float>(0, 0), Tuple<2, float>(2, 1));
    file.name = "assets/mixed.dat";
    ShapeFile::Layer plain;
    plain.polygon = square(0.1f, 0.1f, 0.8f);
    ShapeFile::Layer colored;
    colored.polygon = square(1.1f, 0.1f, 0.8f);
    colored.colors.assign(4, Tuple<4, float>(1.0f, 0.5f, 1.0f, 1.0f));
    file.layers = {plain, colored};
    Shape shape(*shader, file, Tuple<2, float>(100, 50), Color(1, 1, 0), true);
    shape.draw();
    const auto pixels = t->read();
    keep(*t, "colours");
    expectPixel(pixels, 100, 25, 25, 255, 255, 0);
    expectPixel(pixels, 100, 75, 25, 255, 128, 0);
    expectPixel(pixels, 100, 50, 25, 0, 0, 0);
}

TEST_F(ShapeDrawing, TheTitleShowsInItsOwnColoursOnWhite) {
    UiTest::BuiltInPackage builtIn;
    ShapeFile file;
    loadShapeFile(file, builtIn.archive, "assets/title.dat");
    auto t = target(260, 64, 1, 1, 1);
    Shape shape(*shader, file, Tuple<2, float>(260, 64), Color(1, 1, 1), false);
    shape.draw();
    const auto pixels = t->read();
    keep(*t, "title");
    std::size_t dark = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        dark += std::min({pixels[i], pixels[i + 1], pixels[i + 2]}) < 200;
    EXPECT_GT(dark, pixels.size() / 4 / 10) << "the letters stand out from the white page";
}

// A 2 by 2 texture of four colours over a square: each quarter of the
// square shows one texel; a shape made plain draws textured once given one.
TEST_F(ShapeDrawing, TexturedShapesSampleTheirRegion) {
    const std::uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    auto texture = std::make_shared<Texture>();
    texture->uploadRaw(GL_RGBA8, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    texture->setFilter(GL_NEAREST);
    auto t = target(80, 40);
    Panel root(Tuple<2, float>(80, 40), false);
    root.add(std::make_unique<Shape>(*shader, square(0, 0, 1), unit, Tuple<2, float>(40, 40), Color(1, 1, 1), texture,
                                     unit),
             lowerLeft, lowerLeft, false);
    // The second shows only the texture's upper-right texel, at half brightness.
    root.add(std::make_unique<Shape>(*shader, square(0, 0, 1), unit, Tuple<2, float>(40, 40), Color(0.5f, 0.5f, 0.5f),
                                     false),
             Vector<2, float>(1, 0), Vector<2, float>(1, 0), false);
    static_cast<Shape&>(*root.children().back())
        .setTexture(texture, Hyperrectangle<2, float>(Point<2, float>(0.6f, 0.6f), Tuple<2, float>(0.3f, 0.3f)));
    root.draw();
    const auto pixels = t->read();
    keep(*t, "textured");
    expectPixel(pixels, 80, 10, 10, 255, 0, 0);
    expectPixel(pixels, 80, 30, 10, 0, 255, 0);
    expectPixel(pixels, 80, 10, 30, 0, 0, 255);
    expectPixel(pixels, 80, 30, 30, 255, 255, 255);
    expectPixel(pixels, 80, 45, 5, 128, 128, 128);
    expectPixel(pixels, 80, 75, 35, 128, 128, 128);
}

TEST_F(ShapeDrawing, TranslucentShapesBlendOverWhatIsThere) {
    auto t = target(20, 20, 0, 0, 1);
    Shape shape(*shader, square(0, 0, 1), unit, Tuple<2, float>(20, 20), Color(), false);
    shape.setColor(Color(1, 0, 0), 0.5f);
    // A texture bound to unit 0 before stays bound: a plain shape leaves the unit alone.
    Texture bound;
    bound.create();
    glActiveTexture(GL_TEXTURE0);
    bound.bind();
    shape.draw();
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    EXPECT_EQ(GLuint(binding), bound.id());
    const auto pixels = t->read();
    expectPixel(pixels, 20, 10, 10, 128, 0, 128, 3);
}

// A border frame: the outline of a rounded rectangle, a ring along the
// edge with nothing inside.
TEST_F(ShapeDrawing, AnOutlineIsARingAlongThePath) {
    auto t = target(110, 60);
    const float b = 5.0f;
    const Polygon path = ShapeGeometry::roundedRectangle(
        Hyperrectangle<2, float>(Point<2, float>(b / 2, b / 2), Tuple<2, float>(100 + b, 50 + b)), 15.0f);
    const ShapeGeometry::Triangles ring = ShapeGeometry::outline(path, b / 2);
    Shape frame(*shader, ring.points, ring.triangles,
                Hyperrectangle<2, float>(Point<2, float>(0, 0), Tuple<2, float>(110, 60)), Tuple<2, float>(110, 60),
                Color(0, 1, 0), false);
    frame.draw();
    const auto pixels = t->read();
    keep(*t, "outline");
    expectPixel(pixels, 110, 55, 2, 0, 255, 0);
    expectPixel(pixels, 110, 55, 57, 0, 255, 0);
    expectPixel(pixels, 110, 2, 30, 0, 255, 0);
    expectPixel(pixels, 110, 107, 30, 0, 255, 0);
    expectPixel(pixels, 110, 55, 30, 0, 0, 0);
    expectPixel(pixels, 110, 55, 7, 0, 0, 0);
    expectPixel(pixels, 110, 0, 0, 0, 0, 0);
}
