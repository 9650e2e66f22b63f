// The two puzzle icons of the set-up page drawn with OpenGL on their
// rounded squares.
#include <GL/glew.h>

#include <memory>
#include <string>

#include "../../Probe.h"
#include "../../TestPackages.h"
#include "../../gl/ShapeDrawingFixture.h"
#include "ui/Panel.h"
#include "ui/menu/MenuBuilder.h"

using namespace TAVO;
using UiTest::ShapeDrawing;

namespace {

std::uint8_t channel(float value) { return static_cast<std::uint8_t>(value * 255.0f + 0.5f); }

} // namespace

// A puzzle icon of n pieces covers about the share of its 50 by 50 square
// that its pieces take of their bounds; the outer colour shows as the
// thicker rim below.
TEST_F(ShapeDrawing, PuzzleIconsOnTheirRoundedSquares) {
    UiTest::BuiltInPackage builtIn;
    std::vector<std::string> log;
    MenuBuilder builder(*shader, builtIn.archive, std::make_shared<UiTest::Probe>("dots", Tuple<2, float>(1, 1), log));
    const MenuStyle& style = MenuStyle::standard;
    const Color icon = style.iconColor, outer = style.outerColor;
    for (std::uint32_t count : {2u, 9u}) {
        SCOPED_TRACE(count);
        auto t = target(70, 70);
        builder.puzzleIcon(count, 0)->draw();
        const auto pixels = t->read();
        expectPixel(pixels, 70, 35, 2, channel(outer.rgb()[0]), channel(outer.rgb()[1]), channel(outer.rgb()[2]));
        keep(*t, "puzzle" + std::to_string(count));
        float low[2] = {1e9f, 1e9f}, high[2] = {-1e9f, -1e9f};
        for (const Polygon& piece : MenuBuilder::puzzlePieces(count, 0))
            for (const auto& p : piece.points())
                for (int a = 0; a < 2; ++a) {
                    low[a] = std::min(low[a], p[a]);
                    high[a] = std::max(high[a], p[a]);
                }
        const double share = count / (double(high[0] - low[0]) * (high[1] - low[1]));
        std::size_t inked = 0;
        for (std::uint32_t y = 0; y < 70; ++y)
            for (std::uint32_t x = 0; x < 70; ++x)
                inked += KestruneGLTest::RenderTarget::pixel(pixels, 70, x, y)[2] == channel(icon.rgb()[2]);
        EXPECT_NEAR(double(inked) / 2500.0, share, 0.05);
    }
}
