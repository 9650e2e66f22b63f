// Widgets drawn with OpenGL into a frame buffer and read back at chosen
// pixels: digit text and a framed item list.
#include <GL/glew.h>

#include <memory>

#include "../TestPackages.h"
#include "../TestShapes.h"
#include "ShapeDrawingFixture.h"
#include "ui/ItemSelect.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/ShapeFile.h"
#include "ui/Text.h"

using namespace TAVO;
using UiTest::lowerLeft;
using UiTest::ShapeDrawing;
using UiTest::square;
using UiTest::unit;

namespace {

std::shared_ptr<const Text::Font> shippedFont(Shape::ShapeShader& shader) {
    UiTest::BuiltInPackage builtIn;
    ShapeFile file;
    loadShapeFile(file, builtIn.archive, "assets/digits.dat");
    return std::make_shared<const Text::Font>(shader, file);
}

} // namespace

// "18" at height 100 from (10, 10): the seven-segment "1" takes a cell 56
// wide and lights its right-hand side (x 51 to 66), a gap of 25 follows,
// then the "8" from x = 91 with all its segments lit around two holes.
TEST_F(ShapeDrawing, DigitsStandOnTheBaselineOneAfterTheOther) {
    auto t = target(200, 120);
    Panel root(Tuple<2, float>(200, 120), false);
    root.add(std::make_unique<Text>(shippedFont(*shader), 100.0f, Color(1, 1, 1)), lowerLeft, lowerLeft,
             Vector<2, float>(10, 10), false);
    static_cast<Text&>(*root.children().back()).setText("18");
    root.draw();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    const auto pixels = t->read();
    keep(*t, "digits");
    // Lit and dark pixels: the "1"'s strokes and the dark left of its cell;
    // the gap; the "8" with its middle, top and bottom bars, outer sides and
    // holes.
    const int lit[][2] = {{58, 35}, {58, 85}, {119, 60}, {119, 103}, {119, 17}, {98, 85}, {142, 35}};
    const int dark[][2] = {{8, 35}, {17, 35}, {17, 85}, {35, 60}, {78, 60}, {119, 85}, {119, 35}, {151, 60}, {119, 113}};
    for (const auto& p : lit)
        expectPixel(pixels, 200, p[0], p[1], 255, 255, 255);
    for (const auto& p : dark)
        expectPixel(pixels, 200, p[0], p[1], 0, 0, 0);
}

// A framed list of two white items on its grey background, the second one
// clicked: only its frame shows.
TEST_F(ShapeDrawing, AFramedListShowsTheSelectedItemsFrame) {
    auto t = target(240, 100);
    ItemSelect list(*shader, Color(0.5f, 0.5f, 0.5f), Tuple<2, float>(100, 80), 20.0f, true, nullptr);
    list.setGeometry(Tuple<2, float>(240, 100));
    for (int i = 0; i < 2; ++i)
        list.append(std::make_unique<Shape>(*shader, square(0, 0, 1), unit, Tuple<2, float>(90, 70), Color(1, 1, 1),
                                            false));
    FrameTime frame;
    const Point<2, float> second(0.5f, 0.0f);
    list.pointerButton(frame, second, true);
    list.pointerButton(frame, second, false);
    list.draw();
    const auto pixels = t->read();
    keep(*t, "list");
    // Cells of 120 by 100; each item 100 by 80 with its frame, centred.
    expectPixel(pixels, 240, 60, 50, 255, 255, 255);
    expectPixel(pixels, 240, 180, 50, 255, 255, 255);
    // The frame of the selected item.
    expectPixel(pixels, 240, 180, 12, 64, 64, 255);
    // No frame on the other.
    expectPixel(pixels, 240, 60, 12, 128, 128, 128);
    // The gap.
    expectPixel(pixels, 240, 119, 50, 128, 128, 128);
}
