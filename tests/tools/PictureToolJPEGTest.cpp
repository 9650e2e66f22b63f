// kestrune-picture with JPEG input: the full picture and the eighth-scale
// mode, against djpeg.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/Command.h"
#include "support/TempFolder.h"

using KestruneTest::Command;
using KestruneTest::TempFolder;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-picture";

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pixel bytes of a binary PNM and its width and height.
std::string pixels(const std::string& pnm, unsigned& width, unsigned& height) {
    std::size_t at = 0;
    std::string fields[4];
    for (std::string& field : fields) {
        while (std::isspace(static_cast<unsigned char>(pnm[at])))
            ++at;
        while (at < pnm.size() && !std::isspace(static_cast<unsigned char>(pnm[at])))
            field += pnm[at++];
    }
    width = unsigned(std::stoul(fields[1]));
    height = unsigned(std::stoul(fields[2]));
    return pnm.substr(at + 1);
}

} // namespace

TEST(PictureToolJPEG, ConvertsFullAndEighthScale) {
    if (!Command::available("cjpeg") || !Command::available("djpeg"))
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed";
    TempFolder folder;
    {
        std::ofstream ppm(folder.file("in.ppm"), std::ios::binary);
        ppm << "P6\n40 24\n255\n";
        for (int i = 0; i < 40 * 24; ++i)
            ppm << char(i % 40 * 6) << char(i / 40 * 10) << char(128);
    }
    ASSERT_EQ(Command::run("cjpeg -sample 1x1 -outfile " + folder.file("in.jpg") + " " + folder.file("in.ppm")).exitCode, 0);
    ASSERT_EQ(Command::run(tool + " convert " + folder.file("in.jpg") + " " + folder.file("full.ppm")).exitCode, 0);
    ASSERT_EQ(Command::run("djpeg -dct float -outfile " + folder.file("ref.ppm") + " " + folder.file("in.jpg")).exitCode, 0);
    unsigned w = 0, h = 0, rw = 0, rh = 0;
    const std::string ours = pixels(readText(folder.file("full.ppm")), w, h);
    const std::string theirs = pixels(readText(folder.file("ref.ppm")), rw, rh);
    EXPECT_EQ(w, 40u);
    EXPECT_EQ(h, 24u);
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i)
        ASSERT_LE(std::abs(int((unsigned char)ours[i]) - int((unsigned char)theirs[i])), 3) << i;

    ASSERT_EQ(Command::run(tool + " convert --eighth " + folder.file("in.jpg") + " " + folder.file("small.ppm")).exitCode, 0);
    ASSERT_EQ(Command::run("djpeg -scale 1/8 -outfile " + folder.file("small-ref.ppm") + " " + folder.file("in.jpg")).exitCode, 0);
    const std::string small = pixels(readText(folder.file("small.ppm")), w, h);
    const std::string smallRef = pixels(readText(folder.file("small-ref.ppm")), rw, rh);
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
    ASSERT_EQ(small.size(), smallRef.size());
    for (std::size_t i = 0; i < small.size(); ++i)
        EXPECT_LE(std::abs(int((unsigned char)small[i]) - int((unsigned char)smallRef[i])), 2) << i;

    // Eighth scale is a JPEG mode only.
    const auto refused = Command::run(tool + " convert --eighth " + folder.file("in.ppm") + " " + folder.file("x.ppm") + " 2>&1");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("eighth-scale decoding of"), std::string::npos) << refused.output;
}
