// Every page of the game menu reached by its buttons and keys, with what
// each step leaves in the model: the set-up's counts, the shelf's lists and
// the journal of the game in play.
#include "MenuDriveFixture.h"

#include <cmath>

#include "model/Setup.h"
#include "model/Table.h"
#include "ui/Slider.h"
#include "ui/SegmentedControl.h"

using namespace MenuTest;

namespace {

// One change-background record: its tag, the preview, three colour floats
// and the pattern.
constexpr std::uint32_t backgroundRecord = 24;

} // namespace

TEST_F(MenuDrive, ANewGameFromTheTitleToTheTable) {
    writePicture("a.png", 96, 64, 3);
    build();
    EXPECT_EQ(page(), Page::gameSelection);
    EXPECT_TRUE(games().showsTitlePage());
    EXPECT_FALSE(menu->showsCollapseIcon());

    // Title page: play opens the pictures; Escape goes back.
    click(at(0.5f, 0.4f));
    EXPECT_EQ(page(), Page::picture);
    key(Component::escapeKey);
    EXPECT_EQ(page(), Page::gameSelection);
    click(at(0.5f, 0.4f));
    ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
    ASSERT_EQ(pictures().list().count(), 1u);

    // Enter does nothing before a picture is shown; a click on it opens
    // the overlay, which shows the preview once the picture is in.
    key(Component::enterKey);
    EXPECT_EQ(page(), Page::picture);
    click(item(pictures().list(), 0));
    EXPECT_TRUE(pictures().overlayShown());
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    EXPECT_EQ(workspace->menuSetup().pictureName(), picture("a.png"));
    EXPECT_EQ(pictures().pictureSize(), (TAVO::Tuple<2, unsigned int>(96u, 64u)));

    // The set-up page shows the count the grid realises; the step buttons
    // and the slider change it, the slider snapping to a real count.
    key(Component::enterKey);
    ASSERT_EQ(page(), Page::setup);
    ::Setup& setup = workspace->menuSetup();
    EXPECT_EQ(setupPanel().digits().text(), std::to_string(setup.pieceCount()));
    const std::uint32_t before = setup.pieceCount();
    // The step buttons stand 20 beside the 300 wide track: their centres
    // are 205 from the page's centre.
    const Point down = beside(windowPoint(setupPanel()), -205.0f), up = beside(windowPoint(setupPanel()), 205.0f);
    click(down);
    EXPECT_LT(setup.pieceCount(), before);
    EXPECT_EQ(setupPanel().digits().text(), std::to_string(setup.pieceCount()));
    click(up);
    click(up);
    EXPECT_GT(setup.pieceCount(), before);
    // The slider's middle asks for 1100 pieces.
    click(windowPoint(setupPanel().slider()));
    EXPECT_EQ(setup.requestedPieceCount(), 1100u);
    const std::uint32_t real = setup.pieceCount();
    EXPECT_EQ(setupPanel().digits().text(), std::to_string(real));
    EXPECT_FLOAT_EQ(setupPanel().slider().value(), GameMenu::positionOfCount(real));

    // Escape goes back to the pictures with the overlay closed.
    key(Component::escapeKey);
    EXPECT_EQ(page(), Page::picture);
    EXPECT_FALSE(pictures().overlayShown());
    click(item(pictures().list(), 0));
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    key(Component::enterKey);
    ASSERT_EQ(page(), Page::setup);

    // Play: the loading page takes every click until the game is in.
    key(Component::enterKey);
    EXPECT_EQ(page(), Page::loading);
    EXPECT_TRUE(click(at(0.1f, 0.1f)));
    EXPECT_TRUE(key(Component::escapeKey));
    ASSERT_TRUE(waitFor([&] { return page() == Page::inGame; }));
    EXPECT_EQ(workspace->table().parts().size(), real);
    ASSERT_EQ(workspace->shelf().games().size(), 1u);
    sync();
    EXPECT_FALSE(games().showsTitlePage());
    EXPECT_EQ(games().gamesList().count(), 1u);
}

// Loading a game selects the table's preview, pattern and preset colour,
// each selection one record; every click on a table option appends one
// more. The menu and table-options pages take every click, the in-game page
// only its button's.
TEST_F(MenuDrive, TableOptionsAppendOneRecordPerClick) {
    writePicture("a.png", 64, 64, 3);
    build();
    ASSERT_NO_FATAL_FAILURE(playNewGame(0));
    const std::string game = workspace->shelf().currentGame();
    // The background the configuration gives: blank preview, cloth, grey 0.75.
    EXPECT_EQ(menu->previewControl()->selectedIndex(), 1u);
    EXPECT_EQ(menu->patternControl()->selectedIndex(), 1u);
    EXPECT_EQ(menu->colorControl()->selectedIndex(), 0u);
    const std::uint32_t start = tableEntrySize(game);
    // Outside developer mode there is no tray bar; tray notifications do nothing.
    EXPECT_EQ(menu->trayBar(), nullptr);
    menu->addTray(3);
    menu->invalidateTrayThumbnail(0);
    menu->highlightTray(0);
    menu->removeTray(0);

    EXPECT_FALSE(click(at(0.6f, 0.4f)));
    key(Component::escapeKey);
    ASSERT_EQ(page(), Page::menu);
    EXPECT_TRUE(click(at(0.6f, 0.4f)));
    click(at(0.5f, 0.5f));
    ASSERT_EQ(page(), Page::tableOptions);
    EXPECT_TRUE(click(at(0.05f, 0.05f)));

    const Tray::Background initial = workspace->table().background();
    // Colour preset 2 keeps pattern and preview.
    SegmentedControl& colors = *menu->colorControl();
    click(windowPoint(*colors.children()[2]));
    EXPECT_EQ(colors.selectedIndex(), 2u);
    Tray::Background now = workspace->table().background();
    EXPECT_EQ(now.colour(), TAVO::Color(0.6f, 0.4f, 0.2f));
    EXPECT_EQ(now.pattern(), initial.pattern());
    EXPECT_EQ(now.preview(), initial.preview());
    EXPECT_EQ(tableEntrySize(game), start + backgroundRecord);

    click(windowPoint(*menu->patternControl()->children()[3]));
    click(windowPoint(*menu->previewControl()->children()[2]));
    // The choice that is already made records once more.
    click(windowPoint(*menu->previewControl()->children()[2]));
    now = workspace->table().background();
    EXPECT_EQ(now.pattern(), Tray::Background::checkerPattern);
    EXPECT_EQ(now.preview(), Tray::Background::picturePreview);
    EXPECT_EQ(tableEntrySize(game), start + 4 * backgroundRecord);

    key(Component::escapeKey);
    EXPECT_EQ(page(), Page::inGame);
    key(Component::escapeKey);
    ASSERT_EQ(page(), Page::menu);
    click(at(0.5f, 1.0f / 6.0f));
    EXPECT_EQ(page(), Page::inGame);

    // The house saves a snapshot and shows the game list.
    key(Component::escapeKey);
    click(at(0.5f, 5.0f / 6.0f));
    EXPECT_EQ(page(), Page::gameSelection);
    const std::uint32_t snapshot = tableEntrySize(game);
    EXPECT_NE(snapshot, start + 4 * backgroundRecord);

    // Loading it again: the three selections are three more records.
    click(item(games().gamesList(), 0));
    EXPECT_EQ(page(), Page::loading);
    ASSERT_TRUE(waitFor([&] { return page() == Page::inGame; }));
    EXPECT_EQ(workspace->table().background(), now);
    EXPECT_EQ(tableEntrySize(game), snapshot + 3 * backgroundRecord);
}

// A background colour that is none of the presets leaves the colour choice
// as it was: loading such a game records two selections, not three.
TEST_F(MenuDrive, AColourThatIsNoPresetIsNotSelected) {
    writePicture("a.png", 64, 64, 3);
    build(false, {{"tray_red", "0.1"}, {"tray_green", "0.9"}, {"tray_blue", "0.3"}});
    ASSERT_NO_FATAL_FAILURE(playNewGame(0));
    EXPECT_FALSE(menu->colorControl()->showsSelected(menu->colorControl()->selectedIndex()));
    const std::string game = workspace->shelf().currentGame();
    key(Component::escapeKey);
    click(at(0.5f, 5.0f / 6.0f));
    const std::uint32_t snapshot = tableEntrySize(game);
    click(item(games().gamesList(), 0));
    ASSERT_TRUE(waitFor([&] { return page() == Page::inGame; }));
    EXPECT_EQ(tableEntrySize(game), snapshot + 2 * backgroundRecord);
    EXPECT_EQ(workspace->table().background().colour(), TAVO::Color(0.1f, 0.9f, 0.3f));
}

// The full-screen icon follows the view's real state, also when the window
// system refuses the switch.
TEST_F(MenuDrive, TheFullScreenIconFollowsTheViewsState) {
    build();
    const Point corner = windowPoint(*games().children()[3]);
    click(corner);
    EXPECT_TRUE(view.fullscreen);
    EXPECT_TRUE(menu->showsCollapseIcon());
    view.refuseFullscreen = true;
    click(corner);
    EXPECT_TRUE(view.fullscreen);
    EXPECT_TRUE(menu->showsCollapseIcon());
    EXPECT_TRUE(log.has("no full screen here"));
    view.refuseFullscreen = false;
    click(corner);
    EXPECT_FALSE(menu->showsCollapseIcon());
    // The door ends the program.
    EXPECT_TRUE(menu->isRunning());
    click(windowPoint(*games().children()[2]));
    EXPECT_FALSE(menu->isRunning());
}

// A window of no size leaves every layout finite, and the preview keeps its
// size until a picture has one.
TEST_F(MenuDrive, AWindowWithoutSizeBreaksNoLayout) {
    writePicture("a.png", 64, 48, 3);
    build();
    EXPECT_EQ(pictures().previewShape().size(), (TAVO::Tuple<2, float>(100.0f, 100.0f)));
    menu->setGeometry(TAVO::Tuple<2, float>(0.0f, 0.0f));
    pictures().fitPreview();
    EXPECT_EQ(pictures().previewShape().size(), (TAVO::Tuple<2, float>(100.0f, 100.0f)));
    for (const Panel* panel : {static_cast<const Panel*>(&pictures()), static_cast<const Panel*>(&games())})
        for (const auto& child : panel->children()) {
            const Panel::Layout& layout = panel->layout(*child);
            for (int i = 0; i < 2; ++i) {
                EXPECT_TRUE(std::isfinite(layout.parentAnchor[i]));
                EXPECT_TRUE(std::isfinite(layout.offset[i]));
            }
        }
    menu->setGeometry(TAVO::Tuple<2, float>(width, height));
    click(at(0.5f, 0.4f));
    ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
    click(item(pictures().list(), 0));
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    EXPECT_NEAR(pictures().previewShape().size()[1] / pictures().previewShape().size()[0], 48.0f / 64.0f, 1e-4f);
}

// The shelf and the gallery hold the panels' updaters without owning them:
// a menu set up again keeps its new panels listening, and a menu gone
// leaves neither pointing at it.
TEST_F(MenuDrive, PanelsLetGoOfTheModelOnlyWhenItStillHearsThem) {
    writePicture("a.png", 64, 48, 3);
    create();
    menu->setup(*shader, builtIn.archive, configuration);
    open();
    EXPECT_NE(workspace->shelf().eventHandler(), nullptr);
    EXPECT_NE(workspace->gallery().eventHandler(), nullptr);
    ASSERT_NO_FATAL_FAILURE(playNewGame(0));
    EXPECT_EQ(games().gamesList().count(), 1u);

    menu.reset();
    view.menu = nullptr;
    EXPECT_EQ(workspace->shelf().eventHandler(), nullptr);
    EXPECT_EQ(workspace->gallery().eventHandler(), nullptr);
    workspace->shelf().trashGame(workspace->shelf().games()[0]);
    workspace->gallery().add(picture("a.png"));
    sync();
}
