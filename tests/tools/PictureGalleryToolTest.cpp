#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/Command.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"
#include "support/ThumbnailReference.h"

using KestruneTest::Command;
using KestruneTest::PictureFiles;
using KestruneTest::TempFolder;
using KestruneTest::ThumbnailReference;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-picture";

// Rows top first (as files hold them) to bottom first (as pictures do), and back.
std::vector<std::uint8_t> flipRows(const std::vector<std::uint8_t>& pixels, std::uint32_t rowBytes) {
    std::vector<std::uint8_t> flipped(pixels.size());
    const std::size_t rows = pixels.size() / rowBytes;
    for (std::size_t y = 0; y < rows; ++y)
        std::copy_n(pixels.begin() + std::ptrdiff_t(y * rowBytes), rowBytes,
                    flipped.begin() + std::ptrdiff_t((rows - 1 - y) * rowBytes));
    return flipped;
}

// The pixels of a P5 or P6 file with maxval 255.
std::vector<std::uint8_t> netpbmPixels(const std::string& path, std::uint32_t& width, std::uint32_t& height) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    unsigned maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(PictureToolThumbnail, WritesTheGalleryThumbnail) {
    TempFolder folder;
    const std::uint32_t cases[][3] = {{300, 200, 3}, {1000, 1000, 1}, {180, 701, 3}};
    for (const auto& c : cases) {
        const auto pixels = PictureFiles::pattern(c[0], c[1], c[2], c[1]);
        const std::string in = folder.file(c[2] == 1 ? "in.pgm" : "in.ppm");
        const std::string out = folder.file(c[2] == 1 ? "out.pgm" : "out.ppm");
        PictureFiles::writeNetPBM(in, c[0], c[1], c[2], pixels);
        ASSERT_EQ(Command::run(tool + " thumbnail " + in + " " + out).exitCode, 0);
        std::uint32_t w = 0, h = 0;
        const auto written = netpbmPixels(out, w, h);
        ASSERT_EQ(w, 128u);
        ASSERT_EQ(h, 128u);
        ThumbnailReference::Image image{c[0], c[1], c[2], flipRows(pixels, c[0] * c[2])};
        const auto expected = ThumbnailReference::of(image, 128);
        EXPECT_EQ(written, flipRows(expected.data, 128 * c[2])) << c[0] << "x" << c[1];
    }
    EXPECT_EQ(Command::run(tool + " thumbnail " + folder.file("missing.ppm") + " " + folder.file("x.ppm") +
                           " 2>/dev/null").exitCode, 1);
}

TEST(PictureToolGallery, ListsWhatTheGalleryKeeps) {
    TempFolder folder;
    PictureFiles::writeNetPBM(folder.file("b.ppm"), 20, 10, 3, PictureFiles::pattern(20, 10, 3));
    PictureFiles::writeNetPBM(folder.file("a.pgm"), 9, 30, 1, PictureFiles::pattern(9, 30, 1));
    std::ofstream(folder.file("c.png")) << "broken";
    std::ofstream(folder.file("d.txt")) << "text";
    std::filesystem::create_directory(folder.file("e"));
    PictureFiles::writeNetPBM(folder.file("e/inner.pgm"), 9, 30, 1, PictureFiles::pattern(9, 30, 1));
    const auto listed = Command::run(tool + " gallery " + folder.path() + " 2>/dev/null");
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output, folder.file("a.pgm") + "\n" + folder.file("b.ppm") + "\n");
    EXPECT_EQ(Command::run(tool + " gallery " + folder.file("nothing-here")).output, "");
}
