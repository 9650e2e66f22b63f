#include "Games.h"

#include <cstdio>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "support/ThumbnailReference.h"

using namespace GamesTest;

namespace {

class Thumbnails : public Games {
protected:
    // The stored pixel (x, y) of a page.
    static std::vector<std::uint8_t> pixel(const Picture& page, std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* at = page.bufferConst().data() + (std::size_t(y) * 1024 + x) * 3;
        return {at[0], at[1], at[2]};
    }
    // The first stored pixel of the thumbnail the loader makes of the file, as RGB.
    std::vector<std::uint8_t> expected(const std::string& path) {
        Picture thumbnail;
        EXPECT_TRUE(workspace->loader().loadPictureScaled(path, 128, thumbnail));
        const std::uint8_t* at = thumbnail.bufferConst().data();
        const std::uint32_t channels = thumbnail.metadataConst().channels();
        return channels < 3 ? std::vector<std::uint8_t>{at[0], at[0], at[0]}
                            : std::vector<std::uint8_t>{at[0], at[1], at[2]};
    }
};

} // namespace

TEST_F(Thumbnails, GreyAndAlphaPicturesAreConvertedToTheColourPage) {
    std::vector<std::string> paths;
    for (std::uint32_t channels : {1u, 2u, 4u, 3u}) {
        const std::string path = folder.file("c" + std::to_string(channels) + ".png");
        if (!KestruneTest::PictureFiles::writePNG(path, 160, 130, channels,
                                                  KestruneTest::PictureFiles::pattern(160, 130, channels, channels)))
            GTEST_SKIP() << "python3 is missing";
        paths.push_back(path);
        newGame(9, path);
    }
    events.take();
    // Newest first: the game of path i is listed at 3 - i.
    for (const std::string& id : shelf().games())
        shelf().loadThumbnail(id);
    sync();
    EXPECT_EQ(events.take(), (std::vector<std::string>{"gameChanged 0", "gameChanged 1", "gameChanged 2",
                                                       "gameChanged 3"}));
    ASSERT_EQ(shelf().thumbnailPageCount(), 1u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        const Shelf::Description& d = shelf().description(shelf().games()[3 - i]);
        ASSERT_TRUE(d.thumbnailReady);
        EXPECT_FALSE(d.broken);
        const TAVO::Point<2, unsigned int> at = shelf().thumbnailAtlas().tileRegion(d.tile).origin();
        EXPECT_EQ(pixel(shelf().thumbnailPage(0), at[0], at[1]), expected(paths[i])) << paths[i];
    }
}

TEST_F(Thumbnails, TilesFillPagesInOrderAndAreNeverReused) {
    newGame();
    for (int i = 0; i < 65; ++i)
        shelf().loadThumbnail("0");
    sync();
    const Shelf::Description& d = shelf().description("0");
    EXPECT_TRUE(d.thumbnailReady);
    EXPECT_EQ(d.tile, 64u);
    ASSERT_EQ(shelf().thumbnailPageCount(), 2u);
    const std::vector<std::uint8_t> first = expected(picture);
    EXPECT_EQ(pixel(shelf().thumbnailPage(1), 0, 0), first);
    EXPECT_EQ(pixel(shelf().thumbnailPage(0), 128, 128), first);
    // Beyond the thumbnail of tile 64 the second page is still blank ramp.
    EXPECT_EQ(pixel(shelf().thumbnailPage(1), 128, 0), (std::vector<std::uint8_t>{128, 129, 130}));
    EXPECT_THROW(shelf().thumbnailPage(2), TAVO::BoundException<unsigned int>);
}

TEST_F(Thumbnails, AMissingPictureMarksTheGameBrokenAlsoInTheTrash) {
    const std::string gone = folder.file("gone.ppm");
    KestruneTest::PictureFiles::writeNetPBM(gone, 100, 100, 3, KestruneTest::PictureFiles::pattern(100, 100, 3));
    newGame(16, gone);
    newGame();
    std::remove(gone.c_str());
    shelf().trashGame("0");
    events.take();
    shelf().loadThumbnail("0");
    shelf().loadThumbnail("1");
    sync();
    EXPECT_EQ(events.take(), (std::vector<std::string>{"trashChanged 0", "gameChanged 0"}));
    EXPECT_TRUE(shelf().description("0").broken);
    EXPECT_FALSE(shelf().description("0").thumbnailReady);
    EXPECT_TRUE(shelf().description("1").thumbnailReady);
    EXPECT_EQ(shelf().description("1").tile, 0u);
    EXPECT_TRUE(log.has("Unable to load picture " + gone + " for game 0 thumbnail."));
    // A game emptied from the trash before its thumbnail arrives gets nothing.
    shelf().loadThumbnail("0");
    shelf().disposeGames();
    sync();
    EXPECT_THROW(shelf().description("0"), TAVO::NotFoundException<std::string>);
}

// The pictures are made on the loader's threads: a save queued behind a
// thumbnail is written while its picture waits, and the thumbnail still
// comes once the loader runs.
TEST_F(Thumbnails, ASaveQueuedBehindAThumbnailDoesNotWaitForItsPicture) {
    newGame();
    events.take();
    workspace->loader().stop();
    shelf().loadThumbnail("0");
    EXPECT_TRUE(shelf().description("0").thumbnailPending);
    moveTo(2, 500.0f, 500.0f);
    const std::uint64_t save = shelf().lastSave();
    for (int i = 0; i < 60000 && shelf().savedThrough() < save; ++i) {
        workspace->poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(shelf().savedThrough(), save);
    EXPECT_FALSE(shelf().description("0").thumbnailReady);
    EXPECT_TRUE(events.take().empty());
    workspace->loader().start();
    sync();
    EXPECT_EQ(events.take(), std::vector<std::string>{"gameChanged 0"});
    EXPECT_TRUE(shelf().description("0").thumbnailReady);
    EXPECT_FALSE(shelf().description("0").thumbnailPending);
}

// The first game's picture takes longest to read; the others, read beside
// it, still take the tiles after its own, and every tile holds what the
// thumbnail recipe makes of its picture (kept bottom row first, as the
// loader keeps pictures).
TEST_F(Thumbnails, PicturesReadSideBySideFillTheTilesInTheOrderAskedFor) {
    using KestruneTest::ThumbnailReference;
    const std::uint32_t sides[3][2] = {{2400, 1800}, {90, 60}, {60, 90}};
    std::vector<ThumbnailReference::Image> expected;
    for (std::uint32_t i = 0; i < 3; ++i) {
        const std::uint32_t w = sides[i][0], h = sides[i][1];
        const std::string path = folder.file("p" + std::to_string(i) + ".ppm");
        const std::vector<std::uint8_t> pixels = KestruneTest::PictureFiles::pattern(w, h, 3, i);
        KestruneTest::PictureFiles::writeNetPBM(path, w, h, 3, pixels);
        ThumbnailReference::Image stored{w, h, 3, {}};
        for (std::uint32_t y = h; y-- > 0;)
            stored.data.insert(stored.data.end(), pixels.begin() + std::ptrdiff_t(y) * w * 3,
                               pixels.begin() + std::ptrdiff_t(y + 1) * w * 3);
        expected.push_back(ThumbnailReference::of(stored, 128));
        newGame(4, path);
    }
    // Newest first: the game of picture i is listed at 2 - i.
    const std::vector<std::string> games = shelf().games();
    for (std::uint32_t i = 0; i < 3; ++i)
        shelf().loadThumbnail(games[2 - i]);
    sync();
    for (std::uint32_t i = 0; i < 3; ++i) {
        const Shelf::Description& d = shelf().description(games[2 - i]);
        ASSERT_TRUE(d.thumbnailReady);
        EXPECT_EQ(d.tile, i);
        const TAVO::Point<2, unsigned int> at = shelf().thumbnailAtlas().tileRegion(d.tile).origin();
        std::uint32_t differing = 0;
        for (std::uint32_t y = 0; y < 128; ++y)
            for (std::uint32_t x = 0; x < 128; ++x)
                differing += pixel(shelf().thumbnailPage(0), at[0] + x, at[1] + y) !=
                             std::vector<std::uint8_t>{expected[i].at(0, x, y), expected[i].at(1, x, y),
                                                       expected[i].at(2, x, y)};
        EXPECT_EQ(differing, 0u) << "picture " << i;
    }
}
