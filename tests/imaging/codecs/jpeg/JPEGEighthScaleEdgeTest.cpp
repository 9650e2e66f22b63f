// Eighth-scale pictures of files whose scans carry one component alone, at
// sizes that are not whole MCUs: the MCU fill blocks at the right and bottom
// edges, which such scans do not code, must show the picture's edge as they
// do in a file that codes them (a baseline file of the same picture).

#include <fstream>

#include <gtest/gtest.h>

#include "JPEGTestSupport.h"

using namespace KestruneTest;
using namespace KestruneTest::JPEG;

#define REQUIRE_TOOLS()                                        \
    if (!haveTools())                                          \
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed"

namespace {

struct Sampling {
    const char* options;
    unsigned channels;
    bool subsampled;
};

const Sampling samplings[] = {
    {"-grayscale", 1, false},
    {"-sample 1x1", 3, false},
    {"-sample 2x2", 3, true},
    {"-sample 2x1", 3, true},
    {"-sample 1x2", 3, true},
};

const unsigned sizes[][2] = {{100, 75}, {33, 17}, {4001, 3}, {1, 1}, {17, 9}, {9, 40}};

// Scan scripts whose DC scans (first or refinement) carry one component each.
struct Scripts {
    TempFolder folder;
    std::vector<std::string> colour, grey;

    Scripts() {
        auto script = [&](const std::string& name, const std::string& text) {
            const std::string path = folder.file(name);
            std::ofstream(path) << text;
            return path;
        };
        const std::string ac = "0: 1 5 0 1;\n0: 6 63 0 0;\n1: 1 63 0 0;\n2: 1 63 0 0;\n0: 1 5 1 0;\n";
        colour = {
            // First and refinement DC scans alone.
            script("separate.txt", "0: 0 0 0 1;\n1: 0 0 0 1;\n2: 0 0 0 1;\n" + ac + "2: 0 0 1 0;\n0: 0 0 1 0;\n1: 0 0 1 0;\n"),
            // The first DC scans alone, refined together.
            script("refined.txt", "2: 0 0 0 2;\n1: 0 0 0 2;\n0: 0 0 0 2;\n" + ac + "0,1,2: 0 0 2 1;\n0,1,2: 0 0 1 0;\n"),
            // Together at first, refined alone.
            script("together.txt", "0,1,2: 0 0 0 1;\n" + ac + "0: 0 0 1 0;\n1: 0 0 1 0;\n2: 0 0 1 0;\n"),
            // Luma alone, chroma together.
            script("chroma.txt", "0: 0 0 0 0;\n1,2: 0 0 0 0;\n0: 1 63 0 0;\n1: 1 63 0 0;\n2: 1 63 0 0;\n"),
        };
        grey = {script("grey.txt", "0: 0 0 0 1;\n0: 1 63 0 1;\n0: 0 0 1 0;\n0: 1 63 1 0;\n")};
    }
};

std::string sizeText(const unsigned size[2]) { return std::to_string(size[0]) + "x" + std::to_string(size[1]); }

// The top-left width x height pixels of a picture.
Picture crop(const Picture& picture, unsigned width, unsigned height) {
    Picture result{width, height, picture.channels, {}};
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            for (unsigned c = 0; c < picture.channels; ++c)
                result.pixels.push_back(std::uint8_t(picture.at(x, y, c)));
    return result;
}

} // namespace

TEST(JPEGEighthScaleEdge, ProgressiveWithDCScansOfOneComponentEqualsBaseline) {
    REQUIRE_TOOLS();
    Scripts scripts;
    for (const Sampling& sampling : samplings)
        for (const auto& size : sizes) {
            const Picture source = makePicture(size[0], size[1], sampling.channels, size[0] + 7 * size[1]);
            const std::string common = std::string(sampling.options) + " -quality 85 ";
            const Picture baseline = decode(cjpeg(source, common), true);
            const Picture djpegScaled = djpeg(cjpeg(source, common), "-scale 1/8");
            for (const std::string& script : sampling.channels == 1 ? scripts.grey : scripts.colour) {
                const Bytes jpeg = cjpeg(source, common + "-scans " + script);
                const Picture ours = decode(jpeg, true);
                const std::string what = sizeText(size) + " " + sampling.options + " " + script;
                EXPECT_EQ(ours.width, baseline.width) << what;
                EXPECT_EQ(ours.height, baseline.height) << what;
                EXPECT_EQ(ours.pixels, baseline.pixels) << what;

                // Against djpeg on the region both pictures have.
                const Picture reference = djpeg(jpeg, "-scale 1/8");
                EXPECT_EQ(reference.pixels, djpegScaled.pixels) << what;
                const unsigned width = std::min(ours.width, reference.width);
                const unsigned height = std::min(ours.height, reference.height);
                const Picture mine = crop(ours, width, height), shared = crop(reference, width, height);
                if (!sampling.subsampled) {
                    EXPECT_LE(maxDifference(mine, shared), sampling.channels == 1 ? 0 : 2) << what;
                } else if (size[0] >= 64 && size[1] >= 64) {
                    // A few blocks in either direction say nothing about the chroma siting.
                    EXPECT_GE(psnr(mine, shared), 30.0) << what;
                }
            }
        }
}

TEST(JPEGEighthScaleEdge, FillBlocksRepeatTheEdgeBlocksOfTheirMCU) {
    REQUIRE_TOOLS();
    // A 33 x 17 picture in 4:2:0 has 5 x 3 luma blocks in a grid of 6 x 4:
    // the sixth column and the fourth row are fill blocks. Grey is the DC
    // pixel of a zero coefficient; the edge of this picture is far from it.
    Scripts scripts;
    Picture source{33, 17, 3, Bytes(33 * 17 * 3)};
    for (std::size_t i = 0; i < source.pixels.size(); i += 3) {
        const unsigned x = unsigned(i / 3 % 33), y = unsigned(i / 3 / 33);
        source.pixels[i] = std::uint8_t(20 + x * 2);      // dark, brightening to the right
        source.pixels[i + 1] = std::uint8_t(30 + y * 3);  // green growing downward
        source.pixels[i + 2] = 40;
    }
    const Picture ours = decode(cjpeg(source, "-sample 2x2 -quality 95 -scans " + scripts.colour[0]), true);
    ASSERT_EQ(ours.width, 6u);
    ASSERT_EQ(ours.height, 4u);
    for (unsigned y = 0; y < 4; ++y)
        for (unsigned c = 0; c < 3; ++c)
            EXPECT_LT(ours.at(5, y, c), 110) << "right edge, row " << y << " channel " << c;
    for (unsigned x = 0; x < 6; ++x)
        for (unsigned c = 0; c < 3; ++c)
            EXPECT_LT(ours.at(x, 3, c), 110) << "bottom edge, column " << x << " channel " << c;
}

TEST(JPEGEighthScaleEdge, SequentialScansOfOneComponentEqualBaseline) {
    REQUIRE_TOOLS();
    TempFolder folder;
    const std::string script = folder.file("sequential.txt");
    std::ofstream(script) << "0: 0 63 0 0;\n2: 0 63 0 0;\n1: 0 63 0 0;\n";
    for (const Sampling& sampling : samplings) {
        if (sampling.channels == 1)
            continue;
        for (const auto& size : sizes) {
            const Picture source = makePicture(size[0], size[1], 3, size[0] * 5 + size[1]);
            const std::string common = std::string(sampling.options) + " -quality 80 ";
            const std::string what = sizeText(size) + " " + sampling.options;
            const Bytes jpeg = cjpeg(source, common + "-scans " + script);
            EXPECT_EQ(decode(jpeg, true).pixels, decode(cjpeg(source, common), true).pixels) << what;
            EXPECT_EQ(decode(jpeg).pixels, decode(cjpeg(source, common)).pixels) << what;
        }
    }
}
