// Decoded pictures against libjpeg-turbo's djpeg on files made with cjpeg.
// djpeg's float DCT is the closest reference to the exact sums decoded here;
// chroma is scaled differently by design (corner-aligned bilinear), so
// subsampled pictures are compared by PSNR.

#include <gtest/gtest.h>

#include "JPEGTestSupport.h"
#include "foundation/exceptions/SupportException.h"

using namespace KestruneTest;
using namespace KestruneTest::JPEG;

#define REQUIRE_TOOLS()                                        \
    if (!haveTools())                                          \
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed"

TEST(JPEGOracle, GreyWithinTwoLevelsAtAllQualitiesAndOddSizes) {
    REQUIRE_TOOLS();
    const unsigned sizes[][2] = {{1, 1}, {17, 17}, {1, 16}, {4001, 3}, {64, 48}, {33, 9}};
    for (const auto& size : sizes)
        for (int quality : {30, 50, 75, 90, 100}) {
            const Picture source = makePicture(size[0], size[1], 1, quality);
            const Bytes jpeg = cjpeg(source, "-grayscale -quality " + std::to_string(quality));
            const Picture ours = decode(jpeg);
            EXPECT_EQ(ours.channels, 1u);
            EXPECT_LE(maxDifference(ours, djpeg(jpeg)), 2) << size[0] << "x" << size[1] << " q" << quality;
        }
}

TEST(JPEGOracle, FullChromaWithinThreeLevels) {
    REQUIRE_TOOLS();
    const unsigned sizes[][2] = {{17, 17}, {1, 1}, {50, 30}, {1, 16}};
    for (const auto& size : sizes)
        for (int quality : {30, 60, 85, 100}) {
            const Picture source = makePicture(size[0], size[1], 3, quality + 7);
            const Bytes jpeg = cjpeg(source, "-sample 1x1 -quality " + std::to_string(quality));
            const Picture ours = decode(jpeg);
            EXPECT_EQ(ours.channels, 3u);
            EXPECT_LE(maxDifference(ours, djpeg(jpeg)), 3) << size[0] << "x" << size[1] << " q" << quality;
        }
}

TEST(JPEGOracle, SubsampledChromaAboveThirtyDecibels) {
    REQUIRE_TOOLS();
    // (Pictures only a few pixels across, such as 4001 x 3, put one chroma
    // sample on each edge, where the corner-aligned and the centred sitings
    // differ most; their luma is checked below.)
    const unsigned sizes[][2] = {{17, 17}, {64, 48}, {130, 70}, {1, 1}, {1, 16}, {16, 1}};
    for (const char* sampling : {"2x1", "2x2", "1x2"})
        for (const auto& size : sizes)
            for (int quality : {30, 75, 95}) {
                const Picture source = makePicture(size[0], size[1], 3, quality);
                const Bytes jpeg =
                    cjpeg(source, std::string("-sample ") + sampling + " -quality " + std::to_string(quality));
                const Picture ours = decode(jpeg);
                EXPECT_GE(psnr(ours, djpeg(jpeg)), 30.0)
                    << sampling << " " << size[0] << "x" << size[1] << " q" << quality;
            }
}

TEST(JPEGOracle, SubsampledLumaPlaneIsTight) {
    REQUIRE_TOOLS();
    // Neutral chroma decodes to 128 exactly, so red is the luma plane itself,
    // laid out in 2 x 2 (or 2 x 1) blocks per MCU.
    const unsigned sizes[][2] = {{37, 29}, {4001, 3}, {3, 40}, {1, 1}, {17, 17}};
    for (const auto& size : sizes)
    for (const char* sampling : {"2x2", "2x1", "1x2"}) {
        Picture source = makePicture(size[0], size[1], 3, 11);
        for (std::size_t i = 0; i < source.pixels.size(); i += 3)
            source.pixels[i + 1] = source.pixels[i + 2] = source.pixels[i];
        const Bytes jpeg = cjpeg(source, std::string("-sample ") + sampling + " -quality 90");
        const Picture ours = decode(jpeg);
        const Picture luma = djpeg(jpeg, "-dct float -grayscale");
        int worst = 0;
        for (unsigned y = 0; y < luma.height; ++y)
            for (unsigned x = 0; x < luma.width; ++x)
                worst = std::max(worst, std::abs(ours.at(x, y, 0) - luma.at(x, y, 0)));
        EXPECT_LE(worst, 2) << sampling << " " << size[0] << "x" << size[1];
    }
}

TEST(JPEGOracle, ProgressiveEqualsBaselineOfTheSamePicture) {
    REQUIRE_TOOLS();
    // Scans with one component per DC scan, spectral bands and refinements.
    TempFolder folder;
    std::ofstream(folder.file("scans.txt")) << "0: 0 0 0 1;\n1: 0 0 0 1;\n2: 0 0 0 1;\n"
                                               "0: 1 5 0 2;\n0: 6 63 0 2;\n1: 1 63 0 1;\n2: 1 63 0 1;\n"
                                               "0: 1 63 2 1;\n0: 1 63 1 0;\n1: 1 63 1 0;\n2: 1 63 1 0;\n"
                                               "0,1,2: 0 0 1 0;\n";
    for (const char* sampling : {"2x2", "1x1", "2x1"}) {
        const Picture source = makePicture(45, 37, 3, 5);
        const std::string common = std::string("-quality 80 -sample ") + sampling;
        const Picture baseline = decode(cjpeg(source, common));
        EXPECT_EQ(decode(cjpeg(source, common + " -progressive")).pixels, baseline.pixels) << sampling;
        EXPECT_EQ(decode(cjpeg(source, common + " -scans " + folder.file("scans.txt"))).pixels, baseline.pixels)
            << sampling;
    }
    const Picture grey = makePicture(45, 37, 1, 5);
    EXPECT_EQ(decode(cjpeg(grey, "-grayscale -progressive")).pixels, decode(cjpeg(grey, "-grayscale")).pixels);
}

TEST(JPEGOracle, RestartIntervalsAndSeparateScansDecodeTheSamePixels) {
    REQUIRE_TOOLS();
    TempFolder folder;
    std::ofstream(folder.file("scans.txt")) << "0: 0 63 0 0;\n1: 0 63 0 0;\n2: 0 63 0 0;\n";
    const Picture source = makePicture(70, 43, 3, 9);
    const Picture plain = decode(cjpeg(source, "-quality 70"));
    EXPECT_EQ(decode(cjpeg(source, "-quality 70 -restart 1B")).pixels, plain.pixels);
    EXPECT_EQ(decode(cjpeg(source, "-quality 70 -restart 2B")).pixels, plain.pixels);
    EXPECT_EQ(decode(cjpeg(source, "-quality 70 -restart 1")).pixels, plain.pixels);
    // Baseline with one scan per component (non-interleaved).
    EXPECT_EQ(decode(cjpeg(source, "-quality 70 -scans " + folder.file("scans.txt"))).pixels, plain.pixels);
    EXPECT_EQ(decode(cjpeg(source, "-quality 70 -restart 3B -scans " + folder.file("scans.txt"))).pixels,
              plain.pixels);
    const Picture grey = makePicture(70, 43, 1, 9);
    EXPECT_EQ(decode(cjpeg(grey, "-grayscale -restart 1B")).pixels, decode(cjpeg(grey, "-grayscale")).pixels);
}

TEST(JPEGOracle, ArithmeticCodingIsRefused) {
    REQUIRE_TOOLS();
    const Bytes jpeg = cjpeg(makePicture(16, 16, 3), "-arithmetic");
    try {
        decode(jpeg);
        FAIL() << "decoded an arithmetic-coded file";
    } catch (const TAVO::SupportException& e) {
        EXPECT_EQ(e.message(), "No support for JPEG marker c9. ");
    }
}

TEST(JPEGOracle, EighthScaleAgainstDjpegScaledOnTheSharedRegion) {
    REQUIRE_TOOLS();
    struct Case {
        unsigned width, height;
        const char* options;
        unsigned eighthWidth, eighthHeight;  // whole MCUs
        bool colourSubsampled;
    };
    const Case cases[] = {
        {4001, 3, "-grayscale", 501, 1, false},
        {64, 48, "-sample 1x1", 8, 6, false},
        {70, 43, "-grayscale -progressive", 9, 6, false},
        {17, 17, "-sample 2x2", 4, 4, true},
        {400, 240, "-sample 2x2", 50, 30, true},
        {410, 250, "-sample 2x2 -progressive", 52, 32, true},
        {410, 230, "-sample 2x1", 52, 29, true},
    };
    for (const Case& c : cases) {
        const Bytes jpeg = cjpeg(makePicture(c.width, c.height, std::string(c.options).find("gray") != std::string::npos ? 1 : 3, 3),
                                 std::string(c.options) + " -quality 85");
        const Picture ours = decode(jpeg, true);
        EXPECT_EQ(ours.width, c.eighthWidth) << c.options;
        EXPECT_EQ(ours.height, c.eighthHeight) << c.options;
        const Picture reference = djpeg(jpeg, "-scale 1/8");
        Picture shared = reference, mine = reference;
        shared.width = mine.width = std::min(ours.width, reference.width);
        shared.height = mine.height = std::min(ours.height, reference.height);
        shared.pixels.clear();
        mine.pixels.clear();
        for (unsigned y = 0; y < shared.height; ++y)
            for (unsigned x = 0; x < shared.width; ++x)
                for (unsigned ch = 0; ch < reference.channels; ++ch) {
                    shared.pixels.push_back(std::uint8_t(reference.at(x, y, ch)));
                    mine.pixels.push_back(std::uint8_t(ours.at(x, y, ch)));
                }
        if (c.colourSubsampled) {
            if (c.width > 100) {  // a few blocks say nothing about the chroma siting
                EXPECT_GE(psnr(mine, shared), 30.0) << c.options;
            }
        }
        else
            EXPECT_LE(maxDifference(mine, shared), reference.channels == 1 ? 0 : 2) << c.options;
    }
}

TEST(JPEGOracle, EighthScaleOfProgressiveEqualsEighthScaleOfBaseline) {
    REQUIRE_TOOLS();
    const Picture source = makePicture(90, 50, 3, 4);
    EXPECT_EQ(decode(cjpeg(source, "-progressive"), true).pixels, decode(cjpeg(source, ""), true).pixels);
}
