// A 12-piece game of a flat picture drawn with each lighting mode into a
// frame buffer, read back at chosen points against values computed here.
#include <GL/glew.h>

#include <cstdlib>
#include <optional>

#include "Drawing.h"
#include "game/PartProgram.h"
#include "game/ShaderSet.h"
#include "game/TableDrawing.h"
#include "sdlgl/gl/EdgeLightOracle.h"
#include "support/TempFolder.h"

using namespace GameGLTest;
using KestruneGLTest::RenderTarget;
using TAVO::Point;
using TAVO::Tuple;

namespace {

constexpr std::uint32_t width = 420;
constexpr std::uint32_t height = 320;

class TableDrawingTest : public DrawingTest {
protected:
    TableDrawingTest() : DrawingTest(width, height, true) {}

    // The game drawn at level 0 around its middle, as the frame draws it.
    std::vector<std::uint8_t> draw(Game& game, Lighting lighting, std::optional<std::uint32_t> carried = std::nullopt,
                                   bool wireframe = false, const char* name = nullptr) {
        RenderTarget target(width, height);
        TableDrawing drawing(camera, *shaders, parameters, log, lighting);
        if (!fixedPose)
            pose = wholeTray(game.table);
        drawing.puzzleLoaded(game.meshes, *game.puzzle, game.size, game.setup.picture());
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        drawing.drawTable(game.table, 0, pose, carried, wireframe);
        // Set KESTRUNE_DRAWINGS to a folder to look at the frames.
        if (const char* folder = std::getenv("KESTRUNE_DRAWINGS"); folder != nullptr && name != nullptr)
            target.writePNG(std::string(folder) + "/" + name + ".png");
        return target.read();
    }

    std::array<int, 3> colourAt(const std::vector<std::uint8_t>& pixels, const Point<2, float>& point) const {
        const auto [x, y] = pixelOf(camera, pose, point);
        const std::uint8_t* p = RenderTarget::pixel(pixels, width, x, y);
        return {p[0], p[1], p[2]};
    }

    bool fixedPose = false;
    TAVO::Parameters parameters = configuration();
    MemoryLog log;
    TrayPose pose;
};

int litWhite() {
    const KestruneGLTest::EdgeLightOracle oracle;
    return int(std::lround(oracle.lighting(1.0, {1.0, 0.0}, {1.0, 1.0, 1.0})[0] * 255.0));
}

} // namespace

// Five units and more from every cut a piece faces the viewer: a white
// picture is lit evenly to 218 with both lit programs, and shown as it is
// without lighting.
TEST_F(TableDrawingTest, PieceInteriorsOfAWhitePictureAreLitEvenly) {
    ASSERT_EQ(litWhite(), 218);
    const Picture white = flatPicture(400, 300, 255, 255, 255);
    const struct {
        Lighting lighting;
        int expected;
        const char* name;
    } modes[] = {{Lighting::none, 255, "none"}, {Lighting::map, 218, "map"}, {Lighting::attribute, 218, "attribute"}};
    for (const auto& mode : modes) {
        Game game(white, 12, mode.lighting == Lighting::attribute);
        ASSERT_EQ(game.table.parts().size(), 12u);
        const std::vector<std::uint8_t> pixels = draw(game, mode.lighting, std::nullopt, false, mode.name);
        for (const auto& [id, part] : game.table.parts()) {
            const std::array<int, 3> c = colourAt(pixels, game.middleOf(id));
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(c[k], mode.expected, 1) << mode.name << " part " << id;
        }
    }
}

// Near a cut the lit pieces are shaded: the light comes from the upper
// right, so the rims facing it are brighter than the flat inside and those
// facing away darker.
TEST_F(TableDrawingTest, CutsAreShadedByTheLight) {
    const Picture white = flatPicture(400, 300, 255, 255, 255);
    for (Lighting lighting : {Lighting::map, Lighting::attribute}) {
        Game game(white, 12, lighting == Lighting::attribute);
        const std::vector<std::uint8_t> pixels = draw(game, lighting);
        // The pieces at the lower left and the upper right of the picture:
        // their outer sides are the puzzle's straight border.
        std::uint32_t low = 0, high = 0;
        float lowest = 1e9f, highest = -1e9f;
        for (const auto& [id, part] : game.table.parts()) {
            const float corner = part.bounds().origin()[0] + part.bounds().origin()[1];
            if (corner < lowest)
                lowest = corner, low = id;
            if (corner > highest)
                highest = corner, high = id;
        }
        const Tray::Pose lowAt = game.table.tray(0).partPose(low);
        const Tray::Pose highAt = game.table.tray(0).partPose(high);
        const Tuple<2, float> highSize = game.table.part(high).bounds().extent();
        const std::string mode = std::to_string(int(lighting));
        EXPECT_LT(colourAt(pixels, Point<2, float>(lowAt.position()[0] + 1.5f, game.middleOf(low)[1]))[0], 200) << mode;
        EXPECT_LT(colourAt(pixels, Point<2, float>(game.middleOf(low)[0], lowAt.position()[1] + 1.5f))[0], 200) << mode;
        EXPECT_GT(colourAt(pixels, Point<2, float>(highAt.position()[0] + highSize[0] - 1.5f, game.middleOf(high)[1]))[0],
                  221)
            << mode;
        EXPECT_GT(colourAt(pixels, Point<2, float>(game.middleOf(high)[0], highAt.position()[1] + highSize[1] - 1.5f))[0],
                  221)
            << mode;
    }
}

TEST_F(TableDrawingTest, TheFrameIsTheSameOnEveryRun) {
    const Picture picture(TAVO::Vector<2, unsigned int>(400, 300));
    for (Lighting lighting : {Lighting::none, Lighting::map, Lighting::attribute}) {
        Game first(picture, 12, lighting == Lighting::attribute);
        Game second(picture, 12, lighting == Lighting::attribute);
        EXPECT_EQ(draw(first, lighting), draw(second, lighting)) << int(lighting);
    }
}

// The carried part is drawn above the menu, so its tray leaves it out; with
// the wireframe flag the pieces are triangle outlines.
TEST_F(TableDrawingTest, TheCarriedPartIsLeftOutAndWireframesShowThePatternThrough) {
    const Picture white = flatPicture(400, 300, 255, 255, 255);
    Game game(white, 12, false);
    const std::uint32_t carried = game.table.parts().begin()->first;
    const std::uint32_t other = std::next(game.table.parts().begin())->first;
    const std::vector<std::uint8_t> pixels = draw(game, Lighting::none, carried);
    // The cloth under it: the default background is black.
    EXPECT_LT(colourAt(pixels, game.middleOf(carried))[0], 20);
    EXPECT_EQ(colourAt(pixels, game.middleOf(other))[0], 255);

    const std::vector<std::uint8_t> filled = draw(game, Lighting::none);
    const std::vector<std::uint8_t> lines = draw(game, Lighting::none, std::nullopt, true, "wireframe");
    std::size_t bright = 0, outlined = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            bright += RenderTarget::pixel(filled, width, x, y)[0] == 255;
            outlined += RenderTarget::pixel(lines, width, x, y)[0] == 255;
        }
    EXPECT_GT(outlined, 0u);
    EXPECT_LT(outlined * 2, bright);
}

TEST_F(TableDrawingTest, NothingIsDrawnForAnEmptyTable) {
    TableDrawing drawing(camera, *shaders, parameters, log, Lighting::map);
    RenderTarget target(width, height);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Table empty;
    drawing.drawTable(empty, 0, pose, std::nullopt, false);
    const std::vector<std::uint8_t> pixels = target.read();
    EXPECT_EQ(RenderTarget::pixel(pixels, width, 10, 10)[2], 255);
}

// The table as a player sees it: a picture on lit pieces over a green
// cloth. Between the pieces the cloth shows the background colour times the
// pattern's grey (from 229 to 254 of 255).
TEST_F(TableDrawingTest, PiecesLieOnTheClothOfTheBackgroundColour) {
    Picture gradient = flatPicture(400, 300, 0, 0, 128);
    std::uint8_t* p = gradient.buffer().data();
    for (std::uint32_t y = 0; y < 300; ++y)
        for (std::uint32_t x = 0; x < 400; ++x, p += 3)
            p[0] = std::uint8_t(x * 255 / 399), p[1] = std::uint8_t(y * 255 / 299);
    const TAVO::Color green(0.3f, 0.6f, 0.35f);
    for (Lighting lighting : {Lighting::none, Lighting::map, Lighting::attribute}) {
        Game game(gradient, 12, lighting == Lighting::attribute);
        game.table.setBackground(Tray::Background(Tray::Background::blankPreview, green, Tray::Background::clothPattern));
        const char* names[] = {"cloth-none", "cloth-map", "cloth-attribute"};
        const std::vector<std::uint8_t> pixels = draw(game, lighting, std::nullopt, false, names[int(lighting)]);
        // The middle of the puzzle area, which the scatter leaves free, shows
        // the cloth under the white veil of the preview (alpha 0.2).
        const std::array<int, 3> cloth = colourAt(pixels, Point<2, float>(0, 0));
        const float veil = 0.2f;
        EXPECT_NEAR(cloth[0], (1 - veil) * 0.3f * 241 + veil * 255, 8);
        EXPECT_NEAR(cloth[1], (1 - veil) * 0.6f * 241 + veil * 255, 10);
        // Outside the puzzle area, no veil.
        const std::array<int, 3> bare = colourAt(pixels, Point<2, float>(-game.size[0] / 2 - 20, 0));
        EXPECT_NEAR(bare[1], 0.6f * 241, 10);
    }
}

// Above the menu: the carried part at its drag pose, or over the tray bar as
// a small picture centred on the pointer; a part the table lost draws nothing.
TEST_F(TableDrawingTest, TheCarriedPartIsDrawnWhereTheDragHasIt) {
    Game game(flatPicture(400, 300, 255, 255, 255), 12, false);
    const std::uint32_t carried = game.table.parts().begin()->first;
    RenderTarget target(width, height);
    TableDrawing drawing(camera, *shaders, parameters, log, Lighting::none);
    drawing.puzzleLoaded(game.meshes, *game.puzzle, game.size, game.setup.picture());
    pose = wholeTray(game.table);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // The bounds' corner at the table origin, in the free middle of the scatter.
    drawing.drawCarriedPart(game.table, carried, Tray::Pose(Point<2, float>(0, 0), TAVO::Angle(0.0)), pose);
    drawing.drawPartIcon(game.table, carried, Point<2, float>(0.8f, 0.8f), true);
    drawing.drawCarriedPart(game.table, 999, Tray::Pose(), pose);
    drawing.drawPartIcon(game.table, 999, Point<2, float>(-0.8f, -0.8f), true);
    const std::vector<std::uint8_t> pixels = target.read();
    const TAVO::Tuple<2, float> extent = game.table.part(carried).bounds().extent();
    EXPECT_EQ(colourAt(pixels, Point<2, float>(extent[0] / 2, extent[1] / 2))[0], 255);
    EXPECT_EQ(RenderTarget::pixel(pixels, width, width * 9 / 10, height * 9 / 10)[0], 255);
    EXPECT_EQ(RenderTarget::pixel(pixels, width, width / 10, height / 10)[0], 0);
}
