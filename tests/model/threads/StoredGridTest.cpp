// A saved game resumes with the grid its set-up entry holds, even where a
// new game of the same picture and count would now be cut otherwise.
#include "Games.h"

#include <algorithm>

#include "model/Puzzle.h"

using namespace GamesTest;

namespace {

class StoredGrid : public Games {};

} // namespace

// A 1000 x 3 picture with 16 pieces asked for was once cut 73 x 1 (its long
// side searched as if it had no row); today it is cut 16 x 1. A game saved
// with the 73 x 1 set-up resumes as 73 x 1 with every part where it was left.
TEST_F(StoredGrid, AGameSavedWithAnOlderGridResumesWithIt) {
    const std::string thin = folder.file("thin.ppm");
    KestruneTest::PictureFiles::writeNetPBM(thin, 1000, 3, 3, KestruneTest::PictureFiles::pattern(1000, 3, 3));
    Picture loaded;
    ASSERT_TRUE(workspace->loader().loadPicture(thin, loaded));

    // The menu's set-up as a game of the older rule stored it, read back:
    // seed 0, the name, 16 asked for, the size, the 73 x 1 grid.
    ::Setup& menu = workspace->menuSetup();
    readStoredSetup(menu, thin, 16, 104987.0f, 315.0f, 73, 1);
    menu.setPicture(thin, loaded);
    ASSERT_EQ(menu.pieceCount(), 73u);
    workspace->newGame();
    sync();
    ASSERT_EQ(table().parts().size(), 73u);
    // The entry is the version word 0 and the set-up as read.
    std::vector<std::uint8_t> setupEntry{0, 0, 0, 0};
    const std::vector<std::uint8_t> setupBytes = bytesOf(menu);
    setupEntry.insert(setupEntry.end(), setupBytes.begin(), setupBytes.end());
    EXPECT_EQ(entry("puzzle/0/setup"), setupEntry);
    moveTo(5, 123.0f, 45.0f);
    const std::vector<std::uint8_t> live = bytesOf(table());

    // The next run resumes it as it was stored.
    start();
    resume("0");
    const std::vector<std::string> heard = events.take();
    EXPECT_NE(std::find(heard.begin(), heard.end(), "loaded"), heard.end());
    EXPECT_EQ(workspace->currentSetup().grid(), (TAVO::Tuple<2, unsigned int>(73u, 1u)));
    EXPECT_EQ(workspace->puzzle()->pieceCount(), 73u);
    EXPECT_EQ(bytesOf(table()), live);

    // A new game of the same picture and count is cut by today's rule: one
    // row of 16 very long pieces, which start as any game does.
    Picture again;
    ASSERT_TRUE(workspace->loader().loadPicture(thin, again));
    workspace->menuSetup().setPicture(thin, again);
    workspace->menuSetup().setRequestedPieceCount(16);
    workspace->newGame();
    sync();
    EXPECT_EQ(workspace->currentSetup().grid(), (TAVO::Tuple<2, unsigned int>(16u, 1u)));
    EXPECT_EQ(table().parts().size(), 16u);
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
}
