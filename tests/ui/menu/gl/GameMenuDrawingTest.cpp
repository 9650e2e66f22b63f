// Each page of the game menu drawn as a player sees it, checked at chosen
// pixels: the white pages, the veiled ones over the table, the overlay and
// its preview, the marks on a hovered game and the tray bar.
#include "MenuDriveFixture.h"

#include "ui/Border.h"
#include "ui/SegmentedControl.h"
#include "ui/menu/MenuStyle.h"
#include "ui/menu/TrayBar.h"

#include <GL/glew.h>
#include <limits>

using namespace MenuTest;

namespace {

std::uint8_t byteOf(float value) { return std::uint8_t(value * 255.0f + 0.5f); }

} // namespace

class MenuDrawing : public MenuDrive {
protected:
    // The pixel at the fraction of the window has the colour.
    void expectColour(const std::vector<std::uint8_t>& pixels, float x, float y, const TAVO::Color& c) {
        expectPixel(pixels, width, std::uint32_t(x * width), std::uint32_t(y * height), byteOf(c.rgb()[0]),
                    byteOf(c.rgb()[1]), byteOf(c.rgb()[2]));
    }
    // The colour at alpha over the background.
    static TAVO::Color over(const TAVO::Color& c, float alpha, const TAVO::Color& background) {
        return TAVO::Color::mix(background, c, alpha);
    }
    const MenuStyle& style = MenuStyle::standard;
    const TAVO::Color white{1.0f, 1.0f, 1.0f};
    const TAVO::Color black{0.0f, 0.0f, 0.0f};
};

TEST_F(MenuDrawing, EveryPageAsAPlayerSeesIt) {
    writePicture("a.png", 96, 64, 3);
    // Red in the top-left quarter, blue elsewhere (rows from the top).
    std::vector<std::uint8_t> halves(64 * 96 * 3, 0);
    for (std::uint32_t y = 0; y < 96; ++y)
        for (std::uint32_t x = 0; x < 64; ++x)
            halves[(y * 64 + x) * 3 + (x < 32 && y < 48 ? 0 : 2)] = 255;
    ASSERT_TRUE(KestruneTest::PictureFiles::writePNG(picture("b.png"), 64, 96, 3, halves));
    build();
    const TAVO::Color veil = over(style.veilColor, style.veilAlpha, black);

    // The title page: white, the play button's rim in the outer colour.
    auto pixels = render("title");
    expectColour(pixels, 0.2f, 0.5f, white);
    expectColour(pixels, 0.5f, 0.4f - 33.0f / height, style.outerColor);
    ASSERT_NO_FATAL_FAILURE(playNewGame(0));

    // In game: nothing but the menu button over the table.
    pixels = render("ingame");
    expectColour(pixels, 0.5f, 0.5f, black);
    // Its rim, thicker below: the button's top-left corner lies half its
    // size in from the window's.
    expectColour(pixels, 70.0f / width, 1.0f - (70.0f + 33.0f) / height, style.outerColor);

    key(Component::escapeKey);
    pixels = render("menu");
    expectColour(pixels, 0.2f, 0.5f, veil);
    expectColour(pixels, 0.5f + 20.0f / width, 5.0f / 6.0f + 25.0f / height, style.innerColor);

    // The table options: pattern icons show their textures times grey 0.75.
    auto red = std::make_shared<Shape::Texture>();
    const std::uint8_t redPixel[3] = {255, 0, 0};
    red->uploadRaw(GL_RGB8, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, redPixel);
    menu->setPatternPreview(3, red);
    menu->setPatternPreview(4, red);
    click(at(0.5f, 0.5f));
    pixels = render("options");
    expectColour(pixels, 0.2f, 0.5f, veil);
    const Point pattern3 = windowPoint(*menu->patternControl()->children()[3]);
    expectColour(pixels, (pattern3[0] + 1.0f) / 2.0f, (pattern3[1] + 1.0f) / 2.0f, TAVO::Color(0.75f, 0.0f, 0.0f));
    const Point color4 = windowPoint(*menu->colorControl()->children()[4]);
    expectColour(pixels, (color4[0] + 1.0f) / 2.0f, (color4[1] + 1.0f) / 2.0f, TAVO::Color::interfaceColors[4]);

    key(Component::escapeKey);
    key(Component::escapeKey);
    click(at(0.5f, 5.0f / 6.0f));
    ASSERT_TRUE(waitFor([&] { return games().gamesList().count() == 1; }));
    sync();
    pixels = render("games");
    expectColour(pixels, 0.05f, 0.5f, white);
    expectColour(pixels, 0.5f, 0.5f, style.listColor);

    moveTo(item(games().gamesList(), 0));
    render("hovered");
    click(windowPoint(*games().buttonColumn().children().back()));
    ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
    render("pictures");
    click(item(pictures().list(), 1));
    pixels = render("waiting");
    expectColour(pixels, 0.02f, 0.5f, over(style.veilColor, style.veilAlpha, white));
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    pixels = render("preview");
    // The picture upright, 0.8 of the box high: red at the top left only.
    const float box = float(height) - (40.0f + 70.0f);
    const float top = 1.0f - (box - 0.8f * box) / 2.0f / height;
    expectColour(pixels, 0.5f - 20.0f / width, top - 0.2f, TAVO::Color(1, 0, 0));
    expectColour(pixels, 0.5f + 20.0f / width, top - 0.2f, TAVO::Color(0, 0, 1));
    expectColour(pixels, 0.5f - 20.0f / width, top - 0.5f, TAVO::Color(0, 0, 1));
    expectColour(pixels, 0.5f, top + 3.0f / height, over(style.veilColor, style.veilAlpha, white));
    expectColour(pixels, 0.5f + 20.0f / width, top - 5.0f / height, TAVO::Color(0, 0, 1));

    key(Component::enterKey);
    pixels = render("setup");
    expectColour(pixels, 0.1f, 0.5f, white);
    expectColour(pixels, 0.5f + 100.0f / width, 0.5f, style.iconColor);

    key(Component::enterKey);
    pixels = render("loading");
    expectColour(pixels, 0.1f, 0.5f, white);
    ASSERT_TRUE(waitFor([&] { return page() == Page::inGame; }));
}

// The dots pulse from black to white once a second, whatever the steps.
TEST_F(MenuDrawing, TheBusyDotsPulseOnceASecond) {
    build();
    menu->animate(0.25f);
    EXPECT_FLOAT_EQ(menu->phase(), 0.25f);
    EXPECT_FLOAT_EQ(menu->dots()->color()[0], 0.25f);
    menu->animate(1.0f);
    EXPECT_FLOAT_EQ(menu->phase(), 0.25f);
    menu->animate(0.75f);
    EXPECT_FLOAT_EQ(menu->phase(), 1.0f);
    // No step, however long, keeps the menu busy or leaves the range.
    menu->animate(1e30f);
    EXPECT_GE(menu->phase(), 0.0f);
    EXPECT_LE(menu->phase(), 1.0f);
    menu->animate(std::numeric_limits<float>::infinity());
    EXPECT_EQ(menu->phase(), 0.0f);
}
