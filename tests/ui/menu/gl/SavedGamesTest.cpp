// The saved-games page driven by the pointer: the hover marks, trashing a
// game, the trash view with restoring and emptying, and broken games.
#include "MenuDriveFixture.h"

#include <cstdio>

using namespace MenuTest;

class SavedGames : public MenuDrive {
protected:
    // Two games, a's the older, and the game list shown.
    void twoGames() {
        writePicture("a.png", 64, 48, 3);
        writePicture("b.png", 48, 64, 3, 3);
        ASSERT_NO_FATAL_FAILURE(playTwoGames());
        ASSERT_EQ(workspace->shelf().games().size(), 2u);
    }
    // The menu built over the gallery, a new game of each of its first two
    // pictures played in turn and left for the game list, the saves written.
    void playTwoGames() {
        build();
        for (std::uint32_t i : {0u, 1u}) {
            ASSERT_NO_FATAL_FAILURE(playNewGame(i));
            key(Component::escapeKey);
            click(at(0.5f, 5.0f / 6.0f));
            ASSERT_EQ(page(), Page::gameSelection);
        }
        sync();
    }
    std::vector<std::string> listed() const { return workspace->shelf().games(); }
    std::vector<std::string> trashed() const { return workspace->shelf().trash(); }
    bool stored(const std::string& game) {
        sync();
        TAVO::ArchiveFile file(savedGames(), true, false);
        return file.hasArchive() && file.archive()->exists("puzzle/" + game + "/setup");
    }
    // A point of the list page that no item and no button covers.
    static Point away() { return at(0.1f, 0.5f); }
};

TEST_F(SavedGames, HoverMarksFollowThePointer) {
    ASSERT_NO_FATAL_FAILURE(twoGames());
    ItemSelect& list = games().gamesList();
    EXPECT_EQ(list.count(), 2u);
    moveTo(item(list, 1));
    EXPECT_EQ(games().hoveredGame(), 1u);
    EXPECT_TRUE(games().trashMarkShown());
    EXPECT_TRUE(games().playMarkShown());
    // The trash mark sits on the item's top-right corner.
    const Point corner = windowPoint(list.top(1), TAVO::Vector<2, float>(1.0f, 1.0f));
    const Point mark = windowPoint(games().trashMark(), TAVO::Vector<2, float>(0.75f, 0.75f));
    EXPECT_NEAR(mark[0], corner[0], 1e-4f);
    EXPECT_NEAR(mark[1], corner[1], 1e-4f);
    moveTo(away());
    step();
    EXPECT_FALSE(games().trashMarkShown());
    EXPECT_FALSE(games().playMarkShown());
    EXPECT_EQ(games().hoveredGame(), GameSelectPanel::none);
    // Nothing hovered: trashing does nothing.
    games().trashHoveredGame();
    EXPECT_EQ(listed().size(), 2u);
    EXPECT_TRUE(trashed().empty());
    // Nor does playing a game past the list.
    menu->playGame(2);
    EXPECT_EQ(page(), Page::gameSelection);
}

// Trash, restore by clicking (the click removes the item it is on), trash
// both, empty the trash: the lists, the marks and the file follow.
TEST_F(SavedGames, TrashRestoreAndEmpty) {
    ASSERT_NO_FATAL_FAILURE(twoGames());
    const std::vector<std::string> both = listed();
    EXPECT_FALSE(games().openTrashShown());
    moveTo(item(games().gamesList(), 0));
    click(windowPoint(games().trashMark()));
    EXPECT_EQ(listed(), std::vector<std::string>{both[1]});
    EXPECT_EQ(trashed(), std::vector<std::string>{both[0]});
    EXPECT_EQ(games().gamesList().count(), 1u);
    EXPECT_EQ(games().trashList().count(), 1u);
    EXPECT_TRUE(games().openTrashShown());
    EXPECT_FALSE(games().trashMarkShown());

    // Open, close with Escape, open again.
    const Point openTrash = windowPoint(*games().buttonColumn().children().front());
    click(openTrash);
    EXPECT_TRUE(games().trashShown());
    key(Component::escapeKey);
    EXPECT_FALSE(games().trashShown());
    click(openTrash);
    ASSERT_TRUE(games().trashShown());
    moveTo(item(games().trashList(), 0));
    EXPECT_TRUE(games().restoreMarkShown());
    render("trash");
    click(item(games().trashList(), 0));
    EXPECT_EQ(listed(), (std::vector<std::string>{both[0], both[1]}));
    EXPECT_TRUE(trashed().empty());
    EXPECT_EQ(games().trashList().count(), 0u);
    EXPECT_FALSE(games().restoreMarkShown());
    EXPECT_FALSE(games().openTrashShown());
    key(Component::escapeKey);

    for (int i = 0; i < 2; ++i) {
        moveTo(item(games().gamesList(), 0));
        click(windowPoint(games().trashMark()));
    }
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(trashed().size(), 2u);
    click(openTrash);
    ASSERT_TRUE(games().trashShown());
    click(windowPoint(games().emptyTrashButton()));
    EXPECT_TRUE(trashed().empty());
    EXPECT_EQ(games().trashList().count(), 0u);
    EXPECT_FALSE(games().openTrashShown());
    // The view stays open, and the page does not go back to the title.
    EXPECT_TRUE(games().trashShown());
    EXPECT_FALSE(games().showsTitlePage());
    EXPECT_FALSE(stored(both[0]));
    EXPECT_FALSE(stored(both[1]));
}

// A game whose picture is gone is broken: it shows the error mark, cannot
// be started, and can still be trashed.
TEST_F(SavedGames, ABrokenGameCannotBeStarted) {
    ASSERT_NO_FATAL_FAILURE(twoGames());
    const std::string older = listed()[1];
    workspace->stop();
    workspace->setEventHandler(nullptr);
    menu.reset();
    workspace.reset();
    std::remove(picture("a.png").c_str());
    build();
    ASSERT_TRUE(waitFor([&] {
        return workspace->shelf().description(older).broken && workspace->shelf().description(listed()[0]).thumbnailReady;
    }));
    sync();
    ItemSelect& list = games().gamesList();
    EXPECT_TRUE(games().gameBroken(1));
    moveTo(item(list, 1));
    EXPECT_TRUE(games().trashMarkShown());
    EXPECT_FALSE(games().playMarkShown());
    click(item(list, 1));
    EXPECT_EQ(page(), Page::gameSelection);
    const auto pixels = render("broken");
    (void)pixels;
    click(windowPoint(games().trashMark()));
    EXPECT_EQ(trashed(), std::vector<std::string>{older});
    // The playable one loads.
    click(item(list, 0));
    EXPECT_EQ(page(), Page::loading);
    ASSERT_TRUE(waitFor([&] { return page() == Page::inGame; }));
}

// The game opens its saved games, and asks for their thumbnails, before its
// window: a menu built after that lists them at once, the list page shown,
// and asks for no thumbnail again.
TEST_F(SavedGames, AShelfOpenedBeforeTheMenuIsListedAtOnce) {
    ASSERT_NO_FATAL_FAILURE(twoGames());
    const std::vector<std::string> both = listed();
    moveTo(item(games().gamesList(), 1));
    click(windowPoint(games().trashMark()));
    sync();
    workspace->stop();
    workspace->setEventHandler(nullptr);
    menu.reset();
    workspace.reset();
    workspace = std::make_unique<Workspace>(log, logger, configuration);
    workspace->shelf().open(savedGames());
    workspace->shelf().loadThumbnails();
    menu = std::make_unique<GameMenu>(*workspace, view);
    view.menu = menu.get();
    menu->setup(*shader, builtIn.archive, configuration);
    menu->setGeometry(TAVO::Tuple<2, float>(width, height));
    workspace->setEventHandler(&view);
    EXPECT_FALSE(games().showsTitlePage());
    EXPECT_EQ(games().gamesList().count(), 1u);
    EXPECT_EQ(games().trashList().count(), 1u);
    EXPECT_TRUE(games().openTrashShown());
    sync();
    const Shelf::Description& listedOne = workspace->shelf().description(both[0]);
    const Shelf::Description& trashedOne = workspace->shelf().description(both[1]);
    ASSERT_TRUE(listedOne.thumbnailReady);
    ASSERT_TRUE(trashedOne.thumbnailReady);
    // One thumbnail each, the listed game's first.
    EXPECT_EQ(listedOne.tile, 0u);
    EXPECT_EQ(trashedOne.tile, 1u);
    EXPECT_EQ(workspace->shelf().thumbnailPageCount(), 1u);
}

// The thumbnail pages are uploaded when the lists are drawn, once however
// many thumbnails came: each item shows its own picture, in the saved-games
// list and in the gallery.
TEST_F(SavedGames, EachThumbnailShowsItsPictureWhenTheListIsDrawn) {
    const std::uint8_t colours[2][3] = {{200, 40, 90}, {30, 160, 220}};
    std::filesystem::create_directories(gallery());
    for (std::uint32_t i = 0; i < 2; ++i) {
        std::vector<std::uint8_t> pixels;
        for (std::uint32_t p = 0; p < 64 * 48; ++p)
            pixels.insert(pixels.end(), colours[i], colours[i] + 3);
        ASSERT_TRUE(KestruneTest::PictureFiles::writePNG(picture("c" + std::to_string(i) + ".png"), 64, 48, 3, pixels));
    }
    ASSERT_NO_FATAL_FAILURE(playTwoGames());
    moveTo(away());
    step();
    auto shows = [&](const std::vector<std::uint8_t>& pixels, const ItemSelect& list, std::uint32_t i,
                     const std::uint8_t* colour) {
        const Point centre = item(list, i);
        expectPixel(pixels, width, std::uint32_t((centre[0] + 1.0f) / 2.0f * width),
                    std::uint32_t((centre[1] + 1.0f) / 2.0f * height), colour[0], colour[1], colour[2]);
    };
    // Newest first.
    auto pixels = render("thumbnails");
    shows(pixels, games().gamesList(), 0, colours[1]);
    shows(pixels, games().gamesList(), 1, colours[0]);
    click(windowPoint(*games().buttonColumn().children().back()));
    ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
    pixels = render("gallery");
    shows(pixels, pictures().list(), 0, colours[0]);
    shows(pixels, pictures().list(), 1, colours[1]);
}
