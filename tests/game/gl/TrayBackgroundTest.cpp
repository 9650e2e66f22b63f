// The tray background drawn under a tray: the pattern tiled in table space
// and tinted, the preview over the puzzle area, and what damaged settings
// and saves show.
#include <GL/glew.h>

#include <array>

#include "Drawing.h"
#include "game/ShaderSet.h"
#include "game/TrayBackground.h"
#include "game/TrayPatterns.h"

using namespace GameGLTest;
using KestruneGLTest::RenderTarget;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

constexpr std::uint32_t width = 129;
constexpr std::uint32_t height = 97;

class TrayBackgroundTest : public DrawingTest {
protected:
    TrayBackgroundTest() : DrawingTest(width, height, false) {}

    std::unique_ptr<TrayBackground> made(const TAVO::Parameters& parameters) {
        auto background = std::make_unique<TrayBackground>(camera, shaders->shapeShader(), parameters, log);
        background->createPatterns(parameters);
        return background;
    }

    std::vector<std::uint8_t> draw(TrayBackground& background, const Tray::Background& look, const TrayPose& pose) {
        RenderTarget target(width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        background.setBackground(look);
        background.setPose(pose);
        background.draw();
        return target.read();
    }

    std::array<int, 3> at(const std::vector<std::uint8_t>& pixels, const TrayPose& pose, float x, float y) const {
        const auto [px, py] = pixelOf(camera, pose, Point<2, float>(x, y));
        const std::uint8_t* p = RenderTarget::pixel(pixels, width, px, py);
        return {p[0], p[1], p[2]};
    }

    MemoryLog log;
    const TrayPose origin{Vector<2, float>(0, 0), 0.0f};
};

const TAVO::Color orange(1.0f, 0.5f, 0.0f);

} // namespace

// One 64-pixel checker image covers 64 x 64 table units and moves with the
// tray; the colour tints it.
TEST_F(TrayBackgroundTest, ThePatternTilesTheTableTintedByTheColour) {
    auto background = made(configuration());
    const Tray::Background checker(Tray::Background::noPreview, orange, Tray::Background::checkerPattern);
    const std::vector<std::uint8_t> pixels = draw(*background, checker, origin);
    EXPECT_EQ(at(pixels, origin, 4, 4), (std::array<int, 3>{229, 115, 0}));
    EXPECT_EQ(at(pixels, origin, 12, 4), (std::array<int, 3>{255, 128, 0}));
    // The image repeats: 64 units on, and below the origin.
    EXPECT_EQ(at(pixels, origin, -60, 4), (std::array<int, 3>{229, 115, 0}));
    EXPECT_EQ(at(pixels, origin, -52, -12), (std::array<int, 3>{255, 128, 0}));
    // Panned by 8 units the squares change places.
    const TrayPose panned(Vector<2, float>(8, 0), 0.0f);
    EXPECT_EQ(at(draw(*background, checker, panned), panned, 4, 4), (std::array<int, 3>{229, 115, 0}));
    EXPECT_EQ(at(draw(*background, checker, panned), origin, 4, 4), (std::array<int, 3>{255, 128, 0}));
}

TEST_F(TrayBackgroundTest, ThePreviewVeilsThePuzzleArea) {
    auto background = made(configuration());
    background->resize(Tuple<2, float>(60, 40));
    const TAVO::Color black(0, 0, 0);
    std::vector<std::uint8_t> pixels =
        draw(*background, Tray::Background(Tray::Background::blankPreview, black, 0), origin);
    // White at alpha 0.2 over black, within 30 x 20 units of the origin.
    EXPECT_NEAR(at(pixels, origin, 25, 15)[0], 51, 1);
    EXPECT_EQ(at(pixels, origin, 35, 15)[0], 0);
    EXPECT_EQ(at(pixels, origin, 25, -25)[0], 0);

    auto red = std::make_shared<TAVO::IK::SDLGL::Texture>();
    const Picture picture = flatPicture(2, 2, 255, 0, 0);
    red->upload(picture.bufferConst(), picture.metadataConst());
    background->setPicture(red);
    pixels = draw(*background, Tray::Background(Tray::Background::picturePreview, black, 0), origin);
    EXPECT_NEAR(at(pixels, origin, -25, -15)[0], 51, 1);
    EXPECT_EQ(at(pixels, origin, -25, -15)[1], 0);
    EXPECT_EQ(background->previewShown(), 2u);
}

// A damaged save's pattern 7 and preview 9 show the blank pattern and no
// preview; nothing past the last texture or child is used.
TEST_F(TrayBackgroundTest, UnknownPatternsAndPreviewsShowNone) {
    auto background = made(configuration());
    background->resize(Tuple<2, float>(60, 40));
    const std::vector<std::uint8_t> pixels = draw(*background, Tray::Background(9, orange, 7), origin);
    EXPECT_EQ(background->previewShown(), 0u);
    EXPECT_EQ(background->patternShape().texture(), background->patternTexture(0));
    EXPECT_EQ(at(pixels, origin, 4, 4), (std::array<int, 3>{255, 128, 0}));
    EXPECT_EQ(background->patternTexture(4), nullptr);
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_NE(background->patternTexture(i), nullptr);
}

// Pattern sizes outside 1 to 16384 are logged and the default used;
// strengths beyond [0, 1] saturate.
TEST_F(TrayBackgroundTest, PatternSettingsOutOfRangeAreMended) {
    for (const char* size : {"0", "16385"}) {
        TAVO::Parameters parameters = configuration();
        parameters.set("tray_pattern_size", size);
        log.lines.clear();
        auto background = made(parameters);
        EXPECT_EQ(background->patternSize(), TrayBackground::defaultPatternSize);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(size), std::string::npos);
    }
    TAVO::Parameters strong = configuration();
    strong.set("tray_pattern_strength", "5");
    strong.set("tray_preview_strength", "3");
    auto background = made(strong);
    background->resize(Tuple<2, float>(200, 200));
    const Tray::Background checker(Tray::Background::blankPreview, orange, Tray::Background::checkerPattern);
    const std::vector<std::uint8_t> pixels = draw(*background, checker, origin);
    // The veil is opaque white; without it the squares are black.
    EXPECT_EQ(at(pixels, origin, 4, 4), (std::array<int, 3>{255, 255, 255}));
    background->resize(Tuple<2, float>(0, 0));
    EXPECT_EQ(at(draw(*background, checker, origin), origin, 4, 4), (std::array<int, 3>{0, 0, 0}));
}
