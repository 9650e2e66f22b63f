// A saved game resumes with the grid its set-up entry holds, even where a
// new game of the same picture and count would now be cut otherwise.
#include "Games.h"

#include <algorithm>

#include "foundation/streams/ConstBufferStream.h"
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
    TAVO::IncrementalBuffer stored;
    {
        TAVO::BufferStream out(stored);
        TAVO::WriteStream& w = out;
        auto put = [&](const void* p, std::uint32_t n) { w.write(p, n); };
        const std::uint32_t seed = 0, length = std::uint32_t(thin.size()), requested = 16, columns = 73, rows = 1;
        const float x = 104987.0f, y = 315.0f;
        put(&seed, 4), put(&length, 4), put(thin.data(), length), put(&requested, 4);
        put(&x, 4), put(&y, 4), put(&columns, 4), put(&rows, 4);
    }
    ::Setup& menu = workspace->menuSetup();
    {
        TAVO::ConstBufferStream in(stored);
        TAVO::Serialization::deserialize(in, menu);
    }
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
