// The tray bar of developer mode inside the running menu: shown and hidden,
// following the table's trays, rendering their pictures through the view,
// and taking drops.
#include "MenuDriveFixture.h"

#include <GL/glew.h>

#include "foundation/streams/IncrementalBuffer.h"
#include "model/Table.h"
#include "ui/Border.h"
#include "ui/menu/MenuStyle.h"
#include "ui/menu/TrayBar.h"

using namespace MenuTest;

class TrayBarDrive : public MenuDrive {
protected:
    void inGame() {
        writePicture("a.png", 64, 64, 3);
        build(true);
        ASSERT_NE(menu->trayBar(), nullptr);
        ASSERT_NO_FATAL_FAILURE(playNewGame(0));
    }
    TrayBar& bar() const { return *menu->trayBar(); }
    std::vector<std::uint32_t> order() const {
        std::vector<std::uint32_t> trays;
        for (const Component* icon : bar().icons())
            if (const auto* tray = dynamic_cast<const TrayBar::TrayIcon*>(icon))
                trays.push_back(tray->tray());
        return trays;
    }
    std::vector<std::uint32_t> rendered() const {
        std::vector<std::uint32_t> trays;
        for (const auto& r : view.renders)
            trays.push_back(r.tray);
        return trays;
    }
};

// A game of one tray hides the bar behind its opener; the arrows show and
// hide it; every tray's picture is drawn once, and again after a change.
TEST_F(TrayBarDrive, TheBarShowsTheTablesTraysAndDrawsTheirPictures) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    EXPECT_FALSE(menu->trayBarShown());
    EXPECT_EQ(order(), std::vector<std::uint32_t>{0});
    render("opener");
    // The opener's arrow is in the window's top-right corner.
    click(at(1.0f - 24.0f / width, 1.0f - 24.0f / height));
    ASSERT_TRUE(menu->trayBarShown());
    EXPECT_NEAR(bar().size()[0], 112.4f, 1e-4f);
    EXPECT_EQ(bar().size()[1], float(height));
    view.renders.clear();
    step();
    ASSERT_EQ(rendered(), std::vector<std::uint32_t>{0});
    const StandInView::Render& r = view.renders[0];
    // Its own tile of the page: 100 by 62 pixels.
    EXPECT_EQ(r.region.origin(), bar().atlas().tileRegion(bar().tile(0)).origin());
    EXPECT_EQ(r.region.extent(), (TAVO::Tuple<2, unsigned int>(100u, 62u)));
    EXPECT_EQ(r.texture, bar().pages()[bar().atlas().page(bar().tile(0))].get());
    EXPECT_EQ(r.viewSize, (TAVO::Tuple<2, unsigned int>(2560u, 62u * 2560u / 100u)));
    // The page texture exists now: 2 x 2 tiles of three channels.
    TAVO::IncrementalBuffer bytes;
    TAVO::Migration::ImageMetadata metadata;
    r.texture->download(bytes, metadata);
    EXPECT_EQ(metadata.width(), 200u);
    EXPECT_EQ(metadata.height(), 124u);
    EXPECT_EQ(metadata.channels(), 3u);
    step();
    EXPECT_EQ(view.renders.size(), 1u);

    // A new tray on the table gets an icon above the new-tray icon; a
    // change of a tray draws its picture again.
    workspace->table().addTray(5);
    EXPECT_EQ(order(), (std::vector<std::uint32_t>{0, 5}));
    workspace->table().setBackground(workspace->table().background());
    step();
    EXPECT_EQ(rendered(), (std::vector<std::uint32_t>{0, 0, 5}));
    // The right arrow, under the bar's top-left corner, hides the bar.
    click(at(1.0f - (112.4f - 24.0f) / width, 1.0f - 24.0f / height));
    EXPECT_FALSE(menu->trayBarShown());
}

// Notifications the bar cannot match to the table change nothing wrong: an
// icon for a tray the table lacks gets no picture drawn.
TEST_F(TrayBarDrive, NoPictureIsDrawnForATrayTheTableLacks) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    menu->showTrayBar();
    step();
    view.renders.clear();
    menu->addTray(42);
    menu->removeTray(77);
    menu->invalidateTrayThumbnail(78);
    EXPECT_EQ(order(), (std::vector<std::uint32_t>{0, 42}));
    step();
    EXPECT_TRUE(view.renders.empty());
    // A new game empties the table; its tray 0 keeps its one icon.
    menu->addTray(0);
    EXPECT_EQ(order(), (std::vector<std::uint32_t>{0, 42}));
    step();
    EXPECT_EQ(rendered(), std::vector<std::uint32_t>{0});
}

// Clicking an icon selects its tray through the view, which highlights it;
// a part dropped on the new-tray icon makes a tray whose icon is added while
// the drop is still being handed out.
TEST_F(TrayBarDrive, IconsSelectTraysAndTakeDrops) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    menu->showTrayBar();
    workspace->table().addTray(3);
    press(windowPoint(*bar().icon(3)));
    EXPECT_TRUE(view.selected.empty());
    release(windowPoint(*bar().icon(3)));
    EXPECT_EQ(view.selected, std::vector<std::uint32_t>{3});
    EXPECT_EQ(bar().border(3)->color(), MenuStyle::standard.selectedTrayBorderColor);
    EXPECT_EQ(bar().border(0)->color(), MenuStyle::standard.trayBorderColor);

    RecordingDrag drag;
    drag.onNewTray = [&] { workspace->table().addTray(workspace->table().freeTrayId()); };
    ++frame.dragEvents;
    EXPECT_TRUE(menu->root().dragOver(frame, windowPoint(*bar().icons().back()), drag, true));
    EXPECT_EQ(drag.calls, std::vector<std::string>{"into new"});
    EXPECT_EQ(order().size(), 3u);
    // Off the bar the drag is the table's.
    ++frame.dragEvents;
    EXPECT_FALSE(menu->root().dragOver(frame, at(0.5f, 0.5f), drag, true));
}

// Loading a game of two trays shows the bar with both.
TEST_F(TrayBarDrive, AGameOfTwoTraysShowsTheBar) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    workspace->table().addTray(4);
    menu->puzzleLoaded();
    EXPECT_TRUE(menu->trayBarShown());
    EXPECT_EQ(order(), (std::vector<std::uint32_t>{0, 4}));
}

// The bar as drawn: white, each icon in its border with the picture the
// view drew into its tile.
TEST_F(TrayBarDrive, TheBarAsDrawn) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    workspace->table().addTray(1);
    menu->showTrayBar();
    // The stand-in view fills a tray's tile with a colour of its id.
    view.onRender = [](const StandInView::Render& r) {
        const std::vector<std::uint8_t> fill(std::size_t(r.region.extent()[0]) * r.region.extent()[1] * 3,
                                             std::uint8_t(r.tray == 0 ? 200 : 60));
        r.texture->bind();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, GLint(r.region.origin()[0]), GLint(r.region.origin()[1]),
                        GLsizei(r.region.extent()[0]), GLsizei(r.region.extent()[1]), GL_RGB, GL_UNSIGNED_BYTE,
                        fill.data());
    };
    step();
    ASSERT_EQ(view.renders.size(), 2u);
    const auto pixels = render("traybar");
    const float left = 1.0f - 112.4f / width;
    const float columnMiddle = left + 56.2f / width;
    auto rowOf = [&](std::uint32_t tray) {
        const TAVO::Point<2, float> p = windowPoint(*bar().icon(tray));
        return (p[1] + 1.0f) / 2.0f;
    };
    expectPixel(pixels, width, std::uint32_t(columnMiddle * width), std::uint32_t(rowOf(0) * height), 200, 200, 200);
    expectPixel(pixels, width, std::uint32_t(columnMiddle * width), std::uint32_t(rowOf(1) * height), 60, 60, 60);
    // The bar's white between the icons and below them.
    expectPixel(pixels, width, std::uint32_t(columnMiddle * width), 20, 255, 255, 255);
    // Left of the bar the in-game page lets the table show (black here).
    expectPixel(pixels, width, std::uint32_t((left - 0.05f) * width), height / 2, 0, 0, 0);
}

// A frame may come before the step that draws the trays' pictures (a part
// dropped on the new-tray icon in a pass of the main loop with no step due):
// the bar is drawn all the same, also with an icon whose tile begins a page,
// and the pictures follow at the step.
TEST_F(TrayBarDrive, TheBarIsDrawnBeforeThePicturesOfItsIcons) {
    ASSERT_NO_FATAL_FAILURE(inGame());
    workspace->table().addTray(1);
    menu->showTrayBar();
    EXPECT_NO_THROW(render("before the first step"));
    step();
    EXPECT_EQ(rendered(), (std::vector<std::uint32_t>{0, 1}));
    std::vector<std::uint32_t> added;
    for (std::uint32_t tray = 2; bar().pages().size() < 2; ++tray) {
        workspace->table().addTray(tray);
        added.push_back(tray);
    }
    ASSERT_EQ(bar().atlas().page(bar().tile(added.back())), 1u);
    EXPECT_NO_THROW(render("a new page before its step"));
    view.renders.clear();
    step();
    EXPECT_EQ(rendered(), added);
    EXPECT_EQ(view.renders.back().texture, bar().pages()[1].get());
}
