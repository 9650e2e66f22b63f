#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/threads/LogFile.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "imaging/TileAtlas.h"
#include "support/PictureFiles.h"
#include "support/ThumbnailReference.h"
#include "support/TempFolder.h"
#include "support/UnprivilegedChild.h"

using namespace TAVO;
using KestruneTest::PictureFiles;
using KestruneTest::TempFolder;
using TAVO::Migration::ImageMetadata;

namespace {

using Image = KestruneTest::ThumbnailReference::Image;

Picture pictureOf(const Image& image) {
    Picture picture;
    picture.metadata() = ImageMetadata(image.w, image.h, image.c, image.c * 8);
    picture.buffer().assign(image.data.data(), std::uint32_t(image.data.size()));
    return picture;
}

struct Loader {
    std::ostringstream logText;
    LogFile log;
    PictureLoader loader{log};
    Loader() { log.open(logText); }
};

} // namespace

TEST(Picture, MadeFromASizeHoldsTheByteRamp) {
    Picture picture(Vector<2, unsigned int>(2, 1));
    ASSERT_EQ(picture.buffer().size(), 6u);
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(picture.buffer().data()[i], i);
    EXPECT_TRUE(picture.hasPixels());
    EXPECT_EQ(picture.metadata().channels(), 3u);
}

TEST(Picture, EmptyPicturesGetEmptyContentOnAccess) {
    Picture picture;
    EXPECT_FALSE(picture.hasPixels());
    picture.metadata();
    EXPECT_FALSE(picture.hasPixels());
    Picture copy = picture;
    copy.metadata().setWidth(5);
    EXPECT_EQ(picture.metadata().width(), 5u) << "copies share their content";
}

TEST(Picture, GreyPastedIntoColourFillsEveryChannel) {
    Picture page(Vector<2, unsigned int>(4, 4));
    const Image grey{2, 2, 1, {10, 20, 30, 40}};
    page.paste(Point<2, unsigned int>(1, 2), pictureOf(grey));
    const std::uint8_t* p = page.buffer().data();
    for (std::uint32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(p[(2 * 4 + 1) * 3 + c], 10);
        EXPECT_EQ(p[(2 * 4 + 2) * 3 + c], 20);
        EXPECT_EQ(p[(3 * 4 + 2) * 3 + c], 40);
    }
    EXPECT_THROW(page.paste(Point<2, unsigned int>(3, 3), pictureOf(grey)), BoundException<int>);
    Picture empty;
    EXPECT_THROW(empty.paste(Point<2, unsigned int>(0, 0), pictureOf(grey)), UninitializedException);
    const Image twoChannels{1, 1, 2, {1, 2}};
    EXPECT_THROW(page.paste(Point<2, unsigned int>(0, 0), pictureOf(twoChannels)), BoundException<int>);
}

TEST(TileAtlas, TilesRegionsAndTextureCoordinates) {
    TileAtlas atlas(8, Tuple<2, unsigned int>(128, 128));
    EXPECT_EQ(atlas.pageSize()[0], 1024u);
    EXPECT_EQ(atlas.page(9), 0u);
    EXPECT_EQ(atlas.tileRegion(9).origin()[0], 128u);
    EXPECT_EQ(atlas.tileRegion(9).origin()[1], 128u);
    EXPECT_EQ(atlas.page(64), 1u);
    EXPECT_EQ(atlas.tileRegion(64).origin()[0], 0u);
    EXPECT_EQ(atlas.tileRegion(70).origin()[0], 768u);
    EXPECT_EQ(atlas.tileRegion(70).origin()[1], 0u);
    const auto t0 = atlas.tileTransformation(0);
    EXPECT_FLOAT_EQ(t0.origin()[0], 0.0f);
    EXPECT_FLOAT_EQ(t0.extent()[0], 127.0f / 1023.0f);
    const auto t9 = atlas.tileTransformation(9);
    EXPECT_FLOAT_EQ(t9.origin()[1], 128.0f / 1023.0f);
    EXPECT_FLOAT_EQ(t9.extent()[1], 255.0f / 1023.0f - 128.0f / 1023.0f);
    EXPECT_EQ(atlas.allocate(), 0u);
    EXPECT_EQ(atlas.allocate(), 1u);
}

TEST(PictureScaling, ThumbnailsMatchTheRecipe) {
    Loader l;
    const std::uint32_t sizes[][3] = {{300, 200, 3}, {1000, 1000, 3}, {200, 700, 1}, {901, 260, 3}, {128, 128, 4},
                                      {2, 2, 2}, {513, 1030, 3}};
    for (const auto& s : sizes) {
        const Image image{s[0], s[1], s[2], PictureFiles::pattern(s[0], s[1], s[2], s[0])};
        Picture picture = pictureOf(image);
        l.loader.scalePicture(picture, 128);
        const Image expected = KestruneTest::ThumbnailReference::of(image, 128);
        ASSERT_EQ(picture.metadata().width(), 128u);
        ASSERT_EQ(picture.metadata().channels(), s[2]);
        ASSERT_EQ(picture.buffer().size(), expected.data.size());
        EXPECT_TRUE(std::equal(expected.data.begin(), expected.data.end(), picture.buffer().data()))
            << s[0] << "x" << s[1];
        EXPECT_EQ(picture.metadata().format(), s[2] >= 3 ? ImageMetadata::Format::RGBA : ImageMetadata::Format::Intensity);
    }
}

TEST(PictureLoading, ChoosesTheCodecByExtensionAndReportsFailures) {
    TempFolder folder;
    Loader l;
    const auto pixels = PictureFiles::pattern(40, 30, 3);
    PictureFiles::writeNetPBM(folder.file("a.PPM"), 40, 30, 3, pixels);
    Picture picture;
    ASSERT_TRUE(l.loader.loadPicture(folder.file("a.PPM"), picture, 0));
    EXPECT_EQ(picture.metadata().width(), 40u);
    EXPECT_EQ(picture.buffer().size(), 40u * 30u * 3u);

    EXPECT_FALSE(l.loader.loadPicture(folder.file("missing.gif"), picture, 0));
    EXPECT_FALSE(picture.hasPixels());
    EXPECT_FALSE(l.loader.loadPicture(folder.file("missing.png"), picture, 0));
    EXPECT_TRUE(l.logText.str().empty()) << "no file, no import, nothing to log";

    // A failed import is one entry naming the file, its bytes that are no
    // text escaped.
    const std::string broken = folder.file("broken\x1b[2J.png");
    std::ofstream(broken) << "not a picture at all";
    EXPECT_FALSE(l.loader.loadPicture(broken, picture, 0));
    const std::string shown = folder.file("broken\\x1b[2J.png");
    EXPECT_NE(l.logText.str().find(" : context: " + shown + "> TAVO "), std::string::npos) << l.logText.str();
    EXPECT_EQ(l.logText.str().find('\x1b'), std::string::npos) << l.logText.str();

    ASSERT_TRUE(l.loader.loadPictureScaled(folder.file("a.PPM"), 16, picture));
    EXPECT_EQ(picture.metadata().width(), 16u);
    EXPECT_EQ(picture.buffer().size(), 16u * 16u * 3u);
}

// A picture file that is there and cannot be read is one line in the log
// naming it and why; the load fails at once, also for a named pipe that no
// writer will ever open.
TEST(PictureLoading, AFileThatIsThereButCannotBeReadIsNamed) {
    TempFolder folder;
    const auto pixels = PictureFiles::pattern(8, 8, 3);
    ASSERT_EQ(mkfifo(folder.file("pipe\x07.png").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(folder.file("folder.png").c_str(), 0700), 0);
    PictureFiles::writeNetPBM(folder.file("locked.ppm"), 8, 8, 3, pixels);
    ASSERT_EQ(chmod(folder.file("locked.ppm").c_str(), 0), 0);
    // Listed but not searchable: the name is known, the file cannot be reached.
    ASSERT_EQ(mkdir(folder.file("listed").c_str(), 0700), 0);
    PictureFiles::writeNetPBM(folder.file("listed/hidden.ppm"), 8, 8, 3, pixels);
    ASSERT_EQ(chmod(folder.file("listed").c_str(), 0400), 0);
    KestruneTest::UnprivilegedChild::lend(folder.path());
    const std::string log = KestruneTest::UnprivilegedChild::run([&] {
        Loader l;
        Picture picture;
        for (const char* name : {"pipe\x07.png", "folder.png", "locked.ppm", "listed/hidden.ppm", "none.ppm"})
            EXPECT_FALSE(l.loader.loadPicture(folder.file(name), picture, 0)) << name;
        return l.logText.str();
    });
    chmod(folder.file("listed").c_str(), 0700);
    std::istringstream lines(log);
    std::vector<std::string> told;
    for (std::string line; std::getline(lines, line);)
        told.push_back(line.substr(line.find(" : ") + 3));
    const std::vector<std::string> expected = {
        "Unable to read picture " + folder.file("pipe\\x07.png") + ": it is not a regular file.",
        "Unable to read picture " + folder.file("folder.png") + ": it is a folder.",
        "Unable to read picture " + folder.file("locked.ppm") + ": Permission denied.",
        "Unable to read picture " + folder.file("listed/hidden.ppm") + ": Permission denied.",
    };
    EXPECT_EQ(told, expected) << log;
}

TEST(PictureLoading, SixteenBitPicturesKeepTheirHighBytes) {
    TempFolder folder;
    Loader l;
    // A 16-bit grey NetPBM picture, big-endian samples.
    std::ofstream(folder.file("deep.pgm"), std::ios::binary)
        << "P5\n2 1\n65535\n" << std::string("\x12\x34\xAB\xCD", 4);
    Picture picture;
    ASSERT_TRUE(l.loader.loadPicture(folder.file("deep.pgm"), picture, 0)) << l.logText.str();
    EXPECT_EQ(picture.metadata().type().bits(), 8u);
    ASSERT_EQ(picture.buffer().size(), 2u);
    EXPECT_EQ(picture.buffer().data()[0], 0x12);
    EXPECT_EQ(picture.buffer().data()[1], 0xAB);
}
