// The digit font and digit text without OpenGL: the shipped digits measured
// and placed glyph by glyph, and fonts from short, flat or damaged drawings.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "RecordingShapeShader.h"
#include "ShapeFileBytes.h"
#include "TestPackages.h"
#include "TestShapes.h"
#include "ui/Panel.h"
#include "ui/ShapeFileException.h"
#include "ui/Text.h"

using namespace UiTest;
using TAVO::Tuple;

namespace {

ShapeFile shippedDigits() {
    ShapeFile file;
    loadShapeFile(file, BuiltInPackage().archive, "assets/digits.dat");
    return file;
}

} // namespace

// The shipped digits are seven-segment glyphs 1 high: "1" takes a cell as
// wide as "0" (0.56), its strokes at the right; "7" the full 0.56 less the
// bar's cut (0.02 sqrt 2). "1x7" at height 40 from (100, 50): the "1"'s cell
// at the pen, then a gap of a quarter height, the "7"; the letter is
// skipped. One opaque ranged draw per glyph.
TEST(DigitText, MeasuresAndPlacesEachGlyphAtThePen) {
    RecordingShapeShader shader;
    auto font = std::make_shared<const Text::Font>(shader, shippedDigits());
    ASSERT_EQ(shader.meshes.size(), 1u);
    EXPECT_FLOAT_EQ(font->unitHeight(), 1.0f);
    EXPECT_FLOAT_EQ(font->spacing()[0], 0.25f);
    EXPECT_EQ(font->glyph('a'), nullptr);
    const float advances[2] = {0.56f, 0.56f - 0.02f * std::sqrt(2.0f)};
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<Text>(font, 40.0f, TAVO::Color(0.2f, 0.4f, 0.6f)), lowerLeft, lowerLeft,
             TAVO::Vector<2, float>(100, 50), false);
    auto& text = static_cast<Text&>(*root.children().back());
    EXPECT_EQ(text.size(), (Tuple<2, float>(0, 40))) << "empty";
    text.setText("7");
    EXPECT_NEAR(text.size()[0], advances[1] * 40.0f, 1e-4);
    text.setText("1x7");
    EXPECT_NEAR(text.size()[0], (advances[0] + 0.25f + advances[1]) * 40.0f, 1e-4);

    root.draw();
    ASSERT_EQ(shader.draws.size(), 2u);
    float pen = 100.0f;
    for (int d = 0; d < 2; ++d) {
        const Text::Font::Glyph& glyph = *font->glyph(d == 0 ? '1' : '7');
        const auto& draw = shader.draws[d];
        EXPECT_NEAR(glyph.advance[0], advances[d], 1e-6);
        EXPECT_EQ(draw.first, glyph.first);
        EXPECT_EQ(draw.count, glyph.count);
        EXPECT_FALSE(draw.state.blend);
        EXPECT_EQ(draw.state.color, (Tuple<4, float>(0.2f, 0.4f, 0.6f, 1.0f)));
        // The glyph's lower-left corner, in window pixels, at the pen.
        const auto& o = glyph.bounds.origin();
        EXPECT_NEAR((o[0] * draw.state.scale[0] + draw.state.offset[0] + 1.0f) * 400.0f, pen, 1e-3);
        EXPECT_NEAR((o[1] * draw.state.scale[1] + draw.state.offset[1] + 1.0f) * 300.0f, 50.0f, 1e-3);
        EXPECT_NEAR(draw.state.scale[0] * 400.0f, 40.0f, 1e-3) << "40 pixels per unit height";
        pen += (advances[d] + 0.25f) * 40.0f;
    }
}

// Three layers give glyphs for 0 to 2 only: the other digits are neither
// measured nor drawn, nothing reads past the layers. A font whose glyphs
// are all flat has no unit height to divide by: it measures 0 and draws
// nothing, as does a text of height 0.
TEST(DigitFontHostile, ShortAndFlatDrawings) {
    ShapeFile file;
    for (int i = 0; i < 3; ++i)
        file.layers.push_back({square(0, 0, 1), {}});
    RecordingShapeShader shader;
    auto font = std::make_shared<const Text::Font>(shader, file);
    EXPECT_EQ(font->glyph('3'), nullptr);
    EXPECT_FLOAT_EQ(font->measure("0123456789"), 3.5f);
    Text missing(font, 10.0f, TAVO::Color());
    missing.setText("93");
    EXPECT_EQ(missing.size()[0], 0.0f);
    Text zero(font, 0.0f, TAVO::Color());
    zero.setText("0");
    zero.draw();

    file.layers.assign(10, {});
    file.layers[4].polygon.addPoint(TAVO::Point<2, float>(0, 0));
    file.layers[4].polygon.addPoint(TAVO::Point<2, float>(1, 0));
    auto flat = std::make_shared<const Text::Font>(shader, file);
    EXPECT_EQ(flat->unitHeight(), 0.0f);
    Text text(flat, 40.0f, TAVO::Color());
    text.setText("4444");
    EXPECT_EQ(text.size(), (Tuple<2, float>(0, 40)));
    text.draw();
    EXPECT_TRUE(shader.draws.empty());
}

TEST(DigitFontHostile, CrossedGlyphsAndDamagedFilesFailCleanly) {
    ShapeFile file;
    file.name = "assets/digits.dat";
    Polygon bowTie;
    for (const auto& p : {TAVO::Point<2, float>(0, 0), {1, 1}, {1, 0}, {0, 1}})
        bowTie.addPoint(p);
    bowTie.addContour({0, 1, 2, 3});
    file.layers.push_back({bowTie, {}});
    RecordingShapeShader shader;
    EXPECT_THROW(Text::Font(shader, file), ShapeFileException);

    // Damaged drawings from a user's folder (the sanitizer build runs this).
    const std::string original = BuiltInPackage().entry("assets/digits.dat");
    std::mt19937 random(7u);
    for (int round = 0; round < 300; ++round) {
        FolderPackage package;
        package.put("assets/digits.dat", damaged(original, random));
        try {
            loadShapeFile(file, package, "assets/digits.dat");
            Text text(std::make_shared<const Text::Font>(shader, file), 40.0f, TAVO::Color());
            text.setText("0123456789");
            EXPECT_GE(text.size()[0], 0.0f);
            text.draw();
        } catch (const TAVO::Exception&) {
        }
    }
}
