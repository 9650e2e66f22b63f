#include "Games.h"

#include "foundation/text/ConversionException.h"

using namespace GamesTest;

namespace {

class WorkspaceRun : public Games {};

} // namespace

TEST_F(WorkspaceRun, ShutDownWritesTheHeldBackMoveAndEveryQueuedSave) {
    newGame();
    for (int i = 0; i < 40; ++i)
        moveTo(std::uint32_t(i % 15), 100.0f * float(i), 7.0f);
    pan(11.0f, 12.0f);
    const std::vector<std::uint8_t> live = bytesOf(table());
    // No sync: the saves are still queued when the workspace goes, as on an
    // exception leaving the main loop.
    workspace.reset();
    start();
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
}

TEST_F(WorkspaceRun, TwoQuickNewGamesAreBothRegisteredWithTheSameLayout) {
    Picture loaded;
    ASSERT_TRUE(workspace->loader().loadPicture(picture, loaded));
    workspace->menuSetup().setPicture(picture, loaded);
    workspace->newGame();
    // The table is emptied at once.
    EXPECT_EQ(table().parts().size(), 0u);
    EXPECT_EQ(workspace->puzzle(), nullptr);
    workspace->newGame();
    sync();
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(shelf().currentGame(), "1");
    EXPECT_EQ(entry("puzzle/0/table"), entry("puzzle/1/table"));
    EXPECT_EQ(entry("puzzle/1/table"), snapshot());
}

TEST_F(WorkspaceRun, TheConfigurationGivesTheDefaultBackgroundAndLighting) {
    EXPECT_TRUE(workspace->lighting());
    EXPECT_EQ(workspace->defaultBackground(), Tray::Background(1, TAVO::Color(0.75f, 0.75f, 0.75f), 1));
    TAVO::Parameters other = configuration();
    other.set("lighting", "map");
    other.set("tray_pattern", "Cloth");
    other.set("tray_preview", "");
    other.set("tray_red", "0.25");
    Workspace second(log, logger, other);
    EXPECT_FALSE(second.lighting());
    EXPECT_EQ(second.defaultBackground(), Tray::Background(0, TAVO::Color(0.25f, 0.75f, 0.75f), 0));
    other.set("tray_green", "0.5x");
    EXPECT_THROW(Workspace(log, logger, other), TAVO::Text::ConversionException);
    other.set("tray_green", "0.5");
    other.set("tray_pattern", "checker");
    other.set("tray_preview", "picture");
    EXPECT_EQ(Workspace(log, logger, other).defaultBackground(),
              Tray::Background(2, TAVO::Color(0.25f, 0.5f, 0.75f), 3));
}

TEST_F(WorkspaceRun, EveryGameAskedForIsAnsweredInOrderAndTheLastOneStays) {
    // Only the answers to the view: puzzleLoaded and puzzleFailed.
    auto answers = [this] {
        std::vector<std::string> found;
        for (const std::string& line : events.take())
            if (line == "loaded" || line == "failed")
                found.push_back(line);
        return found;
    };
    newGame();
    moveTo(1, 900.0f, 900.0f);
    sync();
    const std::vector<std::uint8_t> zero = bytesOf(table());
    answers();
    // A load asked for while a new game is still being made.
    Picture loaded;
    ASSERT_TRUE(workspace->loader().loadPicture(picture, loaded));
    workspace->menuSetup().setPicture(picture, loaded);
    workspace->menuSetup().setRequestedPieceCount(9);
    workspace->newGame();
    shelf().setCurrentGame("0");
    shelf().loadGame();
    sync();
    EXPECT_EQ(answers(), (std::vector<std::string>{"loaded", "loaded"}));
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(shelf().currentGame(), "0");
    EXPECT_EQ(bytesOf(table()), zero);
    // What is played now is saved into game 0.
    moveTo(2, 800.0f, 800.0f);
    sync();
    const std::vector<std::uint8_t> played = bytesOf(table());
    // Two loads one after the other, the first of a game that fails.
    const std::string gone = folder.file("gone.ppm");
    KestruneTest::PictureFiles::writeNetPBM(gone, 60, 40, 3, KestruneTest::PictureFiles::pattern(60, 40, 3));
    newGame(4, gone);
    std::remove(gone.c_str());
    answers();
    resume("1");
    shelf().setCurrentGame("2");
    shelf().loadGame();
    shelf().setCurrentGame("0");
    shelf().loadGame();
    sync();
    EXPECT_EQ(answers(), (std::vector<std::string>{"loaded", "failed", "loaded"}));
    EXPECT_TRUE(shelf().description("2").broken);
    EXPECT_EQ(shelf().currentGame(), "0");
    EXPECT_EQ(bytesOf(table()), played);
    // A game moved to the trash before it was read is not brought back,
    // and is not marked broken.
    shelf().setCurrentGame("1");
    shelf().loadGame();
    shelf().trashGame("1");
    sync();
    EXPECT_EQ(answers(), std::vector<std::string>{"failed"});
    EXPECT_FALSE(shelf().description("1").broken);
    EXPECT_TRUE(log.has("Game 1 was not loaded"));
    start();
    resume("0");
    EXPECT_EQ(bytesOf(table()), played);
}

// A new game whose cut cannot be made into meshes names its picture in the
// log as one printable line, whatever bytes the file's name holds. Here the
// menu's set-up is read as a saved game holds it, with a puzzle far too
// small for its pieces to be cut into triangles.
TEST_F(WorkspaceRun, ANewGameThatCannotBeMadeNamesItsPictureOnOnePrintableLine) {
    const std::string odd = folder.file("odd\x1b[2J\a\n\xff.ppm");
    KestruneTest::PictureFiles::writeNetPBM(odd, 60, 40, 3, KestruneTest::PictureFiles::pattern(60, 40, 3));
    Picture loaded;
    ASSERT_TRUE(workspace->loader().loadPicture(odd, loaded));
    ::Setup& menu = workspace->menuSetup();
    readStoredSetup(menu, odd, 4, 1e-10f, 1e-10f, 2, 2);
    menu.setPicture(odd, loaded);
    events.take();
    workspace->newGame();
    sync();
    ASSERT_EQ(events.take(), std::vector<std::string>{"failed"});
    EXPECT_TRUE(log.has("Unable to start a new game of " + folder.path() + "/odd\\x1b[2J\\x07\\n\\xff.ppm: "))
        << log.lines().back();
    EXPECT_EQ(log.unprintable(), std::vector<std::string>{});
}
