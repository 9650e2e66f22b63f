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
