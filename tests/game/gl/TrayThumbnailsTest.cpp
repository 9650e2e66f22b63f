// Tray thumbnails rendered into a region of a tray-bar texture.
#include <GL/glew.h>

#include "Drawing.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "game/ShaderSet.h"
#include "game/TableDrawing.h"
#include "game/TrayThumbnails.h"

using namespace GameGLTest;
using KestruneGLTest::GLTest;
using KestruneGLTest::Resources;
using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::IK::SDLGL::Texture;

namespace {

constexpr std::uint32_t pageWidth = 200;
constexpr std::uint32_t pageHeight = 124;

// A tray-bar page in blue.
Texture bluePage() {
    std::vector<std::uint8_t> blue(pageWidth * pageHeight * 3, 0);
    for (std::size_t i = 2; i < blue.size(); i += 3)
        blue[i] = 255;
    Texture page;
    page.uploadRaw(GL_RGB8, pageWidth, pageHeight, GL_RGB, GL_UNSIGNED_BYTE, blue.data());
    return page;
}

std::vector<std::uint8_t> texelsOf(const Texture& texture) {
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    texture.download(pixels, metadata);
    const TAVO::Buffer& bytes = pixels;
    return std::vector<std::uint8_t>(bytes.data(), bytes.data() + bytes.size());
}

const std::uint8_t* texel(const std::vector<std::uint8_t>& texels, std::uint32_t x, std::uint32_t y) {
    return texels.data() + (std::size_t(y) * pageWidth + x) * 3;
}

} // namespace

TEST_F(GLTest, ATraysThumbnailFillsItsRegionOnly) {
    ShaderSet shaders(Resources::package(), false);
    Camera camera;
    camera.setViewport(Tuple<2, unsigned int>(windowWidth, windowHeight));
    const TAVO::Parameters parameters = configuration();
    MemoryLog log;
    TableDrawing drawing(camera, shaders, parameters, log, Lighting::map);
    Game game(flatPicture(400, 300, 255, 255, 255), 12, false);
    game.table.setBackground(
        Tray::Background(Tray::Background::picturePreview, TAVO::Color(1, 0, 0), Tray::Background::blankPattern));
    drawing.puzzleLoaded(game.meshes, *game.puzzle, game.size, game.setup.picture());
    TrayThumbnails thumbnails(camera, drawing);

    const Texture page = bluePage();
    const Hyperrectangle<2, unsigned int> region(Point<2, unsigned int>(100, 62), Tuple<2, unsigned int>(100, 62));
    ASSERT_TRUE(thumbnails.render(game.table, 0, page, region, Tuple<2, unsigned int>(2560, 62 * 2560 / 100), false));

    // The camera and the window are as before.
    EXPECT_EQ(camera.viewport()[0], windowWidth);
    GLint read = -1, draw = -1;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(draw, 0);

    const std::vector<std::uint8_t> texels = texelsOf(page);
    // Outside the region the page is untouched.
    EXPECT_EQ(texel(texels, 10, 10)[2], 255);
    EXPECT_EQ(texel(texels, 99, 123)[2], 255);
    // Inside: the red cloth without the picture preview, and white pieces.
    const std::uint8_t* middle = texel(texels, 150, 93);
    EXPECT_EQ(int(middle[0]), 255);
    EXPECT_EQ(int(middle[2]), 0);
    std::size_t white = 0;
    for (std::uint32_t y = 62; y < 124; ++y)
        for (std::uint32_t x = 100; x < 200; ++x)
            white += texel(texels, x, y)[1] > 150;
    EXPECT_GT(white, 20u);

    // A tray the table lacks gets no thumbnail.
    EXPECT_FALSE(thumbnails.render(game.table, 99, page, region, Tuple<2, unsigned int>(2560, 1587), false));
}
